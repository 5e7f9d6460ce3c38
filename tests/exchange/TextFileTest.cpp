#include "ExchangeTestSupport.h"

#include "exchange/FileSave.h"
#include "exchange/TextFile.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

using namespace slip;
using namespace slip::test;
using namespace std::chrono_literals;

namespace {

// Short pauses: the tests look at the counting, not the waiting.
TextWriteRetry QuickWrite() { return TextWriteRetry{31, 10, 1ms}; }
TextReadRetry QuickRead() { return TextReadRetry{20, 1ms, 1ms}; }

// A folder at `path` that a file can't replace: a folder with something in it.
bool Obstruct(const QString& path)
{
    return QDir().mkpath(path) && WriteBytes(path + QStringLiteral("/keep"), "x");
}

} // namespace

// --- Encoding ---------------------------------------------------------------

TEST(TextEncoding, ChineseIsWrittenInGbkWithoutByteOrderMark)
{
    const QByteArray bytes = EncodeText(QStringLiteral("进账单"));
    EXPECT_EQ(bytes, QByteArray("\xBD\xF8\xD5\xCB\xB5\xA5"));
    EXPECT_EQ(EncodeText(QStringLiteral("ab\r\n")), QByteArray("ab\r\n"));
}

TEST(TextEncoding, CharacterGbkLacksMakesTheWholeTextGb18030)
{
    const QString text = QStringLiteral("工行") + QString::fromUcs4(U"\U00020000") + QStringLiteral("€");
    QStringEncoder gbk("GBK");
    const QByteArray attempt = gbk.encode(text);   // encoding happens on conversion
    (void)attempt;
    ASSERT_TRUE(gbk.hasError()) << "the sample must hold a character GBK lacks";
    const QByteArray bytes = EncodeText(text);
    EXPECT_EQ(bytes, Encoded("GB18030", text));
    EXPECT_TRUE(bytes.contains(QByteArray("\x95\x32\x82\x36")));
    EXPECT_EQ(DecodeText(bytes), text);
}

TEST(TextEncoding, ReadsUtf8WithOrWithoutByteOrderMarkAndGbkOtherwise)
{
    const QString text = QStringLiteral("工行进账单\r\n【★】");
    EXPECT_EQ(DecodeText(text.toUtf8()), text);
    EXPECT_EQ(DecodeText(QByteArray("\xEF\xBB\xBF") + text.toUtf8()), text);
    EXPECT_EQ(DecodeText(Encoded("GBK", text)), text);
    EXPECT_EQ(DecodeText(QByteArray("plain")), QStringLiteral("plain"));
    // GBK's one-byte euro sign is not lost to GB18030, which has no such byte.
    EXPECT_EQ(DecodeText(QByteArray("\x80") + Encoded("GBK", QStringLiteral("元"))), QStringLiteral("€元"));
}

TEST(TextEncoding, LoneSurrogateFallsBackToUtf8WithMarkAndReadsBack)
{
    const QString text = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b");
    const QByteArray bytes = EncodeText(text);
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(DecodeText(bytes).startsWith(QLatin1Char('a')));
    EXPECT_TRUE(DecodeText(bytes).endsWith(QLatin1Char('b')));
}

// --- Round trips ------------------------------------------------------------

class TextFiles : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QTemporaryDir dir;
};

TEST_F(TextFiles, GbkRoundTripKeepsTextExactlyIncludingFinalLineBreak)
{
    const QString text = QStringLiteral("<Tamberlow格式专用>\r\n进账单_工行\r\n1】★【0】★【户名‖‖‖\r\n");
    const QString p = path(QStringLiteral("工行.tvq"));
    const TextWriteResult w = WriteTextFileRetry(text, p, QuickWrite());
    ASSERT_TRUE(w.ok) << w.error.toStdString();
    EXPECT_EQ(w.path, p);
    EXPECT_EQ(w.attempts, 1);
    EXPECT_EQ(FileBytes(p), Encoded("GBK", text));
    const TextReadResult r = ReadTextFile(p, false, QuickRead());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, text);
    EXPECT_FALSE(QFileInfo::exists(p + ".TMP"));
}

TEST_F(TextFiles, Gb18030OnlyCharactersSurviveTheRoundTrip)
{
    const QString text = QStringLiteral("名") + QString::fromUcs4(U"\U0002A6A5\U0001F600") + QStringLiteral("\r\n");
    const QString p = path(QStringLiteral("x.tvq"));
    ASSERT_TRUE(WriteTextFileRetry(text, p, QuickWrite()).ok);
    EXPECT_EQ(FileBytes(p), Encoded("GB18030", text));
    EXPECT_EQ(ReadTextFile(p, false, QuickRead()).text, text);
}

