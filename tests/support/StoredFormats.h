#pragma once
// Formats stored in the test's database as the program stores them.
#include "model/SlipFormat.h"
#include "storage/FormatStore.h"

#include <QVector>
#include <gtest/gtest.h>

namespace slip::test {

struct BoxSpec {
    BoxKind kind = BoxKind::Text;
    QString caption;
    double dataType = 0;
};

// Saves a format of 200 × 100 mm with these boxes, each a little right of
// and below the one before; answers their record IDs in order.
inline QVector<BoxId> SaveFormatWithBoxes(const QString& name, const QVector<BoxSpec>& boxes)
{
    SlipFormat f;
    FormatHeader header{name, 200, 100};
    f.Load(header, {});
    QVector<BoxId> temp;
    for (int i = 0; i < boxes.size(); ++i) {
        Box b = NewBoxOfKind(boxes[i].kind, QPointF(10 + 8 * i, 10 + 6 * i));
        b.caption = boxes[i].caption;
        b.dataType = DataType::FromStored(boxes[i].dataType);
        temp << f.AddBox(b);
        EXPECT_NE(temp.last(), 0);
    }
    QHash<BoxId, BoxId> ids;
    EXPECT_TRUE(FormatStore::Save(f, name, false, 15360, ids).ok);
    QVector<BoxId> out;
    for (BoxId t : temp) out << ids.value(t, t);
    return out;
}

// Opens a stored format in `format` as the program would.
inline void OpenStoredFormat(SlipFormat& format, const QString& name)
{
    StoredFormat stored;
    ASSERT_TRUE(FormatStore::Load(name, 15360, FormatHeader(), stored).ok);
    format.Load(stored.header, std::move(stored.boxes));
}

// Stores a format with the boxes (so they carry record IDs) and opens it.
inline void MakeStoredFormat(SlipFormat& format, const QString& name, const QVector<BoxSpec>& boxes)
{
    SaveFormatWithBoxes(name, boxes);
    OpenStoredFormat(format, name);
}

} // namespace slip::test
