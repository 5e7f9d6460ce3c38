#include "storage/Params.h"

#include "storage/Database.h"
#include "storage/TextNumber.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QWidget>

namespace slip {

namespace {

const QString kWindowKey = QStringLiteral("窗口参数：");

QString SingleText(double v)
{
    return QString::number(float(v), 'g', 7);
}

QSize ScreenTwips(QWidget* w)
{
    QScreen* s = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!s) return {};
    const QSize px = s->size();
    return QSize(int(px.width() * kTwipsPerPixel), int(px.height() * kTwipsPerPixel));
}

QRect WindowTwips(QWidget* w)
{
    const QRect g = w->frameGeometry();
    return QRect(int(g.x() * kTwipsPerPixel), int(g.y() * kTwipsPerPixel),
                 int(g.width() * kTwipsPerPixel), int(g.height() * kTwipsPerPixel));
}

} // namespace

QString GetParam(const QString& name)
{
    QVariant v = GetFieldWhere(QStringLiteral("参数"), QStringLiteral("Var=?"), {name},
                               QStringLiteral("Con"));
    return v.isNull() ? QString() : v.toString();
}

bool SetParam(const QString& name, const QString& value)
{
    DbConnection conn;
    if (!conn.isOpen() || !conn.begin()) return false;
    const QString sql = QStringLiteral("SELECT RowID FROM 参数 WHERE Var=? ORDER BY RowID LIMIT 1");
    Recordset rs = OpenRecordset(sql, {name}, &conn);
    if (!rs.ok) return false;
    bool ok;
    if (rs.isEmpty())
        ok = ExecuteSql(QStringLiteral("INSERT INTO 参数(Var, Con) VALUES(?, ?)"), {name, value}, &conn);
    else
        ok = ExecuteSql(QStringLiteral("UPDATE 参数 SET Con=? WHERE RowID=?"),
                        {value, rs.rows[0][0]}, &conn);
    return ok && conn.commit();
}

QString WindowGeometryParam(const QRect& w, int screenWidthTwips)
{
    if (w.width() >= screenWidthTwips) return QStringLiteral("0;0;0;0");
    return QStringList{SingleText(w.x()), SingleText(w.y()), SingleText(w.width()),
                       SingleText(w.height())}
        .join(QLatin1Char(';'));
}

QRect ApplyWindowGeometry(const QString& value, const QRect& current, const QSize& screen)
{
    if (value.isEmpty()) return current;
    const QStringList parts = value.split(QLatin1Char(';'));
    if (parts.size() < 4) return current;
    const qint64 l = RoundHalfEven(Val(parts[0]));
    const qint64 t = RoundHalfEven(Val(parts[1]));
    const qint64 w = RoundHalfEven(Val(parts[2]));
    const qint64 h = RoundHalfEven(Val(parts[3]));
    QRect r = current;
    if (l < screen.width() && t < screen.height() && l + w > 0 && t + h > 0)
        r.moveTo(int(l), int(t));
    if (w > 0 && h > 0) r.setSize(QSize(int(w), int(h)));
    return r;
}

void SaveWindowPos(QWidget* window, const QString& name)
{
    if (!window) return;
    const QString key = kWindowKey + name;
    const QString value = WindowGeometryParam(WindowTwips(window), ScreenTwips(window).width());
    DbConnection conn(true);
    if (!conn.isOpen() || !conn.begin()) return;
    ExecuteSql(QStringLiteral("DELETE FROM 参数 WHERE Var=?"), {key}, &conn);
    ExecuteSql(QStringLiteral("INSERT INTO 参数(Var, Con) VALUES(?, ?)"), {key, value}, &conn);
    conn.commit();
}

void RestoreWindowPos(QWidget* window, const QString& name)
{
    if (!window) return;
    const QRect cur = WindowTwips(window);
    const QRect r = ApplyWindowGeometry(GetParam(kWindowKey + name), cur, ScreenTwips(window));
    if (r == cur) return;
    auto px = [](int twips) { return int(RoundHalfEven(twips / kTwipsPerPixel)); };
    if (r.topLeft() != cur.topLeft()) window->move(px(r.x()), px(r.y()));
    if (r.size() != cur.size()) {
        // The stored size is the outer frame; the widget is sized without it.
        const QSize frameExtra = window->frameGeometry().size() - window->geometry().size();
        window->resize(px(r.width()) - frameExtra.width(), px(r.height()) - frameExtra.height());
    }
}

} // namespace slip
