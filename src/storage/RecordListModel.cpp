#include "storage/RecordListModel.h"

#include "core/CommonHelpers.h"
#include "core/GridRules.h"
#include "core/TextNumber.h"
#include "storage/Database.h"

#include <QBrush>
#include <QDate>
#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace slip {

const QString RecordListModel::kRunningNumberCaption = QStringLiteral("序号");

namespace {

enum class FieldKind { Text, Date, Boolean, Double };

FieldKind KindOfDeclaredType(const QString& declared)
{
    const QString t = declared.toUpper();
    if (t.contains(QLatin1String("BOOL")) || t == QLatin1String("BIT") || t == QLatin1String("YESNO"))
        return FieldKind::Boolean;
    if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME"))) return FieldKind::Date;
    for (const char* n : {"DOUBLE", "REAL", "FLOAT", "SINGLE", "NUMERIC", "DECIMAL", "CURRENCY", "MONEY"})
        if (t.contains(QLatin1String(n))) return FieldKind::Double;
    return FieldKind::Text;
}

// Declared column types of a table; values are shown by them because SQLite
// itself keeps dates as texts and Booleans as numbers.
QHash<QString, FieldKind> DeclaredKinds(const QString& table)
{
    QHash<QString, FieldKind> kinds;
    const Recordset rs =
        OpenRecordset(QStringLiteral("PRAGMA table_info(") + QuoteIdentifier(table) + QLatin1Char(')'));
    for (int r = 0; r < rs.RecordCount(); ++r)
        kinds.insert(rs.text(r, QStringLiteral("name")), KindOfDeclaredType(rs.text(r, QStringLiteral("type"))));
    return kinds;
}

QString DateText(const QVariant& v)
{
    if (v.typeId() == QMetaType::QDate) return v.toDate().toString(QStringLiteral("yyyy.MM.dd"));
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().date().toString(QStringLiteral("yyyy.MM.dd"));
    const QString s = v.toString().trimmed();
    const QString day = s.section(QLatin1Char(' '), 0, 0).section(QLatin1Char('T'), 0, 0);
    for (const char* f : {"yyyy-MM-dd", "yyyy-M-d", "yyyy/M/d", "yyyy.M.d"}) {
        const QDate d = QDate::fromString(day, QLatin1String(f));
        if (d.isValid()) return d.toString(QStringLiteral("yyyy.MM.dd"));
    }
    return s;
}

QString DoubleText(const QVariant& v)
{
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d)) return v.toString();
    const double hundredths = d * 100.0;
    // Beyond 2^53 a double has no fraction left to round.
    const double rounded = std::fabs(hundredths) < 9.0e15 ? double(RoundHalfEven(hundredths)) / 100.0 : d;
    return QString::number(rounded, 'g', 15);
}

QString FieldText(const QVariant& v, FieldKind kind)
{
    if (!v.isValid() || v.isNull()) return {};
    switch (kind) {
    case FieldKind::Date: return DateText(v);
    case FieldKind::Boolean: return CheckMarkText(v);
    case FieldKind::Double: return DoubleText(v);
    case FieldKind::Text: break;
    }
    if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

// A column that shows a field of another table's record: "table:ID field:
// shown field", the ID read from this record's ID field.
struct Lookup {
    QString table;
    int idAt = -1;  // this record's column holding the ID
    QString shown;
    QHash<qint32, QString> found;  // IDs met before in this read

    QString Text(const QVector<QVariant>& record)
    {
        bool isId = false;
        const qint64 id = record.value(idAt).toLongLong(&isId);
        if (!isId || id < INT32_MIN || id > INT32_MAX) return {};
        const auto at = found.constFind(qint32(id));
        if (at != found.constEnd()) return *at;
        // A record that can't be read leaves its cell empty.
        const QString text = FieldText(GetFieldById(table, qint32(id), shown), FieldKind::Text);
        found.insert(qint32(id), text);
        return text;
    }
};

} // namespace

RecordListModel::RecordListModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordListModel::SetColumns(const QVector<RecordListColumn>& columns)
{
    beginResetModel();
    columns_ = columns;
    rows_.clear();
    sortColumn_ = -1;
    runningColumn_ = -1;
    for (int c = 0; c < columns_.size(); ++c)
        if (columns_[c].field.isEmpty() && columns_[c].caption == kRunningNumberCaption) runningColumn_ = c;
    endResetModel();
}