TEST_F(TextFiles, Utf8FileWrittenElsewhereIsRead)
{
    const QString text = QStringLiteral("进账单\r\n");
    const QString p = path(QStringLiteral("u.tvq"));
    ASSERT_TRUE(WriteBytes(p, QByteArray("\xEF\xBB\xBF") + text.toUtf8()));
    EXPECT_EQ(ReadTextFile(p, false, QuickRead()).text, text);
    ASSERT_TRUE(WriteBytes(p, text.toUtf8()));
    EXPECT_EQ(ReadTextFile(p, false, QuickRead()).text, text);
}

TEST_F(TextFiles, WriteReplacesTheOldFileAndRemovesAStaleTemporaryFile)
{
    const QString p = path(QStringLiteral("a.tvq"));
    ASSERT_TRUE(WriteBytes(p, "old old old old"));
    ASSERT_TRUE(WriteBytes(p + ".TMP", "left by an earlier run"));
    EXPECT_EQ(WriteTextFile(QStringLiteral("新"), p), 1);
    EXPECT_EQ(FileBytes(p), Encoded("GBK", QStringLiteral("新")));
    EXPECT_FALSE(QFileInfo::exists(p + ".TMP"));
}

TEST_F(TextFiles, TemporaryLinkIsReplacedNotWrittenThrough)
{
    const QString victim = path(QStringLiteral("victim"));
    ASSERT_TRUE(WriteBytes(victim, "untouched"));
    const QString p = path(QStringLiteral("a.tvq"));
    ASSERT_TRUE(QFile::link(victim, p + ".TMP"));
    EXPECT_EQ(WriteTextFile(QStringLiteral("x"), p), 1);
    EXPECT_EQ(FileBytes(victim), QByteArray("untouched"));
    EXPECT_EQ(FileBytes(p), QByteArray("x"));
}

// --- Failures ---------------------------------------------------------------

TEST_F(TextFiles, WriteIntoReadOnlyFolderFailsAndReportsNoFile)
{
    const QString folder = path(QStringLiteral("ro"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    const bool enforced = !QFileInfo(folder).isWritable() && !QFile(folder + "/probe").open(QIODevice::WriteOnly);
    QFile::remove(folder + "/probe");
    if (enforced) {
        const TextWriteResult w = WriteTextFileRetry(QStringLiteral("x"), folder + "/a.tvq", QuickWrite());
        EXPECT_FALSE(w.ok);
        EXPECT_EQ(w.attempts, 31);
        EXPECT_FALSE(w.error.isEmpty());
        EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Folders nobody may write into, root included: the process table, a
    // "folder" that is a file, and a folder that isn't there.
    const QString notAFolder = path(QStringLiteral("file"));
    ASSERT_TRUE(WriteBytes(notAFolder, "x"));
    for (const QString& target : {QStringLiteral("/proc/slipprint-test.tvq"), notAFolder + "/a.tvq",
                                  path(QStringLiteral("missing/a.tvq"))}) {
        const TextWriteResult w = WriteTextFileRetry(QStringLiteral("进账单"), target, QuickWrite());
        EXPECT_FALSE(w.ok) << target.toStdString();
        EXPECT_FALSE(QFileInfo::exists(w.path)) << w.path.toStdString();
        EXPECT_TRUE(w.error.contains(QStringLiteral("无法写入"))) << w.error.toStdString();
        EXPECT_LT(WriteTextFile(QStringLiteral("x"), target), 0);
    }
}

TEST_F(TextFiles, FolderInTheTargetsPlaceFailsAtTheLastStepAndLeavesNoTemporaryFile)
{
    const QString p = path(QStringLiteral("a.tvq"));
    ASSERT_TRUE(Obstruct(p));
    QString error;
    EXPECT_EQ(WriteTextFile(QStringLiteral("x"), p, &error), kNotPutInPlace);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(p + ".TMP"));
    EXPECT_TRUE(QFileInfo(p).isDir());
}

TEST_F(TextFiles, StaleTemporaryThatCannotBeRemovedFailsFirstStep)
{
    const QString p = path(QStringLiteral("a.tvq"));
    ASSERT_TRUE(Obstruct(p + ".TMP"));
    EXPECT_EQ(WriteTextFile(QStringLiteral("x"), p), kStaleTempNotRemoved);
    EXPECT_FALSE(QFileInfo::exists(p));
}

// --- Retries ----------------------------------------------------------------

TEST_F(TextFiles, TargetFreedDuringRetriesIsWrittenUnderItsOwnName)
{
    const QString p = path(QStringLiteral("a.tvq"));
    ASSERT_TRUE(Obstruct(p + ".TMP"));
    // Freed while the writer pauses: the pauses keep the event loop running.
    QTimer::singleShot(60, [&] { QDir(p + ".TMP").removeRecursively(); });
    TextWriteRetry retry = QuickWrite();
    retry.pause = 20ms;
    const TextWriteResult w = WriteTextFileRetry(QStringLiteral("后来写入"), p, retry);
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.path, p);
    EXPECT_GT(w.attempts, 1);
    EXPECT_LE(w.attempts, 11);
    EXPECT_EQ(ReadTextFile(p, false, QuickRead()).text, QStringLiteral("后来写入"));
}

TEST_F(TextFiles, LongLockedTargetGoesToNameWithOneThenElevenAndSaysWhich)
{
    const QString p = path(QStringLiteral("a.tvq"));
    ASSERT_TRUE(Obstruct(p + ".TMP"));
    TextWriteResult w = WriteTextFileRetry(QStringLiteral("x"), p, QuickWrite());
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.attempts, 12);   // attempts 0 to 10 failed, attempt 11 wrote
    EXPECT_EQ(w.path, p + "1");
    EXPECT_TRUE(QFileInfo(p + "1").isFile());
    EXPECT_FALSE(QFileInfo::exists(p));

    QFile::remove(p + "1");
    ASSERT_TRUE(Obstruct(p + "1.TMP"));
    w = WriteTextFileRetry(QStringLiteral("x"), p, QuickWrite());
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.attempts, 22);
    EXPECT_EQ(w.path, p + "11");

    QFile::remove(p + "11");
    ASSERT_TRUE(Obstruct(p + "11.TMP"));
    w = WriteTextFileRetry(QStringLiteral("x"), p, QuickWrite());
    EXPECT_FALSE(w.ok);
    EXPECT_EQ(w.attempts, 31);
    EXPECT_FALSE(QFileInfo::exists(p + "11"));
}

