#include "EntryTestSupport.h"

#include <gtest/gtest.h>

#include "entry/AutoCalculate.h"

using namespace slip;
using namespace slip::test;

namespace {

const QDate kToday(2020, 7, 9);

// Types a value into a box and leaves it, as the operator does.
CalculationResult Type(SlipFormat& f, BoxId id, const QString& value, const EntryContext& ctx = {kToday, {}})
{
    f.SetValue(id, value);
    return LeaveTextBox(f, id, ctx);
}

} // namespace

// Sums and products of the boxes left, in the total's code. Each step types
// a value into a box and leaves it; then a box must show a value.
TEST(AutomaticSums, TotalsOfSumsAndProductsInTheirCodes)
{
    struct Step { BoxId typedInto; const char* value; BoxId shown; const char* want; };
    struct Scenario { const char* name; std::vector<Box> boxes; std::vector<Step> steps; QChar currency = QChar(0xFFE5); };
    const Scenario scenarios[] = {
        {"adds into an amount box", {TextBoxOf(1, 0, AddTo(3)), TextBoxOf(2, 0, AddTo(3)), TextBoxOf(3, 104)},
         {{1, "100", 3, "￥100.00"}, {2, "23.5", 3, "￥123.50"}, {2, "", 3, "￥100.00"}}},
        // Tenths add without binary rounding, also written as a number in a plain box.
        {"tenths", {TextBoxOf(1, 0, AddTo(3)), TextBoxOf(2, 0, AddTo(3)), TextBoxOf(3, 104), TextBoxOf(4, 0, AddTo(5)), TextBoxOf(5, 0)},
         {{1, "0.1", 3, "￥0.10"}, {2, "0.2", 3, "￥0.30"}, {4, "0.1", 5, "0.1"}, {1, "1.15", 3, "￥1.35"}, {2, "2.3", 3, "￥3.45"}}},
        {"negated operands subtract", {TextBoxOf(1, 0, AddTo(3, true)), TextBoxOf(2, 0, AddTo(3)), TextBoxOf(3, 0)},
         {{1, "30", 3, "-30"}, {2, "100", 3, "70"}, {2, "10", 3, "-20"}}},
        // An empty factor leaves the product empty; 1.9995 is cut after the fen like every amount.
        {"products", {TextBoxOf(1, 0, MultiplyInto(3)), TextBoxOf(2, 0, MultiplyInto(3)), TextBoxOf(3, 104)},
         {{1, "3", 3, ""}, {2, "4", 3, "￥12.00"}, {1, "", 3, ""}, {1, "1.5", 3, "￥6.00"}, {2, "1.333", 3, "￥1.99"}}},
        {"negated factor and percentage", {TextBoxOf(1, 104, MultiplyInto(3)), TextBoxOf(2, 116, MultiplyInto(3, true)), TextBoxOf(3, 0)},
         {{1, "1000", 3, ""}, {2, "0.05", 2, "5%"}, {2, "0.05", 3, "-50"}}},
        {"money words and cells are read back", {TextBoxOf(1, 103, AddTo(4)), TextBoxOf(2, 114.11, AddTo(4)), TextBoxOf(3, 121.08, AddTo(4)), TextBoxOf(4, 104)},
         {{1, "1005.3", 1, "壹仟零伍元叁角整"}, {1, "1005.3", 4, "￥1,005.30"}, {2, "0.25", 4, "￥1,005.55"}, {3, "1000", 4, "￥2,005.55"}}},
        // Box 1 feeds a sum (3) and a product (4) at once.
        {"both targets", {TextBoxOf(1, 0, AddTo(3), MultiplyInto(4)), TextBoxOf(2, 0, AddTo(3), MultiplyInto(4)), TextBoxOf(3, 103), TextBoxOf(4, 0)},
         {{1, "6", 3, "陆元整"}, {2, "7", 3, "壹拾叁元整"}, {2, "7", 4, "42"}}},
        // Box 2 multiplies into 3 through its second target; box 1 adds into 3.
        {"a second target counts only with its own operation", {TextBoxOf(1, 0, AddTo(3)), TextBoxOf(2, 0, {}, MultiplyInto(3)), TextBoxOf(3, 0)},
         {{2, "5", 2, "5"}, {1, "7", 3, "7"}}},
        {"two levels", {TextBoxOf(1, 0, AddTo(3)), TextBoxOf(2, 0, AddTo(3)), TextBoxOf(3, 104, AddTo(5)), TextBoxOf(4, 0, AddTo(5)), TextBoxOf(5, 103)},
         {{4, "1000", 5, "壹仟元整"}, {1, "200", 5, "壹仟贰佰元整"}, {2, "34.5", 3, "￥234.50"}, {2, "34.5", 5, "壹仟贰佰叁拾肆元伍角整"}}},
        // A box without a number counts 0: never infinity, never NaN.
        {"no number", {TextBoxOf(1, 0, AddTo(3)), TextBoxOf(2, 0, AddTo(3)), TextBoxOf(3, 0), TextBoxOf(4, 0, MultiplyInto(5)), TextBoxOf(5, 104)},
         {{1, "abc", 3, "0"}, {2, "12", 3, "12"}, {2, "1e999", 3, "0"}, {4, "nan", 5, "￥0.00"}}},
        {"the format's currency", {TextBoxOf(1, 0, AddTo(2)), TextBoxOf(2, 104)}, {{1, "$1,000", 2, "$1,000.00"}}, u'$'},
        {"a box left is converted by its code first", {TextBoxOf(1, 110), TextBoxOf(2, 0)}, {{1, "5-3", 1, "2020年05月03日"}}},
        // 1 adds into 2; 2 is chained with 3 (words); 3 adds into 4.
        {"totals copied along their chain feed their totals",
         {TextBoxOf(1, 0, AddTo(2)), TextBoxOf(2, 104, {}, {}, ChainTo(3)), TextBoxOf(3, 103, AddTo(4), {}, ChainTo(2)), TextBoxOf(4, 0)},
         {{1, "12.5", 2, "￥12.50"}, {1, "12.5", 3, "壹拾贰元伍角整"}, {1, "12.5", 4, "12.5"}}},
    };
    for (const Scenario& sc : scenarios) {
        SlipFormat f;
        OpenFormat(f, sc.boxes, sc.currency);
        for (const Step& st : sc.steps) {
            Type(f, st.typedInto, QString::fromUtf8(st.value));
            EXPECT_EQ(f.Value(st.shown), QString::fromUtf8(st.want)) << sc.name << ": " << st.typedInto << " = " << st.value;
        }
    }
    SlipFormat date;
    OpenFormat(date, {TextBoxOf(1, 110)});
    Type(date, 1, "5-3");
    EXPECT_EQ(GetBoxText(date, 1), "2020年05月03日");
    EXPECT_EQ(GetBoxText(date, 99), "");
}

