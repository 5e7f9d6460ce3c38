#include "ScriptedFileDialog.h"
#include "TestHome.h"
#include "ScriptedPrompter.h"

#include "core/DataFolder.h"
#include "core/ProgramName.h"
#include "storage/RecordListModel.h"
#include "storage/BackgroundStore.h"
#include "storage/Database.h"
#include "storage/FormatStore.h"
#include "ui/FileDialogs.h"
#include "workspace/FormatListDialog.h"
#include "workspace/MainWindow.h"
#include "workspace/SlipView.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace slip;

namespace {

// Stores a format of a given size with `boxes` text boxes.
void MakeFormat(const QString& name, int boxes, double w = 200, double h = 100)
{
    SlipFormat f;
    FormatHeader header;
    header.name = name;
    header.widthMm = w;
    header.heightMm = h;
    f.Load(header, {});
    for (int i = 0; i < boxes; ++i) {
        Box b = NewBoxOfKind(BoxKind::Text, QPointF(20 + i * 5, 10 + i * 10));
        b.caption = QStringLiteral("框%1").arg(i + 1);
        f.AddBox(b);
    }
    QHash<BoxId, BoxId> ids;
    ASSERT_TRUE(FormatStore::Save(f, name, false, 15360, ids).ok);
}

struct ListAnswer {
    explicit ListAnswer(std::function<void(FormatListDialog&)> f) { FormatListDialog::TestResponder() = std::move(f); }
    ~ListAnswer() { FormatListDialog::TestResponder() = nullptr; }
};

void Picture(const QString& path, QColor c)
{
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(c);
    ASSERT_TRUE(img.save(path));
}

} // namespace

TEST(MainWindow, FirstStartOffersTheListAndStaysUsableWhenCancelled)
{
    test::TestHome home;
    int shown = 0;
    ListAnswer answer([&](FormatListDialog& l) {
        ++shown;
        EXPECT_EQ(l.list->rowCount(), 0);  // no formats yet
        l.reject();
    });
    MainWindow mw;
    mw.Start();
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(mw.Format().IsOpen());
    EXPECT_TRUE(mw.isVisible());
    EXPECT_EQ(mw.windowTitle(), ProgramCaption());
    for (QAction* a : mw.formatActions) EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    for (QWidget* w : mw.formatButtons) EXPECT_FALSE(w->isEnabled());
    mw.close();
}

TEST(MainWindow, StartsOnTheRememberedFormatAndClosingStoresDefaultsAndState)
{
    test::TestHome home;
    MakeFormat("进账单", 3);
    SlipOptions o;
    o.showRulers = true;
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("进账单", o).ok);
    {
        MainWindow mw;
        mw.Start();
        ASSERT_EQ(mw.Format().Name(), "进账单");
        EXPECT_EQ(mw.Format().Count(BoxKind::Text), 3);
        EXPECT_EQ(mw.formatNameLabel->text(), "进账单");
        mw.Format().SetValue(mw.Format().Boxes()[1].id, "一百元");
        mw.close();
    }
    MainWindow again;
    again.Start();
    EXPECT_EQ(again.Format().Value(again.Format().Boxes()[1].id), "一百元");
    again.close();
}

TEST(MainWindow, ARememberedFormatThatNoLongerExistsOpensTheList)
{
    test::TestHome home;
    MakeFormat("存在", 1);
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("已删除", {}).ok);
    QString offered;
    ListAnswer answer([&](FormatListDialog& l) {
        offered = l.list->Text(0, 3);
        l.Choose();
    });
    MainWindow mw;
    mw.Start();
    EXPECT_EQ(offered, "存在");
    EXPECT_EQ(mw.Format().Name(), "存在");
    mw.close();
}

TEST(MainWindow, ANewFormatOpensFittedWithoutTheOldPictureAndTheOldDefaultsStay)
{
    test::TestHome home;
    MakeFormat("旧", 2);
    Picture(BackgroundStore::PicturePath("旧"), Qt::red);
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("旧", {}).ok);
    MainWindow mw;
    mw.resize(1000, 700);
    mw.Start();
    ASSERT_EQ(mw.Format().Name(), "旧");
    mw.Format().SetValue(mw.Format().Boxes()[0].id, "旧值");
    mw.Canvas()->ZoomButton(0);
    ScriptedPrompter prompts;
    // A name refused, then a width that is no number, a negative one, then good sizes.
    prompts.inputs = {QString(" 新"), QString("新"), QString("abc"), QString("-5"), QString("180"), QString("90")};
    ASSERT_TRUE(mw.Commands().NewFormat());
    EXPECT_TRUE(prompts.shown.contains("格式名称的开头和结尾不能有空格！"));
    EXPECT_TRUE(prompts.shown.contains("请输入一个数字（单位：毫米）！"));
    EXPECT_TRUE(prompts.shown.contains("尺寸不能为负数！"));
    // The negative width was refused before the height was asked.
    const int negative = prompts.shown.indexOf("尺寸不能为负数！");
    EXPECT_EQ(prompts.shown.mid(negative + 1, 1), QStringList{"输入格式模板宽度（单位：毫米）："});
    EXPECT_EQ(mw.Format().Name(), "新");
    EXPECT_EQ(mw.Format().Header().widthMm, 180);
    EXPECT_EQ(mw.Format().Boxes().size(), 0u);
    EXPECT_EQ(mw.Format().Options(), SlipOptions());
    EXPECT_TRUE(mw.Canvas()->Background().isNull());
    EXPECT_DOUBLE_EQ(mw.Canvas()->Zoom(), 1.0);
    EXPECT_FALSE(mw.Canvas()->CanvasSizePx().isEmpty());
    // The defaults of the format left behind are as they were.
    const auto defaults = FormatStore::LoadDefaults("旧", "//");
    EXPECT_TRUE(defaults.values().contains("旧值"));
    mw.close();
}

