#include "DamagedTable.h"
#include "TestHome.h"

#include <QDir>

#include "storage/Params.h"
#include "storage/Password.h"

using namespace slip;

TEST(Password, IsStoredAsASaltedHashNeverAsText)
{
    test::TestHome home;
    ASSERT_EQ(ChangeStartupPassword("", "柜台Pw1", "柜台Pw1"), PasswordChange::Changed);
    const QString stored = GetParam("软件密码");
    EXPECT_FALSE(stored.contains("柜台Pw1"));
    EXPECT_TRUE(IsHashedPassword(stored));
    // The same password hashed twice gives two texts: each has its own salt.
    EXPECT_NE(HashPassword("柜台Pw1"), HashPassword("柜台Pw1"));
    EXPECT_TRUE(PasswordMatches("柜台Pw1", HashPassword("柜台Pw1")));
    EXPECT_FALSE(PasswordMatches("柜台Pw2", stored));
    // A damaged stored hash matches nothing.
    EXPECT_FALSE(PasswordMatches("柜台Pw1", "pbkdf2-sha256$x$abc$def"));
}

TEST(Password, APlainPasswordOfAnOlderDatabaseIsAcceptedOnceAndReplaced)
{
    test::TestHome home;
    ASSERT_TRUE(SetParam("软件密码", "Old"));
    EXPECT_FALSE(CheckStartupPassword("old"));
    EXPECT_EQ(GetParam("软件密码"), "Old");  // a wrong guess changes nothing
    EXPECT_TRUE(CheckStartupPassword("Old"));
    EXPECT_TRUE(IsHashedPassword(GetParam("软件密码")));
    EXPECT_TRUE(CheckStartupPassword("Old"));
    EXPECT_FALSE(CheckStartupPassword("Ol"));
}

TEST(Password, ChangeRulesAndAnExactCaseSensitiveCheck)
{
    test::TestHome home;
    EXPECT_TRUE((ReadStartupPasswordState() == StartupPasswordState::None) && CheckStartupPassword(""));
    EXPECT_EQ(ChangeStartupPassword("", "新", "新的"), PasswordChange::NewEntriesDiffer);
    EXPECT_EQ(GetParam("软件密码"), QString());
    EXPECT_EQ(ChangeStartupPassword("x", "Pw", "Pw"), PasswordChange::WrongOldPassword);
    EXPECT_EQ(ChangeStartupPassword("", "Pw", "Pw"), PasswordChange::Changed);
    for (const char* wrong : {"pw", "Pw ", ""}) EXPECT_FALSE(CheckStartupPassword(wrong)) << wrong;
    EXPECT_TRUE(CheckStartupPassword("Pw"));
    EXPECT_EQ(ChangeStartupPassword("", "a", "a"), PasswordChange::WrongOldPassword);
    EXPECT_EQ(ChangeStartupPassword("pw", "a", "a"), PasswordChange::WrongOldPassword);
    EXPECT_EQ(ChangeStartupPassword("Pw", "", ""), PasswordChange::Removed);
    EXPECT_EQ(GetParam("软件密码"), QString());
    EXPECT_TRUE((ReadStartupPasswordState() == StartupPasswordState::None));
}

TEST(Password, OneThatCantBeReadIsNeverNone)
{
    test::TestHome home;
    ASSERT_EQ(ChangeStartupPassword("", "Pw", "Pw"), PasswordChange::Changed);
    test::DamageTable("参数");
    QString why;
    EXPECT_EQ(ReadStartupPasswordState(&why), StartupPasswordState::Unreadable);
    EXPECT_TRUE(why.startsWith("数据库打开错误(")) << why.toStdString();
    for (const char* typed : {"", "Pw"}) EXPECT_FALSE(CheckStartupPassword(typed)) << typed;
    EXPECT_EQ(ChangeStartupPassword("", "a", "a"), PasswordChange::Unreadable);
    EXPECT_TRUE(UnreadablePasswordText().contains(QDir::toNativeSeparators(DatabasePath())));
}
