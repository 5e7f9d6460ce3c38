#pragma once
#include <QDialog>
#include <QStringList>

class QFrame;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace slip {

class SheetPreviewModel;

// The worksheet chooser "选择要导入数据所在的工作表": the sheets of a workbook,
// one row each, the first ticked; a press anywhere on a row ticks it (and
// only it) or, when it is ticked, clears the tick. Below the list the first
// rows of the ticked sheet show what it holds. OK answers the ticked sheet's
// name, "" when no row is ticked; Cancel answers "".
class WorksheetChooser : public QDialog {
    Q_OBJECT
public:
    WorksheetChooser(const QString& workbookPath, const QStringList& sheets, QWidget* parent = nullptr);

    QTableView* list = nullptr;
    QTableView* preview = nullptr;
    QLabel* previewNote = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    // The two rules that set the list off: under the prompt and above the
    // buttons.
    QFrame* lines[2] = {nullptr, nullptr};

    // The sheet ticked now; "" when none is.
    QString TickedSheet() const;
    // The answer once the dialog has closed.
    const QString& Answer() const { return answer_; }
    // A press on data row `row` (from 0).
    void PressRow(int row);

    static inline const QString kCaption = QStringLiteral("选择要导入数据所在的工作表");
    static constexpr int kPreviewRows = 12;
    static constexpr int kPreviewColumns = 26;

protected:
    void done(int result) override;

private:
    void ShowPreview();

    QString path_;
    QStandardItemModel* sheets_ = nullptr;
    SheetPreviewModel* previewModel_ = nullptr;
    QString previewOf_;
    QString answer_;
};

// Lists the worksheets of the workbook and lets the operator pick one.
// Answers the chosen name, or "" when cancelled or when nothing was ticked.
// A workbook that can't be read shows the reason and answers "".
QString ChooseWorksheet(QWidget* parent, const QString& workbookPath);

} // namespace slip
