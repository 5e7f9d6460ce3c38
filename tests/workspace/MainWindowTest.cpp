#include "Responding.h"
#include "ScriptedFileDialog.h"
#include "TestHome.h"
#include "ScriptedPrompter.h"
#include "StoredFormats.h"

#include "core/ProgramName.h"
#include "storage/BoxRecord.h"
#include "storage/Database.h"
#include "storage/RecordListModel.h"
#include "storage/BackgroundStore.h"
#include "ui/DataGrid.h"
#include "ui/PasswordDialogs.h"
#include "ui/SelFormat.h"
#include "workspace/FormatListDialog.h"
#include "workspace/HistoryPanel.h"
#include "workspace/MainWindow.h"
#include "workspace/SlipMenus.h"
#include "workspace/SlipView.h"

#include <QToolTip>
#include <QScrollBar>
#include <QPushButton>
#include <QLineEdit>
#include <QLabel>
#include <QStatusBar>
#include <QComboBox>
#include <QTest>

using namespace slip;

namespace {

// Stores a format of 200 × 100 mm with `boxes` text boxes; with last, as the
// format the program had open when it last ended.
void MakeFormat(const QString& name, int boxes, bool last = false)
{
    test::SaveFormatWithBoxes(name, QVector<test::BoxSpec>(boxes, {BoxKind::Text, "框"}));
    if (last) ASSERT_TRUE(FormatStore::SaveCurrentFormatState(name, {}).ok);
}

using ChooserAnswer = test::Responding<SelFormat>;
using ListAnswer = test::Responding<FormatListDialog>;

// A main window on a data folder of the test's own, closed at the end.
struct MainWindowTest : ::testing::Test {
    MainWindow& Start(int width = 1000)
    {
        mw.resize(width, 700);
        mw.Start();
        return mw;
    }
    void TearDown() override
    {
        mw.Format().SetModified(false);
        mw.close();
    }
    test::TestHome home;
    MainWindow mw;
};

void Picture(const QString& path, QColor c)
{
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(c);
    ASSERT_TRUE(img.save(path));
}

} // namespace

TEST_F(MainWindowTest, FirstStartOffersTheListAndStaysUsableWhenCancelled)
{
    int shown = 0;
    ListAnswer answer([&](FormatListDialog& l) {
        ++shown;
        EXPECT_EQ(l.list->rowCount(), 0);  // no formats yet
        l.reject();
    });
    Start();
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(mw.Format().IsOpen());
    EXPECT_TRUE(mw.isVisible());
    EXPECT_EQ(mw.windowTitle(), ProgramCaption());
    for (QAction* a : mw.formatActions) EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    for (QWidget* w : mw.formatButtons) EXPECT_FALSE(w->isEnabled());
}

TEST_F(MainWindowTest, TheStateRecordsSwitchesHoldForAFormatWithoutItsOwnOptions)
{
    MakeFormat("甲", 1);
    SlipOptions left;
    left.showRulers = left.lengthwise = left.locked = true;
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("甲", left).ok);
    ASSERT_TRUE(ExecuteSql("UPDATE Fmt SET Mem='' WHERE Fmt=? AND LBL=?", {"甲", HeaderLabel()}));
    Start();
    ASSERT_EQ(mw.Format().Name(), "甲");
    const SlipOptions o = mw.Format().Options();
    EXPECT_TRUE(o.showRulers && o.lengthwise && o.locked);
    EXPECT_FALSE(mw.Format().IsModified());
}

TEST_F(MainWindowTest, DefaultsStoredWithTheMarkerOrABareLineFeedOpenAsLineBreaks)
{
    const QVector<BoxId> ids = test::SaveFormatWithBoxes("甲", {{BoxKind::Text, "一"}, {BoxKind::Text, "二"}});
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("甲", {}).ok);
    ASSERT_TRUE(ExecuteSql("INSERT INTO 默认(Fmt, ID, Con) VALUES(?, ?, ?)", {"甲", ids[0], "上//下"}));
    ASSERT_TRUE(ExecuteSql("INSERT INTO 默认(Fmt, ID, Con) VALUES(?, ?, ?)", {"甲", ids[1], "左\n右"}));
    Start();
    EXPECT_EQ(mw.Format().Value(ids[0]), "上\r\n下");
    EXPECT_EQ(mw.Format().Value(ids[1]), "左\r\n右");
}