bool RecordListModel::Fill(const QString& table, const QString& condition, const QVariantList& params,
                           const QString& order)
{
    QString sql = QStringLiteral("SELECT * FROM ") + QuoteIdentifier(table);
    if (!condition.isEmpty()) sql += QStringLiteral(" WHERE ") + condition;
    if (!order.isEmpty()) sql += QStringLiteral(" ORDER BY ") + order;
    const Recordset rs = OpenRecordset(sql, params);
    beginResetModel();
    rows_.clear();
    sortColumn_ = -1;
    lastError_ = rs.ok ? QString() : rs.error;
    if (rs.ok && !rs.isEmpty()) {
        const QHash<QString, FieldKind> kinds = DeclaredKinds(table);
        QVector<int> fieldAt(columns_.size(), -1);
        QVector<FieldKind> kindAt(columns_.size(), FieldKind::Text);
        QHash<int, Lookup> lookups;
        for (int c = 0; c < columns_.size(); ++c) {
            const QString& field = columns_[c].field;
            if (field.contains(QLatin1Char(':'))) {
                // Fewer than three parts name nothing to show.
                const QStringList parts = field.split(QLatin1Char(':'));
                if (parts.size() >= 3) lookups.insert(c, Lookup{parts[0], rs.column(parts[1]), parts[2], {}});
                continue;
            }
            if (field.isEmpty()) continue;
            fieldAt[c] = rs.column(field);
            kindAt[c] = kinds.value(field, FieldKind::Text);
        }
        rows_.reserve(rs.RecordCount());
        for (const QVector<QVariant>& record : rs.rows) {
            Row row;
            row.cells.resize(columns_.size());
            for (int c = 0; c < columns_.size(); ++c)
                if (fieldAt[c] >= 0) row.cells[c] = FieldText(record.value(fieldAt[c]), kindAt[c]);
            for (auto l = lookups.begin(); l != lookups.end(); ++l) row.cells[l.key()] = l->Text(record);
            rows_ << row;
        }
    }
    endResetModel();
    return rs.ok;
}

QString RecordListModel::Text(int row, int column) const
{
    if (row < 0 || row >= rows_.size() || column < 0 || column >= columns_.size()) return {};
    if (column == runningColumn_) return QString::number(row + 1);
    return rows_[row].cells[column];
}

void RecordListModel::SetText(int row, int column, const QString& text)
{
    if (row < 0 || row >= rows_.size() || column < 0 || column >= columns_.size()) return;
    if (rows_[row].cells[column] == text) return;
    rows_[row].cells[column] = text;
    emit dataChanged(index(row, column), index(row, column), {Qt::DisplayRole});
}

void RecordListModel::SetRowColour(int row, const QColor& colour)
{
    if (row < 0 || row >= rows_.size()) return;
    rows_[row].colour = colour;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::ForegroundRole});
}

void RecordListModel::SetColumnAlignment(int column, Qt::Alignment alignment)
{
    alignments_.insert(column, alignment);
    if (!rows_.isEmpty()) emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::TextAlignmentRole});
}

int RecordListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

int RecordListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size()) return {};
    if (role == Qt::DisplayRole) return Text(index.row(), index.column());
    if (role == Qt::ForegroundRole && rows_[index.row()].colour.isValid()) return QBrush(rows_[index.row()].colour);
    if (role == Qt::TextAlignmentRole && alignments_.contains(index.column()))
        return int(alignments_.value(index.column()));
    return {};
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size()) return {};
    // The first click on a column sorts it ascending.
    if (role == Qt::InitialSortOrderRole) return int(Qt::AscendingOrder);
    if (role != Qt::DisplayRole) return {};
    const QString& caption = columns_[section].caption;
    return section == sortColumn_ ? CaptionWithSortMark(caption, sortOrder_) : caption;
}

Qt::ItemFlags RecordListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool RecordListModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || count < 1 || row + count > rows_.size()) return false;
    beginRemoveRows({}, row, row + count - 1);
    rows_.remove(row, count);
    endRemoveRows();
    // The running numbers below close up.
    if (runningColumn_ >= 0 && row < rows_.size())
        emit dataChanged(index(row, runningColumn_), index(int(rows_.size()) - 1, runningColumn_));
    return true;
}

void RecordListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= columns_.size() || column == runningColumn_) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QVector<int> place(rows_.size());
    std::iota(place.begin(), place.end(), 0);
    std::vector<GridSortKey> keys;
    keys.reserve(rows_.size());
    for (const Row& r : rows_) keys.emplace_back(r.cells[column]);
    std::stable_sort(place.begin(), place.end(), [&](int a, int b) {
        const int cmp = CompareGridKeys(keys[a], keys[b]);
        return order == Qt::AscendingOrder ? cmp < 0 : cmp > 0;
    });
    QVector<Row> sorted;
    sorted.reserve(rows_.size());
    QVector<int> newRowOf(rows_.size());
    for (int i = 0; i < place.size(); ++i) {
        sorted << rows_[place[i]];
        newRowOf[place[i]] = i;
    }
    rows_ = std::move(sorted);
    QModelIndexList after;
    for (const QModelIndex& i : before) after << index(newRowOf.value(i.row(), i.row()), i.column());
    changePersistentIndexList(before, after);
    sortColumn_ = column;
    sortOrder_ = order;
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

} // namespace slip
