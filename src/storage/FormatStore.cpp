#include "storage/FormatStore.h"

#include "core/TextNumber.h"
#include "storage/BackgroundStore.h"
#include "storage/BoxRecord.h"
#include "storage/Database.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <optional>

namespace slip::FormatStore {

namespace {

StoreResult Unreachable(const DbConnection& conn) { return StoreResult::Failed(conn.failureText()); }

// A failed commit tells why when the file itself was the trouble.
StoreResult CommitFailed(const DbConnection& conn, const StoreResult& otherwise)
{
    return conn.failureText().isEmpty() ? otherwise : StoreResult::Failed(conn.failureText());
}

QString FieldList()
{
    QStringList f = BoxRecordFields();
    f.removeFirst();  // ID is the database's
    return f.join(QLatin1Char(','));
}

// The values of a box's record after its format's name, in field order.
QVariantList RecordValues(const QString& name, const BoxRecord& r)
{
    QVariantList values{name};
    for (int f = FieldClas; f < kBoxFieldCount; ++f) {
        const QVariant& v = r[f];
        values << (v.isValid() ? v : QVariant());
    }
    return values;
}

} // namespace

QString NameProblem(const QString& name)
{
    if (name.trimmed().isEmpty()) return QStringLiteral("格式名称不能为空！");
    if (name != name.trimmed()) return QStringLiteral("格式名称的开头和结尾不能有空格！");
    if (name.contains(QChar(0xFF5C))) return QStringLiteral("格式名称中不能有“｜”！");
    for (QChar c : name)
        if (c.unicode() < 0x20 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return QStringLiteral("格式名称中不能有换行或控制字符！");
    if (name == HeaderLabel() || !name.isValidUtf16() || name.contains(QChar(0xFFFE)) || name.contains(QChar(0xFFFF)))
        return QStringLiteral("格式名称不可用！");
    return QString();
}

QString NewNameProblem(const QString& name)
{
    if (QString problem = NameProblem(name); !problem.isEmpty()) return problem;
    // File names hold at most 255 bytes; the picture's name is the format's
    // name with its character mapping and ending.
    constexpr int kMaxFileNameBytes = 255;
    if (QFile::encodeName(QFileInfo(BackgroundStore::PicturePath(name)).fileName()).size() > kMaxFileNameBytes)
        return QStringLiteral("格式名称太长，请改短一些（最多约80个汉字或250个字母）！");
    return QString();
}

bool Exists(const QString& name)
{
    Recordset rs = OpenRecordset(QStringLiteral("SELECT ID FROM Fmt WHERE Fmt=? LIMIT 1"), {name});
    return rs.ok && !rs.isEmpty();
}

StoreResult Load(const QString& name, int screenWidthTwips, const FormatHeader& base, StoredFormat& out)
{
    DbConnection conn;
    if (!conn.isOpen()) return Unreachable(conn);
    out = StoredFormat();
    out.header = base;
    out.header.name = name;
    double& factor = out.header.screenFontFactor;
    {
        QSqlQuery q(conn.db());
        const QString sql = QStringLiteral("SELECT W, H, X, Y, Color, Mem FROM Fmt WHERE Fmt=? AND LBL=? ORDER BY ID LIMIT 1");
        const QVariantList values{name, HeaderLabel()};
        q.prepare(sql);
        BindValues(q, values);
        if (!q.exec()) return StoreResult::Failed(StatementFailed(sql, values));
        if (q.next()) {
            out.hasHeader = true;
            // An empty field leaves the setting as it was.
            auto take = [&](int col, double& target) {
                const QVariant v = q.value(col);
                if (v.isNull() || v.toString().trimmed().isEmpty()) return;
                target = Val(v.toString());
            };
            take(0, out.header.widthMm);
            take(1, out.header.heightMm);
            take(2, out.header.offsetXMm);
            take(3, out.header.offsetYMm);
            factor = ScreenFontFactor(q.value(4), screenWidthTwips);
            ApplyOptionList(q.value(5).toString(), out.header.options);
        }
    }
    // Neither a format without a header nor one an older version saved at
    // 0 × 0 opens on a slip it can't be shown at.
    MakeSlipSizeUsable(out.header.widthMm, out.header.heightMm);
    QSqlQuery q(conn.db());
    q.setForwardOnly(true);
    const QString sql =
        QStringLiteral("SELECT ID,%1 FROM Fmt WHERE Fmt=? AND (LBL IS NULL OR LBL<>?) ORDER BY Clas, ID").arg(FieldList());
    const QVariantList values{name, HeaderLabel()};
    q.prepare(sql);
    BindValues(q, values);
    if (!q.exec()) return StoreResult::Failed(StatementFailed(sql, values));
    BoxRecord r;
    // A format opened with only some of its boxes would lose the others at
    // its next save.
    const bool whole = ReadEveryRow(q, [&](const QSqlQuery& row) {
        for (int f = 0; f < kBoxFieldCount; ++f) r[f] = row.value(f);
        Box b;
        if (DecodeBox(r, factor, b)) out.boxes.push_back(std::move(b));
    });
    if (!whole) {
        out.boxes.clear();
        return StoreResult::Failed(StatementFailed(sql, values));
    }
    return StoreResult::Ok();
}

namespace {

// A format's header as a record of Fmt: where each of its settings is kept,
// with the width of the screen it is stored on.
struct HeaderInsert {
    QString sql;
    QVariantList values;
};
HeaderInsert HeaderRecord(const QString& name, const FormatHeader& h, int screenWidthTwips)
{
    return {QStringLiteral("INSERT INTO Fmt(Fmt, LBL, W, H, X, Y, Color, Mem) VALUES(?, ?, ?, ?, ?, ?, ?, ?)"),
            {name, HeaderLabel(), h.widthMm, h.heightMm, h.offsetXMm, h.offsetYMm, screenWidthTwips,
             EncodeOptionList(h.options)}};
}

// The rows of a format and what goes with them, inside conn's transaction.
bool WriteFormat(DbConnection& conn, const SlipFormat& format, const QString& name, bool asNew,
                 int screenWidthTwips, QHash<BoxId, BoxId>& oldToNew, ProgressReporter& progress);

// "" when written, else the operator's message for the statement that failed.
QString WriteDefaults(DbConnection& conn, const SlipFormat& format, const QString& name,
                      const QHash<BoxId, BoxId>& oldToNew);

} // namespace

StoreResult Save(const SlipFormat& format, const QString& name, bool asNew, int screenWidthTwips,
                 QHash<BoxId, BoxId>& oldToNew, const SaveWith& with, ProgressReporter& progress)
{
    oldToNew.clear();
    if (const QString problem = NameProblem(name); !problem.isEmpty()) return StoreResult::Failed(problem);
    // A header of no size would make a format that opens on nothing and
    // whose exchange file no import takes.
    if (!SlipSizeUsable(format.Header().widthMm, format.Header().heightMm))
        return StoreResult::Failed(QStringLiteral("单据的宽度和高度必须大于零，格式未保存！"));
    const StoreResult failed = StoreResult::Failed(QStringLiteral("格式保存失败，数据库未作任何修改！"));
    DbConnection conn;
    if (!conn.isOpen()) return Unreachable(conn);
    progress.Start(QStringLiteral("正在保存格式……"), int(format.Boxes().size()) + 2);
    // The new picture is whole beside the pictures before any row changes.
    // A picture the format has is its own: a copy never takes its place.
    std::optional<BackgroundStore::StagedPicture> picture;
    QString pictureNote;
    if (with.pictureOf && !BackgroundStore::HasPicture(name) && BackgroundStore::HasPicture(*with.pictureOf)) {
        picture.emplace();
        if (const StoreResult staged = BackgroundStore::StageCopyOf(*with.pictureOf, *picture); !staged)
            pictureNote = QStringLiteral("格式已保存，但底图未能复制，该格式没有底图！") + staged.error;
    }
    const bool written = conn.begin()
                         && WriteFormat(conn, format, name, asNew, screenWidthTwips, oldToNew, progress)
                         && (!with.defaults || WriteDefaults(conn, format, name, oldToNew).isEmpty())
                         && (!picture || BackgroundStore::NoteChange(conn, name, *picture));
    const bool committed = written && conn.commit();
    progress.End();
    if (!committed) {
        conn.rollback();
        if (picture) BackgroundStore::Discard(*picture);
        oldToNew.clear();
        return written ? CommitFailed(conn, failed) : failed;
    }
    if (picture)
        if (const StoreResult settled = BackgroundStore::SettleChanges(name); !settled)
            pictureNote = QStringLiteral("格式已保存，底图将在下次启动时更换。") + settled.error;
    if (!pictureNote.isEmpty()) return {true, pictureNote};
    return StoreResult::Ok();
}

namespace {

bool WriteFormat(DbConnection& conn, const SlipFormat& format, const QString& name, bool asNew,
                 int screenWidthTwips, QHash<BoxId, BoxId>& oldToNew, ProgressReporter& progress)
{
    QSqlDatabase db = conn.db();

    // Records of the format that stay: the boxes that still have them.
    QSet<BoxId> stored;
    {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT ID FROM Fmt WHERE Fmt=?"));
        BindValues(q, {name});
        if (!q.exec() || !ReadEveryRow(q, [&stored](const QSqlQuery& row) { stored.insert(BoxId(row.value(0).toLongLong())); }))
            return false;
    }
    QSet<BoxId> kept;
    for (const Box& b : format.Boxes())
        if (!asNew && b.id > 0 && stored.contains(b.id)) kept.insert(b.id);
    {
        QSqlQuery del(db);
        del.prepare(QStringLiteral("DELETE FROM Fmt WHERE ID=?"));
        for (BoxId id : stored) {
            if (kept.contains(id)) continue;
            BindValues(del, {id});
            if (!del.exec()) return false;
        }
    }
    progress.Step(1, QStringLiteral("pages"));

    // Each box keeps its record or gets a new one; references to boxes whose
    // record is not known yet are written once every box has its ID.
    QSqlQuery insert(db), update(db);
    insert.prepare(QStringLiteral("INSERT INTO Fmt(Fmt,%1) VALUES(?%2)")
                       .arg(FieldList(), QStringLiteral(",?").repeated(kBoxFieldCount - 1)));
    QStringList sets;
    for (int f = FieldClas; f < kBoxFieldCount; ++f) sets << BoxRecordFields()[f] + QStringLiteral("=?");
    update.prepare(QStringLiteral("UPDATE Fmt SET Fmt=?,%1 WHERE ID=?").arg(sets.join(QLatin1Char(','))));
    // A reference to a box that keeps its record is final now; any other is
    // settled below.
    auto finalId = [&](BoxId id) -> BoxId { return kept.contains(id) ? id : 0; };
    std::vector<const Box*> unsettled;
    for (const Box& b : format.Boxes()) {
        const BoxRecord r = EncodeBox(b, finalId);
        if (kept.contains(b.id)) {
            BindValues(update, RecordValues(name, r) << b.id);
            if (!update.exec()) return false;
            oldToNew.insert(b.id, b.id);
        } else {
            BindValues(insert, RecordValues(name, r));
            if (!insert.exec()) return false;
            const BoxId id = BoxId(insert.lastInsertId().toLongLong());
            if (id <= 0) return false;
            oldToNew.insert(b.id, id);
        }
        progress.Step(1, QStringLiteral("pages"));
        for (BoxId t : {b.relation.target, b.sum1.target, b.sum2.target})
            if (t != 0 && !kept.contains(t)) {
                unsettled.push_back(&b);
                break;
            }
    }
    if (!unsettled.empty()) {
        QSqlQuery refs(db);
        refs.prepare(QStringLiteral("UPDATE Fmt SET RCtl=?, SumID=?, SumID1=? WHERE ID=?"));
        auto settled = [&](BoxId id) { return oldToNew.value(id, 0); };
        for (const Box* b : unsettled) {
            const BoxRecord r = EncodeBox(*b, settled);
            BindValues(refs, {r[FieldRCtl], r[FieldSumID], r[FieldSumID1], oldToNew.value(b->id)});
            if (!refs.exec()) return false;
        }
    }

    // The header record is written anew.
    const HeaderInsert header = HeaderRecord(name, format.Header(), screenWidthTwips);
    QSqlQuery head(db);
    head.prepare(header.sql);
    BindValues(head, header.values);
    return head.exec();
}

QString WriteDefaults(DbConnection& conn, const SlipFormat& format, const QString& name,
                      const QHash<BoxId, BoxId>& oldToNew)
{
    const QString clear = QStringLiteral("DELETE FROM 默认 WHERE Fmt=?");
    if (!ExecuteSql(clear, {name}, &conn)) return StatementFailed(clear, {name});
    const QString insert = QStringLiteral("INSERT INTO 默认(Fmt, ID, Con) VALUES(?, ?, ?)");
    QSqlQuery q(conn.db());
    q.prepare(insert);
    for (const Box& b : format.Boxes()) {
        if (!HoldsValue(b.kind)) continue;
        const BoxId id = oldToNew.value(b.id, b.id);
        // A box not saved yet (one the operator declined to save) has no
        // record its value could be the default of.
        if (id < 0) continue;
        const QString v = format.Value(b.id);
        if (v.isEmpty()) continue;
        const QVariantList row{name, id, v};
        BindValues(q, row);
        if (!q.exec()) return StatementFailed(insert, row);
    }
    return QString();
}

} // namespace

StoreResult Delete(const QString& name)
{
    DbConnection conn;
    if (!conn.isOpen()) return Unreachable(conn);
    if (!Exists(name)) return StoreResult::Failed(QStringLiteral("格式“") + name + QStringLiteral("”不存在，没有删除任何格式！"));
    const StoreResult failed = StoreResult::Failed(QStringLiteral("删除格式失败，格式未被删除！"));
    if (!conn.begin()) return failed;
    // Its default values stay: they name record IDs no other box ever gets.
    // Its picture stays too: the file may be a copy an export left for an
    // import, and an import or a new format of the name replaces it.
    for (const char* table : {"历史", "映射", "Fmt"}) {
        if (!ExecuteSql(QStringLiteral("DELETE FROM %1 WHERE Fmt=?").arg(QString::fromUtf8(table)), {name}, &conn))
            return failed;
    }
    if (!conn.commit()) return CommitFailed(conn, failed);
    return StoreResult::Ok();
}

StoreResult MendHeaders(int screenWidthTwips, const QString& name, DbConnection* within)
{
    std::optional<DbConnection> own;
    DbConnection* conn = within;
    if (!conn) {
        conn = &own.emplace();
        if (!conn->isOpen()) return Unreachable(*conn);
        if (!conn->begin()) return StoreResult::Failed(StatementFailed(QStringLiteral("BEGIN IMMEDIATE")));
    }
    const auto failed = [&](const QString& error) {
        if (own) conn->rollback();
        return StoreResult::Failed(error);
    };
    // "" is every format; the state record's empty name is none.
    const QString which = name.isEmpty() ? QStringLiteral("Fmt<>''") : QStringLiteral("Fmt=?");
    const QVariantList named = name.isEmpty() ? QVariantList() : QVariantList{name};
    const Recordset headless = OpenRecordset(
        QStringLiteral("SELECT DISTINCT Fmt FROM Fmt f WHERE f.%1"
                       " AND NOT EXISTS (SELECT 1 FROM Fmt h WHERE h.Fmt=f.Fmt AND h.LBL=?)")
            .arg(which),
        named + QVariantList{HeaderLabel()}, conn);
    if (!headless.ok) return failed(headless.error);
    FormatHeader fresh;
    fresh.widthMm = kNewSlipWidthMm;
    fresh.heightMm = kNewSlipHeightMm;
    for (const auto& row : headless.rows) {
        const HeaderInsert header = HeaderRecord(row[0].toString(), fresh, screenWidthTwips);
        if (!ExecuteSql(header.sql, header.values, conn)) return failed(StatementFailed(header.sql, header.values));
    }
    const Recordset heads =
        OpenRecordset(QStringLiteral("SELECT ID, W, H FROM Fmt WHERE LBL=? AND %1").arg(which),
                      QVariantList{HeaderLabel()} + named, conn);
    if (!heads.ok) return failed(heads.error);
    const QString resize = QStringLiteral("UPDATE Fmt SET W=?, H=? WHERE ID=?");
    for (const auto& row : heads.rows) {
        double w = Val(row[1].toString()), h = Val(row[2].toString());
        if (!MakeSlipSizeUsable(w, h)) continue;
        if (const QVariantList values{w, h, row[0]}; !ExecuteSql(resize, values, conn))
            return failed(StatementFailed(resize, values));
    }
    if (own && !conn->commit())
        return CommitFailed(*conn, StoreResult::Failed(StatementFailed(QStringLiteral("COMMIT"))));
    return StoreResult::Ok();
}

QString LoadCurrentFormatState(SlipOptions& options, QString* error)
{
    Recordset rs = OpenRecordset(QStringLiteral("SELECT LBL, fName FROM Fmt WHERE Fmt='' ORDER BY ID LIMIT 1"));
    if (error) *error = rs.ok ? QString() : rs.error;
    if (!rs.ok || rs.isEmpty()) return QString();
    ApplyStateSwitches(rs.text(0, QStringLiteral("fName")), options);
    return rs.text(0, QStringLiteral("LBL"));
}

StoreResult SaveCurrentFormatState(const QString& name, const SlipOptions& options)
{
    DbConnection conn;
    if (!conn.isOpen()) return Unreachable(conn);
    if (!conn.begin()) return StoreResult::Failed(ConnectionFailedText());
    const QString switches = EncodeStateSwitches(options);
    Recordset rs = OpenRecordset(QStringLiteral("SELECT ID FROM Fmt WHERE Fmt='' ORDER BY ID LIMIT 1"), {}, &conn);
    bool ok = rs.ok;
    if (ok && rs.isEmpty())
        ok = InsertRow(QStringLiteral("INSERT INTO Fmt(Fmt, LBL, fName) VALUES('', ?, ?)"), {name, switches}, &conn) > 0;
    else if (ok)
        ok = ExecuteSql(QStringLiteral("UPDATE Fmt SET LBL=?, fName=? WHERE ID=?"), {name, switches, rs.rows[0][0]}, &conn);
    if (!ok) return StoreResult::Failed(rs.ok ? ConnectionFailedText() : rs.error);
    if (!conn.commit()) return CommitFailed(conn, StoreResult::Failed(ConnectionFailedText()));
    return StoreResult::Ok();
}

QHash<BoxId, QString> LoadDefaults(const QString& name, QString* error)
{
    QHash<BoxId, QString> out;
    Recordset rs = OpenRecordset(QStringLiteral("SELECT ID, Con FROM 默认 WHERE Fmt=? ORDER BY rowid"), {name});
    if (error) *error = rs.ok ? QString() : rs.error;
    for (const auto& row : rs.rows) out.insert(BoxId(row[0].toLongLong()), row[1].toString());
    return out;
}

StoreResult SaveDefaults(const SlipFormat& format, const QString& name)
{
    DbConnection conn;
    if (!conn.isOpen()) return Unreachable(conn);
    if (!conn.begin()) return StoreResult::Failed(StatementFailed(QStringLiteral("BEGIN IMMEDIATE")));
    if (const QString failed = WriteDefaults(conn, format, name, {}); !failed.isEmpty())
        return StoreResult::Failed(failed);
    if (!conn.commit()) return CommitFailed(conn, StoreResult::Failed(StatementFailed(QStringLiteral("COMMIT"))));
    return StoreResult::Ok();
}

} // namespace slip::FormatStore
