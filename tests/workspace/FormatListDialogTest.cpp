#include "GridCells.h"
#include "StoredFormats.h"
#include "TestHome.h"

#include "storage/BackgroundStore.h"
#include "storage/Database.h"
#include "storage/RecordListModel.h"
#include "ui/DataGrid.h"
#include "ui/PicturePreview.h"
#include "workspace/FormatListDialog.h"

#include <QBrush>
#include <QImage>
#include <QTest>

using namespace slip;

// On the screen, focused: the open format is ticked, red, current and previewed; one the list lacks, nothing.
TEST(FormatListDialog, TheOpenFormatIsTickedInRedAndOneTheListLacksTicksNone)
{
    test::TestHome home;
    for (const char* name : {"客户11", "O'Brien", "工商银行进账单"}) {
        test::SaveFormatWithBoxes(QString::fromUtf8(name), {});
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        ASSERT_TRUE(picture.save(BackgroundStore::PicturePath(QString::fromUtf8(name)), "JPG"));
    }
    // Box records of a format without a slip header record.
    ASSERT_GT(InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES('无表头', '金额')", {}), 0);
    const struct {
        const char* current;
        int ticked;  // in name order: O'Brien, 客户11, 工商银行进账单
    } cases[] = {{"O'Brien", 0}, {"工商银行进账单", 2}, {"无表头", -1}, {"", -1}};
    for (const auto& c : cases) {
        FormatListDialog d(QString::fromUtf8(c.current), {});
        d.show();
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        d.view->setFocus();
        QApplication::processEvents();
        ASSERT_EQ(d.list->rowCount(), 3);
        for (int r = 0; r < 3; ++r) {
            EXPECT_EQ(d.list->Text(r, 2), r == c.ticked ? "√" : "") << c.current << " row " << r;
            const QVariant colour = d.list->data(d.list->index(r, 3), Qt::ForegroundRole);
            EXPECT_EQ(colour.isValid() && colour.value<QBrush>().color() == Qt::red, r == c.ticked) << c.current;
            EXPECT_EQ(d.list->data(d.list->index(r, 2), Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        }
        EXPECT_EQ(d.view->CurrentRow(), c.ticked) << c.current;
        EXPECT_EQ(d.SelectedName(), c.ticked < 0 ? QString() : d.list->Text(c.ticked, 3));
        EXPECT_EQ(d.preview->HasPicture(), c.ticked >= 0) << c.current;
        EXPECT_EQ(test::CutShortCells(*d.view), QStringList()) << c.current;
    }
}
