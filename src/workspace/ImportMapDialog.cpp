#include "workspace/ImportMapDialog.h"

#include "batch/CsvReader.h"
#include "batch/Workbook.h"
#include "model/SlipFormat.h"
#include "storage/MappingStore.h"
#include "ui/Prompt.h"
#include "workspace/BatchOnSlip.h"
#include "workspace/SheetPreviewModel.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace slip {

// --- The preview -----------------------------------------------------------

ImportPreview LoadImportPreview(const ImportSource& source, ProgressReporter& progress)
{
    switch (source.kind) {
    case ImportFileKind::Csv: {
        CsvFile file = ReadCsvPreview(source.path, kImportPreviewRows, kImportPreviewColumns);
        return {file.error, file.notice, std::move(file.records)};
    }
    case ImportFileKind::Workbook: {
        progress.Start(QStringLiteral("正在读取EXCEL数据……"), kImportPreviewRows + 1);
        CellRange cells = ReadSheetRange(source.path, source.sheet, 1, kImportPreviewRows, 1, kImportPreviewColumns);
        return {cells.error, {}, std::move(cells.rows)};
    }
    default: return {UnsupportedImportFileError(), {}, {}};
    }
}

// --- The mapping list ----------------------------------------------------

ImportMapModel::ImportMapModel(const ImportMaps& boxes, QObject* parent)
    : QAbstractTableModel(parent), boxes_(MergeMapArrays(boxes))
{
}

ImportMaps ImportMapModel::Maps() const
{
    ImportMaps maps;
    for (ImportBox box : boxes_) {
        box.map = box.map.trimmed();
        switch (box.boxIndex / 1000) {
        case 0: maps.textBoxes << box; break;
        case 1: maps.checkBoxes << box; break;
        case 2: maps.pictureBoxes << box; break;
        default: break;
        }
    }
    return maps;
}

QMap<qint32, QString> ImportMapModel::StoredMaps() const
{
    QMap<qint32, QString> maps;
    for (const ImportBox& box : boxes_)
        if (box.recordId > 0 && MapsTheBox(box.map)) maps.insert(box.recordId, box.map);
    return maps;
}

Qt::Alignment ImportMapModel::ColumnAlignment(int column)
{
    switch (column) {
    case BoxColumn: return Qt::AlignRight | Qt::AlignBottom;
    case MapColumn: return Qt::AlignLeft | Qt::AlignTop;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

int ImportMapModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(boxes_.size()); }

int ImportMapModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant ImportMapModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= boxes_.size()) return {};
    const ImportBox& box = boxes_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case IndexColumn: return QString::number(box.boxIndex);
        case IdColumn: return QString::number(box.recordId);
        case NumberColumn: return QString::number(index.row() + 1);
        case BoxColumn: return ImportBoxName(box);
        case MapColumn: return box.map;
        default: return {};
        }
    case Qt::TextAlignmentRole: return QVariant(int(ColumnAlignment(index.column())));
    case Qt::ToolTipRole:
        return index.column() == MapColumn ? QVariant(QStringLiteral("请填入各输入框对应表格所在的列号。")) : QVariant();
    default: return {};
    }
}

bool ImportMapModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != MapColumn || role != Qt::EditRole || index.row() >= boxes_.size())
        return false;
    const QString map = value.toString();
    if (boxes_[index.row()].map == map) return true;
    boxes_[index.row()].map = map;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags ImportMapModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == MapColumn) f |= Qt::ItemIsEditable;
    return f;
}

QVariant ImportMapModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    switch (section) {
    case IndexColumn: return QStringLiteral("Index");
    case IdColumn: return QStringLiteral("ID");
    case NumberColumn: return QStringLiteral("序号");
    case BoxColumn: return QStringLiteral("输入框内容");
    case MapColumn: return QStringLiteral("对应列号");
    default: return {};
    }
}

// --- The Map string editor -------------------------------------------------

QWidget* MapStringDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    editor_ = editor;
    return editor;
}

QWidget* MapStringDelegate::OpenEditor() const { return editor_ && editor_->isVisible() ? editor_.data() : nullptr; }

// --- The dialog ------------------------------------------------------------

QString ImportMapDialog::HelpText(const QString& lineBreakMarker)
{
    QString text = QStringLiteral(
        "列号填写方法：        来自单列数据，直接填入列号（如：A）；来自多列数据，用逗号隔开（如：D,F）；"
        "需要插入固定字符,在将插入内容用引号引起来（如A,\"地址：\",E)；需插入换行符，可用“//”代表换行"
        "（如：D,“//”,F）；空着表示不导入。");
    if (!lineBreakMarker.isEmpty()) text.replace(QStringLiteral("//"), lineBreakMarker);
    return text;
}

