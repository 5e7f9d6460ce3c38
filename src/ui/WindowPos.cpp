#include "ui/WindowPos.h"

#include "core/TextNumber.h"
#include "core/Units.h"
#include "storage/Params.h"
#include "ui/Prompt.h"

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
    return QSize(int(px.width() * units::kTwipsPerPixel), int(px.height() * units::kTwipsPerPixel));
}

QRect WindowTwips(QWidget* w)
{
    return QRect(int(w->x() * units::kTwipsPerPixel), int(w->y() * units::kTwipsPerPixel),
                 int(w->width() * units::kTwipsPerPixel), int(w->height() * units::kTwipsPerPixel));
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
    const QRect r = ApplyWindowGeometry(ParamOrTell(WindowParamName(name)), cur, ScreenTwips(window));
    if (r == cur) return;
    auto px = [](int twips) { return int(RoundHalfEven(twips / units::kTwipsPerPixel)); };
    if (r.topLeft() != cur.topLeft()) window->move(px(r.x()), px(r.y()));
    if (r.size() != cur.size()) window->resize(px(r.width()), px(r.height()));
}

QString ParamOrTell(const QString& name)
{
    QString error;
    const QString value = GetParam(name, &error);
    if (!error.isEmpty()) MsgBox(error);
    return value;
}

bool SetParamOrTell(const QString& name, const QString& value)
{
    QString error;
    if (SetParam(name, value, &error)) return true;
    MsgBox(error);
    return false;
}

} // namespace slip
