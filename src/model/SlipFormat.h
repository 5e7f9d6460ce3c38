#pragma once
#include "model/Box.h"
#include "model/FormatHeader.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <vector>

namespace slip {

// The open slip format: its settings, its boxes, which boxes the operator has
// marked and the values of the slip being filled in. Views show it and send
// the operator's edits into it; storage loads and saves it. It knows nothing
// of windows or the database.
class SlipFormat : public QObject {
    Q_OBJECT
public:
    explicit SlipFormat(QObject* parent = nullptr);

    // --- The format's settings -------------------------------------------
    const FormatHeader& Header() const { return header_; }
    const QString& Name() const { return header_.name; }
    bool IsOpen() const { return !header_.name.isEmpty(); }
    const SlipOptions& Options() const { return header_.options; }
    void SetHeader(const FormatHeader& h);
    void SetName(const QString& name);
    void SetOptions(const SlipOptions& o);
    void SetSlipSize(double widthMm, double heightMm);
    void SetPrintOffsets(double xMm, double yMm);

    // --- Boxes -----------------------------------------------------------
    // In the order the format holds them: loaded by kind then record ID,
    // added boxes at the end. Within a kind that order is the index order.
    const std::vector<Box>& Boxes() const { return boxes_; }
    const Box* Find(BoxId id) const;
    int Count(BoxKind kind) const { return counts_[int(kind)]; }
    // kind × 1000 + n, or 0 when there is no such box.
    int IndexOf(BoxId id) const;
    // The boxes of one kind in index order.
    std::vector<const Box*> BoxesOfKind(BoxKind kind) const;

    // Opens a format: its settings and boxes replace everything, the
    // selection and the values are cleared, and it counts as unchanged.
    void Load(const FormatHeader& header, std::vector<Box> boxes);

    // Adds a box; a box without ID gets a temporary one. Answers its ID, or
    // 0 when its kind already holds the most boxes it may. Here and in
    // UpdateBox a box's place and size are kept to three decimals of a
    // millimetre (units::RoundMm).
    BoxId AddBox(Box box);
    // Replaces the box of the same ID; false when there is none.
    bool UpdateBox(const Box& box);
    // Removes the boxes, their marks and values; other boxes' links to them
    // are dropped too.
    void RemoveBoxes(const QSet<BoxId>& ids);
    // The next temporary ID: one less than the lowest one in use, -1 first.
    BoxId GetNewTempID() const;
    // After a save: boxes, links, marks and values follow their new IDs.
    void ApplySavedIds(const QHash<BoxId, BoxId>& oldToNew);

    // --- Marks -----------------------------------------------------------
    const QSet<BoxId>& Selection() const { return selection_; }
    bool IsSelected(BoxId id) const { return selection_.contains(id); }
    void SetSelected(BoxId id, bool on);
    void SetSelection(const QSet<BoxId>& ids);

    // --- The slip's values -----------------------------------------------
    // A text box's text (line breaks as CR LF), a check box's tick ("1" or
    // ""), a picture box's picture path or barcode text.
    QString Value(BoxId id) const { return values_.value(id); }
    const QHash<BoxId, QString>& Values() const { return values_; }
    // Sets a box's value from any text: the box holds it as BoxValueOf
    // gives it for its kind (a typed bare LF becomes CR LF, a check box
    // "1" or ""). A line-break marker is the caller's to turn first.
    void SetValue(BoxId id, const QString& text);
    // Sets a box's value from a text kept outside the slip (defaults, the
    // history, a batch record): BoxValueOf with the line-break marker, so a
    // text box's markers become line breaks.
    void SetStoredValue(BoxId id, const QString& text, const QString& lineBreakMarker);
    // The value a new slip starts with in this box: its fixed text, if any.
    QString StartValue(const Box& box) const;

    // --- Unsaved changes -------------------------------------------------
    // Set by every change of the settings, options or boxes; never by the
    // values typed on the slip (fixed texts included) or by marks.
    bool IsModified() const { return modified_; }
    void SetModified(bool on);

signals:
    // A format was opened (or closed): every box before it is gone, even one
    // that comes back under the same ID. Sent before boxesChanged.
    void loaded();
    // A save gave boxes their record IDs (old ID to new ID). Sent before
    // boxesChanged.
    void idsRenamed(const QHash<slip::BoxId, slip::BoxId>& oldToNew);
    void headerChanged();
    // Boxes were added, removed or reloaded.
    void boxesChanged();
    void boxChanged(slip::BoxId id);
    void selectionChanged();
    void valueChanged(slip::BoxId id);
    void modifiedChanged(bool modified);

private:
    void Reindex();
    void Touch();

    FormatHeader header_;
    std::vector<Box> boxes_;
    QHash<BoxId, int> position_;
    int counts_[kBoxKindCount] = {0, 0, 0, 0, 0};
    QSet<BoxId> selection_;
    QHash<BoxId, QString> values_;
    bool modified_ = false;
};

} // namespace slip
