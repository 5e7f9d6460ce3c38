#include "DamagedTable.h"
#include "TestHome.h"
#include "FileBytes.h"
#include "PlainDatabase.h"
#include "ScriptedPrompter.h"

#include "app/Startup.h"
#include "core/DataFolder.h"
#include "storage/BackgroundStore.h"
#include "storage/BoxRecord.h"
#include "storage/Compaction.h"
#include "storage/Database.h"
#include "storage/Params.h"
#include "storage/Password.h"
#include "ui/PasswordDialogs.h"
#include "workspace/FormatListDialog.h"
#include "workspace/MainWindow.h"
#include "Responding.h"
#include "ShownWindow.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTest>
#include <QLineEdit>
#include <tuple>

using namespace slip;

using PasswordChangeDialogHome = test::WithHome;
using PasswordPromptHome = test::WithHome;
using StartupHome = test::WithHome;

TEST_F(PasswordPromptHome, OneEnterIsOneTryAndTheRightPasswordOpensTheProgram)
{
    ASSERT_EQ(ChangeStartupPassword("", "Secret", "Secret"), PasswordChange::Changed);
    ScriptedPrompter prompts;
    PasswordPrompt prompt;
    int unlocked = 0;
    QObject::connect(&prompt, &PasswordPrompt::unlocked, [&] { ++unlocked; });
    prompt.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&prompt));
    prompt.entry->setFocus();
    QTest::keyClicks(prompt.entry, "secret");
    QTest::keyClick(prompt.entry, Qt::Key_Return);
    EXPECT_EQ(prompts.shown, QStringList{"密码错误！"});  // once, not twice
    EXPECT_TRUE(prompt.isVisible());
    EXPECT_EQ(unlocked, 0);
    prompt.entry->clear();
    QTest::keyClicks(prompt.entry, "Secret");
    QTest::keyClick(prompt.entry, Qt::Key_Enter);
    EXPECT_EQ(unlocked, 1);
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_EQ(prompts.shown.size(), 1);
}

// The main window shows and the prompt goes before the offered format list is answered.
TEST_F(StartupHome, TheRightPasswordShowsTheMainWindowAndThenClosesThePrompt)
{
    ASSERT_EQ(ChangeStartupPassword("", "Secret", "Secret"), PasswordChange::Changed);
    ScriptedPrompter prompts;
    QStringList listedWith;  // main window and prompt on the screen while the list waits
    test::Responding<FormatListDialog> list([&](FormatListDialog& l) {
        listedWith << QString("%1%2").arg(test::Shown<MainWindow>() != nullptr).arg(test::Shown<PasswordPrompt>() != nullptr);
        l.reject();
    });
    ShowPasswordPrompt();
    for (const auto& [typed, listed, promptAfter] : {std::tuple{"secret", QStringList(), true}, {"Secret", {"10"}, false}}) {
        ASSERT_NE(test::Shown<PasswordPrompt>(), nullptr) << typed;
        test::Shown<PasswordPrompt>()->entry->setText(typed);
        QTest::keyClick(test::Shown<PasswordPrompt>()->entry, Qt::Key_Return);
        EXPECT_EQ(listedWith, listed) << typed;
        EXPECT_EQ(test::Shown<PasswordPrompt>() != nullptr, promptAfter) << typed;
    }
    EXPECT_EQ(prompts.shown, QStringList{"密码错误！"});
    ASSERT_NE(test::Shown<MainWindow>(), nullptr);
    test::Shown<MainWindow>()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(PasswordChangeDialogHome, OneEnterTellsAMismatchOnceAndStoresNothing)
{
    ScriptedPrompter prompts;
    PasswordChangeDialog dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QTest::keyClicks(dlg.entries[1], "a");
    QTest::keyClicks(dlg.entries[2], "b");
    QTest::keyClick(dlg.entries[2], Qt::Key_Return);
    EXPECT_EQ(prompts.shown, QStringList{"两次输入的新密码不相符！"});
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE((ReadStartupPasswordState() == StartupPasswordState::None));
    dlg.entries[2]->clear();
    QTest::keyClicks(dlg.entries[2], "a");
    QTest::keyClick(dlg.entries[2], Qt::Key_Return);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(CheckStartupPassword("a"));
    EXPECT_EQ(prompts.shown.size(), 1);
}

TEST(Startup, CorruptDatabaseEndsTheProgramAndKeepsTheFile)
{
    test::TestHome home(false);
    const QByteArray junk = QByteArray("not a database at all ").repeated(50);
    ASSERT_TRUE(test::WriteBytes(DatabasePath(), junk));
    ScriptedPrompter prompts;
    EXPECT_NE(Main(*qApp), 0);
    EXPECT_TRUE(prompts.shown.contains("无法建立数据库连接！"));
    EXPECT_EQ(test::FileBytes(DatabasePath()), junk);
}

TEST_F(StartupHome, APasswordThatCantBeReadOpensNothing)
{
    ASSERT_EQ(ChangeStartupPassword("", "Pw", "Pw"), PasswordChange::Changed);
    test::DamageTable("参数");
    ScriptedPrompter prompts;
    EXPECT_NE(Main(*qApp), 0);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].contains(QDir::toNativeSeparators(DatabasePath()))) << prompts.shown[0].toStdString();
    for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible()) << w->metaObject()->className();
    // The data folder is free again.
    EXPECT_EQ(AcquireInstanceLock(), InstanceLock::Acquired);
    ReleaseInstanceLock();
    // A prompt already open lets no one in either, and says why.
    prompts.shown.clear();
    PasswordPrompt prompt;
    int unlocked = 0;
    QObject::connect(&prompt, &PasswordPrompt::unlocked, [&] { ++unlocked; });
    prompt.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&prompt));
    QTest::keyClicks(prompt.entry, "Pw");
    QTest::keyClick(prompt.entry, Qt::Key_Return);
    EXPECT_EQ(unlocked, 0);
    EXPECT_EQ(prompts.shown, QStringList{UnreadablePasswordText()});
}

