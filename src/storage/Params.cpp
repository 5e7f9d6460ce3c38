#include "storage/Params.h"

#include "storage/Database.h"
#include "core/TextNumber.h"

#include <QStringList>

namespace slip {

namespace {

QString SingleText(double v)
{
    return QString::number(float(v), 'g', 7);
}

} // namespace

QString GetParam(const QString& name, QString* error)
{
    QVariant v = GetFieldWhere(QStringLiteral("参数"), QStringLiteral("Var=?"), {name}, QStringLiteral("Con"), error);
    return v.isNull() ? QString() : v.toString();
}

bool SetParam(const QString& name, const QString& value, QString* error)
{
    // The operator is shown the query the change starts from.
    const QString failed = StatementFailed(QStringLiteral("SELECT * FROM 参数 WHERE Var=?"), {name});
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    DbConnection conn;
    if (!conn.isOpen()) return fail(conn.failureText());
    if (!conn.begin()) return fail(failed);
    const QString sql = QStringLiteral("SELECT RowID FROM 参数 WHERE Var=? ORDER BY RowID LIMIT 1");
    Recordset rs = OpenRecordset(sql, {name}, &conn);
    if (!rs.ok) return fail(failed);
    bool ok;
    if (rs.isEmpty())
        ok = ExecuteSql(QStringLiteral("INSERT INTO 参数(Var, Con) VALUES(?, ?)"), {name, value}, &conn);
    else
        ok = ExecuteSql(QStringLiteral("UPDATE 参数 SET Con=? WHERE RowID=?"),
                        {value, rs.rows[0][0]}, &conn);
    if (!ok) return fail(failed);
    if (!conn.commit()) return fail(conn.failureText().isEmpty() ? failed : conn.failureText());
    if (error) error->clear();
    return true;
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

int StoredBarcodeStandard()
{
    return RoundHalfEven(Val(GetParam(QStringLiteral("StrBarCodeStand")))) == 0 ? 0 : 1;
}

} // namespace slip
