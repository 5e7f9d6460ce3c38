// The main window reaches the slip dialogs through its size button, its
// print offsets, and the barcode standard and about menu items.
#include "DamagedTable.h"
#include "DialogTestSupport.h"

#include "workspace/FormatListDialog.h"
#include "workspace/MainWindow.h"
#include "workspace/dialogs/AboutDialog.h"
#include "workspace/SlipMenus.h"
#include "workspace/dialogs/SlipDialogs.h"
#include "workspace/dialogs/TextBoxDialog.h"

#include <QLabel>
#include <QPointer>
#include <QMenu>
#include <QScrollBar>
#include "workspace/SlipView.h"

using namespace slip;
using namespace slip::test;

namespace {

struct MainWindowDialogTest : ::testing::Test {
    TestHome home;
    ScriptedPrompter prompter;
    std::unique_ptr<MainWindow> window;

    void SetUp() override
    {
        window = std::make_unique<MainWindow>();
        window->resize(1000, 700);
        ShowAndWait(window.get());
    }
};

// The one visible dialog of a kind the window opened without blocking itself.
template <class Dialog>
Dialog* Shown()
{
    Dialog* shown = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<Dialog*>(w); d && d->isVisible()) {
            EXPECT_EQ(shown, nullptr) << "two dialogs of a kind";
            shown = d;
        }
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    if (shown) EXPECT_FALSE(shown->isModal());
    return shown;
}

} // namespace

TEST_F(MainWindowDialogTest, SizeButtonOpensTheSizeDialogWhileAFormatIsOpenAndUnlocked)
{
    EXPECT_FALSE(window->slipSizeButton->isEnabled());
    LoadSampleFormat(window->Format());
    ASSERT_TRUE(window->slipSizeButton->isEnabled());
    // A new size fits the canvas to the frame again, at its top-left.
    window->Canvas()->ZoomButton(0);
    window->Canvas()->ZoomButton(0);
    window->Canvas()->horizontalScrollBar()->setValue(window->Canvas()->horizontalScrollBar()->maximum());
    ASSERT_NE(window->Canvas()->Transform().origin.x(), 0);
    Click(window->slipSizeButton);
    Click(window->slipSizeButton);  // the open one comes to the front
    SlipSizeDialog* d = Shown<SlipSizeDialog>();
    ASSERT_TRUE(d);
    TypeInto(d->heightEdit, QStringLiteral("90"));
    Click(d->okButton);
    QCoreApplication::processEvents();  // the fitting follows the dialog's close
    EXPECT_EQ(window->Format().Header().heightMm, 90);
    EXPECT_EQ(window->slipSizeLabel->text(), QStringLiteral("宽 210  高 90"));
    EXPECT_EQ(window->zoomLabel->text(), QStringLiteral("缩放：100%"));
    EXPECT_EQ(window->Canvas()->Transform().origin, QPointF(0, 0));
    // Boxes keep their millimetres, also those a smaller slip leaves outside.
    const std::vector<Box> boxes = window->Format().Boxes();
    for (const char* height : {"10", "100"}) {
        Click(window->slipSizeButton);
        SlipSizeDialog* again = Shown<SlipSizeDialog>();
        ASSERT_TRUE(again);
        TypeInto(again->widthEdit, QStringLiteral("200"));
        TypeInto(again->heightEdit, QString::fromUtf8(height));
        Click(again->okButton);
        QCoreApplication::processEvents();
        EXPECT_EQ(window->Format().Header().heightMm, QString(height).toDouble());
        EXPECT_EQ(window->Format().Boxes(), boxes) << height;
    }
    SlipOptions o = window->Format().Options();
    o.locked = true;
    window->Format().SetOptions(o);
    EXPECT_FALSE(window->slipSizeButton->isEnabled());
}

TEST_F(MainWindowDialogTest, DoubleClickOnTheOffsetsOpensTheMarginDialog)
{
    LoadSampleFormat(window->Format());
    QTest::mouseDClick(window->offsetLabel, Qt::LeftButton);
    PrintMarginDialog* d = Shown<PrintMarginDialog>();
    ASSERT_TRUE(d);
    TypeInto(d->xEdit, QStringLiteral("11.5"));
    Click(d->okButton);
    EXPECT_EQ(window->Format().Header().offsetXMm, 11.5);
    EXPECT_EQ(window->offsetLabel->text(), QStringLiteral("横 11.5  纵 10"));
}

