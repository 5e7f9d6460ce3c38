#include "ExchangeTestSupport.h"

#include "exchange/TextFile.h"


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

TEST(TextEncoding, GbkWithoutMarkGb18030WhenNeededAndUtf8Read)
{
    EXPECT_EQ(EncodeText(QStringLiteral("进账单\r\n")), QByteArray("\xBD\xF8\xD5\xCB\xB5\xA5\r\n"));
    const QString rare = QStringLiteral("工行") + QString::fromUcs4(U"\U00020000") + QStringLiteral("€");
    EXPECT_EQ(EncodeText(rare), Encoded("GB18030", rare));
    const QString lone = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b");
    EXPECT_TRUE(EncodeText(lone).startsWith("\xEF\xBB\xBF"));
    const QString text = QStringLiteral("工行进账单\r\n【★】");
    for (const QByteArray& bytes : {text.toUtf8(), QByteArray("\xEF\xBB\xBF") + text.toUtf8(), Encoded("GBK", text),
                                    EncodeText(text)})
        EXPECT_EQ(DecodeText(bytes), text);
    EXPECT_EQ(DecodeText(EncodeText(rare)), rare);
}

TEST(TextEncoding, EveryCharacterWrittenReadsBackAsItself)
{
    // Characters whose GB18030 two-byte codes GBK reads as private-use ones,
    // and the private-use characters GBK writes with those codes.
    const QString fourCodes = QStringLiteral("工行ǹ⺄ḿ进账") + QChar(0xE7C7) + QChar(0xE5E5);
    EXPECT_EQ(DecodeText(EncodeText(fourCodes)), fourCodes);
    EXPECT_EQ(DecodeText(Encoded("GB18030", QStringLiteral("ǹ"))), QStringLiteral("ǹ"));
    EXPECT_EQ(DecodeText(Encoded("GBK", QStringLiteral("进账单€"))), QStringLiteral("进账单€"));
    // Each character alone (where a short text can be valid UTF-8 as well),
    // and all of them in one text.
    QString all;
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const QString one = QString::fromUcs4(&c, 1);
        all += one;
        ASSERT_EQ(DecodeText(EncodeText(one)), one) << std::hex << quint32(c);
    }
    const QByteArray bytes = EncodeText(all);
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(DecodeText(bytes), all);
}

TEST(TextEncoding, ServerPagesAreGbkEvenWhenTheBytesAreValidUtf8)
{
    // "录" in GBK is C2 BC, which is valid UTF-8 for "¼".
    const QByteArray page = Encoded("GBK", QStringLiteral("录"));
    ASSERT_EQ(DecodeText(page), QStringLiteral("¼"));
    EXPECT_EQ(DecodeAnsiText(page), QStringLiteral("录"));
    EXPECT_EQ(DecodeAnsiText(QByteArray("\xEF\xBB\xBF") + QStringLiteral("录").toUtf8()), QStringLiteral("录"));
}

class TextFiles : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QTemporaryDir dir;
};

TEST_F(TextFiles, RoundTripKeepsTheTextExactlyAndReplacesTheOldFile)
{
    const QString text = QStringLiteral("<Tamberlow格式专用>\r\n进账单_工行\r\n1】★【户名‖‖‖\r\n");
    const QString p = path(QStringLiteral("工行.tvq"));
    ASSERT_TRUE(WriteBytes(p, "old old old old"));
    const TextWriteResult w = WriteTextFileRetry(text, p, QuickWrite());
    ASSERT_TRUE(w.ok) << w.error.toStdString();
    EXPECT_EQ(w.path, p);
    EXPECT_EQ(w.attempts, 1);
    EXPECT_EQ(FileBytes(p), Encoded("GBK", text));
    EXPECT_EQ(ReadTextFile(p, false, QuickRead()).text, text);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"工行.tvq"});
}

TEST_F(TextFiles, ALockedTargetGoesToTheNameWithOneThenElevenAndSaysWhich)
{
    const QString p = path(QStringLiteral("a.tvq"));
    // Attempts 0 to 10 go to the path, 11 to 20 to path + "1", 21 to 30 to path + "11".
    for (const auto& [blocked, attempts, written] : {std::tuple{"", 12, "1"}, {"1", 22, "11"}, {"11", 31, ""}}) {
        QFile::remove(p + blocked);
        ASSERT_TRUE(Obstruct(p + blocked));
        const TextWriteResult w = WriteTextFileRetry(QStringLiteral("x"), p, QuickWrite());
        EXPECT_EQ(w.attempts, attempts);
        EXPECT_EQ(w.ok, *written != 0);
        if (*written) EXPECT_EQ(w.path, p + written);
        else EXPECT_TRUE(w.error.contains(QStringLiteral("无法写入"))) << w.error.toStdString();
    }
    // Freed after the third attempt: written under its own name.
    QDir(p).removeRecursively();
    ASSERT_TRUE(Obstruct(p));
    TextWriteRetry freed = QuickWrite();
    freed.afterFailedAttempt = [&](int attempts) {
        if (attempts == 3) QDir(p).removeRecursively();
    };
    const TextWriteResult w = WriteTextFileRetry(QStringLiteral("后来"), p, freed);
    EXPECT_EQ(w.path, p);
    EXPECT_EQ(w.attempts, 4);
}

TEST_F(TextFiles, ReadingRetriesWhileMissingOrEmptyAndDeletesOnlyAfterARead)
{
    const QString p = path(QStringLiteral("没有.tvq"));
    TextReadResult r = ReadTextFile(p, false, QuickRead());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.attempts, 20);
    EXPECT_EQ(r.error, QStringLiteral("无法打开下载文档：\r\n") + QDir::toNativeSeparators(p));
    ASSERT_TRUE(WriteBytes(p, QByteArray()));
    EXPECT_FALSE(ReadTextFile(p, true, QuickRead()).ok);
    EXPECT_TRUE(QFileInfo::exists(p)) << "an empty file is not deleted";
    EXPECT_FALSE(ReadTextFile(dir.path(), false, QuickRead()).ok);
    // The file arrives after the first attempt found none.
    ASSERT_TRUE(QFile::remove(p));
    TextReadRetry patient = QuickRead();
    patient.afterFailedAttempt = [&](int attempts) {
        if (attempts == 1) WriteBytes(p, Encoded("GBK", QStringLiteral("到了")));
    };
    r = ReadTextFile(p, true, patient);
    EXPECT_EQ(r.text, QStringLiteral("到了"));
    EXPECT_EQ(r.attempts, 2);
    EXPECT_FALSE(QFileInfo::exists(p));
}
