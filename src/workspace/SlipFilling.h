#pragma once
#include "model/SlipFormat.h"
#include "storage/HistoryStore.h"

#include <QObject>
#include <functional>
#include <optional>

namespace slip {

class SlipView;
class ValueEntry;

// Filling slips in on the canvas, tied to the history of printed slips:
// typing (through the value entry), completion and linked boxes from the
// history, today's date and the next serial numbers in a new slip, and
// storing a finished slip.
class SlipFilling : public QObject {
    Q_OBJECT
public:
    // marker: the text that stands for a line break in values stored by
    // older versions (found and read as line breaks).
    SlipFilling(SlipFormat& format, SlipView& view, std::function<QString()> marker, QObject* parent = nullptr);
    ~SlipFilling() override;

    ValueEntry& Entry() { return *entry_; }

    // The slip's values as the history keeps them: every non-empty text,
    // check and picture box, as the boxes hold them (line breaks as CR LF).
    HistorySlip SlipForHistory() const;
    // Stores the slip as a new history slip: its number, 0 when the slip is
    // empty and nothing was stored (no number is used up), or the text to
    // tell the operator when storing failed.
    HistorySaveResult StoreSlip();
    // Clears the boxes for the next slip (only the marked ones when some are
    // marked; fixed texts stay), gives the dates today's date and moves the
    // serial numbers on.
    void StartNextSlip();
    // "添加下一张单据": store, then start the next slip. The new slip's
    // number, 0 for an empty slip that stored nothing; no value when storing
    // failed (the operator has been told why).
    std::optional<qint64> AddNextSlip();
    // Gives the date boxes today's date.
    void FillDates();

signals:
    // A slip entered the history.
    void slipStored(const QString& format, qint64 slipNumber);

private:
    SlipFormat& format_;
    SlipView& view_;
    std::function<QString()> marker_;
    ValueEntry* entry_;
};

} // namespace slip
