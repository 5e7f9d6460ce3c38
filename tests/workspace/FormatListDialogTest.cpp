#include "StoredFormats.h"
#include "TestHome.h"

#include "storage/Database.h"
#include "storage/RecordListModel.h"
#include "workspace/FormatListDialog.h"

#include <QBrush>

using namespace slip;

TEST(FormatListDialog, TheOpenFormatIsTickedInRedAndOneTheListLacksTicksNone)
{
    test::TestHome home;
    test::SaveFormatWithBoxes("甲", {});
    test::SaveFormatWithBoxes("乙", {});
    // Box records of a format without a slip header record.
    ASSERT_GT(InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES('无表头', '金额')", {}), 0);
    const struct {
        const char* current;
        int ticked;  // 乙 sorts before 甲
    } cases[] = {{"乙", 0}, {"甲", 1}, {"无表头", -1}, {"", -1}};
    for (const auto& c : cases) {
        FormatListDialog d(QString::fromUtf8(c.current), {});
        ASSERT_EQ(d.list->rowCount(), 2);
        for (int r = 0; r < 2; ++r) {
            EXPECT_EQ(d.list->Text(r, 2), r == c.ticked ? "√" : "") << c.current << " row " << r;
            const QVariant colour = d.list->data(d.list->index(r, 3), Qt::ForegroundRole);
            EXPECT_EQ(colour.isValid() && colour.value<QBrush>().color() == Qt::red, r == c.ticked) << c.current;
            EXPECT_EQ(d.list->data(d.list->index(r, 2), Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        }
        EXPECT_EQ(d.SelectedName(), c.ticked < 0 ? QString() : d.list->Text(c.ticked, 3));
    }
}
