#include "BatchTestSupport.h"
#include "PeakMemory.h"

#include "batch/Workbook.h"


using namespace slip;
using namespace slip::test;

namespace {

bool NoCells(const SheetCells& cells)
{
    bool none = true;
    cells.ForEach([&](int, int, const QString&) { none = false; });
    return none;
}

QString SourceFile(const char* rel) { return QStringLiteral(SLIP_SOURCE_DIR "/") + QString::fromUtf8(rel); }

// A workbook of every kind of cell an operator puts in a batch sheet.
// Sheet "数据", row by row: A the value, B what the import must read.
bool WriteValuesWorkbook(const QString& path, bool inlineStrings)
{
    lxw_workbook_options opt = {};
    opt.constant_memory = inlineStrings ? 1 : 0;
    lxw_workbook* wb = workbook_new_opt(QFile::encodeName(path).constData(), &opt);
    if (!wb) return false;
    lxw_worksheet* ws = workbook_add_worksheet(wb, "数据");
    lxw_worksheet* ws2 = workbook_add_worksheet(wb, "Sheet2");
    lxw_format* isoDate = workbook_add_format(wb);
    format_set_num_format(isoDate, "yyyy-mm-dd");
    lxw_format* builtinDate = workbook_add_format(wb);
    format_set_num_format_index(builtinDate, 14);
    lxw_format* chineseDate = workbook_add_format(wb);
    format_set_num_format(chineseDate, "yyyy\"年\"m\"月\"d\"日\"");
    lxw_format* stamp = workbook_add_format(wb);
    format_set_num_format(stamp, "yyyy/m/d h:mm");
    lxw_format* time = workbook_add_format(wb);
    format_set_num_format(time, "hh:mm:ss");
    lxw_format* quotedLetters = workbook_add_format(wb);
    format_set_num_format(quotedLetters, "0.00\" days\"");
    lxw_format* colour = workbook_add_format(wb);
    format_set_num_format(colour, "[Red]0.00;[Blue]-0.00");
    lxw_format* text = workbook_add_format(wb);
    format_set_num_format(text, "@");

    lxw_datetime d1 = {2024, 3, 15, 0, 0, 0};
    lxw_datetime d2 = {1999, 12, 31, 0, 0, 0};
    lxw_datetime d3 = {2023, 1, 2, 0, 0, 0};
    lxw_datetime t1 = {2024, 3, 15, 8, 30, 0};
    lxw_datetime t2 = {0, 0, 0, 13, 45, 30};
    int r = 0;
    worksheet_write_datetime(ws, r++, 0, &d1, isoDate);                 // 1
    worksheet_write_datetime(ws, r++, 0, &d2, builtinDate);             // 2
    worksheet_write_datetime(ws, r++, 0, &d3, chineseDate);             // 3
    worksheet_write_datetime(ws, r++, 0, &t1, stamp);                   // 4
    worksheet_write_datetime(ws, r++, 0, &t2, time);                    // 5
    worksheet_write_number(ws, r++, 0, 0.1, NULL);                      // 6
    worksheet_write_number(ws, r++, 0, 2.5, NULL);                      // 7
    worksheet_write_string(ws, r++, 0, "6222021234567890", text);       // 8
    worksheet_write_number(ws, r++, 0, 1234567890123456.0, NULL);       // 9
    worksheet_write_number(ws, r++, 0, 1.2345678901234E+15, NULL);      // 10
    worksheet_write_number(ws, r++, 0, 123456789012345678901.0, NULL);  // 11
    worksheet_write_number(ws, r++, 0, -3.75, NULL);                    // 12
    worksheet_write_number(ws, r++, 0, 1e-7, NULL);                     // 13
    worksheet_write_boolean(ws, r++, 0, 1, NULL);                       // 14
    worksheet_write_boolean(ws, r++, 0, 0, NULL);                       // 15
    worksheet_write_number(ws, r++, 0, 5, quotedLetters);               // 16
    worksheet_write_number(ws, r++, 0, 7.5, colour);                    // 17
    worksheet_write_string(ws, r++, 0, "第一行\n第二行", NULL);          // 18
    worksheet_write_string(ws, r++, 0, "尾部\t", NULL);                  // 19
    worksheet_write_formula_str(ws, r++, 0, "=\"甲\"&\"乙\"", NULL, "甲乙"); // 20
    r++;                                                                // 21 empty
    worksheet_write_string(ws, r++, 3, "D22", NULL);                    // 22
    worksheet_write_string(ws, r++, 0, "_x0000_前_x0000_\t后", NULL);     // 23: NULs
    worksheet_write_string(ws2, 0, 0, "第二张", NULL);
    return workbook_close(wb) == LXW_NO_ERROR;
}

const QStringList kExpected = {
    "2024-03-15", "1999-12-31", "2023-01-02", "2024-03-15 08:30:00", "13:45:30",
    "0.1", "2.5", "6222021234567890", "1234567890123456", "1234567890123400",
    "123456789012346000000", "-3.75", "0.0000001", "TRUE", "FALSE", "5", "7.5",
    "第一行\n第二行", "尾部\t", "甲乙", "", "", "前\t后"};

class XlsxCells : public ::testing::TestWithParam<bool> {};

} // namespace

