#include "model/SlipFormat.h"

#include <algorithm>

#include "core/Units.h"

namespace slip {

Box NewBoxOfKind(BoxKind kind, QPointF at)
{
    Box b;
    b.kind = kind;
    switch (kind) {
    case BoxKind::Text: b.rect = QRectF(at, QSizeF(30, 6)); break;
    case BoxKind::Check: b.rect = QRectF(at, QSizeF(5, 5)); break;
    case BoxKind::Picture: b.rect = QRectF(at, QSizeF(30, 12)); break;
    case BoxKind::Label:
        b.rect = QRectF(at, QSizeF(20, 6));
        b.caption = QStringLiteral("标签");
        break;
    case BoxKind::Line:
        // A new line is seen at once: solid, one pixel, black.
        b.line = QLineF(at, at + QPointF(30, 0));
        b.caption = QStringLiteral("线条");
        b.lineStyle = 1;
        b.lineWidth = 1;
        break;
    }
    return b;
}

QString WithCrLfLineBreaks(const QString& text, const QString& lineBreakMarker)
{
    const QString crlf = QStringLiteral("\r\n");
    QString v = text;
    if (!lineBreakMarker.isEmpty()) v.replace(lineBreakMarker, crlf);
    if (!v.contains(QLatin1Char('\r')) && !v.contains(QLatin1Char('\n'))) return v;
    QString out;
    out.reserve(v.size() + 8);
    for (qsizetype i = 0; i < v.size(); ++i) {
        const QChar c = v[i];
        if (c == QLatin1Char('\r')) {
            out += crlf;
            if (i + 1 < v.size() && v[i + 1] == QLatin1Char('\n')) ++i;
        } else if (c == QLatin1Char('\n')) {
            out += crlf;
        } else {
            out += c;
        }
    }
    return out;
}

QString BoxValueOf(BoxKind kind, const QString& text, const QString& lineBreakMarker)
{
    switch (kind) {
    case BoxKind::Text: return WithCrLfLineBreaks(text, lineBreakMarker);
    case BoxKind::Check: return IsTicked(text) ? QStringLiteral("1") : QString();
    case BoxKind::Picture: return text;
    default: return QString();
    }
}

namespace {

// The box with its place and size in millimetres to three decimals.
Box KeptToThousandths(Box b)
{
    using units::RoundMm;
    b.rect = QRectF(RoundMm(b.rect.x()), RoundMm(b.rect.y()), RoundMm(b.rect.width()), RoundMm(b.rect.height()));
    b.line = QLineF(RoundMm(b.line.x1()), RoundMm(b.line.y1()), RoundMm(b.line.x2()), RoundMm(b.line.y2()));
    return b;
}

} // namespace

SlipFormat::SlipFormat(QObject* parent) : QObject(parent) {}

void SlipFormat::Touch()
{
    if (!modified_) SetModified(true);
}

void SlipFormat::SetModified(bool on)
{
    if (modified_ == on) return;
    modified_ = on;
    emit modifiedChanged(on);
}

void SlipFormat::SetHeader(const FormatHeader& h)
{
    if (h == header_) return;
    header_ = h;
    Touch();
    emit headerChanged();
}

void SlipFormat::SetName(const QString& name)
{
    FormatHeader h = header_;
    h.name = name;
    if (h == header_) return;
    header_ = h;
    emit headerChanged();
}

void SlipFormat::SetOptions(const SlipOptions& o)
{
    FormatHeader h = header_;
    h.options = o;
    SetHeader(h);
}

void SlipFormat::SetSlipSize(double widthMm, double heightMm)
{
    FormatHeader h = header_;
    h.widthMm = widthMm;
    h.heightMm = heightMm;
    SetHeader(h);
}

void SlipFormat::SetPrintOffsets(double xMm, double yMm)
{
    FormatHeader h = header_;
    h.offsetXMm = xMm;
    h.offsetYMm = yMm;
    SetHeader(h);
}

void SlipFormat::Reindex()
{
    position_.clear();
    position_.reserve(int(boxes_.size()));
    std::fill(std::begin(counts_), std::end(counts_), 0);
    for (int i = 0; i < int(boxes_.size()); ++i) {
        position_.insert(boxes_[i].id, i);
        ++counts_[int(boxes_[i].kind)];
    }
}

const Box* SlipFormat::Find(BoxId id) const
{
    auto it = position_.constFind(id);
    return it == position_.constEnd() ? nullptr : &boxes_[*it];
}

int SlipFormat::IndexOf(BoxId id) const
{
    const Box* b = Find(id);
    if (!b) return 0;
    int n = 0;
    for (const Box& o : boxes_) {
        if (o.kind != b->kind) continue;
        ++n;
        if (o.id == id) break;
    }
    return int(b->kind) * 1000 + n;
}


std::vector<const Box*> SlipFormat::BoxesOfKind(BoxKind kind) const
{
    std::vector<const Box*> out;
    out.reserve(counts_[int(kind)]);
    for (const Box& b : boxes_)
        if (b.kind == kind) out.push_back(&b);
    return out;
}

void SlipFormat::Load(const FormatHeader& header, std::vector<Box> boxes)
{
    header_ = header;
    boxes_ = std::move(boxes);
    Reindex();
    selection_.clear();
    values_.clear();
    for (const Box& b : boxes_) {
        const QString v = StartValue(b);
        if (!v.isEmpty()) values_.insert(b.id, v);
    }
    SetModified(false);
    emit loaded();
    emit headerChanged();
    emit boxesChanged();
    emit selectionChanged();
}

BoxId SlipFormat::GetNewTempID() const
{
    BoxId lowest = 0;
    for (const Box& b : boxes_) lowest = std::min(lowest, b.id);
    return lowest - 1;
}

BoxId SlipFormat::AddBox(Box box)
{
    if (counts_[int(box.kind)] >= kMaxBoxesPerKind) return 0;
    box = KeptToThousandths(box);
    if (box.id == 0 || position_.contains(box.id)) box.id = GetNewTempID();
    boxes_.push_back(box);
    position_.insert(box.id, int(boxes_.size()) - 1);
    ++counts_[int(box.kind)];
    const QString v = StartValue(box);
    if (!v.isEmpty()) values_.insert(box.id, v);
    Touch();
    emit boxesChanged();
    return box.id;
}

bool SlipFormat::UpdateBox(const Box& edited)
{
    const Box box = KeptToThousandths(edited);
    auto it = position_.constFind(box.id);
    if (it == position_.constEnd()) return false;
    Box& old = boxes_[*it];
    if (old == box) return true;
    // The kind of a box never changes: its index and widgets depend on it.
    const BoxKind kind = old.kind;
    const QString oldFixed = old.fixedText;
    old = box;
    old.kind = kind;
    if (kind == BoxKind::Text && old.fixedText != oldFixed && old.caption.isEmpty())
        SetValue(box.id, old.fixedText);
    Touch();
    emit boxChanged(box.id);
    return true;
}

void SlipFormat::RemoveBoxes(const QSet<BoxId>& ids)
{
    if (ids.isEmpty()) return;
    const auto before = boxes_.size();
    boxes_.erase(std::remove_if(boxes_.begin(), boxes_.end(), [&](const Box& b) { return ids.contains(b.id); }),
                 boxes_.end());
    if (boxes_.size() == before) return;
    for (Box& b : boxes_) {
        if (ids.contains(b.relation.target)) b.relation = Relation();
        if (ids.contains(b.sum1.target)) b.sum1 = SumTarget();
        if (ids.contains(b.sum2.target)) b.sum2 = SumTarget();
    }
    for (BoxId id : ids) values_.remove(id);
    const bool hadMarks = selection_.intersects(ids);
    selection_.subtract(ids);
    Reindex();
    Touch();
    emit boxesChanged();
    if (hadMarks) emit selectionChanged();
}

void SlipFormat::ApplySavedIds(const QHash<BoxId, BoxId>& oldToNew)
{
    if (oldToNew.isEmpty()) return;
    auto map = [&](BoxId id) { return oldToNew.value(id, id); };
    for (Box& b : boxes_) {
        b.id = map(b.id);
        b.relation.target = map(b.relation.target);
        b.sum1.target = map(b.sum1.target);
        b.sum2.target = map(b.sum2.target);
    }
    QHash<BoxId, QString> values;
    for (auto it = values_.cbegin(); it != values_.cend(); ++it) values.insert(map(it.key()), it.value());
    values_ = std::move(values);
    QSet<BoxId> marks;
    for (BoxId id : selection_) marks.insert(map(id));
    selection_ = std::move(marks);
    Reindex();
    emit idsRenamed(oldToNew);
    emit boxesChanged();
}

void SlipFormat::SetSelected(BoxId id, bool on)
{
    if (on == selection_.contains(id) || (on && !position_.contains(id))) return;
    if (on) selection_.insert(id);
    else selection_.remove(id);
    emit selectionChanged();
}

void SlipFormat::SetSelection(const QSet<BoxId>& ids)
{
    QSet<BoxId> marks;
    for (BoxId id : ids)
        if (position_.contains(id)) marks.insert(id);
    if (marks == selection_) return;
    selection_ = std::move(marks);
    emit selectionChanged();
}

void SlipFormat::SetValue(BoxId id, const QString& text)
{
    const auto pos = position_.constFind(id);
    if (pos == position_.constEnd()) return;
    const QString value = BoxValueOf(boxes_[*pos].kind, text);
    auto it = values_.find(id);
    if (it == values_.end()) {
        if (value.isEmpty()) return;
        values_.insert(id, value);
    } else {
        if (*it == value) return;
        if (value.isEmpty()) values_.erase(it);
        else *it = value;
    }
    // A text box without caption keeps its text with the format (a fixed
    // text) when the format is saved. Typing it is filling the slip, not
    // changing the format: it alone never asks to save on leaving, and the
    // text comes back as the box's default.
    Box& b = boxes_[*pos];
    if (b.kind == BoxKind::Text && b.caption.isEmpty()) b.fixedText = value;
    emit valueChanged(id);
}

void SlipFormat::SetStoredValue(BoxId id, const QString& text, const QString& lineBreakMarker)
{
    if (const Box* b = Find(id)) SetValue(id, BoxValueOf(b->kind, text, lineBreakMarker));
}

QString SlipFormat::StartValue(const Box& box) const
{
    if (box.kind == BoxKind::Text && box.caption.isEmpty()) return WithCrLfLineBreaks(box.fixedText);
    return QString();
}

} // namespace slip
