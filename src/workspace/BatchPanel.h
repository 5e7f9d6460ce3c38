#pragma once
#include "batch/BatchDataSet.h"
#include "model/Box.h"

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QScrollBar;

namespace slip {

class FrozenColumnView;
struct GridTextWidths;
class SlipFormat;
struct ImportRequest;
struct ImportSource;

// The batch panel: the imported records in a grid whose running-number
// column stays in view when scrolling sideways, the commands to import,
// delete and clear records, and the record bar (a scroll bar with the
// counter "shown / count") that puts one record at a time on the slip. The
// window places the record bar where it stays in view beside the slip.
class BatchPanel : public QWidget {
    Q_OBJECT
public:
    BatchPanel(SlipFormat& format, std::function<QString()> lineBreakMarker, QWidget* parent = nullptr);

    BatchDataSet& Batch() { return batch_; }
    // True from a successful import until another format is opened.
    bool Loaded() const { return loaded_; }

    QPushButton* importButton = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* clearButton = nullptr;
    FrozenColumnView* grid = nullptr;
    QWidget* recordBar = nullptr;
    QScrollBar* recordScroll = nullptr;
    QLabel* shownLabel = nullptr;
    QLabel* countLabel = nullptr;

    // The import command: file, worksheet, mapping, import; then record 1
    // on the slip. Cancelling anywhere, or a file that can't be read, leaves
    // the batch as it was.
    void ImportCommand();
    // Imports from a chosen source with a confirmed mapping (the end of the
    // import command). False when the import failed and was reported.
    bool Import(const ImportSource& source, const ImportRequest& request);
    // Brings the record bar in line with the batch after an import, a
    // deletion or a clearing, and puts record 1 on the slip when there is one.
    void ShowBatchRecord();
    // Puts record r (from 1) on the slip; a number outside the batch does
    // nothing.
    void ShowRecord(int record);
    // Deletes the selected records after asking.
    void DeleteSelectedRecords();
    // Removes every record (after asking when ask is set).
    void ClearRecords(bool ask);
    // Another format was opened: its boxes are not the batch's columns, so
    // the batch goes.
    void Unload();

signals:
    // Whether a batch is loaded (the panel's tab is worth showing).
    void loadedChanged(bool loaded);
    // Whether there are two records or more to print in one run.
    void printAllEnabledChanged(bool enabled);
    // Values are about to be put on the slip (an open editor should close).
    void aboutToFillSlip();
    // A text box was filled from a record: convert it as on leaving it.
    void textBoxFilled(slip::BoxId id);

private:
    void ScrollMoved(int value);
    // Sizes the grid's columns, measuring unless `measured` holds it.
    void SizeColumns(const GridTextWidths* measured = nullptr);
    void ShowFormatState();

    SlipFormat& format_;
    std::function<QString()> marker_;
    BatchDataSet batch_;
    bool loaded_ = false;
    bool syncing_ = false;
};

} // namespace slip