TEST_F(MainWindowTest, ARememberedFormatThatNoLongerExistsOpensTheList)
{
    MakeFormat("存在", 1);
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("已删除", {}).ok);
    ListAnswer answer([&](FormatListDialog& l) {
        // The remembered name is in no row: none is ticked until one is picked.
        EXPECT_EQ(l.list->Text(0, 2), "");
        l.view->SelectRow(0);
        l.Choose();
    });
    Start();
    EXPECT_EQ(mw.Format().Name(), "存在");
}

TEST_F(MainWindowTest, ANewFormatKeepsTheOpenOnesSettingsAndACopyOfItsPicture)
{
    MakeFormat("旧", 2, true);
    MakeFormat("新", 1);  // without a picture of its own
    Picture(BackgroundStore::PicturePath("旧"), Qt::red);
    Start();
    mw.Format().SetValue(mw.Format().Boxes()[0].id, "旧值");
    mw.Format().SetPrintOffsets(12, 8);
    SlipOptions o = mw.Format().Options();
    o.currencyChar = QChar('$');
    o.printBackground = true;
    mw.Format().SetOptions(o);
    mw.Canvas()->ZoomButton(0);
    ScriptedPrompter prompts;
    // A name refused, then a width with no number, a negative one, one too
    // long, then sizes with their unit.
    prompts.inputs = {QString(" 新"), QString("新"), QString("mm"), QString("-5"), QString("2000000"),
                      QString("180mm"), QString("90 毫米")};
    ASSERT_TRUE(mw.Commands().NewFormat());
    // Each refusal asks the same thing again: the negative width before the
    // height; a width without a number is 0.
    EXPECT_EQ(prompts.shown.mid(1, 9), (QStringList{"格式名称的开头和结尾不能有空格！", "请输入需要新建的格式名称：",
                                                    "输入格式模板宽度（单位：毫米）：", "单据宽度不能为零！",
                                                    "输入格式模板宽度（单位：毫米）：", "尺寸不能为负数！",
                                                    "输入格式模板宽度（单位：毫米）：", "“单据宽度”不能超过100000毫米！",
                                                    "输入格式模板宽度（单位：毫米）："}));
    EXPECT_EQ(prompts.noByDefault, QStringList{"该格式已经存在，是否覆盖？"});
    EXPECT_EQ(prompts.inputTitles, QStringList(7, "Sorvelin进账单-新建格式模板"));
    const FormatHeader& h = mw.Format().Header();
    EXPECT_EQ(h.name, "新");
    EXPECT_EQ(QSizeF(h.widthMm, h.heightMm), QSizeF(180, 90));
    EXPECT_EQ(QPointF(h.offsetXMm, h.offsetYMm), QPointF(12, 8));
    EXPECT_EQ(h.options, o);
    EXPECT_EQ(mw.Format().Boxes().size(), 0u);
    // The pictures are JPEG files: red comes back nearly red.
    for (const QImage& shown : {mw.Canvas()->Background(), BackgroundStore::Load("新")})
        EXPECT_GT(shown.pixelColor(5, 5).red() - shown.pixelColor(5, 5).green(), 200);
    EXPECT_FALSE(BackgroundStore::Load("旧").isNull());
    EXPECT_DOUBLE_EQ(mw.Canvas()->CanvasSizePx().width(), mw.Canvas()->FrameWidth());  // fitted to the frame
    // The defaults of the format left behind are as they were.
    EXPECT_TRUE(FormatStore::LoadDefaults("旧").values().contains("旧值"));
}

