#include "ui/WindowPos.h"

#include "core/TextNumber.h"
#include "storage/Params.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace slip {

namespace {

QSize ScreenTwips(QWidget* w)
{
    QScreen* s = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!s) return {};
    const QSize px = s->size();
    return QSize(int(px.width() * kTwipsPerPixel), int(px.height() * kTwipsPerPixel));
}

QRect WindowTwips(QWidget* w)
{
    return QRect(int(w->x() * kTwipsPerPixel), int(w->y() * kTwipsPerPixel),
                 int(w->width() * kTwipsPerPixel), int(w->height() * kTwipsPerPixel));
}

} // namespace

bool SaveWindowPos(QWidget* window, const QString& name)
{
    if (!window) return false;
    return SetParam(WindowParamName(name),
                    WindowGeometryParam(WindowTwips(window), ScreenTwips(window).width()));
}

void RestoreWindowPos(QWidget* window, const QString& name)
{
    if (!window) return;
    const QRect cur = WindowTwips(window);
    const QRect r = ApplyWindowGeometry(GetParam(WindowParamName(name)), cur, ScreenTwips(window));
    if (r == cur) return;
    auto px = [](int twips) { return int(RoundHalfEven(twips / kTwipsPerPixel)); };
    if (r.topLeft() != cur.topLeft()) window->move(px(r.x()), px(r.y()));
    if (r.size() != cur.size()) window->resize(px(r.width()), px(r.height()));
}

} // namespace slip
