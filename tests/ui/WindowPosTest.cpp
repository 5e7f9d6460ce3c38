#include "TestHome.h"
#include "storage/Database.h"
#include "storage/Params.h"
#include "ui/WindowPos.h"

#include <QApplication>
#include <QDialog>

using namespace slip;

TEST(WindowPos, SaveAndRestoreThroughTheParameterTable)
{
    test::TestHome home;
    QWidget w;
    w.setGeometry(40, 50, 300, 200);
    ASSERT_TRUE(SaveWindowPos(&w, "格式模板列表"));
    const QString stored = GetParam("窗口参数：格式模板列表");
    EXPECT_EQ(OpenRecordset("SELECT * FROM 参数 WHERE Var=?", {"窗口参数：格式模板列表"}).RecordCount(), 1);
    QWidget other;
    other.setGeometry(10, 10, 100, 100);
    RestoreWindowPos(&other, "格式模板列表");
    EXPECT_EQ(other.size(), w.size());
}

TEST(WindowPos, OpeningAndClosingNeverGrowsAWindow)
{
    test::TestHome home;
    QSize size(400, 300);
    for (int round = 0; round < 3; ++round) {
        QDialog d;
        d.resize(400, 300);
        RestoreWindowPos(&d, "对话框");
        d.show();
        QApplication::processEvents();
        EXPECT_EQ(d.size(), size) << "round " << round;
        size = d.size();
        SaveWindowPos(&d, "对话框");
    }
}