TEST_P(XlsxCells, ReadAsTheOperatorSeesThem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Batch.XLSX");
    ASSERT_TRUE(WriteValuesWorkbook(path, GetParam()));

    const SheetRead read = ReadWorksheet(path, QString::fromUtf8("数据"));
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    for (int i = 0; i < kExpected.size(); ++i)
        EXPECT_EQ(read.cells.Cell(i + 1, 1), kExpected[i]) << "row " << i + 1;
    EXPECT_EQ(read.cells.Cell(22, 4), "D22");
    EXPECT_EQ(read.cells.Cell(22, 1), "");
    EXPECT_EQ(read.cells.Cell(0, 1), "");
    EXPECT_EQ(read.cells.Cell(500, 1), "");
}

INSTANTIATE_TEST_SUITE_P(SharedAndInlineStrings, XlsxCells, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Inline" : "Shared"; });

TEST(XlsxSheets, ListsWorksheetsInOrderWithoutChartSheets)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sheets.xlsx");
    lxw_workbook* wb = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* a = workbook_add_worksheet(wb, "一月");
    workbook_add_worksheet(wb, "二月");
    lxw_chartsheet* cs = workbook_add_chartsheet(wb, "图表");
    workbook_add_worksheet(wb, "It's \"quoted\"");
    for (int i = 0; i < 3; ++i) worksheet_write_number(a, i, 0, i + 1, NULL);
    lxw_chart* chart = workbook_add_chart(wb, LXW_CHART_COLUMN);
    chart_add_series(chart, NULL, "='一月'!$A$1:$A$3");
    chartsheet_set_chart(cs, chart);
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);

    const SheetNames names = ListWorksheets(path);
    ASSERT_TRUE(names.ok()) << names.error.toStdString();
    EXPECT_EQ(names.names, (QStringList{"一月", "二月", "It's \"quoted\""}));
    EXPECT_EQ(ReadWorksheet(path, QString::fromUtf8("图表")).error, SheetNameError());
    EXPECT_EQ(ReadWorksheet(path, QString::fromUtf8("三月")).error, SheetNameError());
    EXPECT_EQ(ReadWorksheet(path, QString()).error, SheetNameError());
    const SheetRead first = ReadWorksheet(path, QString::fromUtf8("一月"));
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first.cells.Cell(3, 1), "3");
}

TEST(XlsxSheets, RangeReadGivesTheBlockAskedFor)
{
    QTemporaryDir dir;
    QByteArray rows;
    for (int r = 1; r <= 30; ++r)
        for (int c = 1; c <= 5; ++c)
            rows += (c == 1 ? "<row>" : "") + QByteArray("<c><v>") + QByteArray::number(r * 10 + c) + "</v></c>" +
                    (c == 5 ? "</row>" : "");
    const QString path = WritePackage(dir, "range.xlsx", rows, "");
    const CellRange range = ReadSheetRange(path, "S", 2, 3, 4, 6);
    ASSERT_TRUE(range.ok());
    EXPECT_EQ(range.rows, (QVector<QStringList>{{"24", "25", ""}, {"34", "35", ""}}));
    EXPECT_EQ(ReadSheetRange(path, "T", 1, 2, 1, 2).error, SheetNameError());
}

TEST(XlsxSheets, CellReferencesInEitherCaseNameTheSameColumn)
{
    // Excel writes "B2"; other writers may write "b2" or mix the cases.
    QTemporaryDir dir;
    const QString path = WritePackage(dir, "lower.xlsx",
                                      "<row r=\"2\"><c r=\"b2\"><v>1</v></c><c r=\"aB2\"><v>2</v></c></row>"
                                      "<row r=\"3\"><c r=\"C3\"><v>3</v></c><c r=\"zz3\"><v>4</v></c></row>",
                                      "");
    const SheetRead read = ReadWorksheet(path, "S");
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    struct Case {
        int row, column;
        const char* text;
    };
    for (const Case& c : {Case{2, 1, ""}, {2, 2, "1"}, {2, 3, ""}, {2, 28, "2"}, {3, 3, "3"}, {3, 702, "4"}})
        EXPECT_EQ(read.cells.Cell(c.row, c.column), c.text) << c.row << "," << c.column;
}

