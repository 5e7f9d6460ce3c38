#include "template/FormatRecords.h"

#include "template/BoxRules.h"

#include "storage/Database.h"
#include "storage/Params.h"
#include "storage/TextNumber.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <optional>

namespace slip {

namespace {

QString BoolText(bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); }
int WholeNumber(const QString& t) { return int(RoundHalfEven(Val(t))); }

} // namespace

QString EncodeOptionList(const SlipOptions& o)
{
    QStringList items;
    items << BoolText(o.setPaper) << BoolText(o.printBackground);
    for (int v : o.o2) items << QString::number(v);
    items << BoolText(o.printRulers) << QString(o.currencyChar);
    return items.join(QLatin1Char('|')) + QLatin1Char('|');
}

void ApplyOptionList(const QString& mem, SlipOptions& o)
{
    o.currencyChar = kDefaultCurrencyChar;
    if (mem.isEmpty()) return;
    const QStringList items = mem.split(QLatin1Char('|'));
    if (items.size() < 8) return;
    o.setPaper = items[0].toLower() == QStringLiteral("true");
    o.printBackground = items[1].toLower() == QStringLiteral("true");
    for (int i = 0; i < 5; ++i) o.o2[i] = WholeNumber(items[i + 2]);
    o.printRulers = items[7].toLower() == QStringLiteral("true");
    if (items.size() > 8 && !items[8].isEmpty()) o.currencyChar = items[8].at(0);
}

double ScreenFontFactor(const QVariant& storedWidth, int screenWidth)
{
    if (storedWidth.isNull() || !storedWidth.isValid() || storedWidth.toString().isEmpty()) return 1.0;
    const double color = Val(storedWidth.toString());
    if (color == 0) return screenWidth != 15360 ? (screenWidth - 340) / 15020.0 : 1.0;
    if (color == screenWidth) return 1.0;
    // A stored width of 340 twips or less can't come from a real screen and
    // would divide by zero or turn the sizes negative.
    if (color <= 340) return 1.0;
    return (screenWidth - 340) / (color - 340);
}

QString EncodeStateSwitches(const std::array<int, 5>& o2)
{
    return QStringList{QString::number(o2[0]), QString::number(o2[1]), QString::number(o2[2])}
        .join(StateSeparator());
}

void ApplyStateSwitches(const QString& text, std::array<int, 5>& o2)
{
    if (text.isEmpty()) return;
    const QStringList items = text.split(StateSeparator());
    for (int i = 0; i < 3 && i < items.size(); ++i) o2[i] = WholeNumber(items[i]);
}

int ScreenWidthTwips()
{
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? int(s->size().width() * kTwipsPerPixel) : 15360;
}

bool LoadFormatHeader(const QString& name, FormatState& state, int screenWidth)
{
    Recordset rs = OpenRecordset(QStringLiteral("SELECT * FROM Fmt WHERE Fmt=? AND LBL=? ORDER BY ID LIMIT 1"),
                                 {name, HeaderLabel()});
    if (!rs.ok || rs.isEmpty()) return false;
    auto text = [&](const char* f) {
        const QVariant v = rs.value(0, QString::fromLatin1(f));
        return v.isNull() ? QString() : NumberText(v.toDouble());
    };
    state.width = text("W");
    state.height = text("H");
    state.offsetX = text("X");
    state.offsetY = text("Y");
    state.screenFontFactor = ScreenFontFactor(rs.value(0, QStringLiteral("Color")), screenWidth);
    ApplyOptionList(rs.text(0, QStringLiteral("Mem")), state.options);
    return true;
}

bool SaveFormatHeader(const QString& name, const FormatState& state, int screenWidth,
                      DbConnection* conn)
{
    std::optional<DbConnection> own;
    if (!conn) {
        own.emplace();
        conn = &*own;
        if (!conn->isOpen() || !conn->begin()) return false;
    }
    const QVariantList values = {Val(state.width), Val(state.height), Val(state.offsetX),
                                 Val(state.offsetY), screenWidth, EncodeOptionList(state.options)};
    Recordset rs = OpenRecordset(QStringLiteral("SELECT ID FROM Fmt WHERE Fmt=? AND LBL=? ORDER BY ID LIMIT 1"),
                                 {name, HeaderLabel()}, conn);
    bool ok = rs.ok;
    if (ok && rs.isEmpty()) {
        ok = InsertRow(QStringLiteral("INSERT INTO Fmt(Fmt, LBL, W, H, X, Y, Color, Mem) VALUES(?, ?, ?, ?, ?, ?, ?, ?)"),
                       QVariantList{name, HeaderLabel()} + values, conn) > 0;
    } else if (ok) {
        ok = ExecuteSql(QStringLiteral("UPDATE Fmt SET W=?, H=?, X=?, Y=?, Color=?, Mem=? WHERE ID=?"),
                        values + QVariantList{rs.rows[0][0]}, conn);
    }
    if (own) ok = ok && conn->commit();
    return ok;
}

QString LoadCurrentFormatState(std::array<int, 5>& o2)
{
    Recordset rs = OpenRecordset(QStringLiteral("SELECT LBL, fName FROM Fmt WHERE Fmt='' ORDER BY ID LIMIT 1"));
    if (!rs.ok || rs.isEmpty()) return QString();
    ApplyStateSwitches(rs.text(0, QStringLiteral("fName")), o2);
    return rs.text(0, QStringLiteral("LBL"));
}

bool SaveCurrentFormatState(const QString& name, const std::array<int, 5>& o2)
{
    DbConnection conn(true);
    if (!conn.isOpen() || !conn.begin()) return false;
    const QString switches = EncodeStateSwitches(o2);
    Recordset rs = OpenRecordset(QStringLiteral("SELECT ID FROM Fmt WHERE Fmt='' ORDER BY ID LIMIT 1"), {}, &conn);
    bool ok = rs.ok;
    if (ok && rs.isEmpty())
        ok = InsertRow(QStringLiteral("INSERT INTO Fmt(Fmt, LBL, fName) VALUES('', ?, ?)"), {name, switches}, &conn) > 0;
    else if (ok)
        ok = ExecuteSql(QStringLiteral("UPDATE Fmt SET LBL=?, fName=? WHERE ID=?"), {name, switches, rs.rows[0][0]}, &conn);
    return ok && conn.commit();
}

} // namespace slip
