#include "workspace/ValueEntry.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "entry/Conversion.h"
#include "entry/KeyFilter.h"
#include "ui/Prompt.h"
#include "workspace/SlipView.h"

namespace slip {

ValueEntry::ValueEntry(SlipFormat& format, SlipView& view, QObject* parent)
    : QObject(parent), format_(format), view_(view), editor_(view.Editor()),
      editorViewport_(editor_->viewport()), canvasViewport_(view.viewport())
{
    completionTimer_.setSingleShot(true);
    completionTimer_.setInterval(kCompletionDelayMs);
    connect(&completionTimer_, &QTimer::timeout, this, &ValueEntry::Complete);

    // Installed after the canvas's own filter, so it sees the editor's keys
    // first.
    editor_->installEventFilter(this);
    editor_->viewport()->installEventFilter(this);  // the editor's clicks land there
    view_.viewport()->installEventFilter(this);
    connect(editor_->document(), &QTextDocument::contentsChange, this, &ValueEntry::NoteInsertion);
    connect(editor_, &QPlainTextEdit::textChanged, this, &ValueEntry::CleanEditorText);

    // A click that opens a tick-mark box ticks it, as one into the open box does.
    connect(&view_, &SlipView::textBoxClicked, this, &ValueEntry::ToggleTickOf);
    connect(&view_, &SlipView::boxLeft, this, [this](BoxId id) {
        TellAmountsKeptAsTyped(id, LeaveBox(id));
        UpdateMarks();
    });
    connect(&format_, &SlipFormat::valueChanged, this, &ValueEntry::OnValueChanged);
    connect(&format_, &SlipFormat::selectionChanged, this, &ValueEntry::UpdateMarks);
    connect(&format_, &SlipFormat::boxChanged, this, &ValueEntry::UpdateMarks);
    connect(&format_, &SlipFormat::boxesChanged, this, &ValueEntry::UpdateMarks);
}

ValueEntry::~ValueEntry()
{
    if (earlier_) earlier_->deleteLater();
}

CalculationResult ValueEntry::LeaveBox(BoxId id)
{
    CalculationResult out = LeaveTextBox(format_, id, context_);
    // A box left holding a value takes the border of its code; an empty one
    // keeps the border it has.
    if (const Box* b = format_.Find(id); b && b->kind == BoxKind::Text && !format_.Value(id).isEmpty())
        view_.SetBoxBorder(id, b->dataType.ShowsCellBorder());
    return out;
}

void ValueEntry::TellAmountsKeptAsTyped(BoxId left, const CalculationResult& written)
{
    const std::vector<BoxId> kept = BoxesThatCannotShow(format_, left, written);
    if (kept.empty()) return;
    QStringList names;
    for (BoxId id : kept)
        if (const Box* b = format_.Find(id); b && !b->caption.isEmpty()) names << b->caption;
    QString text = QStringLiteral("金额超出了输入框所能显示的位数，已按输入原样保留，请检查！");
    if (!names.isEmpty()) text += QStringLiteral("\n") + names.join(QStringLiteral("、"));
    MsgBox(text);
}

DataType ValueEntry::EditingCode() const
{
    const Box* b = format_.Find(view_.EditingBox());
    return b && b->kind == BoxKind::Text ? b->dataType : DataType();
}

void ValueEntry::ArmCompletion()
{
    typingBox_ = view_.EditingBox();
    completionTimer_.start();
}

// True when the key is swallowed.
bool ValueEntry::FilterKey(QKeyEvent* k)
{
    const int key = k->key();
    // Moving on, leaving and shortcuts (copy, paste, undo) are not typing;
    // whatever a paste brings in is cleaned afterwards.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Escape) return false;
    if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const QString text = k->text();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    // Keys that write no character (arrows, Delete) are not typing either.
    if (!enter && (text.isEmpty() || (text.size() == 1 && !text[0].isPrint() && text[0].unicode() != 8)))
        return false;
    if (key != Qt::Key_Backspace) ArmCompletion();  // a swallowed key arms it too
    const DataType code = EditingCode();
    if (!IsNumericEntryCode(code)) return false;
    if (enter) return true;
    for (QChar c : text)
        if (!AcceptsTypedChar(code, c)) return true;
    return false;
}

void ValueEntry::NoteInsertion(int position, int /*removed*/, int added)
{
    if (cleaning_ || added <= 0) return;
    const BoxId id = view_.EditingBox();
    if (id == 0 || !IsNumericEntryCode(EditingCode())) return;
    // The box's own value put into the editor (a converted amount such as
    // "￥12.50") is shown as it is; only what comes in from the operator is
    // cleaned. The model takes the editor's text only after this change.
    if (WithCrLfLineBreaks(editor_->toPlainText()) == format_.Value(id)) return;
    insertedFrom_ = position;
    insertedTo_ = position + added;
}

void ValueEntry::CleanEditorText()
{
    // Pasted, dropped or input-method text in a box that takes figures only.
    if (cleaning_ || insertedTo_ < 0) return;
    const DataType code = EditingCode();
    const QString text = editor_->toPlainText();
    // The document counts the paragraph end as a character too.
    const int from = insertedFrom_, to = std::min<int>(insertedTo_, int(text.size()));
    insertedFrom_ = insertedTo_ = -1;
    if (view_.EditingBox() == 0 || !IsNumericEntryCode(code) || from >= to) return;
    const QString inserted = text.mid(from, to - from);
    if (FilterTypedText(code, inserted) == inserted) return;
    cleaning_ = true;
    QTextCursor c(editor_->document());
    c.beginEditBlock();
    for (qsizetype i = to - 1; i >= from; --i) {
        const QString kept = FilterTypedText(code, QString(text[i]));
        if (kept.size() == 1 && kept[0] == text[i]) continue;
        c.setPosition(int(i));
        c.setPosition(int(i + 1), QTextCursor::KeepAnchor);
        c.insertText(kept);
    }
    c.endEditBlock();
    cleaning_ = false;
}

void ValueEntry::Complete()
{
    const BoxId id = view_.EditingBox();
    // The operator has moved on: the proposal would land in a box no longer
    // typed in.
    if (id == 0 || id != typingBox_ || !proposal_) return;
    const QString typed = editor_->toPlainText();
    if (typed.isEmpty()) return;
    const QString value = proposal_(typed, id);
    if (value.isEmpty()) return;
    format_.SetValue(id, value);
    // Typing on replaces the proposed tail.
    QTextCursor c = editor_->textCursor();
    c.setPosition(int(typed.size()));
    c.setPosition(int(editor_->document()->characterCount() - 1), QTextCursor::KeepAnchor);
    editor_->setTextCursor(c);
    emit completed(id, value);
}

bool ValueEntry::ShowEarlierValues()
{
    const BoxId id = view_.EditingBox();
    const Box* b = format_.Find(id);
    if (!b) return false;
    if (!earlier_) {
        earlier_ = new QComboBox(view_.viewport());
        earlier_->setObjectName(QStringLiteral("earlierValues"));
        earlier_->setEditable(true);
        earlier_->setInsertPolicy(QComboBox::NoInsert);
        // It stands on the canvas but is an input like any other, not in the
        // grey the canvas shows around the slip.
        QPalette pal = earlier_->palette();
        for (const auto role : {QPalette::Base, QPalette::Window})
            pal.setColor(role, QApplication::palette().color(role));
        earlier_->setPalette(pal);
        earlier_->lineEdit()->installEventFilter(this);
        earlierEdit_ = earlier_->lineEdit();
        // Typing in the list gives the box the text at once; choosing an
        // earlier value gives it that value and closes the list.
        connect(earlier_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
            if (!format_.Find(earlierBox_)) return;
            format_.SetValue(earlierBox_, text);
            LeaveBox(earlierBox_);
        });
        connect(earlier_, &QComboBox::activated, this, [this](int index) {
            const BoxId id = earlierBox_;
            const QString value = earlier_->itemData(index).toString();
            HideEarlierValues();
            if (!format_.Find(id)) return;
            format_.SetValue(id, value);
            LeaveBox(id);
        });
    }
    earlierBox_ = id;
    const QStringList values = earlierValues_ ? earlierValues_(id) : QStringList();
    QSignalBlocker quiet(earlier_);
    earlier_->clear();
    for (const QString& v : values) {
        QString caption = v;
        caption.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        earlier_->addItem(caption, v);
    }
    // Over the box, a little wider than it.
    const double twipPx = view_.viewport()->logicalDpiX() / 1440.0;
    const QRect r = view_.Transform().ToPx(b->rect).toAlignedRect();
    earlier_->setGeometry(r.left(), r.top(), r.width() + int(std::lround(kEarlierExtraTwips * twipPx)),
                          std::max(r.height(), earlier_->sizeHint().height()));
    earlier_->setCurrentIndex(-1);
    earlier_->setEditText(format_.Value(id));
    earlier_->show();
    earlier_->raise();
    earlier_->setFocus();
    return true;
}