TEST_F(MainWindowTest, AnEmptyNewFormatNameEndsTheCommand)
{
    MakeFormat("旧", 1, true);
    Start();
    ScriptedPrompter prompts;
    prompts.inputs = {QString("")};
    EXPECT_FALSE(mw.Commands().NewFormat());
    EXPECT_EQ(prompts.shown, QStringList{"请输入需要新建的格式名称："});
    EXPECT_EQ(mw.Format().Name(), "旧");
}

// Values typed on the slip (a fixed text too), the next slip, history
// deletes, a restart and a switch are no change of the format: only a change
// of the format asks, and names it.
TEST(MainWindow, OnlyAChangeOfTheFormatAsksToSaveItOnLeaving)
{
    test::TestHome home;
    const QVector<BoxId> ids = test::SaveFormatWithBoxes("改", {{BoxKind::Text, "户名"}, {BoxKind::Text, ""}});
    MakeFormat("别", 1);
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("改", {}).ok);
    const QString question = "格式“改”已修改，是否保存？";
    ScriptedPrompter prompts;
    {
        MainWindow mw;
        mw.Start();
        mw.Format().SetValue(ids[0], "张三");
        mw.Format().SetValue(ids[1], "固定");
        mw.findChild<SlipMenus*>()->hooks.addNextSlip();
        mw.Format().SetValue(ids[0], "李四");
        mw.historyPanel->DeleteAllHistory();
        ASSERT_TRUE(mw.Commands().ChooseFormat("别", false));
        ASSERT_TRUE(mw.Commands().ChooseFormat("改", false));
        EXPECT_TRUE(mw.close());
    }
    MainWindow mw;
    mw.Start();
    EXPECT_EQ(mw.Format().Value(ids[0]), "李四");
    EXPECT_FALSE(prompts.shown.contains(question));
    Box b = *mw.Format().Find(ids[0]);
    b.rect.moveLeft(77);
    mw.Format().UpdateBox(b);
    prompts.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(mw.close());
    EXPECT_EQ(prompts.shown.last(), question);
    EXPECT_TRUE(mw.isVisible());
    prompts.answers = {PromptAnswer::Yes};
    EXPECT_TRUE(mw.close());
    StoredFormat back;
    ASSERT_TRUE(FormatStore::Load("改", 15360, {}, back).ok);
    EXPECT_EQ(back.boxes[0].rect.left(), 77);
}

TEST_F(MainWindowTest, ZoomShowsItsPercentageAndLeavesTheFormatAlone)
{
    MakeFormat("缩放", 1, true);
    Start();
    const Box before = mw.Format().Boxes()[0];
    mw.Canvas()->ZoomButton(0);
    mw.Canvas()->ZoomButton(0);
    EXPECT_EQ(mw.zoomLabel->text(), "缩放：121%");
    EXPECT_EQ(mw.Format().Boxes()[0], before);
    EXPECT_FALSE(mw.Format().IsModified());
}

TEST_F(MainWindowTest, AnotherFormatOpensFittedAtTheTopLeft)
{
    // Two formats taller than the frame.
    for (const QString name : {"长", "高"}) {
        SlipFormat f;
        f.Load(FormatHeader{name, 100, 300}, {});
        QHash<BoxId, BoxId> ids;
        ASSERT_TRUE(FormatStore::Save(f, name, false, 15360, ids).ok);
    }
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("长", {}).ok);
    Start();
    SlipView* canvas = mw.Canvas();
    canvas->verticalScrollBar()->setValue(canvas->verticalScrollBar()->maximum());
    ASSERT_NE(canvas->Transform().origin, QPointF(0, 0));
    ASSERT_TRUE(mw.Commands().ChooseFormat("高", false));
    EXPECT_EQ(canvas->Transform().origin, QPointF(0, 0));
    EXPECT_EQ(mw.zoomLabel->text(), "缩放：100%");
}

