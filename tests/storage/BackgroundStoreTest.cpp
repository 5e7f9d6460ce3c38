#include "FileBytes.h"
#include "FileSizeLimit.h"
#include "StoredFormats.h"
#include "TestHome.h"

#include "core/DataFolder.h"
#include "storage/BackgroundStore.h"
#include "storage/Database.h"

#include <QDir>

using namespace slip;

namespace {

QString WritePicture(const QString& path, QColor colour, const char* format)
{
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(colour);
    EXPECT_TRUE(img.save(path, format));
    return path;
}

} // namespace

using BackgroundStoreHome = test::WithHome;

TEST_F(BackgroundStoreHome, NamesMapOneToOneAndOldPicturesAreStillFound)
{
    EXPECT_EQ(QFileInfo(BackgroundStore::PicturePath("进账单")).fileName(), "进账单.jpg");
    // "Q/S\"x" and a format literally named "Q4S8x" never share a file.
    EXPECT_NE(BackgroundStore::PicturePath("Q/S\"x"), BackgroundStore::PicturePath("Q4S8x"));
    // A picture kept under the old rule belongs to its format ...
    WritePicture(DataFile("Q4S8x.jpg"), Qt::red, "JPG");
    EXPECT_FALSE(BackgroundStore::Load("Q/S\"x").isNull());
    // ... unless a format is itself named like that file.
    test::SaveFormatWithBoxes(QStringLiteral("Q4S8x"), {});
    EXPECT_TRUE(BackgroundStore::Load("Q/S\"x").isNull());
    EXPECT_FALSE(BackgroundStore::Load("Q4S8x").isNull());
    // Replacing the picture of one of them leaves the other's alone.
    const QString blue = WritePicture(home.file("blue.jpg"), Qt::blue, "JPG");
    ASSERT_TRUE(BackgroundStore::Replace("Q/S\"x", blue).ok);
    EXPECT_LT(BackgroundStore::Load("Q4S8x").pixelColor(5, 5).blue(), 100);
    EXPECT_GT(BackgroundStore::Load("Q/S\"x").pixelColor(5, 5).blue(), 150);
}

TEST_F(BackgroundStoreHome, APictureThatIsNoneOrCantBeWrittenWholeNeverReplacesAGoodOne)
{
    test::SaveFormatWithBoxes(QStringLiteral("甲"), {});
    const QString path = WritePicture(BackgroundStore::PicturePath("甲"), Qt::green, "JPG");
    const QByteArray before = test::FileBytes(path);
    ASSERT_TRUE(test::WriteBytes(home.file("x.jpg"), "this is a letter, not a picture"));
    EXPECT_FALSE(BackgroundStore::Replace("甲", home.file("x.jpg")).ok);
    EXPECT_FALSE(BackgroundStore::Replace("甲", home.file("missing.jpg")).ok);
    // A full disk (the file size limit stands in for it) cuts the copy short.
    QImage big(1500, 1000, QImage::Format_RGB32);
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x) big.setPixel(x, y, qRgb(x * 7, y * 13, x ^ y));
    ASSERT_TRUE(big.save(home.file("big.jpg"), "JPG", 100));
    // A small one fails only as its last bytes go to the disk.
    WritePicture(home.file("small.jpg"), Qt::red, "JPG");
    for (const auto& [picture, room] : {std::pair{"big.jpg", 100 * 1024}, {"small.jpg", 100}}) {
        StoreResult r;
        {
            test::FileSizeLimit fullDisk(room);
            r = BackgroundStore::Replace("甲", home.file(picture));
        }
        EXPECT_FALSE(r.ok) << picture;
        EXPECT_TRUE(r.error.endsWith("（File too large）")) << r.error.toStdString();
        EXPECT_EQ(test::FileBytes(path), before) << picture;
        EXPECT_EQ(QDir(DataFolder()).entryList({"甲*"}), QStringList{"甲.jpg"}) << picture;
    }
}

TEST_F(BackgroundStoreHome, OnlyAJpgFileIsTakenAndItIsCopiedByteForByte)
{
    const struct {
        const char* name;
        const char* format;
        bool taken;
    } cases[] = {{"scan.jpg", "JPG", true},    {"scan.JPG", "JPG", true},   {"扫描.Jpg", "JPG", true},
                 {"scan.jpeg", "JPG", false},  {"scan.png", "PNG", false},  {"scan.bmp", "BMP", false},
                 {"scan.jpg.png", "PNG", false}, {"scanjpg", "JPG", false}};
    for (const auto& c : cases) {
        const QString file = WritePicture(home.file(QString::fromUtf8(c.name)), Qt::red, c.format);
        EXPECT_EQ(BackgroundStore::IsPictureFileName(file), c.taken) << c.name;
        const StoreResult r = BackgroundStore::Replace("乙", file);
        EXPECT_EQ(r.ok, c.taken) << c.name;
        if (c.taken) EXPECT_EQ(test::FileBytes(BackgroundStore::PicturePath("乙")), test::FileBytes(file)) << c.name;
        ASSERT_TRUE(BackgroundStore::Remove("乙").ok);
    }
    // Another kind of picture under a .jpg name is copied as it is too.
    const QString png = WritePicture(home.file("png-inside.jpg"), Qt::red, "PNG");
    ASSERT_TRUE(BackgroundStore::Replace("乙", png).ok);
    EXPECT_EQ(test::FileBytes(BackgroundStore::PicturePath("乙")), test::FileBytes(png));
}

