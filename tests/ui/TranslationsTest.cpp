#include "ChildTestProgram.h"

#include "ui/Translations.h"

#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QProcess>
#include <QTest>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace slip;

namespace {

// Started as its own child (see below), this test program sets the locale up
// as the program's main does, before the application object exists.
ChineseSystemLocale* const g_childLocale =
    qEnvironmentVariableIsSet("SLIP_LOCALE_CHILD") ? new ChineseSystemLocale : nullptr;

} // namespace

TEST(Translations, TheProgramsLocaleIsChineseForEveryWidget)
{
    if (!g_childLocale) {
        QProcessEnvironment env = test::ChildTestEnvironment();
        env.insert(QStringLiteral("SLIP_LOCALE_CHILD"), QStringLiteral("1"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=Translations.TheProgramsLocaleIsChineseForEveryWidget")});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QString out = QString::fromLocal8Bit(child.readAll());
        EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
        EXPECT_TRUE(out.contains(QStringLiteral("[  PASSED  ] 1 test"))) << out.toStdString();
        return;
    }
    g_childLocale->RestoreEnvironment();
    InstallTranslations(*qApp);
    // The operator's settings are back for the C library and child programs.
    EXPECT_EQ(qgetenv("LC_ALL"), QByteArray("C"));
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
    EXPECT_EQ(QLocale::system().name(), QStringLiteral("zh_CN"));
    EXPECT_EQ(QLocale().name(), QStringLiteral("zh_CN"));

    // What the file dialog lists: type names and dates in Chinese.
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("回单")));
    QFileSystemModel model;
    const QModelIndex root = model.setRootPath(dir.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.rowCount(root) == 1; }, 10000));
    const QModelIndex folder = model.index(0, 0, root);
    EXPECT_EQ(model.index(0, 2, root).data().toString(), QStringLiteral("文件夹"));
    const QDateTime changed = model.lastModified(folder);
    EXPECT_EQ(model.index(0, 3, root).data().toString(),
              QLocale(QLocale::Chinese, QLocale::China).toString(changed, QLocale::ShortFormat));
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("修改日期"));

    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().remove('&'), QStringLiteral("取消"));
    EXPECT_NE(box.button(QDialogButtonBox::Ok)->text().remove('&'), QStringLiteral("OK"));
}