TEST(XlsxSheets, Dates1904CountFrom1904)
{
    QTemporaryDir dir;
    const QString path = WritePackage(dir, "mac.xlsx", "<row><c s=\"1\"><v>0</v></c></row><row><c s=\"1\"><v>366</v></c></row>",
                                      "", "<xf numFmtId=\"0\"/><xf numFmtId=\"14\"/>", true);
    const SheetRead read = ReadWorksheet(path, "S");
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    EXPECT_EQ(read.cells.Cell(1, 1), "1904-01-01");
    EXPECT_EQ(read.cells.Cell(2, 1), "1905-01-01");
}

TEST(XlsFile, ListsAndReadsTheSampleWorkbook)
{
    const QString path = SourceFile("tests/data/batch-sample.xls");
    ASSERT_EQ(DetectWorkbookKind(path), WorkbookKind::Xls);
    const SheetNames names = ListWorksheets(path);
    ASSERT_TRUE(names.ok()) << names.error.toStdString();
    EXPECT_EQ(names.names, (QStringList{"批量数据", "第二页"}));

    const SheetRead read = ReadWorksheet(path, QString::fromUtf8("批量数据"));
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    struct Cell {
        int row, column;
        const char* text;
    };
    for (const Cell& c : {Cell{1, 1, "户名"}, {2, 2, "6222021234567890"}, {2, 3, "2.5"}, {2, 4, "2024-03-15"},
                          {2, 5, "第一行\n第二行"}, {2, 6, "2024-03-15 08:30:00"}, {3, 3, "0.1"}, {3, 4, "2023-12-31"},
                          {3, 5, "尾部制表\t"}, {4, 2, "9876543210123456"}, {4, 3, "123456789012345"},
                          {4, 4, "2000-02-29"}, {5, 1, ""}, {6, 1, "赵六"}, {6, 3, "1234567.89"}})
        EXPECT_EQ(read.cells.Cell(c.row, c.column), QString::fromUtf8(c.text)) << c.row << "," << c.column;

    const SheetRead second = ReadWorksheet(path, QString::fromUtf8("第二页"));
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(second.cells.Cell(1, 1), "第二页甲");
    EXPECT_EQ(second.cells.Cell(2, 2), "42");
    EXPECT_EQ(ReadWorksheet(path, "Sheet1").error, SheetNameError());
    const SheetRead corner = ReadWorksheet(path, QString::fromUtf8("批量数据"), {2, 2, {}, {}});
    EXPECT_EQ(corner.cells.Cell(2, 2), "6222021234567890");
    EXPECT_EQ(corner.cells.Cell(2, 3), "");
    EXPECT_EQ(corner.cells.Cell(3, 1), "");
}

