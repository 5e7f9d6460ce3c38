#include "TestHome.h"
#include "ScriptedPrompter.h"

#include "core/DataFolder.h"
#include "exchange/Server.h"
#include "storage/Params.h"
#include "workspace/HelpLinks.h"
#include "workspace/MainWindow.h"
#include "workspace/SlipView.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>
#include <gtest/gtest.h>

using namespace slip;

namespace {

// Takes the addresses the desktop would be asked to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    explicit UrlCatcher(const QStringList& schemes) : schemes_(schemes)
    {
        for (const QString& s : schemes_) QDesktopServices::setUrlHandler(s, this, "Open");
    }
    ~UrlCatcher() override
    {
        for (const QString& s : schemes_) QDesktopServices::unsetUrlHandler(s);
    }
    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened << url; }

private:
    QStringList schemes_;
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
        FormatHeader h;
        h.name = QStringLiteral("进账单");
        h.widthMm = 200;
        h.heightMm = 100;
        Box a;
        a.id = 1;
        a.rect = QRectF(20, 20, 40, 8);
        Box b = a;
        b.id = 2;
        b.rect = QRectF(35.5, 40, 60, 8);
        window->Format().Load(h, {a, b});
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
    EXPECT_EQ(window->LineBreakMarkerSetting(), QStringLiteral("//"));
    window->SetLineBreakMarker();
    EXPECT_EQ(window->LineBreakMarker(), QStringLiteral("##"));
    EXPECT_EQ(p.shown.size(), 6);
}

TEST_F(Window, ManualOpensWhenInstalledAndIsSaidMissingOtherwise)
{
    UrlCatcher urls({QStringLiteral("file")});
    {
        ScriptedPrompter p;
        Item(QStringLiteral("使用说明"))->trigger();
        EXPECT_EQ(p.shown, QStringList{NoManualMessage()});
        EXPECT_TRUE(urls.opened.isEmpty());
    }
    QFile manual(DataFile(QStringLiteral("使用说明.html")));
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.write("<html><body>使用说明</body></html>");
    manual.close();
    ScriptedPrompter p;
    Item(QStringLiteral("使用说明"))->trigger();
    EXPECT_TRUE(p.shown.isEmpty());
    ASSERT_EQ(urls.opened.size(), 1);
    EXPECT_EQ(urls.opened[0].toLocalFile(), QFileInfo(manual).absoluteFilePath());
}

TEST_F(Window, WebPagesLieOnTheSetServerAndSaySoWhenNoneIsSet)
{
    UrlCatcher urls({QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("file")});
    for (const HelpPage& page : HelpPages()) {
        ScriptedPrompter p;
        Item(page.caption)->trigger();
        ASSERT_EQ(p.shown.size(), 1) << page.caption.toStdString();
        EXPECT_TRUE(p.shown[0].contains(QStringLiteral("未设置服务器地址！")));
    }
    EXPECT_TRUE(urls.opened.isEmpty());
    ASSERT_TRUE(SetServerAddress(QStringLiteral("https://slips.example.com/mirror")));
    for (const HelpPage& page : HelpPages()) {
        ScriptedPrompter p;
        Item(page.caption)->trigger();
        EXPECT_TRUE(p.shown.isEmpty());
    }
    ASSERT_EQ(urls.opened.size(), HelpPages().size());
    EXPECT_EQ(urls.opened.back(), QUrl(QStringLiteral("https://slips.example.com/mirror/shop/index.htm")));
}

#include "LayoutMenusTest.moc"
