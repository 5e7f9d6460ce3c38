#include "ui/WindowHelpers.h"

#include "core/Units.h"
#include "storage/Params.h"

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

namespace slip {

void SetTopmost(QWidget* window)
{
    if (!window) return;
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (visible) window->show();
}

QWidget* DialogParent()
{
    QWidget* active = QApplication::activeWindow();
    if (active && active->isVisible()) return active;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w->isVisible() && qobject_cast<QMainWindow*>(w)) return w;
    return nullptr;
}

int TaskbarHeightTwips(const QRect& screen, const QRect& workArea)
{
    const int strip = (screen.y() + screen.height()) - (workArea.y() + workArea.height());
    return int(qMax(0, strip) * units::kTwipsPerPixel);
}

QPoint CenteredPosition(const QRect& screen, const QRect& workArea, const QSize& window)
{
    const int taskbarPx = int(TaskbarHeightTwips(screen, workArea) / units::kTwipsPerPixel);
    const int left = (screen.width() - window.width()) / 2;
    const int top = (screen.height() - window.height() - taskbarPx) / 2;
    return screen.topLeft() + QPoint(left, top);
}

void CenterForm(QWidget* window)
{
    if (!window) return;
    QScreen* s = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    window->move(CenteredPosition(s->geometry(), s->availableGeometry(),
                                  window->frameGeometry().size()));
}

int ScreenWidthTwips(const QWidget* window)
{
    QScreen* s = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return s ? int(s->size().width() * units::kTwipsPerPixel) : units::kDefaultScreenWidthTwips;
}

bool IsFormOpen(const QString& caption)
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w->isVisible() && w->windowTitle() == caption) return true;
    return false;
}

namespace {

// Ends a wait when a watched window is hidden, closed or renamed.
class CloseWatcher : public QObject {
public:
    explicit CloseWatcher(QEventLoop* loop) : loop_(loop) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Hide:
        case QEvent::Close:
        case QEvent::WindowTitleChange: loop_->exit(kWindowChanged); break;
        default: break;
        }
        return QObject::eventFilter(watched, event);
    }

public:
    static constexpr int kWindowChanged = 1;

private:
    QEventLoop* loop_;
};

} // namespace

void WaitFormClosed(const QString& caption)
{
    while (IsFormOpen(caption)) {
        QEventLoop loop;
        CloseWatcher watcher(&loop);
        QList<QPointer<QWidget>> watched;
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget* w : windows) {
            if (!w->isVisible() || w->windowTitle() != caption) continue;
            w->installEventFilter(&watcher);
            QObject::connect(w, &QObject::destroyed, &loop,
                             [&loop] { loop.exit(CloseWatcher::kWindowChanged); });
            watched << w;
        }
        const int why = loop.exec();
        for (const auto& w : watched)
            if (w) w->removeEventFilter(&watcher);
        // Any other end means the program is quitting: nobody is left to answer.
        if (why != CloseWatcher::kWindowChanged) return;
    }
}

// --- Fonts ---------------------------------------------------------------

namespace {

FontDialogHandler& Handler()
{
    static FontDialogHandler handler;
    return handler;
}

QColor Bgr(qint32 bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

qint32 ToBgr(const QColor& c)
{
    return qint32(c.red()) | (qint32(c.green()) << 8) | (qint32(c.blue()) << 16);
}

QFont ToFont(const BoxFont& c)
{
    QFont f;
    f.setFamily(c.family);
    f.setPointSizeF(c.pointSize > 0 ? c.pointSize : 0.1);
    f.setBold(c.bold);
    f.setItalic(c.italic);
    f.setUnderline(c.underline);
    f.setStrikeOut(c.strikeOut);
    return f;
}

// Font and colour on one page, as the operator knows it: Qt's font page with
// a colour button beneath.
std::optional<FontChoice> ShowQtFontDialog(const FontChoice& preset)
{
    ScopedDialog<QDialog> held(DialogParent());
    QDialog& dialog = *held.get();
    dialog.setWindowTitle(QStringLiteral("字体"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* fonts = new QFontDialog(&dialog);
    fonts->setWindowFlags(Qt::Widget);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts->setCurrentFont(ToFont(preset.font));
    // A family this machine lacks shows as a stand-in; it stays the box's
    // family unless the operator picks another, so the format keeps its font
    // for a machine that has it.
    const QString shownFamily = fonts->currentFont().family();
    layout->addWidget(fonts);
    QColor colour = Bgr(preset.color);
    auto* colourButton = new QPushButton(QStringLiteral("颜色..."), &dialog);
    auto showColour = [colourButton, &colour] {
        colourButton->setStyleSheet(QStringLiteral("QPushButton { color: %1; }").arg(colour.name()));
    };
    showColour();
    QObject::connect(colourButton, &QPushButton::clicked, &dialog, [&dialog, &colour, showColour] {
        const QColor c = QColorDialog::getColor(colour, &dialog, QStringLiteral("颜色"));
        if (c.isValid()) {
            colour = c;
            showColour();
        }
    });
    layout->addWidget(colourButton);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted || !held.get()) return std::nullopt;
    const QFont f = fonts->currentFont();
    FontChoice out;
    out.font.family = f.family() == shownFamily && !preset.font.family.isEmpty() ? preset.font.family : f.family();
    out.font.pointSize = f.pointSizeF() > 0 ? f.pointSizeF() : 0;
    out.font.bold = f.bold();
    out.font.italic = f.italic();
    out.font.underline = f.underline();
    out.font.strikeOut = f.strikeOut();
    out.color = ToBgr(colour);
    return out;
}

} // namespace

void SetFontDialogHandler(FontDialogHandler handler) { Handler() = std::move(handler); }

bool ChooseFont(FontChoice& choice)
{
    const std::optional<FontChoice> chosen = Handler() ? Handler()(choice) : ShowQtFontDialog(choice);
    if (!chosen) return false;
    choice = *chosen;
    return true;
}

} // namespace slip
