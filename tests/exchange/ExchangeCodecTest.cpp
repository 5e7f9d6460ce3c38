#include "exchange/ExchangeCodec.h"

#include <gtest/gtest.h>

using namespace slip;

namespace {

const QString kSep = QStringLiteral("】★【");

// A box line of 22 fields: ID, a text box at X 10, font 宋体, references.
QString BoxLine(const QString& id, const QString& rctl = "0", const QString& sum = "0")
{
    return QStringList{id, "0", "户名", "1", "10", "20", "30", "8", "0", "0", "0", "宋体", "9",
                       "False", "False", "False", "False", "0", rctl, "", sum, "0"}
        .join(kSep);
}
QString HeaderLine()
{
    return QStringList{"0", "", HeaderLabel(), "", "0", "0", "200", "100", "", "", "15360", "", "", "False",
                       "False", "False", "False", "", "", "", "", ""}
        .join(kSep);
}
QString File(const QStringList& records, const QString& category = QStringLiteral("进账单_手写"))
{
    return (QStringList{ExchangeMagicLine(), category} + records + QStringList{HeaderLine()}).join("\r\n");
}

} // namespace

TEST(ExchangeNames, PathsNamesAndCategory)
{
    EXPECT_EQ(ExchangeCategoryLine("工行进账单"), "工行进账单");
    EXPECT_EQ(ExchangeCategoryLine("工行"), "进账单_工行");
    const struct {
        QString chosen, written, name, picture;
    } cases[] = {{"/d/a.TVQ", "/d/a.TVQ", "a", "/d/a.jpg"},
                 {"/d/a.txt", "/d/a.txt.tvq", "a.txt", "/d/a.txt.jpg"},
                 {"/d.x/工行.v2", "/d.x/工行.v2.tvq", "工行.v2", "/d.x/工行.v2.jpg"}};
    for (const auto& c : cases) {
        const QString path = ExchangeFilePath(c.chosen);
        EXPECT_EQ(path, c.written);
        EXPECT_EQ(ExchangeNameFromPath(path), c.name);
        EXPECT_EQ(ExchangePicturePath(path), c.picture);
    }
    EXPECT_EQ(ExchangeNameFromPath("/d/.tvq"), "");
}

TEST(ExchangeEncoding, RowsAreWrittenAsHeldNullsEmptyBreaksMarked)
{
    ExchangeRow box;
    box.fields[FieldID] = 57;
    box.fields[FieldClas] = 2;
    box.fields[FieldLBL] = QStringLiteral("A\r\nB");
    box.fields[FieldX] = 12.5;
    box.fields[FieldColor] = 65793;
    box.fields[FieldBold] = 1;
    box.fields[FieldItalic] = QStringLiteral("False");
    box.fields[FieldCash] = 1.0;
    box.fields[FieldMem] = QStringLiteral("一\r\n二");
    box.fields[FieldSumID] = -9.1;
    ExchangeRow unsafe;
    unsafe.fields[FieldLBL] = QStringLiteral("分隔】★【符");
    const ExchangeText out = EncodeExchangeText("工行", {box, unsafe});
    const QStringList lines = out.text.split("\r\n");
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "<Tamberlow格式专用>");
    EXPECT_EQ(lines[1], "进账单_工行");
    EXPECT_EQ(lines[2], QStringList({"57", "2", "A‖‖‖B", "", "12.5", "", "", "", "", "", "65793", "", "", "True",
                                     "False", "", "", "1", "", "一♂♂二", "-9.1", ""})
                            .join(kSep));
    EXPECT_EQ(out.unsafeRows, QStringList{"第4行“分隔】★【符”"});
}