// A killed save noted a picture change; a killed compaction left its copy of the database; an older version stored a
// format without a header.
TEST_F(StartupHome, StartFinishesWhatKilledRunsAndOlderVersionsLeft)
{
    const QByteArray oldTmp = qgetenv("TMPDIR");
    ASSERT_TRUE(QDir().mkpath(home.file("tmp")));
    qputenv("TMPDIR", home.file("tmp").toLocal8Bit());
    ASSERT_TRUE(CompactAppDatabase());
    const QStringList folders = QDir(home.file("tmp")).entryList({"slipprint-*"}, QDir::Dirs);
    ASSERT_EQ(folders.size(), 1);
    const QString copy = home.file("tmp") + "/" + folders[0] + "/TEMP.mdb";
    ASSERT_TRUE(QFile::copy(DatabasePath(), copy));
    ASSERT_TRUE(ExecuteSql("INSERT INTO Fmt(Fmt, LBL) VALUES('甲', 'x')"));
    ASSERT_TRUE(test::WriteBytes(DataFile(".staged-picture-1.jpg"), "new picture"));
    ASSERT_TRUE(ExecuteSql("INSERT INTO 底图待换(Fmt, Staged) VALUES('甲', '.staged-picture-1.jpg')"));
    ASSERT_EQ(PrepareDatabase(), DatabaseCheck::Usable);
    qputenv("TMPDIR", oldTmp);
    EXPECT_EQ(test::FileBytes(BackgroundStore::PicturePath("甲")), "new picture");
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_EQ(GetFieldWhere("Fmt", "Fmt='甲' AND LBL=?", {HeaderLabel()}, "W").toDouble(), kNewSlipWidthMm);
}

TEST_F(StartupHome, AHeaderThatCantBeMendedIsToldAndTheStartGoesOn)
{
    ASSERT_TRUE(ExecuteSql("INSERT INTO Fmt(Fmt, LBL) VALUES('甲', 'x')"));
    ASSERT_TRUE(ExecuteSql("CREATE TRIGGER no BEFORE INSERT ON Fmt WHEN NEW.Fmt='甲' BEGIN SELECT RAISE(ABORT, 'x'); END"));
    ScriptedPrompter prompts;
    EXPECT_EQ(PrepareDatabase(), DatabaseCheck::Usable);
    EXPECT_TRUE(prompts.shown.value(0).startsWith("格式的单据整体参数无法补全，缺少参数的格式不会出现在格式列表中！\r\n"
                                                  "数据库打开错误(INSERT INTO Fmt(Fmt, LBL, W, H, X, Y, Color, Mem)"));
}

