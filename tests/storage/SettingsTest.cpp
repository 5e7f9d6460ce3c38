#include "DamagedTable.h"
#include "FileBytes.h"
#include "FileSizeLimit.h"
#include "TestHome.h"

#include "storage/Database.h"
#include "storage/Params.h"
#include "core/Registry.h"
#include "core/TextNumber.h"

using namespace slip;

TEST(Params, RoundTripKeepsQuotesAndChineseAndOneRecordPerName)
{
    test::TestHome home;
    EXPECT_EQ(GetParam("从未设置"), QString());
    const QString name = "x' OR 'a'='a";
    ASSERT_TRUE(SetParam(name, "甲'乙\"丙"));
    ASSERT_TRUE(SetParam("格式搜索", "进账单"));
    ASSERT_TRUE(SetParam(name, "第二次"));
    EXPECT_EQ(GetParam(name), "第二次");
    EXPECT_EQ(GetParam("格式搜索"), "进账单");
    EXPECT_EQ(OpenRecordset("SELECT * FROM 参数 WHERE Var=?", {name}).RecordCount(), 1);
    ASSERT_TRUE(SetParam("软件密码", ""));
    EXPECT_EQ(GetParam("软件密码"), QString());
}

TEST(Params, AFailedReadOrWriteTellsTheStatementWithItsValues)
{
    test::TestHome home;
    ASSERT_TRUE(SetParam("名", "值"));
    test::DamageTable("参数");
    QString error = "x";
    EXPECT_EQ(GetParam("名", &error), QString());
    EXPECT_EQ(error, "数据库打开错误(SELECT * FROM 参数 WHERE Var='名' LIMIT 1)！");
    EXPECT_FALSE(SetParam("名", "新值", &error));
    EXPECT_EQ(error, "数据库打开错误(SELECT * FROM 参数 WHERE Var='名')！");
    // A list fill shows its statement the same way.
    EXPECT_EQ(OpenRecordset("SELECT Con FROM 参数 WHERE Var=? OR RowID=?", {"名", 3}).error,
              "数据库打开错误(SELECT Con FROM 参数 WHERE Var='名' OR RowID=3)！");
}

TEST(Params, FirstOfSeveralRecordsIsTheOneChanged)
{
    test::TestHome home;
    ExecuteSql("INSERT INTO 参数(Var, Con) VALUES('k', 'a')");
    ExecuteSql("INSERT INTO 参数(Var, Con) VALUES('k', 'b')");
    ASSERT_TRUE(SetParam("k", "c"));
    Recordset rs = OpenRecordset("SELECT Con FROM 参数 WHERE Var='k' ORDER BY RowID");
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.text(0, "Con"), "c");
    EXPECT_EQ(rs.text(1, "Con"), "b");
}

TEST(WindowGeometry, StoredText)
{
    EXPECT_EQ(WindowGeometryParam(QRect(1500, 1200, 9000, 6000), 19200), "1500;1200;9000;6000");
    EXPECT_EQ(WindowGeometryParam(QRect(0, 0, 19200, 6000), 19200), "0;0;0;0");
    EXPECT_EQ(WindowGeometryParam(QRect(-100, 0, 20000, 6000), 19200), "0;0;0;0");
}

TEST(WindowGeometry, RestoreRules)
{
    const QSize screen(19200, 10800);
    const QRect cur(3000, 3000, 4000, 3000);
    EXPECT_EQ(ApplyWindowGeometry("-500;200;800;600", cur, screen), QRect(-500, 200, 800, 600));
    EXPECT_EQ(ApplyWindowGeometry("-900;200;800;600", cur, screen), QRect(3000, 3000, 800, 600));
    EXPECT_EQ(ApplyWindowGeometry("100;100;0;0", cur, screen), QRect(100, 100, 4000, 3000));
    EXPECT_EQ(ApplyWindowGeometry("1;2;3", cur, screen), cur);
    EXPECT_EQ(ApplyWindowGeometry("0;0;0;0", cur, screen), QRect(0, 0, 4000, 3000).translated(3000, 3000));
    EXPECT_EQ(ApplyWindowGeometry("", cur, screen), cur);
    EXPECT_EQ(ApplyWindowGeometry("20000;100;800;600", cur, screen), QRect(3000, 3000, 800, 600));
    // Numbers are read as far as they go; halves round to even.
    EXPECT_EQ(ApplyWindowGeometry("10.5abc;11.5;x;600", cur, screen), QRect(10, 12, 4000, 3000));
}