TEST(MainWindow, ClosingWithUnsavedChangesAsksAndCancelKeepsTheWindow)
{
    test::TestHome home;
    MakeFormat("改", 1);
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("改", {}).ok);
    MainWindow mw;
    mw.Start();
    Box b = mw.Format().Boxes()[0];
    b.rect.moveLeft(77);
    mw.Format().UpdateBox(b);
    ScriptedPrompter prompts;
    prompts.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(mw.close());
    EXPECT_EQ(prompts.shown, QStringList{"格式已修改，是否保存？"});
    EXPECT_TRUE(mw.isVisible());
    prompts.answers = {PromptAnswer::Yes};
    EXPECT_TRUE(mw.close());
    StoredFormat back;
    ASSERT_TRUE(FormatStore::Load("改", 15360, {}, back).ok);
    EXPECT_EQ(back.boxes[0].rect.left(), 77);
}

TEST(MainWindow, ZoomIsAViewOnlyValuesAndMarksStay)
{
    test::TestHome home;
    MakeFormat("缩放", 3);
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("缩放", {}).ok);
    MainWindow mw;
    mw.resize(1000, 700);
    mw.Start();
    SlipView* v = mw.Canvas();
    const BoxId id = mw.Format().Boxes()[2].id;
    mw.Format().SetValue(id, "123");
    mw.Format().SetSelected(id, true);
    const QRectF before = mw.Format().Find(id)->rect;
    const double width = v->CanvasSizePx().width();
    EXPECT_NEAR(width, v->viewport()->width(), 1);  // opened fitted
    v->ZoomButton(0);
    EXPECT_NEAR(v->CanvasSizePx().width(), width * 1.1, 1);
    // Ctrl and the wheel zoom as well; the wheel alone scrolls.
    QWheelEvent in(QPointF(50, 50), v->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(v->viewport(), &in);
    EXPECT_NEAR(v->Zoom(), 1.21, 1e-9);
    EXPECT_EQ(mw.zoomLabel->text(), "缩放：121%");
    QTest::keyClick(v, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_NEAR(v->Zoom(), 1.089, 1e-9);
    EXPECT_GT(v->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(mw.Format().Value(id), "123");
    EXPECT_TRUE(mw.Format().IsSelected(id));
    EXPECT_EQ(mw.Format().Find(id)->rect, before);
    EXPECT_FALSE(mw.Format().IsModified());
    v->ZoomButton(2);
    EXPECT_DOUBLE_EQ(v->Zoom(), 1.0);
    mw.Format().SetModified(false);
    mw.close();
}

TEST(MainWindow, TypingIntoABoxGoesIntoTheModelAndLeavingConvertsIt)
{
    test::TestHome home;
    SlipFormat f;
    FormatHeader h;
    h.name = "键入";
    h.widthMm = 200;
    h.heightMm = 100;
    f.Load(h, {});
    Box amount = NewBoxOfKind(BoxKind::Text, {50, 20});
    amount.caption = "金额";
    amount.dataType = DataType::FromStored(104);  // an amount with the currency character
    f.AddBox(amount);
    f.AddBox(NewBoxOfKind(BoxKind::Text, {50, 50}));
    QHash<BoxId, BoxId> ids;
    ASSERT_TRUE(FormatStore::Save(f, h.name, false, 15360, ids).ok);
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState(h.name, {}).ok);
    MainWindow mw;
    mw.resize(1000, 700);
    mw.Start();
    QApplication::setActiveWindow(&mw);
    SlipView* v = mw.Canvas();
    const Box* box = mw.Format().AtIndex(1);
    ASSERT_NE(box, nullptr);
    const QPoint at = v->Transform().ToPx(box->rect.center()).toPoint();
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, at);
    ASSERT_EQ(v->EditingBox(), box->id);
    QTest::keyClicks(v->Editor(), "1234.5");
    EXPECT_EQ(mw.Format().Value(box->id), "1234.5");
    QTest::keyClick(v->Editor(), Qt::Key_Tab);  // on to the next box
    EXPECT_EQ(v->EditingBox(), mw.Format().AtIndex(2)->id);
    EXPECT_EQ(mw.Format().Value(box->id), "￥1,234.50");
    mw.close();
}

