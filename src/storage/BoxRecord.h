#pragma once
#include "model/Box.h"
#include "model/FormatHeader.h"

#include <QString>
#include <QVariant>
#include <QStringList>
#include <array>
#include <functional>

namespace slip {

// The fields of a box record, in the order they are stored (the format name
// comes first in the table).
inline const QStringList& BoxRecordFields()
{
    static const QStringList fields = {
        QStringLiteral("ID"),     QStringLiteral("Clas"),   QStringLiteral("LBL"),     QStringLiteral("Dir"),
        QStringLiteral("X"),      QStringLiteral("Y"),      QStringLiteral("W"),       QStringLiteral("H"),
        QStringLiteral("S"),      QStringLiteral("L"),      QStringLiteral("Color"),   QStringLiteral("fName"),
        QStringLiteral("fSize"),  QStringLiteral("fBold"),  QStringLiteral("fItalic"), QStringLiteral("fUnderline"),
        QStringLiteral("fStrikethru"), QStringLiteral("Cash"), QStringLiteral("RCtl"), QStringLiteral("Mem"),
        QStringLiteral("SumID"),  QStringLiteral("SumID1")};
    return fields;
}
enum BoxField {
    FieldID, FieldClas, FieldLBL, FieldDir, FieldX, FieldY, FieldW, FieldH, FieldS, FieldL, FieldColor,
    FieldFName, FieldFSize, FieldBold, FieldItalic, FieldUnderline, FieldStrikethru, FieldCash, FieldRCtl,
    FieldMem, FieldSumID, FieldSumID1, kBoxFieldCount
};
// A box as stored: one value per field. A null value is a field not written.
using BoxRecord = std::array<QVariant, kBoxFieldCount>;

// The LBL of a format's header record, and of a line.
inline QString HeaderLabel() { return QStringLiteral("【§单据整体格式参数§】"); }
inline QString LineLabel() { return QStringLiteral("线条"); }
// The separator of the option switches in the current-format state record.
inline QString StateSeparator() { return QStringLiteral("§☆§"); }

// Stored colours are blue-green-red numbers; black may come as 65793.
QColor ColorFromStored(qint64 bgr);
qint64 ColorToStored(const QColor& c);

// A box's references as stored: ±(ID + a tenth for a negated sum term); a
// stored sum target with any fraction reads as negated.
double EncodeRelation(const Relation& r);
Relation DecodeRelation(double stored);
double EncodeSumTarget(const SumTarget& t);
SumTarget DecodeSumTarget(double stored);
// Alignment and line spacing in one number: sign(spacing) × (alignment × 1000 + |spacing|).
// Unpacked, the alignment is the number of whole thousands (PackedAlign,
// kept whatever it is) and the spacing what is left after taking off at most
// 20 thousands.
double PackAlignSpacing(double spacingMm, TextAlign align);
qint16 PackedAlign(double packed);
void UnpackAlignSpacing(double packed, double& spacingMm, TextAlign& align);

// The record of a box; references go through `idOf` (the ID the target
// will have once stored; 0 drops the reference).
BoxRecord EncodeBox(const Box& box, const std::function<BoxId(BoxId)>& idOf);
// The box a record describes; font sizes and line widths are scaled by
// fontFactor (rounded to two decimals). A caption position that is none of
// the four reads as above. False when the record is of no known kind.
bool DecodeBox(const BoxRecord& record, double fontFactor, Box& out);

// The option list of a header record: nine items each ended by "|".
QString EncodeOptionList(const SlipOptions& o);
// Applies a stored option list. The currency character becomes "￥" first;
// a list of fewer than eight items changes nothing else.
void ApplyOptionList(const QString& mem, SlipOptions& o);
// The state record's three switches, "1§☆§0§☆§0".
QString EncodeStateSwitches(const SlipOptions& o);
// Sets the first three switches from the items present; missing items keep their values.
void ApplyStateSwitches(const QString& text, SlipOptions& o);
// The factor that scales the font sizes of a format saved on a screen of
// storedWidth twips (the header's Color) to a screen of screenWidth twips.
double ScreenFontFactor(const QVariant& storedWidth, int screenWidth);

} // namespace slip