TEST_F(MainWindowTest, TheSlipMenusPictureCommandsTakeOnlyAJpgAndClearingAsksEvenWithoutAPicture)
{
    MakeFormat("底图", 1, true);
    Start();
    ScriptedFileDialog files;
    ScriptedPrompter prompts;
    // Without a picture the clear command asks, then does nothing more.
    mw.ClearBackground();
    EXPECT_EQ(prompts.noByDefault, QStringList{"您确定要清除背景图？"});
    Picture(home.file("scan.png"), Qt::blue);
    Picture(home.file("scan.JPG"), Qt::blue);
    files.answers = {home.file("scan.png"), home.file("scan.JPG")};
    mw.ReplaceBackground();  // not a .jpg: nothing happens and nothing is said
    EXPECT_TRUE(mw.Canvas()->Background().isNull());
    EXPECT_EQ(prompts.shown.size(), 1);
    mw.ReplaceBackground();
    EXPECT_FALSE(mw.Canvas()->Background().isNull());
    ASSERT_EQ(files.requests.size(), 2u);
    EXPECT_EQ(files.requests[0].filter, "JPEG格式(*.jpg)|*.jpg");
    mw.ClearBackground();
    EXPECT_EQ(prompts.noByDefault, (QStringList{"您确定要清除背景图？", "您确定要清除背景图？"}));
    EXPECT_TRUE(mw.Canvas()->Background().isNull());
    EXPECT_FALSE(BackgroundStore::HasPicture("底图"));
}

TEST_F(MainWindowTest, DeletingAFormatFromTheListAsksWithNoByDefaultAndLeavesItsPicture)
{
    MakeFormat("甲", 1, true);
    MakeFormat("乙", 1);
    Picture(BackgroundStore::PicturePath("乙"), Qt::green);
    Start();
    ScriptedPrompter prompts;
    EXPECT_FALSE(mw.Commands().DeleteFormat("甲"));  // the open one
    EXPECT_FALSE(mw.Commands().DeleteFormat("丙"));  // none such
    EXPECT_TRUE(prompts.shown.last().contains("没有删除任何格式"));
    ListAnswer answer([&](FormatListDialog& l) {
        l.view->setCurrentIndex(l.view->model()->index(0, 3));  // 乙 sorts before 甲
        ASSERT_EQ(l.SelectedName(), "乙");
        l.deleteButton->setFocus();
        l.deleteButton->click();
        EXPECT_EQ(l.focusWidget(), static_cast<QWidget*>(l.view));
        EXPECT_TRUE(l.chooseButton->isDefault());
        l.reject();
    });
    mw.Commands().ChooseFormat(QString(), false);
    EXPECT_EQ(prompts.noByDefault, QStringList{"您确定要删除格式：“乙”？"});
    EXPECT_TRUE(BackgroundStore::HasPicture("乙"));
    EXPECT_FALSE(FormatStore::Exists("乙"));
}