TEST(ExchangeDecoding, BrokenRecordsAreJoinedAndFieldsReadAsWritten)
{
    QString broken = BoxLine("1");
    broken.replace("宋体", "宋\r\n\r\n体");
    QStringList wide = BoxLine("2").split(kSep);
    wide[13] = "TRUE";
    wide[14] = "yes";
    wide[2] = "甲‖‖‖乙";
    wide[4] = " 1 2.5 ";
    wide[10] = "&HFF";
    wide[12] = "";
    const QStringList short21 = BoxLine("3").split(kSep).mid(0, 21);
    const ExchangeContent c = DecodeExchangeText(
        File({broken, (wide + QStringList{"7.5", "x", "y"}).join(kSep), short21.join(kSep), ""}), "x");
    ASSERT_TRUE(c.ok) << c.error.toStdString();
    ASSERT_EQ(c.rows.size(), 4);
    EXPECT_EQ(c.rows[0].fields[FieldFName].toString(), "宋\r\n\r\n体");
    const BoxRecord& w = c.rows[1].fields;
    EXPECT_EQ(c.rows[1].line, 6);
    EXPECT_EQ(w[FieldBold].toInt(), 1);
    EXPECT_EQ(w[FieldItalic].toInt(), 0);
    EXPECT_EQ(w[FieldLBL].toString(), "甲\r\n乙");
    EXPECT_EQ(w[FieldX].toDouble(), 12.5);
    EXPECT_EQ(w[FieldColor].toDouble(), 255);
    EXPECT_EQ(w[FieldFSize], QVariant(0.0)) << "an empty number field reads as 0";
    EXPECT_EQ(c.rows[1].extra.toDouble(), 7.5) << "field 23 is read, later ones are ignored";
    EXPECT_TRUE(c.rows[2].extra.isNull());
    EXPECT_EQ(c.rows[2].fields[FieldSumID1].toDouble(), 0) << "21 fields read without the second sum";
    EXPECT_EQ(c.rows[3].fields[FieldLBL].toString(), HeaderLabel());
    // A file passed through an editor that keeps LF only still reads.
    EXPECT_TRUE(DecodeExchangeText(File({BoxLine("1")}).replace("\r\n", "\n"), "x").ok);
    // So does one without the header record.
    EXPECT_TRUE(DecodeExchangeText(QStringList{ExchangeMagicLine(), "进账单", BoxLine("1")}.join("\r\n"), "x").ok);
}

TEST(ExchangeDecoding, EveryEmptyNumberFieldReadsAsZero)
{
    // The number fields of a box line, by position in the line.
    const int numberFields[] = {FieldID, FieldClas, FieldX, FieldY, FieldW, FieldH, FieldS, FieldL, FieldColor,
                                FieldFSize, FieldCash, FieldRCtl, FieldSumID, FieldSumID1};
    for (int f : numberFields) {
        QStringList fields = BoxLine("1").split(kSep);
        fields[f] = " ";
        const ExchangeContent c = DecodeExchangeText(File({fields.join(kSep) + kSep}), "x");
        ASSERT_TRUE(c.ok) << f << c.error.toStdString();
        EXPECT_EQ(c.rows[0].fields[f], QVariant(0.0)) << BoxRecordFields()[f].toStdString();
        EXPECT_EQ(c.rows[0].extra, QVariant(0.0)) << "an empty field 23";
    }
}

TEST(ExchangeDecoding, RefusalsOfFilesNotOursAndOfBrokenOnes)
{
    const QString unrecognised = "无法识别此文件，请确认文件：“/p/a.tvq”为进账单格式文件！";
    auto withField = [](int field, const QString& value) {
        QStringList f = BoxLine("1").split(kSep);
        f[field] = value;
        return File({BoxLine("9"), f.join(kSep)});
    };
    const struct {
        QString text, error;
    } cases[] = {
        {"<Tamberlow格式专用>\r\n进账单", unrecognised},
        {File({BoxLine("1")}).replace("<Tamberlow", "<Other"), unrecognised},
        {File({BoxLine("1")}, "存款单"), "此格式不属于进账单，无法导入！"},
        {File({"1】★【2"}), "格式文件有错！"},
        {File({}).replace(kSep + "200" + kSep, kSep + "0" + kSep), "格式文件有错！"},
        {withField(9, "1e60"), "格式文件有错！"},
        {withField(1, "4294967296"), "格式文件有错！"},
        {withField(10, "-1e300"), "格式文件有错！"},
        {withField(4, "1e400"), "格式文件有错！"},
        {withField(12, "-1D400"), "格式文件有错！"},
        {withField(17, "1e60"), "格式文件有错！"},
        {withField(18, "inf"), "格式文件有错！"},
        {withField(20, "-NaN"), "格式文件有错！"},
        {withField(21, "0\r\n5"), "格式文件有错！"},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeExchangeText(c.text, "/p/a.tvq").error, c.error) << c.error.toStdString();
    QStringList tooMany;
    for (int i = 0; i < 1000; ++i) tooMany << BoxLine(QString::number(i + 1));
    EXPECT_EQ(DecodeExchangeText(File(tooMany), "x").error, "格式文件有错！");
}

TEST(ExchangeDecoding, ARecordInAHundredThousandPiecesIsJoinedInOnePass)
{
    // Each piece is a short line; joining them one by one into a growing
    // line took minutes.
    QStringList f = BoxLine("1").split(kSep);
    f[19] = QStringList(100000, "x").join("\r\n");
    const ExchangeContent c = DecodeExchangeText(File({f.join(kSep)}), "x");
    ASSERT_TRUE(c.ok);
    ASSERT_EQ(c.rows.size(), 2);
    EXPECT_EQ(c.rows[0].fields[FieldMem].toString().size(), 100000 * 3 - 2);
}
