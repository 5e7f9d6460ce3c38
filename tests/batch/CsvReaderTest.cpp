#include "BatchTestSupport.h"

#include "batch/CsvReader.h"
#include "PeakMemory.h"

using namespace slip;
using namespace slip::test;

namespace {

struct CsvCase {
    const char* name;
    const char* text;
    QVector<QStringList> records;
};

class CsvSplitting : public ::testing::TestWithParam<CsvCase> {};

QVector<QStringList> AllRecords(const CsvTable& table)
{
    QVector<QStringList> out;
    for (qsizetype r = 1; r <= table.RecordCount(); ++r) out << table.Record(r);
    return out;
}

// A file of `bytes` bytes made of `unit` repeated, written a piece at a time, then `tail`.
bool WriteRepeated(const QString& path, const QByteArray& unit, qint64 bytes, const QByteArray& tail = {})
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray piece;
    while (piece.size() < (1 << 20)) piece += unit;
    for (qint64 left = bytes; left > 0;) {
        const qint64 n = qMin<qint64>(left, piece.size());
        if (f.write(piece.constData(), n) != n) return false;
        left -= n;
    }
    return f.write(tail) == tail.size();
}

constexpr qint64 kMb = 1024 * 1024;

} // namespace

TEST_P(CsvSplitting, GivesTheFieldsOfEveryRecord)
{
    const CsvCase& c = GetParam();
    const CsvTable table(QString::fromUtf8(c.text));
    EXPECT_FALSE(table.UnclosedQuoteLine().has_value());
    EXPECT_EQ(AllRecords(table), c.records);
    QTemporaryDir dir;  // the preview reads a file of the same text alike
    ASSERT_TRUE(WriteBytes(dir.filePath("c.csv"), QByteArray(c.text)));
    EXPECT_EQ(ReadCsvPreview(dir.filePath("c.csv")).records, c.records);
    // Fields asked for one at a time, as the import reads them.
    for (qsizetype k = 1; k <= table.RecordCount(); ++k) {
        QStringList firstTwo;
        for (quint32 start : table.FieldStarts(k, 2)) firstTwo << table.FieldAt(start);
        EXPECT_EQ(firstTwo, c.records[k - 1].mid(0, 2));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rfc4180, CsvSplitting,
    ::testing::Values(
        CsvCase{"Plain", "a,b,c", {{"a", "b", "c"}}},
        CsvCase{"QuotedComma", "\"x,y\",z", {{"x,y", "z"}}},
        CsvCase{"DoubledQuote", "\"say \"\"hi\"\"\",2", {{"say \"hi\"", "2"}}},
        CsvCase{"EmptyQuotedFieldIsEmpty", "a,\"\",b", {{"a", "", "b"}}},
        CsvCase{"FourQuotesAreOneQuote", "\"\"\"\"", {{"\""}}},
        CsvCase{"EmptyFields", "a,,b,", {{"a", "", "b", ""}}},
        CsvCase{"OnlyCommas", ",,", {{"", "", ""}}},
        CsvCase{"SpacesStay", " a , b ", {{" a ", " b "}}},
        CsvCase{"CrLfInsideQuotes", "\"line1\r\nline2\",x\r\nnext,1\r\n",
                {{"line1\r\nline2", "x"}, {"next", "1"}}},
        CsvCase{"LfInsideQuotes", "\"a\nb\"\nc", {{"a\nb"}, {"c"}}},
        CsvCase{"LastLineWithoutEnd", "a,b\r\nc,d", {{"a", "b"}, {"c", "d"}}},
        CsvCase{"FinalLineEndAddsNoRecord", "a\r\n", {{"a"}}},
        CsvCase{"LoneCrEndsARecord", "a\rb", {{"a"}, {"b"}}},
        CsvCase{"EmptyLineIsAnEmptyRecord", "a\r\n\r\nb\r\n", {{"a"}, {}, {"b"}}},
        CsvCase{"QuoteInsideUnquotedFieldIsData", "ab\"c,d", {{"ab\"c", "d"}}},
        CsvCase{"TextAfterClosingQuoteIsData", "\"ab\"c,d", {{"abc", "d"}}},
        CsvCase{"GreekLettersAreData", "ζζ,ξ,\"ζ,ξ\"", {{"ζζ", "ξ", "ζ,ξ"}}},
        CsvCase{"ExportedTabsStay", "\"a,b\t\",\t", {{"a,b\t", "\t"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvReading, RecordNumbersAndTheLineOfAnOpenQuote)
{
    // A multi-line record counts once in the numbering.
    EXPECT_EQ(CsvTable("\"line1\r\nline2\",x\r\nsecond\r\nthird").Record(3), QStringList{"third"});
    EXPECT_EQ(AllRecords(CsvTable("1\n2\n3\n4", 2)), (QVector<QStringList>{{"1"}, {"2"}}));
    struct Case {
        const char* text;
        int line;  // where the record with the open quote starts
    };
    for (const Case& c : {Case{"a\r\n\"q\r\nx,y\r\nz", 2}, Case{"a\r\n\"q\r\nx\",1\r\n\"open", 4},
                          Case{"a,b\r\nc,d\r\n1,\"2\r\n3,4\r\n5,6", 3}}) {
        EXPECT_EQ(CsvTable(c.text).UnclosedQuoteLine().value_or(0), c.line) << c.text;
    }
    EXPECT_EQ(CsvTable("a,b\r\n1,\"2\r\n3,4").Record(2), (QStringList{"1", "2\r\n3,4"}));
    // The records after the last one wanted are never looked at.
    const CsvTable firstTwo("1\n\"2\r\n2\"\n3,\"open", 2);
    EXPECT_EQ(AllRecords(firstTwo), (QVector<QStringList>{{"1"}, {"2\r\n2"}}));
    EXPECT_FALSE(firstTwo.UnclosedQuoteLine().has_value());
    EXPECT_EQ(CsvTable("1\n\"2\n3", 2).UnclosedQuoteLine(), 2);
}

// The import and the preview read a file's bytes by one rule.
TEST(CsvDecoding, TheImportAndThePreviewReadTheSameBytesAlike)
{
    const QString text = QString::fromUtf8("户名,账号,金额\r\n张三,6222021234567890,\"￥1,234.00\"\r\n");
    const QVector<QStringList> records{{"户名", "账号", "金额"}, {"张三", "6222021234567890", "￥1,234.00"}};
    ASSERT_NE(Gbk(text), text.toUtf8());
    const QByteArray mark = "\xEF\xBB\xBF";
    // utf8Line: the line the preview names for a file mixing UTF-8 and GBK lines;
    // want: the records, when not those of `text`.
    const struct { const char* name; QByteArray bytes; bool read; int utf8Line = 0; QVector<QStringList> want = {}; } cases[] = {
        {"utf8", text.toUtf8(), true},
        {"utf8 with mark", mark + text.toUtf8(), true},
        {"gbk", Gbk(text), true},
        // A DOS end-of-file mark at the end is dropped, not taken for binary.
        {"end-of-file mark", Gbk(text) + "\x1A", true},
        {"mark after the last line", text.toUtf8().chopped(2) + "\x1A", true},
        // Byte-order marks left inside by joining files are no data.
        {"marks inside", "\uFEFF户名,账号,金额\r\n\uFEFF张三,\uFEFF622202\uFEFF1234567890,\"\uFEFF￥1,234.00\"\r\n", true},
        // A mark is dropped once the fields are split: a quote after it is data.
        {"a mark and a quote after the byte-order mark", QByteArray::fromHex("efbbbfefbbbf22610a62220a630a"), true, 0,
         {{"\"a"}, {"b\""}, {"c"}}},
        {"a mark and a quote after the last line end", QByteArray::fromHex("610aefbbbf227822"), true, 0, {{"a"}, {"\"x\""}}},
        // Right after the file's own mark a quote opens the field.
        {"a quoted field right after the mark", mark + "\"a,b\",c\n", true, 0, {{"a,b", "c"}}},
        // The import reads a mebibyte at a time, each piece cut after its last line end.
        {"a mark and a quote where the second piece starts", QByteArray(kMb - 4, 'a') + "\n\uFEFF\"x\"\nb,c\n", true, 0,
         {{QString(kMb - 4, QChar(u'a'))}, {"\"x\""}, {"b", "c"}}},
        {"a quoted control byte in the field that starts the second piece", QByteArray(kMb - 4, 'a') + "\n\"\x01x\"\nb,c\n",
         true, 0, {{QString(kMb - 4, QChar(u'a'))}, {"\x01x"}, {"b", "c"}}},
        // UTF-8 rows beyond those the preview shows, then a GBK row: one
        // reading for the whole file, and the operator is told.
        {"utf8 rows then gbk", QByteArray("户名,金额\r\n张三,100\r\n").repeated(10) + Gbk(QString::fromUtf8("李四,200")), true, 1},
        // GBK's 郑叶 is valid UTF-8 too, but no Chinese in it: not the line named.
        {"gbk then utf8", Gbk(QString::fromUtf8("户名\r郑叶,100\r\n")) + "张三,李四\r\n", true, 3},
        // "中," in UTF-8 is no GB18030: neither reads a file that turns to GBK beyond its first megabyte.
        {"a megabyte of utf8 then gbk", QByteArray("中,1\r\n").repeated(200000) + Gbk(QString::fromUtf8("户名")), false},
        {"NUL", QByteArray("a,b\0c", 5), false},
        {"NUL after the rows shown", text.toUtf8().repeated(10) + QByteArray(1, '\0'), false},
        {"control bytes", "\x01\x02\x03,x", false},
        // Form feed is text, as tab is.
        {"a form feed in an unquoted field", "a\fb,c\r\n", true, 0, {{"a\fb", "c"}}},
        // As the export writes a value that holds them; the second one read after the last line end.
        // A NUL is no data: the characters around it stay.
        {"control bytes inside quotes", QByteArray("\"\x01\0\",\"a\r\n\x1F\"", 11), true, 0, {{"\x01", "a\r\n\x1F"}}},
        {"NULs inside quotes", QByteArray("\"a\0\tb\",\"\0\",\"\0\0\t\"\r\n", 18), true, 0, {{"a\tb", "", "\t"}}},
        // The preview cuts a line without a comma after its first mebibyte less a byte: here after the mark.
        {"an end-of-file mark inside quotes where a piece ends", "\"" + QByteArray(kMb - 3, 'a') + "\x1A" + "bc\"\n", true,
         0, {{QString(kMb - 3, QChar(u'a')) + "\x1A" + "bc"}}},
        {"a control byte after a closing quote", "\"a\"\x01,x", false},
        {"a control byte after a quote inside a field", "a\"\x01\",x", false},
        {"mark inside", "a,\x1A\r\nb", false},
        {"mark without utf8", "\xEF\xBB\xBF\xFF\xFE", false},
        {"neither", "\x81\x20\xFF", false},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const QString path = dir.filePath("t.csv");
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        const CsvFileTable whole = ReadCsvRecords(path);
        const CsvFile preview = ReadCsvPreview(path);
        EXPECT_EQ(std::pair(whole.ok(), preview.ok()), std::pair(c.read, c.read)) << c.name;
        if (!c.read) continue;
        EXPECT_EQ(preview.records, AllRecords(whole.table).mid(0, 19)) << c.name;
        EXPECT_EQ(preview.notice, c.utf8Line ? CsvMixedEncodingNotice(c.utf8Line) : QString()) << c.name;
        if (!c.utf8Line) EXPECT_EQ(AllRecords(whole.table), c.want.isEmpty() ? records : c.want) << c.name;
    }
}

TEST(CsvFileReading, WholeFilesOrTheImportError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("数据.CSV");
    ASSERT_TRUE(WriteBytes(path, Gbk(QString::fromUtf8("户名,备注\r\n张三,\"第一行\r\n第二行\"\r\n李四,\"含,逗号\""))));
    const CsvFileTable f = ReadCsvRecords(path);
    ASSERT_TRUE(f.ok()) << f.error.toStdString();
    EXPECT_EQ(AllRecords(f.table), (QVector<QStringList>{{"户名", "备注"}, {"张三", "第一行\r\n第二行"}, {"李四", "含,逗号"}}));

    const QString png = dir.filePath("picture.csv");
    ASSERT_TRUE(WriteBytes(png, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
    const QString open = dir.filePath("open.csv");
    ASSERT_TRUE(WriteBytes(open, "a,b\r\n1,\"2\r\n3,4\r\n"));
    const QString empty = dir.filePath("empty.csv");
    ASSERT_TRUE(WriteBytes(empty, QByteArray()));
    for (const QString& bad : {dir.filePath("无此文件.csv"), dir.path(), png}) {
        EXPECT_EQ(ReadCsvRecords(bad).error, CsvImportError());
        EXPECT_EQ(ReadCsvRecords(bad).table.RecordCount(), 0);
    }
    EXPECT_EQ(ReadCsvRecords(open).error, CsvImportError() + QString::fromUtf8("第2行开始的记录中引号没有配对。"));
    EXPECT_EQ(ReadCsvRecords(open).table.RecordCount(), 0);
    EXPECT_TRUE(ReadCsvRecords(empty).ok());
    EXPECT_EQ(ReadCsvRecords(empty).table.RecordCount(), 0);
    // GBK's one-byte euro sign still reads; a file read in pieces decodes
    // across them.
    const QString euro = dir.filePath("euro.csv");
    QByteArray wide = Gbk(QString::fromUtf8("户名,金额\r\n"));
    for (int i = 0; i < 100000; ++i) wide += Gbk(QString::fromUtf8("张三丰,1\r\n"));
    ASSERT_TRUE(WriteBytes(euro, wide + "\x80"));
    const CsvFileTable e = ReadCsvRecords(euro);
    ASSERT_TRUE(e.ok());
    EXPECT_EQ(e.table.RecordCount(), 100002);
    EXPECT_EQ(e.table.Record(100001), (QStringList{QString::fromUtf8("张三丰"), "1"}));
    EXPECT_EQ(e.table.Record(100002), QStringList{QString::fromUtf8("€")});
}

TEST(CsvPreview, ShowsOnlyTheStartThatHoldsTheRowsShown)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("p.csv");
    // 30 rows, the second with a quoted field longer than one read, then
    // two million more rows.
    QByteArray text;
    for (int i = 1; i <= 30; ++i)
        text += QByteArray::number(i) + (i == 2 ? ",\"" + QByteArray(100000, 'q') + "\r\nq\"" : ",b") + ",c,d\r\n";
    ASSERT_TRUE(WriteBytes(path, text + QByteArray("x\r\n").repeated(2000000)));
    const CsvFile preview = ReadCsvPreview(path, 19, 3);
    ASSERT_TRUE(preview.ok());
    ASSERT_EQ(preview.records.size(), 19);
    EXPECT_EQ(preview.records[0], (QStringList{"1", "b", "c"}));
    EXPECT_EQ(preview.records[1].value(1).size(), 100003);
    EXPECT_EQ(preview.records[18], (QStringList{"19", "b", "c"}));

    // A CR LF cut by the end of the first read is one line end.
    ASSERT_TRUE(WriteBytes(path, QByteArray(64 * 1024 - 1, 'a') + "\r\nb\r\n"));
    const CsvFile split = ReadCsvPreview(path);
    ASSERT_EQ(split.records.size(), 2);
    EXPECT_EQ(split.records[1], QStringList{"b"});

    // A lone CR ends the rows shown as well.
    ASSERT_TRUE(WriteRepeated(path, "1,b,c,d\r", 8 * kMb));
    const CsvFile cr = ReadCsvPreview(path, 19, 3);
    ASSERT_EQ(cr.records.size(), 19);
    EXPECT_EQ(cr.records[18], (QStringList{"1", "b", "c"}));

    // A quote still open at the end shows what was read and ends the preview.
    ASSERT_TRUE(WriteBytes(path, "a,b\r\n\r\nx,\"y\r\nz"));
    const CsvFile open = ReadCsvPreview(path);
    ASSERT_EQ(open.records.size(), 3);
    EXPECT_EQ(open.records[0], (QStringList{"a", "b"}));
    EXPECT_TRUE(open.records[1].isEmpty());
    EXPECT_EQ(open.records[2], (QStringList{"x", "y\r\nz"}));
    EXPECT_EQ(ReadCsvPreview(dir.filePath("none.csv")).error, CsvImportError());
    ASSERT_TRUE(WriteBytes(path, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
    EXPECT_EQ(ReadCsvPreview(path).error, CsvImportError());
}

// A first line of 16 MB or more without commas: imported whole, the preview shows what it read.
TEST(CsvPreview, ALineLongerThanThePreviewReadsShowsWhatWasRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString han = QString::fromUtf8("户名");
    // `shown` and `imported`: characters of the first field the preview shows, the import reads.
    const struct { const char* name; QByteArray unit; qint64 bytes; QString first; qint64 shown, imported; QByteArray tail; } cases[] = {
        // The whole file: the read that ends at its end is no cut.
        {"16 MB of a", "a", kCsvPreviewBytes, "a", kCsvPreviewBytes, kCsvPreviewBytes, ""},
        {"18 MB of GBK", Gbk(han), 18 * kMb, han, kCsvPreviewBytes / 2, 9 * kMb, "\r\n2,x\r\n"},
        // Three bytes a character: the read stops inside one, which is left out.
        {"18 MB of UTF-8", han.toUtf8(), 18 * kMb, han, kCsvPreviewBytes / 3, 18 * kMb / 3, "\r\n2,x\r\n"},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath("long.csv");
        ASSERT_TRUE(WriteRepeated(path, c.unit, c.bytes, c.tail));
        PeakMemory peak;
        const CsvFile preview = ReadCsvPreview(path);
        if (peak.Available()) EXPECT_LT(peak.GrowthBytes(), 4 * kCsvPreviewBytes) << c.name;
        ASSERT_TRUE(preview.ok()) << c.name << ": " << preview.error.toStdString();
        ASSERT_EQ(preview.records.size(), 1) << c.name;
        const QString shown = preview.records[0].value(0);
        EXPECT_TRUE(shown == c.first.repeated(c.shown / c.first.size() + 1).left(c.shown)) << c.name << shown.size();
        const CsvFileTable whole = ReadCsvRecords(path);
        ASSERT_TRUE(whole.ok()) << c.name;
        EXPECT_EQ(whole.table.Record(1).value(0).size(), c.imported) << c.name;
        EXPECT_EQ(whole.table.RecordCount(), c.tail.isEmpty() ? 1 : 2) << c.name;
    }
}

TEST(CsvMemory, APreviewAndAWholeFileStayWithinTheirBounds)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A line of 15 MB of commas: only the fields shown are built.
    const QString line = dir.filePath("line.csv");
    ASSERT_TRUE(WriteRepeated(line, ",", 15 * kMb));
    {
        PeakMemory peak;
        EXPECT_EQ(ReadCsvPreview(line).records, QVector<QStringList>{QStringList(59, QString())});
        if (peak.Available()) EXPECT_LT(peak.GrowthBytes(), 15 * kMb + 16 * kMb);
    }
    QFile::remove(line);
    // 300 MB of rows ended by a lone CR: the preview keeps only its start.
    const QString crOnly = dir.filePath("cr.csv");
    ASSERT_TRUE(WriteRepeated(crOnly, "1234,户名,金额,备注\r", 300 * kMb));
    {
        PeakMemory peak;
        const CsvFile preview = ReadCsvPreview(crOnly);
        ASSERT_TRUE(preview.ok()) << preview.error.toStdString();
        EXPECT_EQ(preview.records.size(), 19);
        if (peak.Available()) EXPECT_LT(peak.GrowthBytes(), 3 * kCsvPreviewBytes + 16 * kMb);
    }
    QFile::remove(crOnly);
    // One row longer than the preview ever reads shows the fields read.
    const QString wide = dir.filePath("wide.csv");
    ASSERT_TRUE(WriteRepeated(wide, Gbk(QString::fromUtf8("户名金额,")), kCsvPreviewBytes + 8 * kMb));
    const CsvFile row = ReadCsvPreview(wide);
    ASSERT_TRUE(row.ok()) << row.error.toStdString();
    ASSERT_EQ(row.records.size(), 1);
    EXPECT_EQ(row.records[0].size(), 59);
    EXPECT_EQ(row.records[0].last(), QString::fromUtf8("户名金额"));
    QFile::remove(wide);

    // 100 MB of commas, one record of a hundred million empty fields: held as
    // its text (two bytes a character) and the one record's place.
    const QString commas = dir.filePath("commas.csv");
    const qint64 size = 100 * kMb;
    ASSERT_TRUE(WriteRepeated(commas, ",", size));
    {
        PeakMemory peak;
        const CsvFileTable file = ReadCsvRecords(commas);
        ASSERT_TRUE(file.ok()) << file.error.toStdString();
        EXPECT_EQ(file.table.RecordCount(), 1);
        EXPECT_EQ(file.table.Record(1, 3), (QStringList{"", "", ""}));
        if (peak.Available()) EXPECT_LT(peak.GrowthBytes(), 2 * size + 48 * kMb);
    }
    QFile::remove(commas);

    // A file whose text alone would pass the bound is refused before it is read.
    const QString huge = dir.filePath("huge.csv");
    QFile sparse(huge);
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(kCsvMemoryBound / 2 + 1));
    sparse.close();
    EXPECT_EQ(ReadCsvRecords(huge).error, CsvTooLargeError());
}
