#pragma once
#include "model/Box.h"

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace slip {

// Keeps a window above all others of the desktop.
void SetTopmost(QWidget* window);

// --- Dialogs over the program's windows ----------------------------------

// The window a dialog opens over: the active window while it is shown, else
// the program's shown main window, else none. A window that has just closed
// may still be the active one until the window system moves the focus, and
// one closed for good deletes its children with it.
QWidget* DialogParent();

// A dialog run on its own event loop, held so that nothing frees it twice: a
// parent deleted while the dialog runs takes the dialog with it, and this
// then holds nothing (get() is null) instead of deleting it again.
template <class D>
class ScopedDialog {
public:
    template <class... Args>
    explicit ScopedDialog(Args&&... args) : dialog_(new D(std::forward<Args>(args)...))
    {
    }
    ~ScopedDialog() { delete dialog_.data(); }
    ScopedDialog(const ScopedDialog&) = delete;
    ScopedDialog& operator=(const ScopedDialog&) = delete;
    D* get() const { return dialog_.data(); }
    D* operator->() const { return dialog_.data(); }

private:
    QPointer<D> dialog_;
};

// --- Placing windows -----------------------------------------------------

// Height in twips of the strip below the work area (the task bar), from a
// screen's full and available geometry in logical pixels. Only a strip at the
// bottom is counted; a bar at the top or a side is not.
int TaskbarHeightTwips(const QRect& screen, const QRect& workArea);

// Top-left corner that centres a window of `window` size on `screen`, with the
// task bar strip taken off the height.
QPoint CenteredPosition(const QRect& screen, const QRect& workArea, const QSize& window);
// Moves the window (its frame) there on its own screen.
void CenterForm(QWidget* window);

// The width in twips of the window's screen (without a window the primary
// screen's), the width a format's header keeps for its font sizes;
// units::kDefaultScreenWidthTwips when there is no screen.
int ScreenWidthTwips(const QWidget* window = nullptr);

// True when a shown top-level window of the program has exactly this caption.
// A window hidden or closed by the operator no longer counts.
bool IsFormOpen(const QString& caption);

// Runs the event loop until no window with this caption is open; returns at
// once when none is. Callers show a chooser without blocking and wait here.
// The wait ends too when the program is quitting.
void WaitFormClosed(const QString& caption);

// --- Fonts of boxes and labels ------------------------------------------

// The state of the font dialog: font and fore colour (&HBBGGRR).
struct FontChoice {
    BoxFont font;
    qint32 color = 0;
};

// Shows the font dialog over a preset; no value when the operator cancels.
using FontDialogHandler = std::function<std::optional<FontChoice>(const FontChoice& preset)>;
// Replaces the Qt font dialog (tests answer it from a script); an empty
// handler restores the Qt dialog.
void SetFontDialogHandler(FontDialogHandler handler);

// Shows the font dialog over `choice`: false when the operator cancels, else
// `choice` holds the font and colour picked.
bool ChooseFont(FontChoice& choice);

} // namespace slip
