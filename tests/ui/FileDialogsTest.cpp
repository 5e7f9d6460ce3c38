#include "ScriptedFileDialog.h"
#include "TestHome.h"

#include "core/DataFolder.h"
#include "ui/FileDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace slip;

TEST(FileFilters, PairsBecomeQtEntries)
{
    EXPECT_EQ(QtFileFilters(kPictureFilter),
              (QStringList{"JPEG格式(*.jpg)", "位图(*.bmp)", "GIF格式(*.gif)", "WMF格式(*.wmf)",
                           "图标格式(*.ico)", "所有格式(*.*) (*)"}));
    EXPECT_EQ(QtFileFilters("JPEG格式(*.jpg)|*.jpg"), QStringList{"JPEG格式(*.jpg)"});
    // Several patterns joined by ";" are one entry with blanks between them.
    EXPECT_EQ(QtFileFilters("Excel或CSV(*.xls;*.csv)|*.xls;*.csv|模板|*.tvq"),
              (QStringList{"Excel或CSV(*.xls;*.csv) (*.xls *.csv)", "模板 (*.tvq)"}));
    EXPECT_EQ(QtFileFilters(""), QStringList{});
    // An unpaired last name is dropped; a pair without patterns shows every file.
    EXPECT_EQ(QtFileFilters("CSV|*.csv|孤立"), QStringList{"CSV (*.csv)"});
    EXPECT_EQ(QtFileFilters("任意|"), QStringList{"任意 (*)"});
    EXPECT_EQ(QtFileFilters("|*.txt"), QStringList{"(*.txt)"});
}

TEST(ChooseFile, AsksTheDialogAndRemembersTheLastName)
{
    ScriptedFileDialog dialogs;
    dialogs.answers = {"/tmp/a/批量.csv", "", "/tmp/b/图.jpg"};
    EXPECT_EQ(ChooseFile("CSV|*.csv", true, "默认.csv"), "/tmp/a/批量.csv");
    EXPECT_EQ(ChooseFile("CSV|*.csv", false), "");  // cancelled
    EXPECT_EQ(ChoosePictureFile(), "/tmp/b/图.jpg");
    EXPECT_EQ(ChoosePictureFile(), "");  // script empty: cancelled
    ASSERT_EQ(dialogs.requests.size(), 4u);
    EXPECT_TRUE(dialogs.requests[0].save);
    EXPECT_EQ(dialogs.requests[0].defaultName, "默认.csv");
    EXPECT_FALSE(dialogs.requests[1].save);
    EXPECT_EQ(dialogs.requests[2].filter, kPictureFilter);
}

TEST(EnsureAppFolder, CreatesTheFolderInTheDataFolder)
{
    test::TestHome home(false);
    EXPECT_FALSE(EnsureAppFolder("   "));
    EXPECT_TRUE(EnsureAppFolder(" Temp "));
    EXPECT_TRUE(QFileInfo(DataFolder() + "/Temp").isDir());
    EXPECT_TRUE(EnsureAppFolder("Temp"));  // already there
    // A file in the way: no folder, and it says so.
    QFile blocker(DataFolder() + "/图片");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(EnsureAppFolder("图片"));
    EXPECT_TRUE(QFileInfo(DataFolder() + "/图片").isFile());
}

TEST(ShellOpen, PathsOpenAsFilesAddressesAsThemselves)
{
    EXPECT_EQ(ShellOpenUrl("https://example.com/帮助"), QUrl("https://example.com/帮助"));
    EXPECT_EQ(ShellOpenUrl("mailto:a@example.com").scheme(), "mailto");
    EXPECT_EQ(ShellOpenUrl("/home/u/数据/KVW.CHM"), QUrl::fromLocalFile("/home/u/数据/KVW.CHM"));
    EXPECT_EQ(ShellOpenUrl("relative name.txt"), QUrl::fromLocalFile("relative name.txt"));
}