TEST_F(MainWindowTest, CheckingBoxesAndSettingThePasswordSayItInTheStatusLine)
{
    MakeFormat("框", 1, true);
    Start();
    auto trigger = [&](const QString& text) {
        for (QAction* a : mw.findChildren<QAction*>())
            if (a->text() == text) a->trigger();
        return mw.statusBar()->currentMessage();
    };
    EXPECT_EQ(trigger("检查凭据外内容框"), "所有内容框都在凭据内。");
    Box b = mw.Format().Boxes()[0];
    b.rect.moveLeft(-5);
    mw.Format().UpdateBox(b);
    EXPECT_EQ(trigger("检查凭据外内容框"), "已将1个凭据外的内容框移回凭据内。");
    const struct { QString old, fresh, note; } changes[] = {
        {"", "Pw", "登录密码已设置，下次启动时需要输入密码。"},
        {"Pw", "", "登录密码已去除，下次启动时不再询问密码。"},
    };
    for (const auto& c : changes) {
        trigger("登录密码设置");
        auto* dlg = mw.findChild<PasswordChangeDialog*>();
        ASSERT_NE(dlg, nullptr);
        for (int i : {0, 1, 2}) dlg->entries[i]->setText(i == 0 ? c.old : c.fresh);
        dlg->okButton->click();
        EXPECT_EQ(mw.statusBar()->currentMessage(), c.note);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(MainWindowTest, FitsAScreenOf1024By768)
{
    EXPECT_LE(mw.minimumSizeHint().width(), 1024);
    EXPECT_LE(mw.minimumSizeHint().height(), 768);
}

// A name typed into the save-as chooser that can't be taken keeps the
// chooser open with it; one too long for its picture's file name is refused;
// a long one that fits is cut short where room is short, whole in tooltips.
// Blanks around a typed name are dropped.
TEST_F(MainWindowTest, NamesAreCheckedWhenTypedAndLongOnesShownCutShort)
{
    MakeFormat("原图", 1, true);
    Start(1024);
    ScriptedPrompter prompts;
    const QString tooLong(84, QChar(0x957F)), longName(83, QChar(0x957F));
    QStringList stillOpenWith;
    ChooserAnswer typed([&](SelFormat& d) {
        for (const QString& t : {tooLong, longName}) {
            d.choices->setEditText(t);
            d.okButton->click();
            if (d.Answer().isEmpty()) stillOpenWith << d.choices->currentText();
        }
    });
    ASSERT_TRUE(mw.Commands().SaveFormatAs(QString()));
    EXPECT_EQ(stillOpenWith, QStringList{tooLong});
    EXPECT_EQ(prompts.shown, QStringList{FormatStore::NewNameProblem(tooLong)});
    EXPECT_EQ(mw.Format().Name(), longName);
    QApplication::processEvents();
    EXPECT_NE(mw.formatNameLabel->text(), longName);
    EXPECT_EQ(mw.formatNameLabel->toolTip(), longName);
    EXPECT_LT(mw.formatNameLabel->geometry().right(), mw.slipSizeLabel->geometry().left());
    EXPECT_TRUE(mw.statusBar()->toolTip().contains(longName));
    EXPECT_LE(mw.statusBar()->fontMetrics().horizontalAdvance(mw.statusBar()->currentMessage()),
              mw.statusBar()->width());

    ListAnswer list([&](FormatListDialog& l) {
        l.resize(600, 400);
        l.show();
        QApplication::processEvents();
        EXPECT_LE(l.view->columnWidth(3), l.view->width() / 2);
        const QModelIndex cell = l.view->model()->index(1, 3);  // after 原图
        ASSERT_EQ(cell.data().toString(), longName);
        QHelpEvent tip(QEvent::ToolTip, l.view->visualRect(cell).center(),
                       l.view->viewport()->mapToGlobal(l.view->visualRect(cell).center()));
        QApplication::sendEvent(l.view->viewport(), &tip);
        EXPECT_EQ(QToolTip::text(), longName);
        l.reject();
    });
    mw.Commands().ChooseFormat(QString(), false);
}

TEST_F(MainWindowTest, SaveAsUnderTheOpenFormatsOwnNameAsksFirst)
{
    MakeFormat("本身", 1, true);
    Start();
    Box b = mw.Format().Boxes()[0];
    b.caption = QStringLiteral("改");
    mw.Format().UpdateBox(b);
    ScriptedPrompter prompts;
    prompts.answers = {PromptAnswer::No, PromptAnswer::Yes};
    EXPECT_FALSE(mw.Commands().SaveFormatAs(QStringLiteral("本身")));
    EXPECT_EQ(prompts.shown, QStringList{"该格式已经存在，是否覆盖？"});
    EXPECT_TRUE(mw.Format().IsModified());
    ASSERT_TRUE(mw.Commands().SaveFormatAs(QStringLiteral("本身")));
    EXPECT_FALSE(mw.Format().IsModified());
    StoredFormat stored;
    ASSERT_TRUE(FormatStore::Load("本身", 15360, {}, stored).ok);
    EXPECT_EQ(stored.boxes[0].caption, "改");
}