TEST(AutomaticSums, TargetWrittenOnlyWhenItChanges)
{
    SlipFormat f;
    OpenFormat(f, {TextBoxOf(1, 0, AddTo(2)), TextBoxOf(2, 104, AddTo(3)), TextBoxOf(3, 0)});
    Type(f, 1, "5");
    EXPECT_EQ(f.Value(3), "5");
    f.SetValue(3, "edited by hand");
    int writes = 0;
    QObject::connect(&f, &SlipFormat::valueChanged, [&writes](BoxId) { ++writes; });
    // Leaving box 1 again with the same value: box 2 stays ￥5.00, so the
    // cascade stops there and box 3 keeps the operator's text.
    const CalculationResult r = LeaveTextBox(f, 1, {kToday, {}});
    EXPECT_TRUE(r.totals.empty());
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(f.Value(3), "edited by hand");
}

TEST(AutomaticSums, CascadeFollowsTotalsAndStopsAfterElevenBoxes)
{
    // Box 1 → 2 → 3 → … → 20, each adding into the next.
    std::vector<Box> boxes;
    for (BoxId id = 1; id <= 20; ++id) boxes.push_back(TextBoxOf(id, 0, id < 20 ? AddTo(id + 1) : SumTarget{}));
    SlipFormat f;
    OpenFormat(f, boxes);
    const CalculationResult r = Type(f, 1, "7");
    EXPECT_EQ(r.passes, kMaxCascadePasses);
    // Passes for boxes 1 to 11 write the totals of boxes 2 to 12.
    for (BoxId id = 2; id <= 12; ++id) EXPECT_EQ(f.Value(id), "7") << id;
    for (BoxId id = 13; id <= 20; ++id) EXPECT_EQ(f.Value(id), "") << id;
}

