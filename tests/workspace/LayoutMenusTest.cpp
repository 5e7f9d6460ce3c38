#include "BoxBuilders.h"
#include "FileBytes.h"
#include "FileSizeLimit.h"
#include "TestHome.h"
#include "ScriptedPrompter.h"

#include "core/DataFolder.h"
#include "core/Registry.h"
#include "exchange/Server.h"
#include "storage/Params.h"
#include "workspace/HelpLinks.h"
#include "workspace/MainWindow.h"
#include "workspace/SlipView.h"
#include "workspace/dialogs/AboutDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QLabel>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

using namespace slip;

namespace {

// Takes the addresses the desktop would be asked to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { for (const char* s : {"file", "http", "https"}) QDesktopServices::setUrlHandler(s, this, "Open"); }
    ~UrlCatcher() override { for (const char* s : {"file", "http", "https"}) QDesktopServices::unsetUrlHandler(s); }
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

QAction* FindAction(const QList<QAction*>& actions, const QString& caption)
{
    for (QAction* a : actions) {
        if (a->text() == caption) return a;
        if (a->menu())
            if (QAction* inner = FindAction(a->menu()->actions(), caption)) return inner;
    }
    return nullptr;
}

class Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<MainWindow>();
        FormatHeader h{QStringLiteral("进账单"), 200, 100};
        window->Format().Load(h, {test::MakeBox(1, BoxKind::Text, {20, 20, 40, 8}),
                                  test::MakeBox(2, BoxKind::Text, {35.5, 40, 60, 8})});
    }
    QAction* Item(const QString& caption) const { return FindAction(window->menuBar()->actions(), caption); }

    test::TestHome home;
    std::unique_ptr<MainWindow> window;
};

} // namespace

TEST_F(Window, AlignSizeAsksHeightThenWidthAndTheLockGreysTheMenu)
{
    SlipFormat& f = window->Format();
    f.SetSelection({1, 2});
    {
        ScriptedPrompter p;
        p.inputs = {QStringLiteral("10"), QStringLiteral("70")};
        Item(QStringLiteral("统一尺寸"))->trigger();
        EXPECT_EQ(p.shown.size(), 2);
    }
    EXPECT_EQ(f.Find(2)->rect.size(), QSizeF(70, 10));
    window->optionBoxes[2]->setChecked(true);
    EXPECT_FALSE(window->alignMenu->isEnabled());
    window->optionBoxes[2]->setChecked(false);
    EXPECT_TRUE(window->alignMenu->isEnabled());
}

TEST_F(Window, CurrencyCharacterAndLineBreakMarkerTellARefusalAndTakeAnAnswer)
{
    ScriptedPrompter p;
    p.inputs = {QStringLiteral("|"), QStringLiteral("€ euro"), QStringLiteral("a\nb"), QStringLiteral("##")};
    window->SetCurrencyChar();
    EXPECT_EQ(p.shown.last(), QStringLiteral("货币符号不能是“|”！"));
    window->SetCurrencyChar();
    EXPECT_EQ(window->Format().Options().currencyChar, QChar(0x20AC));
    window->SetLineBreakMarker();
    EXPECT_EQ(window->LineBreakMarker(), QStringLiteral("//"));
    window->SetLineBreakMarker();
    EXPECT_EQ(window->LineBreakMarker(), QStringLiteral("##"));
    EXPECT_EQ(p.shown.size(), 6);
    // A marker the disk can't keep is used for this run and told as not saved.
    p.inputs.push_back(QStringLiteral("%%"));
    {
        test::FileSizeLimit fullDisk(1);
        window->SetLineBreakMarker();
    }
    EXPECT_TRUE(p.shown.last().startsWith(QStringLiteral("换行特殊符设置保存失败！"))) << p.shown.last().toStdString();
    EXPECT_EQ(window->LineBreakMarker(), QStringLiteral("%%"));
    EXPECT_EQ(GetRegValue(RegRoot(), "Para", "CrlfChr", "//"), "##");
}