// A save under another name copies the source's picture only to a format that has none.
TEST_F(BackgroundStoreHome, ASaveCopiesThePictureOnlyWhereThereIsNone)
{
    const QColor none;
    const struct { QColor source, target, want; } cases[] = {
        {Qt::red, none, Qt::red}, {Qt::red, Qt::blue, Qt::blue}, {none, Qt::blue, Qt::blue}, {none, none, none}};
    for (const auto& c : cases) {
        const QString what = QStringLiteral("%1 → %2").arg(c.source.name(), c.target.name());
        for (const QString name : {"源", "目标"}) {
            test::SaveFormatWithBoxes(name, {});
            ASSERT_TRUE(BackgroundStore::Remove(name).ok);
        }
        if (c.source.isValid()) WritePicture(BackgroundStore::PicturePath("源"), c.source, "JPG");
        if (c.target.isValid()) WritePicture(BackgroundStore::PicturePath("目标"), c.target, "JPG");
        const QByteArray wanted = c.want == c.source ? test::FileBytes(BackgroundStore::ExistingPicture("源"))
                                                     : test::FileBytes(BackgroundStore::ExistingPicture("目标"));
        SlipFormat f;
        f.Load(FormatHeader{"源", 100, 50}, {});
        QHash<BoxId, BoxId> ids;
        FormatStore::SaveWith copy;
        copy.pictureOf = QStringLiteral("源");
        ASSERT_TRUE(FormatStore::Save(f, "目标", true, 15360, ids, copy).ok) << what.toStdString();
        EXPECT_EQ(BackgroundStore::HasPicture("目标"), c.want.isValid()) << what.toStdString();
        if (c.want.isValid())
            EXPECT_EQ(test::FileBytes(BackgroundStore::PicturePath("目标")), wanted) << what.toStdString();
    }
    // Nothing is left staged or noted.
    EXPECT_EQ(QDir(DataFolder()).entryList({".staged-*"}, QDir::Files | QDir::Hidden), QStringList());
    EXPECT_TRUE(OpenRecordset("SELECT * FROM 底图待换").isEmpty());
}

// Whose picture a file is: the format it is named for, else the one whose older name it bears and that has none under
// its own.
TEST_F(BackgroundStoreHome, APictureFileIsTheFormatsItIsNamedFor)
{
    for (const QString name : {"建行/进账单", "建行4进账单", "A/B", "Q/S", "A1B?", "A?B1"})
        test::SaveFormatWithBoxes(name, {});
    WritePicture(BackgroundStore::PicturePath("Q/S"), Qt::red, "JPG");
    const struct { QString path, except; QStringList owners; } cases[] = {
        {DataFile("建行4进账单.jpg"), "建行/进账单", {"建行4进账单"}},
        {DataFile("建行4进账单.jpg"), "建行4进账单", {}},
        {BackgroundStore::PicturePath("建行/进账单"), "", {"建行/进账单"}},
        {DataFile("A4B.jpg"), "", {"A/B"}},
        {DataFile("Q4S.jpg"), "", {}},
        {DataFile("A1B1.jpg"), "", {"A1B?", "A?B1"}},  // both names map to it
        {DataFile("A1B1.jpg"), "A1B?", {"A?B1"}},
        {DataFile("别的.jpg"), "", {}},
        {home.file("建行4进账单.jpg"), "", {}},  // not in the data folder
    };
    for (const auto& c : cases)
        EXPECT_EQ(BackgroundStore::PictureOwners(c.path, c.except), c.owners) << c.path.toStdString();
}

TEST_F(BackgroundStoreHome, WhatAKilledRunLeftIsClearedAtTheNextStart)
{
    const QString chosen = WritePicture(home.file("chosen.jpg"), Qt::green, "JPG");
    // An import puts the picture first; killed before its rows, none come.
    ASSERT_TRUE(BackgroundStore::Replace("导入中", chosen).ok);
    ASSERT_TRUE(BackgroundStore::Replace("已导入", chosen).ok);
    test::SaveFormatWithBoxes("已导入", {});
    // A save killed before its commit left its staged picture.
    ASSERT_TRUE(test::WriteBytes(DataFile(".staged-picture-0000.jpg"), "x"));
    // A change to no picture, killed after its commit, left the picture it noted.
    test::SaveFormatWithBoxes("删了", {});
    WritePicture(BackgroundStore::PicturePath("删了"), Qt::red, "JPG");
    ASSERT_TRUE(ExecuteSql("DELETE FROM Fmt WHERE Fmt='删了'"));
    ASSERT_TRUE(ExecuteSql("INSERT INTO 底图待换(Fmt, Staged) VALUES('删了', '')"));
    // Some other picture of the folder is none of its business.
    WritePicture(DataFile("别的.jpg"), Qt::red, "JPG");

    BackgroundStore::SettleAllChanges();
    EXPECT_FALSE(BackgroundStore::HasPicture("导入中"));
    EXPECT_TRUE(BackgroundStore::HasPicture("已导入"));
    EXPECT_FALSE(BackgroundStore::HasPicture("删了"));
    EXPECT_TRUE(QFileInfo::exists(DataFile("别的.jpg")));
    EXPECT_FALSE(QFileInfo::exists(DataFile(".staged-picture-0000.jpg")));
    EXPECT_TRUE(OpenRecordset("SELECT * FROM 底图待换").isEmpty());
}
