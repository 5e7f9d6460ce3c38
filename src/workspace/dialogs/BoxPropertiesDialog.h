#pragma once
#include "model/SlipFormat.h"
#include "workspace/dialogs/FieldChecks.h"

#include <QColor>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QSet>
#include <functional>
#include <optional>

class QBoxLayout;
class QPushButton;

namespace slip {

class BoxTracker;

// --- Colour and font choices ------------------------------------------------

// Shows the colour dialog over a preset; no value when the operator cancels.
using ColorDialogHandler = std::function<std::optional<QColor>(const QColor& preset)>;
// Replaces the Qt colour dialog (tests answer it from a script); an empty
// handler restores it.
void SetColorDialogHandler(ColorDialogHandler handler);
std::optional<QColor> ChooseColor(QWidget* parent, const QColor& preset);

// A box's font with its text colour.
struct BoxLook {
    BoxFont font;
    QColor color = Qt::black;
    bool operator==(const BoxLook&) const = default;
};
BoxLook LookOf(const Box& b);
// The operator picks font and colour in the font dialog. No value when the
// dialog is cancelled, or when the size chosen is no usable size: the
// operator is told and the preset stays.
std::optional<BoxLook> ChooseBoxLook(const BoxLook& preset);

// --- Samples ----------------------------------------------------------------

// Shows a font, colour and alignment on the fixed text "Quillmere".
class FontSample : public QLineEdit {
    Q_OBJECT
public:
    explicit FontSample(QWidget* parent = nullptr);
    void ShowLook(const BoxLook& look, TextAlign align);
};

// A sample box ("示例") with its caption on one side, as the canvas places it.
class CaptionSample : public QWidget {
    Q_OBJECT
public:
    explicit CaptionSample(QWidget* parent = nullptr);
    void SetCaption(const QString& caption);
    void SetSide(CaptionSide side);
    // Where the sample box and its caption stand (widget pixels).
    QRect SampleBoxRect() const;
    QRect CaptionRect() const;
    QSize sizeHint() const override { return {180, 110}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString caption_ = QStringLiteral("标签");
    CaptionSide side_ = CaptionSide::Left;
};

// --- The property dialogs ---------------------------------------------------

// What every box property dialog shares. The dialog is shown without blocking
// and edits one box of the open format, known by its ID and kind (a save that
// renames the box is followed). Each edit marks its field; OK checks the
// typed values and writes only the marked fields, into the edited box and
// into every box of the same kind that carries the selection mark at that
// moment. Cancel and the close box write nothing. The dialog changes the
// format model only: the change is stored when the format is saved.
class BoxPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    BoxPropertiesDialog(SlipFormat& format, BoxKind kind, const QString& caption, QWidget* parent = nullptr);
    ~BoxPropertiesDialog() override;

    SlipFormat& Format() const { return format_; }
    // The box being edited now, 0 when none or when it is gone.
    BoxId EditedBox() const;
    // True once the edited box was deleted, or the format reloaded or switched.
    bool BoxGone() const;

    // Points the dialog at a box of its kind and loads it; marks not yet
    // written are dropped. The box already shown is not loaded again. False
    // when there is no such box of this kind.
    bool Target(BoxId id);

    // Whether anything was edited since the box was loaded.
    bool HasChanges() const { return !marks_.isEmpty(); }
    bool IsMarked(int field) const { return marks_.contains(field); }

    // The OK step. False when nothing was written because a typed value was
    // refused (the dialog stays open) or the box is gone (the operator is
    // told and the dialog closes). Pressing OK without an edit writes nothing.
    bool ApplyChanges();

    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

signals:
    // The dialog closed, by any way, while editing this box (0 when it was gone).
    void closedOn(slip::BoxId id);

protected:
    // Fills the fields from the box (marks are cleared afterwards).
    virtual void LoadBox(const Box& box) = 0;
    // Checks the typed values of the marked fields; on a refusal tells the
    // operator (CheckNumberField does) and answers false.
    virtual bool CheckFields() = 0;
    // Writes the marked fields into one box.
    virtual void WriteMarked(Box& box) = 0;
    // After all boxes were written.
    virtual void AfterWrite(const QList<BoxId>&) {}
    // The format's boxes changed while the dialog is open (box lists).
    virtual void BoxesRenamed(const QHash<BoxId, BoxId>&) {}
    virtual void BoxesRearranged() {}

    void Mark(int field);
    // A new field, named for the tests, that marks `field` on every edit the
    // operator makes in it.
    QLineEdit* FieldEdit(const char* name, int field, const QString& tip = QString());
    // The most a field for a number needs to be wide.
    static constexpr int kNumberFieldWidth = 90;
    // When the field is marked: the number typed into it, checked and kept
    // in Number(field); on a refusal the operator is told, the field is
    // focused and false is answered. An unmarked field passes.
    bool CheckNumberField(int field, QLineEdit* edit, const NumberRule& rule);
    double Number(int field) const { return numbers_.value(field); }
    // The OK and Cancel buttons, added to the end of the layout.
    void AddButtons(QBoxLayout* layout);

    void done(int result) override;

private:
    QHash<int, double> numbers_;
    SlipFormat& format_;
    BoxKind kind_;
    QPointer<BoxTracker> tracker_;
    QSet<int> marks_;
    bool loading_ = false;
    bool closing_ = false;
};

} // namespace slip
