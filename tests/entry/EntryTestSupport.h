#pragma once
#include <QString>
#include <ostream>
#include <vector>

#include "TextPrinting.h"
#include "model/SlipFormat.h"

namespace slip::test {

// The data type a box record holding this number stands for.
inline DataType Code(double stored) { return DataType::FromStored(stored); }

// A text box of the given code, with optional sum targets and link.
inline Box TextBoxOf(BoxId id, double code = 0, SumTarget sum1 = {}, SumTarget sum2 = {}, Relation relation = {})
{
    Box b = NewBoxOfKind(BoxKind::Text, QPointF(10, 10 + id * 8));
    b.id = id;
    b.dataType = DataType::FromStored(code);
    b.sum1 = sum1;
    b.sum2 = sum2;
    b.relation = relation;
    return b;
}

inline Box CheckBoxOf(BoxId id, Relation relation = {})
{
    Box b = NewBoxOfKind(BoxKind::Check, QPointF(60, 10 + id * 8));
    b.id = id;
    b.relation = relation;
    return b;
}

inline SumTarget AddTo(BoxId target, bool negated = false) { return {target, SumOp::Add, negated}; }
inline SumTarget MultiplyInto(BoxId target, bool negated = false) { return {target, SumOp::Multiply, negated}; }
inline Relation ChainTo(BoxId next) { return {RelationKind::ChainNext, next}; }
inline Relation RelatedTo(BoxId next) { return {RelationKind::Related, next}; }

// Opens a format of these boxes on `format`.
inline void OpenFormat(SlipFormat& format, std::vector<Box> boxes, QChar currency = QChar(0xFFE5))
{
    FormatHeader h;
    h.name = QStringLiteral("测试单据");
    h.widthMm = 200;
    h.heightMm = 100;
    h.options.currencyChar = currency;
    format.Load(h, std::move(boxes));
}

} // namespace slip::test
