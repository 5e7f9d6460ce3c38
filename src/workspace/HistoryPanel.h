#pragma once
#include "model/SlipFormat.h"
#include "storage/HistoryTableModel.h"
#include "ui/DataGrid.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <QWidget>
#include <functional>

class QLineEdit;
class QPushButton;

namespace slip {

class FrozenColumnView;
class HistoryCellDelegate;

// The history tab of the main window: the slips printed with the open
// format, newest first, one row per slip and one column per box, with the
// running numbers kept in view; and the commands on them: show one slip on
// the canvas or reprint several, delete some or all, export the list, and
// search it by keyword.
//
// The list is a snapshot, read again every time the tab is chosen and when
// another format is opened or the format's boxes change while it is shown;
// slips stored meanwhile are listed once the tab is chosen again.
class HistoryPanel : public QWidget {
    Q_OBJECT
public:
    // Prints each slip as one job of one page and stores no history; false
    // when nothing was printed (the printer choice was cancelled).
    using ReprintSlips = std::function<bool(const QVector<QHash<BoxId, QString>>& slips)>;

    // The sheet name of an exported workbook, also the file name offered.
    static const QString kExportName;
    // The export file dialog's choices.
    static const QString kExportFilter;

    explicit HistoryPanel(SlipFormat& format, QWidget* parent = nullptr);
    ~HistoryPanel() override;

    // Plugs in the reprint of several slips; without one only a single slip
    // can be shown on the canvas.
    void SetReprint(ReprintSlips reprint);
    // The text that stands for a line break inside a value: shown in the
    // list for one, and read back as one when a slip is taken onto the canvas.
    void SetLineBreakMarkerSource(std::function<QString()> marker);
    QString LineBreakMarker() const;

    // Reads the open format's history into the list (empty when no format is
    // open); a read that fails is told and leaves the list empty.
    void LoadHistoryList();

    // One selected row: shows its slip on the canvas. Several: reprints each
    // through the reprint, adding no history, and the canvas keeps the last.
    void PrintHistoryRows();
    // Deletes the selected slips after asking; only rows whose slips were
    // really deleted leave the list, and a failure leaves it as it was.
    void DeleteHistoryRows();
    // Deletes every slip of the format after asking.
    void DeleteAllHistory();
    // Writes the shown rows and columns to a CSV file or workbook the
    // operator chooses; rows that can't be read fail it, told with the
    // statement that failed, and leave the file as it was.
    void ExportGrid();
    // Finds and selects the next row holding the keyword, wrapping at the
    // end; repeated searches step from matching row to matching row, and a
    // row found last is not found again while others are left to find.
    void FindInGrid();

    // The selected rows of the list, top to bottom (the current row when
    // nothing is selected).
    QVector<int> SelectedRows() const;

    HistoryTableModel* model = nullptr;
    FrozenColumnView* grid = nullptr;
    QPushButton* printButton = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* clearButton = nullptr;
    QPushButton* exportButton = nullptr;
    QLineEdit* keywordEdit = nullptr;
    QPushButton* searchButton = nullptr;

signals:
    // The slip is about to be filled from the history: show the canvas and
    // close any box being typed in, so that its text does not come back.
    void slipWanted();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormatMayHaveChanged();
    // From the data rows (a click on the fixed captions), or from the
    // captions (loading the list).
    void SizeColumns(GridMeasureFrom from = GridMeasureFrom::DataRows);
    void UpdateButtons();
    void ForgetMatch();
    // Makes a cell found by the search current, its row selected and at the
    // top of the list.
    void ShowMatch(int row, int column, const QString& text);
    // Reads the stored slip of a row as canvas values; false (and told) when
    // it can't be read.
    bool SlipOfRow(int row, QHash<BoxId, QString>& values);
    void ShowOnSlip(const QHash<BoxId, QString>& values);

    SlipFormat& format_;
    HistoryCellDelegate* delegate_ = nullptr;
    ReprintSlips reprint_;
    int matchRow_ = -1;
    bool selectingMatch_ = false;
    bool exporting_ = false;
};

// Print runs the program ended in the middle of (between handing a job to
// the print system and storing its slips): for each the operator is asked
// whether it printed; Yes stores its slips in the history, No drops them.
// A run that printed but whose slips could not be stored is asked about as
// such: whether to store them now.
void AskAboutPendingPrintRuns();

} // namespace slip