TEST(Registry, DefaultsAndRoundTrip)
{
    test::TestHome home;
    EXPECT_EQ(GetRegValue(RegRoot(), "Para", "CrlfChr", "//"), "//");
    ASSERT_TRUE(SaveRegValue(RegRoot(), "Para", "CrlfChr", "##"));
    EXPECT_EQ(GetRegValue(RegRoot(), "Para", "CrlfChr", "//"), "##");
    ASSERT_TRUE(SaveRegValue(RegRoot(), "Para", "CrlfChr", ""));
    EXPECT_EQ(GetRegValue(RegRoot(), "Para", "CrlfChr", "//"), "//");
    ASSERT_TRUE(SaveRegValue(RegRoot(), "Corvanteel", "T(0)", "3"));
    ASSERT_TRUE(SaveRegValue(RegRoot(), "Validate", "Printer", "打印机 甲"));
    EXPECT_EQ(GetRegValue(RegRoot(), "Corvanteel", "T(0)", ""), "3");
    EXPECT_EQ(GetRegValue(RegRoot(), "Corvanteel", "T(1)", ""), "");
    EXPECT_EQ(GetRegValue(RegRoot(), "Validate", "Printer", ""), "打印机 甲");

    // A disk that fills midway: a setting saved, or a missing one written
    // back as it is read, leaves the settings file as it was and nothing beside it.
    ASSERT_TRUE(SaveRegValue(RegRoot(), "Corvanteel", "长", QString(2000, QChar(u'映'))));
    const QString folder = home.file("config/") + RegRoot();
    const QByteArray before = test::FileBytes(folder + "/settings.conf");
    for (const bool saving : {true, false}) {
        {
            test::FileSizeLimit fullDisk(1024);
            if (saving) EXPECT_FALSE(SaveRegValue(RegRoot(), "Para", "CrlfChr", "%%"));
            else EXPECT_EQ(GetRegValue(RegRoot(), "Para", "从未设置", "默认"), "默认");
        }
        EXPECT_EQ(test::FileBytes(folder + "/settings.conf"), before) << saving;
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{"settings.conf"}) << saving;
    }
    EXPECT_EQ(GetRegValue(RegRoot(), "Para", "CrlfChr", "//"), "//");
    EXPECT_EQ(GetRegValue(RegRoot(), "Validate", "Printer", ""), "打印机 甲");
}

TEST(TextNumber, LeadingNumber)
{
    // Read as far as a number goes, blanks passed over; no number reads 0 and
    // is told apart from a 0.
    const struct { const char* text; std::optional<double> number; } cases[] = {
        {"180mm", 180}, {" 90 毫米", 90}, {"  -1.5e2x", -150}, {"1 2 3", 123}, {".5", 0.5}, {"&H1F", 31},
        {"12.34.56", 12.34}, {"3e", 3}, {"0", 0}, {"abc", std::nullopt}, {"", std::nullopt}, {"-", std::nullopt},
        {"&Hz", std::nullopt}, {"１２", std::nullopt},  // full-width digits are no number
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeadingNumber(QString::fromUtf8(c.text)), c.number) << c.text;
        EXPECT_EQ(Val(QString::fromUtf8(c.text)), c.number.value_or(0)) << c.text;
    }
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
}