TEST_F(PasswordPromptHome, EveryPasswordBoxShowsStars)
{
    PasswordPrompt prompt;
    PasswordChangeDialog change;
    for (QLineEdit* box : QList<QLineEdit*>{prompt.entry} + QList<QLineEdit*>(change.entries.begin(), change.entries.end())) {
        QTest::keyClicks(box, "ab1");
        EXPECT_EQ(box->displayText(), "***");
    }
}

TEST_F(StartupHome, AReadOnlyDatabaseIsRefusedAndKeepsItsPermissions)
{
    const auto readOnly = QFile::ReadOwner;
    ASSERT_TRUE(QFile::setPermissions(DatabasePath(), readOnly));
    EXPECT_EQ(PrepareDatabase(), DatabaseCheck::ReadOnly);
    EXPECT_EQ(QFile::permissions(DatabasePath()) & 0x7000, readOnly);
    ScriptedPrompter prompts;
    ReleaseInstanceLock();
    EXPECT_EQ(Main(*qApp), 1);
    EXPECT_EQ(prompts.shown, QStringList{DatabaseCheckText(DatabaseCheck::ReadOnly)});
    EXPECT_EQ(QFile::permissions(DatabasePath()) & 0x7000, readOnly);
}

TEST_F(StartupHome, APrivateDatabaseKeepsItsPermissionsAndAnOpenOneIsMadePrivate)
{
    ASSERT_TRUE(QFile::setPermissions(DatabasePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser));
    EXPECT_EQ(PrepareDatabase(), DatabaseCheck::Usable);
    EXPECT_EQ(QFile::permissions(DatabasePath()) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    ASSERT_TRUE(QFile::setPermissions(DatabasePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    EXPECT_EQ(PrepareDatabase(), DatabaseCheck::Usable);
    EXPECT_FALSE(QFile::permissions(DatabasePath()) & QFile::ReadOther);
}

TEST(Startup, ADatabaseWithoutThePasswordIsEncryptedBeforeTheProgramUsesIt)
{
    test::TestHome home(false);
    ASSERT_TRUE(test::RunOnFile(DatabasePath(), false,
                                {"CREATE TABLE 参数 (RowID INTEGER PRIMARY KEY AUTOINCREMENT, Var TEXT, Con TEXT)",
                                 "INSERT INTO 参数(Var, Con) VALUES('格式搜索', '定期存款')"}));
    ASSERT_TRUE(test::ReadableWithoutPassword(DatabasePath()));
    EXPECT_EQ(PrepareDatabase(), DatabaseCheck::Usable);
    EXPECT_FALSE(test::ReadableWithoutPassword(DatabasePath()));
    EXPECT_EQ(GetParam("格式搜索"), "定期存款");

    // One that can't be converted is told, and left as it was.
    ASSERT_TRUE(test::DecryptInPlace(DatabasePath()));
    const QByteArray plain = test::FileBytes(DatabasePath());
    ASSERT_TRUE(QDir().mkpath(DatabasePath() + ".unencrypted/in-the-way"));
    ScriptedPrompter prompts;
    ReleaseInstanceLock();
    EXPECT_EQ(Main(*qApp), 1);
    EXPECT_EQ(prompts.shown, QStringList{DatabaseCheckText(DatabaseCheck::CannotEncrypt)});
    EXPECT_EQ(test::FileBytes(DatabasePath()), plain);
}

TEST_F(StartupHome, ALockFileThatCannotBeMadeIsAFailureNotAnotherCopy)
{
    ReleaseInstanceLock();
    // A folder where the lock file should be: it can't be created.
    ASSERT_TRUE(QDir().mkpath(DataFile("slipprint.lock") + "/in-the-way"));
    EXPECT_EQ(AcquireInstanceLock(), InstanceLock::Failed);
    ASSERT_TRUE(QDir(DataFile("slipprint.lock")).removeRecursively());
    EXPECT_EQ(AcquireInstanceLock(), InstanceLock::Acquired);
    ReleaseInstanceLock();
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