TEST(AutomaticSums, LoopsOfTargetsEndAndBrokenTargetsAndOtherKindsAreSkipped)
{
    SlipFormat f;
    // 1 and 2 add into each other: every leave ends, whatever the values.
    OpenFormat(f, {TextBoxOf(1, 0, AddTo(2)), TextBoxOf(2, 0, AddTo(1)), TextBoxOf(3, 0, AddTo(3))});
    const CalculationResult r = Type(f, 1, "1");
    EXPECT_LE(r.passes, kMaxCascadePasses);
    // A box adding into itself changes nothing.
    Type(f, 3, "5");
    EXPECT_EQ(f.Value(3), "5");
    OpenFormat(f, {TextBoxOf(1, 0, AddTo(99), AddTo(2)), TextBoxOf(2, 0), CheckBoxOf(3)});
    Type(f, 1, "8");
    EXPECT_EQ(f.Value(2), "8");
    // Leaving something that is not a text box sets nothing off.
    EXPECT_EQ(AutoCalculate(f, 3, {kToday, {}}).passes, 0);
}

TEST(RelationChains, ValueCopiedToEveryMemberInItsCodeAndAChainThatNeverComesBackEnds)
{
    SlipFormat f;
    OpenFormat(f, {TextBoxOf(1, 104, {}, {}, ChainTo(2)), TextBoxOf(2, 103, {}, {}, ChainTo(3)),
                   TextBoxOf(3, 114.11, {}, {}, ChainTo(1))});
    const CalculationResult r = Type(f, 1, "1234");
    EXPECT_EQ(f.Value(1), "￥1,234.00");
    EXPECT_EQ(f.Value(2), "壹仟贰佰叁拾肆元整");
    EXPECT_EQ(f.Value(3), "零零零零零壹贰叁肆零零");
    EXPECT_EQ(r.copies, (std::vector<BoxId>{2, 3}));
    // From the money words the figures go back round.
    Type(f, 2, "56");
    EXPECT_EQ(f.Value(3), "零零零零零零零伍陆零零");
    EXPECT_EQ(f.Value(1), "￥56.00");
    // 1 → 2 → 3 → 2 …: the walk never meets 1 again.
    OpenFormat(f, {TextBoxOf(1, 0, {}, {}, ChainTo(2)), TextBoxOf(2, 0, {}, {}, ChainTo(3)),
                   TextBoxOf(3, 0, {}, {}, ChainTo(2))});
    EXPECT_EQ(int(Type(f, 1, "x").copies.size()), kMaxChainSteps);
    EXPECT_EQ(f.Value(2), "x");
    EXPECT_EQ(f.Value(3), "x");
}

TEST(RelatedBoxes, CompletedFromTheNewestSlipThatHeldTheValue)
{
    SlipFormat f;
    OpenFormat(f, {TextBoxOf(1, 0, {}, {}, RelatedTo(2)), TextBoxOf(2, 0, {}, {}, RelatedTo(3)), TextBoxOf(3, 0),
                   TextBoxOf(4, 0)});
    std::vector<std::pair<BoxId, QString>> asked;
    EntryContext ctx{kToday, [&asked](BoxId id, const QString& value) {
                         asked.emplace_back(id, value);
                         QHash<BoxId, QString> slip;
                         if (id == 1 && value == "622202'01") {
                             slip.insert(1, value);
                             slip.insert(2, "某某公司");  // box 3 was empty on that slip
                             slip.insert(4, "not related");
                         }
                         return slip;
                     }};
    f.SetValue(3, "kept");
    const CalculationResult r = Type(f, 1, "622202'01", ctx);
    EXPECT_EQ(f.Value(2), "某某公司");
    EXPECT_EQ(f.Value(3), "kept");
    EXPECT_EQ(f.Value(4), "");
    EXPECT_EQ(r.related, (std::vector<BoxId>{2}));
    ASSERT_EQ(asked.size(), 1u);
    // A value never printed fills nothing; an empty box asks nothing.
    Type(f, 1, "999", ctx);
    EXPECT_EQ(f.Value(2), "某某公司");
    Type(f, 1, "", ctx);
    EXPECT_EQ(asked.size(), 2u);
}