TEST_F(TextFiles, MissingFileIsRetriedThenReportedWithItsPath)
{
    const QString p = path(QStringLiteral("没有.tvq"));
    const TextReadResult r = ReadTextFile(p, false, QuickRead());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.attempts, 20);
    EXPECT_TRUE(r.text.isEmpty());
    EXPECT_EQ(r.error, QStringLiteral("无法打开下载文档：\r\n") + QDir::toNativeSeparators(p));
}

TEST_F(TextFiles, EmptyFileIsRetriedAndGivesNothing)
{
    const QString p = path(QStringLiteral("empty.tvq"));
    ASSERT_TRUE(WriteBytes(p, QByteArray()));
    const TextReadResult r = ReadTextFile(p, true, QuickRead());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.attempts, 20);
    EXPECT_TRUE(QFileInfo::exists(p)) << "an empty file is not deleted";
}

TEST_F(TextFiles, FileThatAppearsDuringRetriesIsRead)
{
    const QString p = path(QStringLiteral("later.tvq"));
    QTimer::singleShot(50, [&] { WriteBytes(p, Encoded("GBK", QStringLiteral("到了"))); });
    TextReadRetry retry = QuickRead();
    retry.attempts = 200;
    retry.pause = 5ms;
    const TextReadResult r = ReadTextFile(p, false, retry);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, QStringLiteral("到了"));
    EXPECT_GT(r.attempts, 1);
}

TEST_F(TextFiles, DeleteAfterRemovesOnlyAfterARead)
{
    const QString p = path(QStringLiteral("d.tvq"));
    ASSERT_TRUE(WriteBytes(p, "abc"));
    EXPECT_EQ(ReadTextFile(p, false, QuickRead()).text, QStringLiteral("abc"));
    EXPECT_TRUE(QFileInfo::exists(p));
    EXPECT_EQ(ReadTextFile(p, true, QuickRead()).text, QStringLiteral("abc"));
    EXPECT_FALSE(QFileInfo::exists(p));
}

TEST_F(TextFiles, FolderIsNoTextFile)
{
    const TextReadResult r = ReadTextFile(dir.path(), false, QuickRead());
    EXPECT_FALSE(r.ok);
}
