#pragma once
#include "batch/BatchImport.h"
#include "batch/ImportMap.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QMap>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QStringList>
#include <QVector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace slip {

class SheetPreviewModel;
class SlipFormat;

// The file an import reads.
struct ImportSource {
    QString path;   // as the operator chose it (letter case kept)
    QString sheet;  // the worksheet of a workbook; "" for a CSV file
    ImportFileKind kind = ImportFileKind::Unsupported;
    // A file was chosen and, unless it is a CSV file, a worksheet of it: the
    // mapping dialog opens. Only a CSV file or a workbook is imported.
    bool IsSet() const { return !path.isEmpty() && (kind == ImportFileKind::Csv || !sheet.isEmpty()); }
    bool Importable() const { return IsSet() && kind != ImportFileKind::Unsupported; }
};

// The first rows of the file for the mapping dialog, or why it can't be read.
struct ImportPreview {
    QString error;
    QString notice;  // what the operator must know of how the rows are read
    QVector<QStringList> rows;
    bool ok() const { return error.isEmpty(); }
};
inline constexpr int kImportPreviewRows = 19;
inline constexpr int kImportPreviewColumns = 59;
// Reads the preview: only the first rows of the file, or why the import
// would refuse it (missing, unreadable, undecodable, binary, no workbook, a
// file of another kind than CSV or workbook).
ImportPreview LoadImportPreview(const ImportSource& source, ProgressReporter& progress);

// The boxes of the format with their Map strings, one row each (text, check
// and picture boxes, each kind in index order): the box's index and record
// ID, the running number, the box and its Map string, the only text the
// operator edits.
class ImportMapModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { IndexColumn, IdColumn, NumberColumn, BoxColumn, MapColumn, ColumnCount };
    explicit ImportMapModel(const ImportMaps& boxes, QObject* parent = nullptr);

    // The maps for the import: each Map string trimmed.
    ImportMaps Maps() const;
    // The maps to store by record ID, as typed. A box not saved yet (its ID
    // is temporary and changes at the save) has nothing to be stored under.
    QMap<qint32, QString> StoredMaps() const;
    // How a column's cells stand: the box on the right at the bottom, the
    // Map string at the top left, the numbers on the left.
    static Qt::Alignment ColumnAlignment(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<ImportBox> boxes_;
};

// The editor of the Map strings, which knows the editor it has open.
class MapStringDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    // The editor in use, or nullptr when none is open.
    QWidget* OpenEditor() const;

private:
    mutable QPointer<QWidget> editor_;
};

// What OK hands to the import.
struct ImportRequest {
    ImportMaps maps;
    ImportRange range;
};

// The mapping dialog "导入数据映射": the first rows of the file, one Map
// string per box of the open format, and the rows to import. It opens with
// the format's stored Map strings and the last row settings, and stores both
// whenever it closes (OK, Cancel or the close box), so a mapping typed once
// is there the next time. OK takes the rows in either order and refuses more
// than 30,000 of them with a message, staying open; otherwise it closes with
// the request. Cancel never imports, and neither does OK for a file of
// another kind than CSV or workbook: it only closes. What the reading of the
// preview found (`previewMessage`: why it could not be read, or what the
// operator must know of how it was read) and stored maps that could not be
// read are told as it opens; the mapping can be edited all the same.
class ImportMapDialog : public QDialog {
    Q_OBJECT
public:
    ImportMapDialog(const SlipFormat& format, const ImportSource& source, const QVector<QStringList>& previewRows,
                    const QString& lineBreakMarker, QWidget* parent = nullptr, const QString& previewMessage = {});

    QLabel* fileLabel = nullptr;  // the file (and worksheet) being imported
    QTableView* preview = nullptr;
    QTableView* mapView = nullptr;
    QLineEdit* startRow = nullptr;
    QLineEdit* endRow = nullptr;
    QLineEdit* linesPerRecord = nullptr;
    QLabel* help = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

    // Valid after OK.
    const ImportRequest& Request() const { return request_; }

    static inline const QString kCaption = QStringLiteral("导入数据映射");
    // The help on Map strings, with the line-break marker in force.
    static QString HelpText(const QString& lineBreakMarker);

public slots:
    // The OK button: checks, then closes with the request.
    void TryAccept();

protected:
    void done(int result) override;

private:
    void CommitEditor();
    void Store();

    QString formatName_;
    bool importable_ = false;
    ImportMapModel* model_ = nullptr;
    MapStringDelegate* delegate_ = nullptr;
    SheetPreviewModel* previewModel_ = nullptr;
    ImportRequest request_;
};

} // namespace slip
