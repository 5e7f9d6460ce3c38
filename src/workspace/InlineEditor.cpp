#include "workspace/InlineEditor.h"

#include "entry/Relations.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>

namespace slip {

namespace {

// The editor keeps a line break as one LF; the box holds it as CR LF.
QString EditorText(const QString& value)
{
    QString text = value;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

} // namespace

InlineEditor::InlineEditor(SlipFormat& format, QWidget* viewport,
                           std::function<void(QPlainTextEdit&, const slip::Box&)> place)
    : QObject(viewport), format_(format), place_(std::move(place)),
      editor_(new QPlainTextEdit(viewport))
{
    editor_->setObjectName(QStringLiteral("boxEditor"));
    editor_->setFrameShape(QFrame::NoFrame);
    editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor_->document()->setDocumentMargin(0);
    editor_->hide();
    editor_->installEventFilter(this);
    connect(editor_, &QPlainTextEdit::textChanged, this, [this] {
        if (!syncing_ && editing_ != 0) format_.SetValue(editing_, editor_->toPlainText());
    });
    connect(&format_, &SlipFormat::valueChanged, this, [this](BoxId id) {
        if (id != editing_ || WithCrLfLineBreaks(editor_->toPlainText()) == format_.Value(id)) return;
        syncing_ = true;
        editor_->setPlainText(EditorText(format_.Value(id)));
        syncing_ = false;
    });
    connect(&format_, &SlipFormat::boxesChanged, this, [this] {
        if (editing_ != 0 && !format_.Find(editing_)) Open(0);
        Place();
    });
    connect(&format_, &SlipFormat::boxChanged, this, [this](BoxId id) {
        if (id == editing_) Place();
    });
}

void InlineEditor::Open(BoxId id)
{
    if (id == editing_) return;
    if (editing_ != 0) Leave();
    const slip::Box* b = id ? format_.Find(id) : nullptr;
    if (!b || b->kind != BoxKind::Text) {
        editor_->hide();
        return;
    }
    editing_ = id;
    ++session_;
    syncing_ = true;
    editor_->setPlainText(EditorText(format_.Value(id)));
    syncing_ = false;
    Place();
    editor_->show();
    editor_->setFocus();
    editor_->moveCursor(QTextCursor::End);
}

void InlineEditor::Leave()
{
    // The box is given up first, so that whatever the leaving work sets off
    // (a message, a popup menu taking the focus) can't leave it a second time.
    const BoxId left = editing_;
    editing_ = 0;
    editor_->hide();
    if (left != 0 && format_.Find(left)) emit boxLeft(left);
}

void InlineEditor::Place()
{
    if (editing_ == 0) return;
    if (const slip::Box* b = format_.Find(editing_)) place_(*editor_, *b);
}

bool InlineEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != editor_) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A popup menu or another window taking the focus for a moment does
        // not leave the box. The leaving runs once the focus has settled,
        // and only for the same opening: a box opened meanwhile (or this one
        // opened anew) is not left by it.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && editing_ != 0) {
            const quint64 session = session_;
            QMetaObject::invokeMethod(
                this,
                [this, session] {
                    if (editing_ != 0 && session == session_ && !editor_->hasFocus()) Leave();
                },
                Qt::QueuedConnection);
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        switch (k->key()) {
        case Qt::Key_Escape:
            Leave();
            emit escaped();
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: Open(NextTextBoxInTabOrder(format_, editing_, k->key() == Qt::Key_Backtab)); return true;
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            emit arrowKey(k->key(), k->modifiers());
            break;
        default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace slip
