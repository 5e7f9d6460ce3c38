#include "DialogTestSupport.h"

#include "core/ProgramName.h"
#include "storage/Params.h"
#include "workspace/dialogs/AboutDialog.h"
#include "workspace/dialogs/Dialogs.h"

#include <QDesktopServices>
#include <QLabel>
#include <QUrl>

using namespace slip;
using namespace slip::test;

namespace {

// Takes the web pages the dialog asks the shell to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher()
    {
        for (const char* s : {"http", "https"}) QDesktopServices::setUrlHandler(QString::fromLatin1(s), this, "Open");
    }
    ~UrlCatcher() override
    {
        for (const char* s : {"http", "https"}) QDesktopServices::unsetUrlHandler(QString::fromLatin1(s));
    }
    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened << url; }
};

} // namespace

TEST(AboutDialog, ShowsNameVersionAndTheMakersLinesThatAreSet)
{
    TestHome home;
    ASSERT_TRUE(SetParam(QStringLiteral("关于：版权所有"), QStringLiteral("某某软件工作室")));
    ASSERT_TRUE(SetParam(QStringLiteral("关于：开发者"), QStringLiteral("张三")));
    ASSERT_TRUE(SetParam(QStringLiteral("关于：电话"), QStringLiteral("010-12345678")));
    AboutDialog d;
    ShowAndWait(&d);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("版权说明"));
    EXPECT_TRUE(d.copyrightLine->text().contains(ProgramTitle()));
    EXPECT_TRUE(d.copyrightLine->text().contains(ProgramVersion()));
    EXPECT_TRUE(d.copyrightLine->text().contains(QStringLiteral("某某软件工作室")));
    ASSERT_EQ(d.makerLabels.size(), MakerLines().size());
    EXPECT_EQ(d.makerLabels[0]->text(), QStringLiteral("开发者：张三"));
    EXPECT_TRUE(d.makerLabels[0]->isVisible());
    EXPECT_EQ(d.makerLabels[2]->text(), QStringLiteral("电话：010-12345678"));
    // Lines nobody set are left out.
    EXPECT_FALSE(d.makerLabels[1]->isVisible());
    EXPECT_FALSE(d.makerLabels[3]->isVisible());
    EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
    Click(d.closeButton);
    EXPECT_FALSE(d.isVisible());
}

TEST(AboutDialog, ClickOnALineOpensTheMakersWebPage)
{
    TestHome home;
    ASSERT_TRUE(SetParam(QStringLiteral("关于：网址"), QStringLiteral("www.example.com/slip")));
    ASSERT_TRUE(SetParam(QStringLiteral("关于：开发者"), QStringLiteral("张三")));
    UrlCatcher catcher;
    AboutDialog d;
    ShowAndWait(&d);
    QTest::mouseClick(d.makerLabels[0], Qt::LeftButton);
    QTest::mouseClick(d.copyrightLine, Qt::LeftButton);
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(catcher.opened[0], QUrl(QStringLiteral("http://www.example.com/slip")));
    // The dialog stays open.
    EXPECT_TRUE(d.isVisible());
}

TEST(AboutDialog, WithoutAWebAddressAClickOpensNothing)
{
    TestHome home;
    UrlCatcher catcher;
    AboutDialog d;
    ShowAndWait(&d);
    QTest::mouseClick(d.copyrightLine, Qt::LeftButton);
    EXPECT_TRUE(catcher.opened.isEmpty());
    EXPECT_TRUE(d.OpenedAddress().isEmpty());
}

TEST(AboutDialog, EntryPointShowsOneDialog)
{
    TestHome home;
    ShowAbout(nullptr);
    ShowAbout(nullptr);
    int shown = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<AboutDialog*>(w) && w->isVisible()) {
            ++shown;
            w->close();
        }
    EXPECT_EQ(shown, 1);
}

#include "AboutDialogTest.moc"
