// The format commands on a stored format, with a host that records what the window is asked.
#include "DamagedTable.h"
#include "Responding.h"
#include "ScriptedPrompter.h"
#include "StoredFormats.h"
#include "TestHome.h"

#include "storage/FormatStore.h"
#include "ui/SelFormat.h"
#include "workspace/FormatCommands.h"

#include <functional>

using namespace slip;

namespace {

struct RecordingHost : FormatHost {
    void FormatOpened(bool fitCanvas) override { fitted.push_back(fitCanvas); }
    std::vector<bool> fitted;  // one entry per format shown
};

struct FormatCommandsTest : ::testing::Test {
    test::TestHome home;
    ScriptedPrompter prompts;
    SlipFormat format;
    RecordingHost host;
    FormatCommands commands{format, host};
    QVector<BoxId> ids;

    // "甲" (200 × 100 mm, one text box whose default is "原值") and "别", open on "甲".
    void SetUp() override
    {
        ids = test::SaveFormatWithBoxes("甲", {{BoxKind::Text, "户名"}});
        test::SaveFormatWithBoxes("别", {{BoxKind::Text, "账号"}});
        SlipFormat stored;
        test::OpenStoredFormat(stored, "甲");
        stored.SetValue(ids[0], "原值");
        ASSERT_TRUE(FormatStore::SaveDefaults(stored, "甲").ok);
        ASSERT_TRUE(commands.ChooseFormat("甲", true));
    }
    bool NewFormat(QString name, QString w, QString h) { prompts.inputs = {name, w, h}; return commands.NewFormat(); }
};

} // namespace

// A format loaded anew or of another size is fitted to the frame; a new name keeps the canvas.
TEST_F(FormatCommandsTest, TheCanvasIsFittedOnlyWhenTheSlipChanges)
{
    const struct { const char* what; std::function<bool(FormatCommandsTest&)> run; bool fitted; } cases[] = {
        {"新建，同一尺寸", [](auto& t) { return t.NewFormat("新一", "200", "100"); }, false},
        {"新建，另一尺寸", [](auto& t) { return t.NewFormat("新二", "180", "90"); }, true},
        {"另存", [](auto& t) { return t.commands.SaveFormatAs("副本"); }, false},
        {"选择", [](auto& t) { return t.commands.ChooseFormat("别", false); }, true},
    };
    for (const auto& c : cases) {
        host.fitted.clear();
        ASSERT_TRUE(c.run(*this)) << c.what;
        EXPECT_EQ(host.fitted, std::vector<bool>{c.fitted}) << c.what;
    }
}

TEST_F(FormatCommandsTest, SaveAsPullsTheBoxesOntoTheSlipBeforeTheChooserShows)
{
    Box b = format.Boxes()[0];
    b.rect.moveLeft(230);  // beyond the right edge of 200 mm
    format.UpdateBox(b);
    double leftWhenAsked = -1;
    test::Responding<SelFormat> cancel([&](SelFormat& d) {
        leftWhenAsked = format.Boxes()[0].rect.left();
        d.reject();
    });
    EXPECT_FALSE(commands.SaveFormatAs(QString()));
    EXPECT_DOUBLE_EQ(leftWhenAsked, 200 - b.rect.width());
}

// Defaults unread when the format opened are told, and no leaving or saving writes over them.
TEST_F(FormatCommandsTest, DefaultsThatCouldNotBeReadAreToldAndNeverWrittenOver)
{
    const struct { const char* what; std::function<void(FormatCommandsTest&)> run; } cases[] = {
        {"离开", [](auto& t) { t.commands.LeaveFormat(); }},
        {"保存", [](auto& t) { EXPECT_TRUE(t.commands.SaveFormat()); }},
        {"另存", [](auto& t) { EXPECT_TRUE(t.commands.SaveFormatAs("甲的副本")); }},
        {"切换", [](auto& t) { EXPECT_TRUE(t.commands.ChooseFormat("别", false)); }},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(commands.ChooseFormat("甲", true)) << c.what;
        ASSERT_EQ(format.Value(ids[0]), "原值") << c.what;
        test::TablePage page;
        test::DamageTable("默认", &page);
        prompts.shown.clear();
        ASSERT_TRUE(commands.ChooseFormat("甲", true)) << c.what;
        EXPECT_EQ(prompts.shown, QStringList{"数据库打开错误(SELECT ID, Con FROM 默认 WHERE Fmt='甲' ORDER BY rowid)！"});
        EXPECT_EQ(format.Value(ids[0]), "") << c.what;
        test::RestorePage(page);  // the table reads again; the empty box is still no default
        c.run(*this);
        EXPECT_EQ(FormatStore::LoadDefaults("甲").value(ids[0]), "原值") << c.what;
    }
}