TEST(MainWindow, BackgroundPicturesAreReplacedRefusedAndCleared)
{
    test::TestHome home;
    MakeFormat("底图", 1);
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("底图", {}).ok);
    MainWindow mw;
    mw.Start();
    ScriptedFileDialog files;
    ScriptedPrompter prompts;
    Picture(home.file("scan.png"), Qt::blue);
    files.answers = {home.file("scan.png")};
    mw.ReplaceBackground();
    EXPECT_FALSE(mw.Canvas()->Background().isNull());
    // A file that is no picture is refused and the good picture stays.
    QFile junk(home.file("x.jpg"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture");
    junk.close();
    files.answers = {home.file("x.jpg")};
    mw.ReplaceBackground();
    EXPECT_EQ(prompts.shown.size(), 2);  // replace? then the refusal
    EXPECT_FALSE(mw.Canvas()->Background().isNull());
    EXPECT_FALSE(BackgroundStore::Load("底图").isNull());
    mw.ClearBackground();
    EXPECT_TRUE(mw.Canvas()->Background().isNull());
    EXPECT_FALSE(BackgroundStore::HasPicture("底图"));
    mw.close();
}

TEST(MainWindow, DeletingAFormatTakesItsPictureAndSavingAsRefusesBadNames)
{
    test::TestHome home;
    MakeFormat("甲", 1);
    MakeFormat("乙", 1);
    Picture(BackgroundStore::PicturePath("乙"), Qt::green);
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("甲", {}).ok);
    MainWindow mw;
    mw.Start();
    ScriptedPrompter prompts;
    EXPECT_FALSE(mw.Commands().DeleteFormat("甲"));  // the open one
    EXPECT_FALSE(mw.Commands().DeleteFormat("丙"));  // none such
    EXPECT_TRUE(prompts.shown.last().contains("没有删除任何格式"));
    ASSERT_TRUE(mw.Commands().DeleteFormat("乙"));
    EXPECT_FALSE(BackgroundStore::HasPicture("乙"));
    EXPECT_FALSE(FormatStore::Exists("乙"));

    prompts.shown.clear();
    EXPECT_FALSE(mw.Commands().SaveFormatAs(" 甲"));
    EXPECT_FALSE(FormatStore::Exists(" 甲"));
    EXPECT_EQ(prompts.shown, QStringList{"格式名称的开头和结尾不能有空格！"});
    ASSERT_TRUE(mw.Commands().SaveFormatAs("甲'副本"));
    EXPECT_EQ(mw.Format().Name(), "甲'副本");
    EXPECT_TRUE(FormatStore::Exists("甲"));
    mw.close();
}

TEST(MainWindow, FitsAScreenOf1024By768)
{
    test::TestHome home;
    MainWindow mw;
    EXPECT_LE(mw.minimumSizeHint().width(), 1024);
    EXPECT_LE(mw.minimumSizeHint().height(), 768);
}

TEST(MainWindow, ADatabaseLostWhileRunningIsToldWhenLeaving)
{
    test::TestHome home;
    MakeFormat("丢失", 1);
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("丢失", {}).ok);
    MainWindow mw;
    mw.Start();
    mw.Format().SetValue(mw.Format().Boxes()[0].id, "值");
    // The database file vanishes and something else takes its place.
    ASSERT_TRUE(QFile::rename(DatabasePath(), DatabasePath() + ".moved"));
    ASSERT_TRUE(QDir().mkpath(DatabasePath()));
    ScriptedPrompter prompts;
    mw.close();
    EXPECT_TRUE(prompts.shown.contains("无法建立数据库连接！"));
}

TEST(MainWindow, APictureThatCannotBeCopiedOnSaveAsIsTold)
{
    test::TestHome home;
    MakeFormat("原图", 1);
    Picture(BackgroundStore::PicturePath("原图"), Qt::red);
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("原图", {}).ok);
    MainWindow mw;
    mw.Start();
    ScriptedPrompter prompts;
    const QString longName = QString(100, QChar(0x957F));  // 300 bytes: too long for a file name
    ASSERT_TRUE(mw.Commands().SaveFormatAs(longName));
    EXPECT_TRUE(FormatStore::Exists(longName));
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].startsWith("格式已另存，但底图未能复制")) << prompts.shown[0].toStdString();
    mw.close();
}
