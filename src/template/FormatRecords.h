#pragma once
#include "storage/CommonHelpers.h"

#include <QString>
#include <QVariant>
#include <array>

namespace slip {

class DbConnection;

// The LBL that marks a format's slip header record.
inline QString HeaderLabel() { return QStringLiteral("【§单据整体格式参数§】"); }
// The separator of the option switches in the current-format state record.
inline QString StateSeparator() { return QStringLiteral("§☆§"); }

// The switches and toggles a format keeps with it.
struct SlipOptions {
    bool setPaper = false;             // install the slip size as paper when printing
    bool printBackground = false;      // print the background picture
    std::array<int, 5> o2{{0, 0, 0, 0, 0}};  // rulers, lengthwise, locked, guides to centre, background
    bool printRulers = false;          // print the ruler grid
    QChar currencyChar = kDefaultCurrencyChar;
};

// What the main window shows of the open format: its name, the slip size and
// print offsets as the texts of their labels, its options and the factor that
// scales its font sizes to this screen.
struct FormatState {
    QString name;
    QString width, height, offsetX, offsetY;
    SlipOptions options;
    double screenFontFactor = 1.0;
};

// The option list of a header record: nine items each ended by "|".
QString EncodeOptionList(const SlipOptions& o);
// Applies a stored option list. The currency character becomes "￥" first;
// a list of fewer than eight items changes nothing else.
void ApplyOptionList(const QString& mem, SlipOptions& o);

// The factor that scales the font sizes of a format saved on a screen of
// storedWidth twips (the header's Color) to a screen of screenWidth twips.
double ScreenFontFactor(const QVariant& storedWidth, int screenWidth);

// The state record's three switches, "1§☆§0§☆§0".
QString EncodeStateSwitches(const std::array<int, 5>& o2);
// Sets o2[0..2] from the items present; missing items keep their values.
void ApplyStateSwitches(const QString& text, std::array<int, 5>& o2);

// Width of the screen in use, in twips.
int ScreenWidthTwips();

// Reads the header record of `name` into state (slip size, offsets, options,
// currency character, font factor). False, with state unchanged, when the
// format has no header record.
bool LoadFormatHeader(const QString& name, FormatState& state, int screenWidth);
// Writes the header record of `name` from state, adding it when missing.
bool SaveFormatHeader(const QString& name, const FormatState& state, int screenWidth,
                      DbConnection* conn = nullptr);

// The name in the state record ("" when none); sets o2[0..2].
QString LoadCurrentFormatState(std::array<int, 5>& o2);
// Stores the name and o2[0..2], creating the state record when missing.
bool SaveCurrentFormatState(const QString& name, const std::array<int, 5>& o2);

} // namespace slip
