#include "DamagedTable.h"
#include "Responding.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

#include "storage/Database.h"
#include "ui/SelFormat.h"

#include <QTest>
#include <QPushButton>
#include <QComboBox>
#include <QLineEdit>

using namespace slip;

namespace {

using Answer = test::Responding<SelFormat>;

} // namespace

TEST(SelFormat, AFormatNameIsAnsweredExactlyAsListed)
{
    test::TestHome home;
    // Names an older database may hold: blanks around, the chooser's separator.
    for (const char* n : {" 旁观", "旁观", "旁观｜副本"})
        ASSERT_GT(InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES(?, 'x')", {QString::fromUtf8(n)}), 0);
    for (const char* n : {" 旁观", "旁观｜副本"}) {
        const QString name = QString::fromUtf8(n);
        Answer answer([&](SelFormat& d) {
            d.choices->setCurrentIndex(d.choices->findText(name));
            d.okButton->click();
        });
        EXPECT_EQ(RunSelFormat("Format", false, "请选择格式名称", "旁观"), name);
    }
}

TEST(SelFormat, ABoxClassIsTheNumberBeforeTheSeparatorAndCancelAnswersNothing)
{
    test::TestHome home;
    {
        Answer answer([](SelFormat& d) {
            d.choices->setCurrentIndex(3);
            d.okButton->click();
        });
        EXPECT_EQ(AskInputBoxClass(), "3");
    }
    Answer cancel([](SelFormat& d) { d.cancelButton->click(); });
    EXPECT_EQ(AskInputBoxClass(), QString());
    EXPECT_EQ(RunSelFormat("Format", true, "请选择格式名称", "甲"), QString());
}

TEST(SelFormat, WithoutEditingTypingChangesNothing)
{
    test::TestHome home;
    ASSERT_GT(InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES('甲', 'x')", {}), 0);
    SelFormat d("Format", false, "甲");
    d.show();
    QTest::keyClicks(d.choices->lineEdit(), "abc");
    EXPECT_EQ(d.choices->currentText(), "甲");
}

TEST(SelFormat, AListThatCantBeReadIsToldWithItsStatement)
{
    test::TestHome home;
    ASSERT_GT(InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES('甲', 'x')", {}), 0);
    test::DamageTable("Fmt_name");
    test::DamageTable("Fmt");
    ScriptedPrompter prompts;
    SelFormat chooser("Format", false, QString());
    EXPECT_EQ(prompts.shown, QStringList{"数据库打开错误(SELECT Fmt FROM Fmt GROUP BY Fmt ORDER BY Fmt)！"});
    EXPECT_EQ(chooser.choices->count(), 0);
}

TEST(SelFormat, ATypedNameLosesItsBlanksAndWhatFollowsASeparatorAndNoTextIsCancel)
{
    test::TestHome home;
    ASSERT_GT(InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES(' 旁观', 'x')", {}), 0);
    ScriptedPrompter prompts;
    QStringList checked;
    const auto refuse = [&](const QString& name) {
        checked << name;
        return QString();
    };
    const struct {
        const char* typed;
        const char* answer;
    } cases[] = {{" D1 ", "D1"}, {"\tD1\u3000", "D1"}, {" 旁观", " 旁观"}, {"", ""}, {"   ", ""},
                 {"副本｜二", "副本"}, {" D2｜｜x ", "D2"}, {"｜副本", ""}};
    for (const auto& c : cases) {
        Answer answer([&](SelFormat& d) {
            d.choices->setEditText(QString::fromUtf8(c.typed));
            d.okButton->click();
        });
        EXPECT_EQ(RunSelFormat("Format", true, "请选择格式名称", "甲", refuse), QString::fromUtf8(c.answer))
            << c.typed;
    }
    // No text is no name to check: it is a cancel, without a word.
    EXPECT_EQ(checked, (QStringList{"D1", "D1", " 旁观", "副本", "D2"}));
    EXPECT_TRUE(prompts.shown.isEmpty());
}