TEST(HelpLinks, ManualIsTheHelpFileOfTheFirstFolderAndPagesLieOnTheSetServer)
{
    test::TestHome home;
    const QString a = home.file("a"), b = home.file("b");
    ASSERT_TRUE(QDir().mkpath(a) && QDir().mkpath(b));
    EXPECT_EQ(ManualFolders().value(0), DataFolder());
    EXPECT_EQ(FindManual({a, b}), QString());
    ASSERT_TRUE(test::WriteBytes(b + "/manual.pdf", "x") && test::WriteBytes(b + "/KVW.CHM", "x"));
    EXPECT_EQ(FindManual({a, b}), b + "/KVW.CHM");
    ASSERT_TRUE(test::WriteBytes(a + "/KVW.CHM", "x"));
    EXPECT_EQ(FindManual({a, b}), a + "/KVW.CHM") << "by folder first";
    for (const HelpPage& page : HelpPages()) {
        EXPECT_FALSE(HelpPageAddress(page).url.isValid());
        EXPECT_EQ(HelpPageAddress(page).error, NoServerAddressError());
    }
    ASSERT_TRUE(SetServerAddress(QStringLiteral("https://slips.example.com/mirror")));
    EXPECT_EQ(HelpPageAddress(HelpPages().back()).url, QUrl("https://slips.example.com/mirror/shop/index.htm"));
}

TEST_F(Window, HelpItemsOpenTheManualAndThePagesOrSayWhatIsMissing)
{
    const QString manual = QStringLiteral("使用说明"), page = HelpPages().last().caption;
    const QString chm = DataFile(QStringLiteral("KVW.CHM"));
    {
        ScriptedPrompter p;
        Item(manual)->trigger();
        Item(page)->trigger();
        ASSERT_EQ(p.shown.size(), 2);
        EXPECT_EQ(p.shown[0], NoManualMessage());
        EXPECT_TRUE(p.shown[0].contains(QDir::toNativeSeparators(chm)));
        EXPECT_TRUE(p.shown[1].contains(QStringLiteral("未设置服务器地址！")));
    }
    ASSERT_TRUE(test::WriteBytes(chm, "ITSF"));
    {
        // No handler on this desktop takes the help file.
        QDesktopServices::setUrlHandler("file", nullptr, nullptr);
        ScriptedPrompter p;
        Item(manual)->trigger();
        ASSERT_EQ(p.shown.size(), 1);
        EXPECT_EQ(p.shown[0], QStringLiteral("本机没有能打开使用说明“") + QDir::toNativeSeparators(chm) + QStringLiteral("”的程序！"));
    }
    UrlCatcher urls;
    ASSERT_TRUE(SetServerAddress(QStringLiteral("https://slips.example.com/mirror")));
    ScriptedPrompter p;
    Item(manual)->trigger();
    Item(page)->trigger();
    EXPECT_TRUE(p.shown.isEmpty());
    EXPECT_EQ(urls.opened, (QList<QUrl>{QUrl::fromLocalFile(chm), QUrl("https://slips.example.com/mirror/shop/index.htm")}));
}

TEST_F(Window, AboutOpensTheSetServerFromTheLogoOrAnyLineOrSaysNoneIsSet)
{
    UrlCatcher urls;
    AboutDialog about;
    about.show();
    std::vector<QWidget*> clickable{about.logo, about.copyrightLine};
    for (QLabel* l : about.makerLabels) clickable.push_back(l);
    {
        ScriptedPrompter p;
        QTest::mouseClick(about.makerLabels[4], Qt::LeftButton);
        EXPECT_EQ(p.shown, QStringList{NoServerAddressError()});
    }
    ASSERT_TRUE(SetServerAddress(QStringLiteral("https://slips.example.com/mirror")));
    ScriptedPrompter p;
    for (QWidget* w : clickable) QTest::mouseClick(w, Qt::LeftButton);
    EXPECT_TRUE(p.shown.isEmpty());
    EXPECT_EQ(urls.opened, QList<QUrl>(clickable.size(), QUrl("https://slips.example.com/mirror")));
    EXPECT_TRUE(about.isVisible()) << "the dialog stays open";
}

#include "LayoutMenusTest.moc"