TEST_F(MainWindowDialogTest, BarcodeStandardMenuItemStoresTheChoice)
{
    ASSERT_TRUE(window->barcodeStandardAction->isEnabled());
    window->barcodeStandardAction->trigger();
    BarcodeStandardDialog* d = Shown<BarcodeStandardDialog>();
    ASSERT_TRUE(d);
    Click(d->options[1]);
    Click(d->okButton);
    EXPECT_EQ(StoredBarcodeStandard(), 1);
    EXPECT_EQ(window->Canvas()->BarcodeStandard(), 1);
}

TEST_F(MainWindowDialogTest, ASettingsDialogOfAFormatClosesUnwrittenWhenAnotherOpens)
{
    LoadSampleFormat(window->Format());
    Click(window->slipSizeButton);
    QTest::mouseDClick(window->offsetLabel, Qt::LeftButton);
    QPointer<SlipSizeDialog> size = Shown<SlipSizeDialog>();
    QPointer<PrintMarginDialog> margin = Shown<PrintMarginDialog>();
    ASSERT_TRUE(size && margin);
    TypeInto(size->heightEdit, QStringLiteral("90"));
    TypeInto(margin->xEdit, QStringLiteral("11.5"));
    LoadSampleFormat(window->Format(), QStringLiteral("另一张"));
    EXPECT_TRUE(!size || !size->isVisible());
    EXPECT_TRUE(!margin || !margin->isVisible());
    EXPECT_EQ(window->Format().Header().heightMm, 100);
    EXPECT_EQ(window->Format().Header().offsetXMm, 10);
}

TEST_F(MainWindowDialogTest, AboutMenuItemShowsTheAboutDialog)
{
    window->aboutAction->trigger();
    AboutDialog* about = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* a = qobject_cast<AboutDialog*>(w); a && a->isVisible()) about = a;
    ASSERT_TRUE(about);
    Click(about->closeButton);
    EXPECT_FALSE(about->isVisible());
}

TEST_F(MainWindowDialogTest, BoxMenuOpensThePropertyDialogAndClosingItLeavesTheBox)
{
    LoadSampleFormat(window->Format());
    QMenu menu;
    window->findChild<SlipMenus*>()->FillMenu(menu, kAmount, QPointF(130, 42));
    QAction* properties = nullptr;
    for (QAction* a : menu.actions())
        if (a->text() == QStringLiteral("设置内容框")) properties = a;
    ASSERT_TRUE(properties);
    ASSERT_TRUE(properties->isEnabled());
    properties->trigger();
    TextBoxDialog* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<TextBoxDialog*>(w); d && d->isVisible()) dialog = d;
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->EditedBox(), kAmount);
    // The value typed meanwhile is converted when the dialog closes, as
    // when the operator leaves the box.
    window->Format().SetValue(kAmount, QStringLiteral("88"));
    Click(dialog->cancelButton);
    EXPECT_EQ(window->Format().Value(kAmount), QStringLiteral("￥88.00"));
}

TEST_F(MainWindowDialogTest, ParameterFailuresAreToldWithTheirStatementButAWindowPlaceIsNot)
{
    ASSERT_TRUE(SetParam("StrBarCodeStand", "0"));
    DamageTable("参数");
    const QString read = "数据库打开错误(SELECT * FROM 参数 WHERE Var='StrBarCodeStand' LIMIT 1)！";
    const QString write = "数据库打开错误(SELECT * FROM 参数 WHERE Var='StrBarCodeStand')！";
    window->barcodeStandardAction->trigger();
    BarcodeStandardDialog* d = Shown<BarcodeStandardDialog>();
    ASSERT_TRUE(d);
    Click(d->options[1]);
    Click(d->okButton);
    if (d->isVisible()) d->reject();
    EXPECT_EQ(prompter.shown, (QStringList{read, write}));
    prompter.shown.clear();
    {
        FormatListDialog list(QString(), [](const QString&) { return false; });
        prompter.shown.clear();  // its place could not be read: told
        list.show();
        list.reject();
    }
    EXPECT_EQ(prompter.shown, QStringList());
}