ImportMapDialog::ImportMapDialog(const SlipFormat& format, const ImportSource& source,
                                 const QVector<QStringList>& previewRows, const QString& lineBreakMarker,
                                 QWidget* parent, const QString& previewMessage)
    : QDialog(parent), formatName_(format.Name()), importable_(source.Importable())
{
    setWindowTitle(kCaption);
    auto* v = new QVBoxLayout(this);

    fileLabel = new QLabel(source.sheet.isEmpty() ? source.path
                                                  : source.path + QStringLiteral("  [") + source.sheet + QStringLiteral("]"));
    fileLabel->setObjectName(QStringLiteral("importFile"));
    fileLabel->setTextFormat(Qt::PlainText);
    fileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    v->addWidget(fileLabel);
    auto* previewCaption = new QLabel(QStringLiteral("您将要导入的EXCEL表格样式："));
    previewCaption->setToolTip(QStringLiteral("要导入表格的部分内容示例。"));
    v->addWidget(previewCaption);
    previewModel_ = new SheetPreviewModel(kImportPreviewRows, kImportPreviewColumns, this);
    previewModel_->SetRows(previewRows);
    preview = new QTableView;
    preview->setObjectName(QStringLiteral("importPreview"));
    preview->setModel(previewModel_);
    preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    preview->setWordWrap(false);
    preview->horizontalHeader()->setDefaultSectionSize(80);
    preview->horizontalHeader()->setMaximumSectionSize(240);
    preview->resizeColumnsToContents();
    // An empty column still shows its letter readably.
    for (int c = 0; c < kImportPreviewColumns; ++c)
        if (preview->columnWidth(c) < 40) preview->setColumnWidth(c, 40);
    v->addWidget(preview, 3);

    auto* mapCaption = new QLabel(QStringLiteral("请按内容填入相应的对应列号："));
    mapCaption->setToolTip(QStringLiteral("请填入各输入框对应表格所在的列号。"));
    v->addWidget(mapCaption);
    auto* middle = new QHBoxLayout;
    const InputMapRows stored = LoadInputMap(formatName_);
    model_ = new ImportMapModel(ImportBoxesOf(format, stored.maps), this);
    mapView = new QTableView;
    mapView->setObjectName(QStringLiteral("mapList"));
    mapView->setModel(model_);
    delegate_ = new MapStringDelegate(mapView);
    mapView->setItemDelegate(delegate_);
    mapView->verticalHeader()->hide();
    mapView->setSelectionMode(QAbstractItemView::SingleSelection);
    mapView->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked
                             | QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed);
    mapView->horizontalHeader()->setStretchLastSection(true);
    mapView->resizeColumnsToContents();
    mapView->setColumnWidth(ImportMapModel::BoxColumn, std::max(mapView->columnWidth(ImportMapModel::BoxColumn), 160));
    middle->addWidget(mapView, 3);
    help = new QLabel(HelpText(lineBreakMarker));
    help->setObjectName(QStringLiteral("mapHelp"));
    help->setWordWrap(true);
    help->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    help->setMinimumWidth(260);
    middle->addWidget(help, 2);
    v->addLayout(middle, 3);

    const ImportRowSettings rows = LoadImportRowSettings();
    auto* bottom = new QHBoxLayout;
    auto numberBox = [](const QString& text, const QString& tip) {
        auto* e = new QLineEdit(text);
        e->setToolTip(tip);
        e->setMaximumWidth(80);
        return e;
    };
    startRow = numberBox(rows.startRow, QStringLiteral("数据导入的开始行号。"));
    endRow = numberBox(rows.endRow, QStringLiteral("数据导入的截止行号。"));
    linesPerRecord = numberBox(rows.linesPerRecord, QStringLiteral("每条记录所占的行数。"));
    bottom->addWidget(new QLabel(QStringLiteral("导入行数设置：")));
    bottom->addWidget(new QLabel(QStringLiteral("第")));
    bottom->addWidget(startRow);
    bottom->addWidget(new QLabel(QStringLiteral("行至第")));
    bottom->addWidget(endRow);
    bottom->addWidget(new QLabel(QStringLiteral("行")));
    bottom->addSpacing(12);
    bottom->addWidget(new QLabel(QStringLiteral("间隔")));
    bottom->addWidget(linesPerRecord);
    bottom->addStretch();
    okButton = new QPushButton(QStringLiteral("确定"));
    cancelButton = new QPushButton(QStringLiteral("取消"));
    okButton->setDefault(true);
    bottom->addWidget(okButton);
    bottom->addWidget(cancelButton);
    v->addLayout(bottom);
    connect(okButton, &QPushButton::clicked, this, &ImportMapDialog::TryAccept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    resize(900, 660);
    // Told as the dialog opens, before the operator maps anything.
    if (!previewMessage.isEmpty()) MsgBox(previewMessage);
    if (!stored.ok) MsgBox(stored.error);
}

void ImportMapDialog::CommitEditor()
{
    // A Map string still in its editor counts as typed.
    if (QWidget* editor = delegate_->OpenEditor())
        QMetaObject::invokeMethod(mapView, "commitData", Q_ARG(QWidget*, editor));
}

void ImportMapDialog::TryAccept()
{
    CommitEditor();
    // A file of another kind: OK closes like Cancel (the mapping is stored).
    if (!importable_) {
        reject();
        return;
    }
    const ImportRange range = ImportRangeFromTexts(startRow->text(), endRow->text(), linesPerRecord->text());
    if (const QString refusal = CheckImportRange(range); !refusal.isEmpty()) {
        MsgBox(refusal);
        return;
    }
    request_ = ImportRequest{model_->Maps(), range};
    accept();
}

void ImportMapDialog::Store()
{
    const StoreResult saved = SaveInputMap(formatName_, model_->StoredMaps());
    if (!saved) MsgBox(saved.error);
    if (!SaveImportRowSettings({startRow->text(), endRow->text(), linesPerRecord->text()}))
        MsgBox(QStringLiteral("导入行数设置保存失败！"));
}

void ImportMapDialog::done(int result)
{
    CommitEditor();
    Store();
    QDialog::done(result);
}

} // namespace slip
