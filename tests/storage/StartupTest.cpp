#include "TestHome.h"

#include "storage/DataFolder.h"
#include "storage/Params.h"
#include "storage/Prompt.h"
#include "storage/Startup.h"
#include "workspace/FmtList.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

using namespace slip;

TEST(Password, CheckIsExactAndCaseSensitive)
{
    test::TestHome home;
    EXPECT_TRUE(CheckStartupPassword(""));
    ASSERT_TRUE(SetParam("软件密码", "Abc"));
    EXPECT_TRUE(CheckStartupPassword("Abc"));
    EXPECT_FALSE(CheckStartupPassword("abc"));
    EXPECT_FALSE(CheckStartupPassword("Abc "));
}

TEST(Password, ChangeRules)
{
    test::TestHome home;
    EXPECT_EQ(ChangeStartupPassword("", "新", "新的"), PasswordChange::NewEntriesDiffer);
    EXPECT_EQ(GetParam("软件密码"), QString());
    EXPECT_EQ(ChangeStartupPassword("x", "Pw", "Pw"), PasswordChange::WrongOldPassword);
    EXPECT_EQ(ChangeStartupPassword("", "Pw", "Pw"), PasswordChange::Changed);
    EXPECT_EQ(GetParam("软件密码"), "Pw");
    EXPECT_EQ(ChangeStartupPassword("", "a", "a"), PasswordChange::WrongOldPassword);
    EXPECT_EQ(ChangeStartupPassword("pw", "a", "a"), PasswordChange::WrongOldPassword);
    EXPECT_EQ(ChangeStartupPassword("Pw", "", ""), PasswordChange::Changed);
    EXPECT_EQ(GetParam("软件密码"), QString());
}

TEST(Password, PromptRefusesWrongPasswordAndStaysOpen)
{
    test::TestHome home;
    ASSERT_TRUE(SetParam("软件密码", "Secret"));
    ScriptedPrompter prompts;
    PSDCon prompt;
    prompt.show();
    prompt.T->setText("secret");
    prompt.COM_Click();
    ASSERT_EQ(prompts.shown, QStringList{"密码错误！"});
    EXPECT_TRUE(prompt.isVisible());
    EXPECT_EQ(prompt.T->text(), "secret");
    prompt.T->setText("Secret");
    // The main window opens on an empty library and offers the format list.
    FmtList::TestResponder() = [](FmtList& l) { l.reject(); };
    prompt.COM_Click();
    FmtList::TestResponder() = nullptr;
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_EQ(prompts.shown.size(), 1);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == ProgramCaption()) w->close();
}

TEST(Password, ChangeDialogTellsMismatchAndStoresNothing)
{
    test::TestHome home;
    ScriptedPrompter prompts;
    ModiPSD dlg;
    dlg.show();
    dlg.T[1]->setText("a");
    dlg.T[2]->setText("b");
    dlg.COM_Click();
    EXPECT_EQ(prompts.shown, QStringList{"两次输入的新密码不相符！"});
    EXPECT_TRUE(dlg.isVisible());
    dlg.T[2]->setText("a");
    dlg.COM_Click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(GetParam("软件密码"), "a");
}

TEST(Startup, CorruptDatabaseEndsTheProgramAndKeepsTheFile)
{
    test::TestHome home(false);
    const QByteArray junk = QByteArray("not a database at all ").repeated(50);
    {
        QFile f(DatabasePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(junk);
    }
    ScriptedPrompter prompts;
    EXPECT_NE(Main(*qApp), 0);
    EXPECT_TRUE(prompts.shown.contains("无法建立数据库连接！"));
    QFile f(DatabasePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), junk);
}

TEST(Startup, SecondCopyOnTheSameDataFolderEndsSilently)
{
    test::TestHome home(false);
    const QString exe = QStringLiteral(SLIP_BINARY_DIR) + "/slipprint";
    ASSERT_TRUE(QFileInfo::exists(exe));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SLIPPRINT_HOME", DataFolder());
    env.insert("XDG_CONFIG_HOME", home.file("config"));
    env.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(exe, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    const QString lock = DataFile("slipprint.lock");
    QElapsedTimer t;
    t.start();
    while (!QFileInfo::exists(lock) && t.elapsed() < 20000) QThread::msleep(50);
    ASSERT_TRUE(QFileInfo::exists(lock));
    QThread::msleep(200);
    ASSERT_EQ(first.state(), QProcess::Running);

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(exe, {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished(5000);

    // A copy on another data folder starts.
    test::TestHome other(false);
    QProcessEnvironment env2 = env;
    env2.insert("SLIPPRINT_HOME", DataFolder());
    QProcess third;
    third.setProcessEnvironment(env2);
    third.start(exe, {});
    ASSERT_TRUE(third.waitForStarted(10000));
    EXPECT_FALSE(third.waitForFinished(1500));
    third.kill();
    third.waitForFinished(5000);
}