void ValueEntry::HideEarlierValues()
{
    if (earlier_) earlier_->hide();
    earlierBox_ = 0;
}

void ValueEntry::ToggleTickOf(BoxId id)
{
    const Box* b = format_.Find(id);
    if (!b || b->kind != BoxKind::Text || !IsTickCode(b->dataType)) return;
    format_.SetValue(id, ToggleTick(format_.Value(id)));
}

void ValueEntry::UpdateMarks()
{
    QHash<BoxId, RelationMark> marks = RelationMarks(format_, view_.EditingBox());
    if (marks == marks_) return;
    marks_ = std::move(marks);
    emit marksChanged();
}

void ValueEntry::OnValueChanged(BoxId id)
{
    // Ticking a check box of a ring unticks the others, however it was
    // ticked.
    if (inRing_) return;
    const Box* b = format_.Find(id);
    if (!b || b->kind != BoxKind::Check || !IsTicked(format_.Value(id))) return;
    inRing_ = true;
    SetCheckBoxRCtl(format_, id);
    inRing_ = false;
}

bool ValueEntry::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editor_) {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (FilterKey(static_cast<QKeyEvent*>(event))) return true;
            break;
        case QEvent::InputMethod: {
            auto* im = static_cast<QInputMethodEvent*>(event);
            if (!im->commitString().isEmpty()) {
                const QString kept = FilterTypedText(EditingCode(), im->commitString());
                if (kept != im->commitString())
                    im->setCommitString(kept, im->replacementStart(), im->replacementLength());
                ArmCompletion();
            }
            break;
        }
        case QEvent::Show:
        case QEvent::FocusIn: UpdateMarks(); break;
        default: break;
        }
    } else if (watched == editorViewport_) {
        const bool press = event->type() == QEvent::MouseButtonPress;
        const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
        // A click on a box closes the list of earlier values.
        if (press) HideEarlierValues();
        if ((press || doubleClick) && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            if (press) ToggleTickOf(view_.EditingBox());
            else if (ShowEarlierValues()) return true;
        }
    } else if (watched == earlierEdit_ && event->type() == QEvent::FocusOut) {
        // The list closes when the operator goes elsewhere (its own drop-down
        // takes the focus only for a moment); once the focus has settled, as
        // the list may be on its way out itself.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            QMetaObject::invokeMethod(
                this, [this] { if (earlier_ && !earlier_->hasFocus() && !earlier_->lineEdit()->hasFocus()) HideEarlierValues(); },
                Qt::QueuedConnection);
    } else if (watched == canvasViewport_ && event->type() == QEvent::MouseButtonPress) {
        HideEarlierValues();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace slip
