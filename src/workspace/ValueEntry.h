#pragma once
#include <QDate>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "entry/AutoCalculate.h"
#include "entry/Relations.h"
#include "model/SlipFormat.h"

class QComboBox;
class QKeyEvent;

class QPlainTextEdit;

namespace slip {

class SlipView;

// What happens while the operator fills in a slip on the canvas, around the
// canvas's own editor: the characters a box takes by its data-type code,
// completion from the history while typing, the list of a box's earlier
// values, the tick of tick-mark boxes, the colours of the boxes related to the
// box being edited, the single tick within a ring of check boxes, and the
// work done on leaving a box (conversion, totals, chain copies, related
// boxes). It holds no values of its own: everything goes through the model.
class ValueEntry : public QObject {
    Q_OBJECT
public:
    // The history's proposal for what is typed in a box (record ID): its
    // only earlier value beginning with the typed text, "" for none.
    using ProposalSource = std::function<QString(const QString& typed, BoxId id)>;
    // Every distinct earlier value of a box, ascending.
    using EarlierValuesSource = std::function<QStringList(BoxId id)>;

    // How long after a key the completion looks at the box.
    static constexpr int kCompletionDelayMs = 50;

    ValueEntry(SlipFormat& format, SlipView& view, QObject* parent = nullptr);
    ~ValueEntry() override;

    void SetProposalSource(ProposalSource source) { proposal_ = std::move(source); }
    void SetEarlierValuesSource(EarlierValuesSource source) { earlierValues_ = std::move(source); }
    void SetLinkedSlipLookup(LinkedSlipLookup lookup) { context_.linkedSlip = std::move(lookup); }

    // The work done when the operator leaves a text box; the property dialog
    // and batch navigation call it for a box they have filled.
    CalculationResult LeaveBox(BoxId id);

    // The boxes related to the box being edited, by how they relate (empty
    // while no box is edited); the canvas paints them in RelationMarkColor.
    const QHash<BoxId, RelationMark>& Marks() const { return marks_; }

signals:
    void marksChanged();
    // A box's value was given from the history while typing.
    void completed(slip::BoxId id, const QString& value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Tells the operator once of the amounts a leave kept as typed.
    void TellAmountsKeptAsTyped(BoxId left, const CalculationResult& written);
    DataType EditingCode() const;
    bool FilterKey(QKeyEvent* k);
    void NoteInsertion(int position, int removed, int added);
    void CleanEditorText();
    void ArmCompletion();
    void Complete();
    // The box's earlier values in an editable list over the box, shown
    // even when it has none; false when no box is being typed in.
    bool ShowEarlierValues();
    void HideEarlierValues();
    void ToggleTickOf(BoxId id);
    void UpdateMarks();
    void OnValueChanged(BoxId id);

    SlipFormat& format_;
    SlipView& view_;
    QPlainTextEdit* editor_;
    // Compared against in the event filter, never called: the filter also sees
    // events sent while these widgets are being destroyed.
    const QObject* editorViewport_;
    const QObject* canvasViewport_;
    ProposalSource proposal_;
    EarlierValuesSource earlierValues_;
    EntryContext context_;
    QTimer completionTimer_;
    BoxId typingBox_ = 0;
    QHash<BoxId, RelationMark> marks_;
    QPointer<QComboBox> earlier_;
    const QObject* earlierEdit_ = nullptr;  // the list's text field, compared against only
    BoxId earlierBox_ = 0;  // the box the list serves
    // The list is this much wider than its box.
    static constexpr double kEarlierExtraTwips = 300;
    bool cleaning_ = false;
    int insertedFrom_ = -1, insertedTo_ = -1;  // what the operator last put into the editor
    bool inRing_ = false;
};

} // namespace slip