TEST(BrokenWorkbooks, GiveAClearErrorAndNoCells)
{
    QTemporaryDir dir;
    const QString text = dir.filePath("text.xls");
    ASSERT_TRUE(WriteBytes(text, "户名,金额\r\n"));
    const QString other = dir.filePath("other.xlsx");  // a zip package that holds no workbook
    int err = 0;
    zip_t* z = zip_open(QFile::encodeName(other).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    zip_file_add(z, "readme.txt", zip_source_buffer(z, "hello", 5, 0), 0);
    ASSERT_EQ(zip_close(z), 0);
    // The chooser's listing has one message for every failure.
    for (const QString& path : {dir.filePath("missing.xlsx"), dir.path(), text, other})
        EXPECT_EQ(ListWorksheets(path).error, WorkbookDamagedError()) << path.toStdString();
    EXPECT_EQ(ReadWorksheet(dir.filePath("missing.xls"), "S").error, WorkbookOpenError());
    EXPECT_EQ(ReadWorksheet(text, "S").error, WorkbookTypeError());

    // A good package, then damaged: cut short, bytes flipped inside the
    // compressed sheet (CRC or inflation), broken XML, a missing shared string.
    const QString good = WritePackage(dir, "good.xlsx",
                                      QByteArray("<row><c t=\"s\"><v>0</v></c><c><v>12.5</v></c></row>").repeated(300),
                                      "<si><t>甲</t></si>");
    ASSERT_EQ(ReadWorksheet(good, "S").cells.Cell(300, 2), "12.5");
    const QByteArray bytes = FileBytes(good);
    QByteArray flipped = bytes;
    const qsizetype at = flipped.indexOf("xl/worksheets/sheet1.xml");
    for (qsizetype i = at + 40; i < at + 140; ++i) flipped[i] = char(flipped[i] ^ 0x5A);
    const QString cut = dir.filePath("cut.xlsx");
    ASSERT_TRUE(WriteBytes(cut, bytes.left(bytes.size() / 2)));
    const QString crc = dir.filePath("crc.xlsx");
    ASSERT_TRUE(WriteBytes(crc, flipped));
    for (const QString& path : {cut, crc, WritePackage(dir, "xml.xlsx", "<row r=\"1\"><c><v>1</v></c>", ""),
                                WritePackage(dir, "index.xlsx", "<row><c t=\"s\"><v>1</v></c></row>", "<si/>")}) {
        const SheetRead read = ReadWorksheet(path, "S");
        EXPECT_EQ(read.error, WorkbookDamagedError()) << path.toStdString();
        EXPECT_TRUE(NoCells(read.cells));
    }
}

TEST(XlsFile, DamagedFilesCostTheReaderNotTheProgram)
{
    // The .xls library reads past its buffers on damaged files: some of
    // these crash its reader process, which must read as a damaged file.
    const QByteArray sample = FileBytes(SourceFile("tests/data/batch-sample.xls"));
    ASSERT_FALSE(sample.isEmpty());
    QTemporaryDir dir;
    struct Damage {
        qsizetype at;
        QByteArray bytes;  // put at `at`; empty: the file is cut there
        bool readerCrashes;
    };
    for (const Damage& d : {Damage{4118, QByteArray(2, '\0'), true}, {4846, QByteArray(2, '\0'), true},
                            {1200, {}, false}, {4096, {}, false}, {2000, QByteArray(8, '\xff'), false},
                            {600, QByteArray(4, '\x7f'), false}}) {
        QByteArray bytes = d.bytes.isEmpty() ? sample.left(d.at) : sample;
        if (!d.bytes.isEmpty()) bytes.replace(d.at, d.bytes.size(), d.bytes);
        const QString path = dir.filePath(QStringLiteral("damaged%1.xls").arg(d.at));
        ASSERT_TRUE(WriteBytes(path, bytes));
        const SheetNames names = ListWorksheets(path);
        const SheetRead read = ReadWorksheet(path, QString::fromUtf8("批量数据"));
        if (d.readerCrashes) EXPECT_EQ(names.error, WorkbookDamagedError()) << d.at;
        EXPECT_TRUE(names.ok() || names.error == WorkbookDamagedError()) << d.at;
        EXPECT_TRUE(read.ok() || NoCells(read.cells)) << d.at;
    }
}

TEST(XlsxBounds, ReadsStopWhereWhatIsAskedForEnds)
{
    QTemporaryDir dir;
    // A full sheet of 1,048,576 rows behind 2 million shared strings: the
    // preview reads its first rows and the strings they use, and stops.
    QByteArray rows;
    rows.reserve(60 << 20);
    for (int r = 1; r <= 1048576; ++r)
        rows += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"A" + QByteArray::number(r) + "\" t=\"s\"><v>"
                + QByteArray::number(r % 3) + "</v></c><c r=\"ZZ" + QByteArray::number(r) + "\"><v>" +
                QByteArray::number(r) + "</v></c></row>";
    const QString full = WritePackage(dir, "full.xlsx", rows, "<si><t>甲</t></si><si><t>乙</t></si><si><t>丙</t></si>"
                                                                  + QByteArray("<si/>").repeated(2000000));
    rows = QByteArray();
    const QString far = WritePackage(dir, "far.xlsx",
                                     "<row r=\"1\"><c r=\"B1\"><v>1</v></c></row><row r=\"9\"><c r=\"XFD9\"><v>3</v></c>"
                                     "<c r=\"A9\" t=\"s\"><v>0</v></c></row><row r=\"2000000000\">"
                                     "<c r=\"A2000000000\"><v>2</v></c></row>",
                                     "<si><t>a_x000D_b_x00zz_</t></si>");
    const QString bomb = WritePackage(dir, "bomb.xlsx", QByteArray(40 << 20, ' '), "");
    const PeakMemory peak;  // the peak from here on is the reading's
    ASSERT_TRUE(peak.Available());
    const CellRange preview = ReadSheetRange(full, "S", 1, 19, 1, 59);
    ASSERT_TRUE(preview.ok()) << preview.error.toStdString();
    EXPECT_EQ(preview.rows[0].value(0), "乙");
    EXPECT_EQ(preview.rows[18].value(0), "乙");
    // The whole column far out at ZZ, kept without the columns before it.
    const SheetRead last = ReadWorksheet(full, "S", {0, 0, {1048576}, {702}});
    ASSERT_TRUE(last.ok());
    EXPECT_EQ(last.cells.Cell(1048576, 702), "1048576");

    // A row number past any sheet, a cell far out, and a package that inflates
    // a thousandfold: no abort, no gigabytes.
    const SheetRead farRead = ReadWorksheet(far, "S");
    ASSERT_TRUE(farRead.ok());
    EXPECT_EQ(farRead.cells.Cell(1, 2), "1");
    EXPECT_EQ(farRead.cells.Cell(9, 16384), "3");
    EXPECT_EQ(farRead.cells.Cell(9, 1), "a\rb_x00zz_");  // characters XML can't hold, escaped
    EXPECT_EQ(ReadWorksheet(bomb, "S").error, WorkbookDamagedError());
#ifndef SLIP_SANITIZED  // the sanitizer's own memory would count
    EXPECT_LT(peak.PeakBytes() / (1024 * 1024), 300);
#endif
}

TEST(SheetNumbers, PlainDigitsNeverAnExponent)
{
    const QVector<QPair<double, QString>> cases = {
        {0.1, "0.1"}, {2.5, "2.5"}, {0, "0"}, {-0.0, "0"}, {-42, "-42"}, {0.1 + 0.2, "0.3"}, {1e-7, "0.0000001"},
        {1234567890123456.0, "1234567890123456"}, {9999999999999998.0, "9999999999999998"},
        {1.2345678901234E+15, "1234567890123400"}, {1e20, "100000000000000000000"},
        {-1.5e-9, "-0.0000000015"}, {1.234567890123456789e17, "123456789012346000"}};
    for (const auto& [v, text] : cases) EXPECT_EQ(SheetNumberText(v), text) << v;
}

TEST(SheetDates, SerialNumbersOfBothDateSystems)
{
    struct Case {
        double serial;
        bool date1904, date, time;
        const char* text;
    };
    for (const Case& c : {Case{1, false, true, false, "1900-01-01"}, {59, false, true, false, "1900-02-28"},
                          {60, false, true, false, "1900-02-29"}, {61, false, true, false, "1900-03-01"},
                          {45366, false, true, false, "2024-03-15"}, {45366.5, false, true, true, "2024-03-15 12:00:00"},
                          {0.75, false, false, true, "18:00:00"}, {0, true, true, false, "1904-01-01"},
                          {45366.999999999, false, true, true, "2024-03-16 00:00:00"},  // rounded to the second
                          {-1, false, true, false, "-1"}})
        EXPECT_EQ(SerialDateText(c.serial, c.date1904, c.date, c.time), c.text) << c.serial;
}

TEST(SheetDates, FormatsThatShowDatesOrTimes)
{
    for (int id : {14, 15, 16, 17, 22, 27, 31, 36, 50, 58}) EXPECT_TRUE(DateFormatOf(id, {}).date) << id;
    for (int id : {18, 19, 20, 21, 45, 46, 47, 32, 35}) EXPECT_TRUE(DateFormatOf(id, {}).time && !DateFormatOf(id, {}).date) << id;
    for (int id : {0, 1, 2, 4, 9, 10, 11, 12, 13, 37, 44, 48, 49}) EXPECT_FALSE(DateFormatOf(id, {}).any()) << id;
    struct Case {
        const char* code;
        bool date, time;
    };
    for (const Case& c : {Case{"yyyy/mm/dd", true, false}, {"d-mmm", true, false}, {"[$-804]yyyy\"年\"m\"月\"", true, false},
                          {"yyyy-mm-dd hh:mm", true, true}, {"[h]:mm:ss", false, true}, {"0.00\" days\"", false, false},
                          {"[Red]#,##0.00", false, false}, {"General", false, false}, {"0.0\\d", false, false},
                          {"@", false, false}}) {
        EXPECT_EQ(DateFormatOf(164, QString::fromUtf8(c.code)).date, c.date) << c.code;
        EXPECT_EQ(DateFormatOf(164, QString::fromUtf8(c.code)).time, c.time) << c.code;
    }
}
