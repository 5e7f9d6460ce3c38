#pragma once
#include "model/SlipFormat.h"

#include <QObject>
#include <Qt>
#include <functional>

class QPlainTextEdit;
class QWidget;

namespace slip {

// The one editor that stands over the text box being typed into on the
// canvas. Every keystroke goes into the model at once; leaving the box (a
// click elsewhere, Esc, Tab, the focus going for good) is told once per
// opening. Tab goes on to the next text box; the arrow keys are told to the
// canvas (they move the marked boxes) and move the caret too.
class InlineEditor : public QObject {
    Q_OBJECT
public:
    // place: puts the editor over its box and gives it the box's font.
    InlineEditor(SlipFormat& format, QWidget* viewport, std::function<void(QPlainTextEdit&, const Box&)> place);

    QPlainTextEdit* Widget() const { return editor_; }
    BoxId Box() const { return editing_; }
    // Opens the editor on a text box (0, or any other box, closes it).
    void Open(BoxId id);
    void Leave();
    void Place();

signals:
    void boxLeft(slip::BoxId id);
    // Esc: the canvas takes the focus back.
    void escaped();
    // An arrow key, before it moves the caret.
    void arrowKey(int key, Qt::KeyboardModifiers mods);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SlipFormat& format_;
    std::function<void(QPlainTextEdit&, const slip::Box&)> place_;
    QPlainTextEdit* editor_;
    BoxId editing_ = 0;
    // Counts the openings, so that a late focus loss can tell whether it
    // still belongs to the box being typed into.
    quint64 session_ = 0;
    bool syncing_ = false;
};

} // namespace slip
