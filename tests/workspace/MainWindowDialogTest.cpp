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
#include <QMenu>

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

} // namespace

TEST_F(MainWindowDialogTest, SizeButtonOpensTheSizeDialogWhileAFormatIsOpenAndUnlocked)
{
    EXPECT_FALSE(window->slipSizeButton->isEnabled());
    LoadSampleFormat(window->Format());
    ASSERT_TRUE(window->slipSizeButton->isEnabled());
    WhenModalShown<SlipSizeDialog>([](SlipSizeDialog* d) {
        TypeInto(d->heightEdit, QStringLiteral("90"));
        Click(d->okButton);
    });
    Click(window->slipSizeButton);
    EXPECT_EQ(window->Format().Header().heightMm, 90);
    EXPECT_EQ(window->slipSizeLabel->text(), QStringLiteral("宽 210  高 90"));
    SlipOptions o = window->Format().Options();
    o.locked = true;
    window->Format().SetOptions(o);
    EXPECT_FALSE(window->slipSizeButton->isEnabled());
}

TEST_F(MainWindowDialogTest, DoubleClickOnTheOffsetsOpensTheMarginDialog)
{
    LoadSampleFormat(window->Format());
    WhenModalShown<PrintMarginDialog>([](PrintMarginDialog* d) {
        TypeInto(d->xEdit, QStringLiteral("11.5"));
        Click(d->okButton);
    });
    QTest::mouseDClick(window->offsetLabel, Qt::LeftButton);
    EXPECT_EQ(window->Format().Header().offsetXMm, 11.5);
    EXPECT_EQ(window->offsetLabel->text(), QStringLiteral("横 11.5  纵 10"));
}

TEST_F(MainWindowDialogTest, BarcodeStandardMenuItemStoresTheChoice)
{
    ASSERT_TRUE(window->barcodeStandardAction->isEnabled());
    WhenModalShown<BarcodeStandardDialog>([](BarcodeStandardDialog* d) {
        Click(d->options[1]);
        Click(d->okButton);
    });
    window->barcodeStandardAction->trigger();
    EXPECT_EQ(StoredBarcodeStandard(), 1);
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
    WhenModalShown<BarcodeStandardDialog>([](BarcodeStandardDialog* d) {
        Click(d->options[1]);
        Click(d->okButton);
        if (d->isVisible()) d->reject();
    });
    window->barcodeStandardAction->trigger();
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