TEST(RelatedBoxes, ServeTheBoxLeftNotTheLastTotal)
{
    SlipFormat f;
    // Box 1 feeds total 2 and has a related box 3; the total has its own
    // related box 4.
    OpenFormat(f, {TextBoxOf(1, 0, AddTo(2), {}, RelatedTo(3)), TextBoxOf(2, 104, {}, {}, RelatedTo(4)), TextBoxOf(3, 0),
                   TextBoxOf(4, 0)});
    std::vector<BoxId> askedFor;
    EntryContext ctx{kToday, [&askedFor](BoxId id, const QString& value) {
                         askedFor.push_back(id);
                         QHash<BoxId, QString> slip;
                         if (id == 1 && value == "500") slip.insert(3, "from box 1");
                         if (id == 2) slip.insert(4, "from the total");
                         return slip;
                     }};
    Type(f, 1, "500", ctx);
    EXPECT_EQ(f.Value(2), "￥500.00");
    EXPECT_EQ(askedFor, (std::vector<BoxId>{1}));
    EXPECT_EQ(f.Value(3), "from box 1");
    EXPECT_EQ(f.Value(4), "");
}

TEST(RelatedBoxes, LookedUpByTheValueAsShown)
{
    SlipFormat f;
    OpenFormat(f, {TextBoxOf(1, 103, {}, {}, RelatedTo(2)), TextBoxOf(2, 0)});
    QString asked;
    EntryContext ctx{kToday, [&asked](BoxId, const QString& value) {
                         asked = value;
                         return QHash<BoxId, QString>{{2, QStringLiteral("payee")}};
                     }};
    Type(f, 1, "1234", ctx);
    // The history holds what the box showed.
    EXPECT_EQ(asked, "壹仟贰佰叁拾肆元整");
    EXPECT_EQ(f.Value(2), "payee");
}

TEST(RelatedBoxes, LoopingLinksEnd)
{
    SlipFormat f;
    OpenFormat(f, {TextBoxOf(1, 0, {}, {}, RelatedTo(2)), TextBoxOf(2, 0, {}, {}, RelatedTo(3)),
                   TextBoxOf(3, 0, {}, {}, RelatedTo(2))});
    const QHash<BoxId, QString> slip{{2, "b"}, {3, "c"}};
    const std::vector<BoxId> written = FillRelatedBoxes(f, 1, slip);
    EXPECT_EQ(int(written.size()), kMaxRelatedHops);
    EXPECT_EQ(f.Value(2), "b");
    EXPECT_EQ(f.Value(3), "c");
    // Back at the start the walk ends.
    SlipFormat ring;
    OpenFormat(ring, {TextBoxOf(1, 0, {}, {}, RelatedTo(2)), TextBoxOf(2, 0, {}, {}, RelatedTo(1))});
    EXPECT_EQ(FillRelatedBoxes(ring, 1, {{1, "a"}, {2, "b"}}), (std::vector<BoxId>{2}));
    EXPECT_EQ(ring.Value(1), "");
}

// A chain member or a total takes the amount its source shows, in yuan, in
// its own form: cells and money words are read back (cells hold fen), an
// amount's currency character and commas never travel.
TEST(LinkedValues, EveryPairOfAmountFormsCarriesTheAmountInYuan)
{
    struct Form { double code; const char* yuan12345; const char* yuan123; };
    const Form forms[] = {
        {0, "123.45", "123"},
        {104, "￥123.45", "￥123.00"},
        {103, "壹佰贰拾叁元肆角伍分", "壹佰贰拾叁元整"},
        {120, "壹佰贰拾叁圆肆角伍分", "壹佰贰拾叁圆整"},
        {114.08, "零零零壹贰叁肆伍", "零零零壹贰叁零零"},
        {121.08, "零零零零零壹贰叁", "零零零零零壹贰叁"},  // no places for 角 and 分
        {11.10, "￥123.45", "￥123.00"},
        {311.10, "123.45", "123.00"},
        {211.10, "123.45", "123"},
    };
    for (const Form& source : forms)
        for (const Form& target : forms)
            for (const bool sum : {false, true}) {
                SlipFormat f;
                if (sum) OpenFormat(f, {TextBoxOf(1, source.code, AddTo(2)), TextBoxOf(2, target.code)});
                else OpenFormat(f, {TextBoxOf(1, source.code, {}, {}, ChainTo(2)), TextBoxOf(2, target.code, {}, {}, ChainTo(1))});
                Type(f, 1, "123.45");
                EXPECT_EQ(f.Value(1), QString::fromUtf8(source.yuan12345));
                // A 121 box shows whole yuan only: 123 is what it says.
                const char* want = source.code == 121.08 ? target.yuan123 : target.yuan12345;
                EXPECT_EQ(f.Value(2), QString::fromUtf8(want))
                    << (sum ? "sum " : "chain ") << source.code << " -> " << target.code;
            }
}
