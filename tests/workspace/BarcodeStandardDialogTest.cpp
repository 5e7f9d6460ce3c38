#include "DialogTestSupport.h"

#include "storage/Params.h"
#include "workspace/dialogs/Dialogs.h"
#include "workspace/dialogs/SlipDialogs.h"

#include <QRadioButton>

using namespace slip;
using namespace slip::test;

namespace {

struct BarcodeStandardDialogTest : ::testing::Test {
    TestHome home;
    ScriptedPrompter prompter;
    std::unique_ptr<BarcodeStandardDialog> dialog;

    BarcodeStandardDialog& Open()
    {
        dialog = std::make_unique<BarcodeStandardDialog>();
        ShowAndWait(dialog.get());
        return *dialog;
    }
    QString Stored() { return GetParam(QStringLiteral("StrBarCodeStand")); }
};

} // namespace

TEST_F(BarcodeStandardDialogTest, NothingStoredMeansCode39)
{
    BarcodeStandardDialog& d = Open();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("条码编码标准设置"));
    EXPECT_EQ(d.options[0]->text(), QStringLiteral(" 39码"));
    EXPECT_EQ(d.options[1]->text(), QStringLiteral(" EAN-13码"));
    EXPECT_EQ(d.okButton->text(), QStringLiteral("确     定"));
    EXPECT_TRUE(d.options[0]->isChecked());
    EXPECT_EQ(StoredBarcodeStandard(), 0);
}

TEST_F(BarcodeStandardDialogTest, ChoosingEan13StoresOne)
{
    BarcodeStandardDialog& d = Open();
    Click(d.options[1]);
    Click(d.okButton);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(Stored(), QStringLiteral("1"));
    EXPECT_EQ(StoredBarcodeStandard(), 1);
    BarcodeStandardDialog& again = Open();
    EXPECT_TRUE(again.options[1]->isChecked());
    Click(again.options[0]);
    Click(again.okButton);
    EXPECT_EQ(Stored(), QStringLiteral("0"));
}

TEST_F(BarcodeStandardDialogTest, NoOptionOnStoresCode39NotAnOutOfRangeValue)
{
    ASSERT_TRUE(SetParam(QStringLiteral("StrBarCodeStand"), QStringLiteral("7")));
    BarcodeStandardDialog& d = Open();
    EXPECT_FALSE(d.options[0]->isChecked());
    EXPECT_FALSE(d.options[1]->isChecked());
    EXPECT_EQ(StoredBarcodeStandard(), 1);  // paper reads any number but 0 as EAN-13
    Click(d.okButton);
    EXPECT_EQ(Stored(), QStringLiteral("0"));
}

TEST_F(BarcodeStandardDialogTest, ClosingTheWindowStoresNothing)
{
    BarcodeStandardDialog& d = Open();
    Click(d.options[1]);
    d.close();
    EXPECT_EQ(Stored(), QString());
}

TEST_F(BarcodeStandardDialogTest, EntryPointAnswersWhetherItWasStored)
{
    WhenModalShown<BarcodeStandardDialog>([](BarcodeStandardDialog* d) {
        Click(d->options[1]);
        Click(d->okButton);
    });
    EXPECT_TRUE(EditBarcodeStandard(nullptr));
    EXPECT_EQ(StoredBarcodeStandard(), 1);
    WhenModalShown<BarcodeStandardDialog>([](BarcodeStandardDialog* d) { d->reject(); });
    EXPECT_FALSE(EditBarcodeStandard(nullptr));
    EXPECT_EQ(StoredBarcodeStandard(), 1);
}
