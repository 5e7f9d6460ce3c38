#pragma once
#include "storage/TextNumber.h"

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace slip {

// Box classes; a box's index is class × 1000 + n, n counted from 1 per class.
enum BoxClass { kTextBox = 0, kCheckBox = 1, kPictureBox = 2, kLineBox = 3, kLabelBox = 4 };
constexpr int kBoxClassCount = 5;
constexpr int kMaxBoxesPerClass = 999;

inline bool IsValidBoxClass(int c) { return c >= 0 && c < kBoxClassCount; }
inline int FirstControlIndex(int clas) { return clas * 1000 + 1; }
inline int LastControlIndexOf(int clas, int count) { return clas * 1000 + count; }
// The class whose range holds the index, or -1.
int ClassOfIndex(int index);

// Caption positions: 0 "上方", 1 "左边", 2 "右边", 3 "下方".
int DirTextToCode(const QString& text);
QString DirCodeToText(int code);

// Alignment (0 left, 1 right, 2 centre) and line spacing in mm packed into one
// number: sign(spacing) × (alignment × 1000 + |spacing|).
double PackAlignSpacing(double spacingMm, int alignment);

// How a text box looks for its data-type code: a single border for the
// cell layouts, right alignment for amounts and upper-case digits; an empty
// alignment keeps the box's own.
struct CashLook {
    int borderStyle = 0;
    std::optional<int> alignment;
};
CashLook TextBoxLookForCash(double cash);

// A reference to another box (RCtl, SumID, SumID1) rewritten through an
// old→new record ID map. A reference is ±(ID + f): the sign says which kind,
// f is the tenth that marks a negated sum term. The value is decoded once
// against the map; a value naming no mapped ID is returned unchanged.
double RemapReference(double value, const QHash<qint64, qint64>& oldToNew);


} // namespace slip
