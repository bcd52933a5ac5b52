// The generator's pieces and options: amounts as the client writes them, the points formula
// the truth uses, the same hands for the same seed, and the options narrowing what is dealt.

#include "tests/tools/HandTextCheck.h"
#include "tests/tools/ToolTestSupport.h"

#include "tools/zellwick-genhands/Money.h"
#include "tools/zellwick-genhands/Pots.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace zellwick::genhands;
using zellwick::test::Generate;
using zellwick::test::GeneratedHands;

#define EURO "\xE2\x82\xAC"
#define POUND "\xC2\xA3"

TEST(Amounts, AreWrittenAsTheClientWritesThem)
{
    const std::tuple<Currency, std::int64_t, const char*> amounts[] = {
        {Currency::Dollar, 5, "$0.05"},         {Currency::Dollar, 200, "$2"},
        {Currency::Dollar, 250, "$2.50"},       {Currency::Dollar, 0, "$0"},
        {Currency::Dollar, 99999, "$999.99"},   {Currency::Dollar, 123450, "$1,234.50"},
        {Currency::Euro, 100000, EURO "1,000"}, {Currency::Pound, 100000007, POUND "1,000,000.07"}};
    for (const auto& [currency, cents, text] : amounts) {
        std::string written;
        AppendAmount(written, currency, cents);
        EXPECT_EQ(written, text);
    }
    // The stakes of a header keep their decimals together.
    const std::tuple<Currency, std::int64_t, std::int64_t, const char*> stakes[] = {
        {Currency::Dollar, 1, 2, "$0.01/$0.02"},
        {Currency::Dollar, 50, 100, "$0.50/$1.00"},
        {Currency::Euro, 100, 200, EURO "1/" EURO "2"},
        {Currency::Pound, 10000, 20000, POUND "100/" POUND "200"}};
    for (const auto& [currency, small, big, text] : stakes) {
        std::string written;
        AppendStakes(written, currency, small, big);
        EXPECT_EQ(written, text);
    }
}

TEST(Pots, AllInsMakeSidePotsAndTheRakeComesOutOfEach)
{
    // A all-in for 100, B and C for 300, D folded after putting in 50; C has the best hand,
    // A the second best. Main: 4 x 100 less 50 and the folded 50 = 350; side: 2 x 200 = 400;
    // rake 30 of 750.
    const std::vector<Pot> pots =
        SplitPots({{100, false, 20}, {300, false, 10}, {300, false, 30}, {50, true, 99}}, 30);
    ASSERT_EQ(pots.size(), 2u);
    EXPECT_EQ(pots[0].amount, 350 - 14);
    EXPECT_EQ(pots[1].amount, 400 - 16);
    EXPECT_EQ(pots[0].winners, std::vector<int>{2});
    EXPECT_EQ(pots[1].winners, std::vector<int>{2});
}

TEST(Pots, EqualHandsShareAndTheOddCentGoesToTheFirst)
{
    const std::vector<Pot> pots = SplitPots({{101, false, 7}, {101, false, 7}, {101, false, 3}}, 0);
    ASSERT_EQ(pots.size(), 1u);
    EXPECT_EQ(pots[0].winners, (std::vector<int>{0, 1}));
    EXPECT_EQ(Shares(pots[0]), (std::vector<std::int64_t>{152, 151}));
}

TEST(Stakes, OnlyTheStandardLevelsAreTaken)
{
    Stakes stakes;
    ASSERT_TRUE(ParseStakes("0.01/0.02", stakes));
    EXPECT_EQ(stakes.smallBlind, 1);
    EXPECT_EQ(stakes.bigBlind, 2);
    ASSERT_TRUE(ParseStakes("0.5/1", stakes));
    EXPECT_EQ(stakes.bigBlind, 100);
    ASSERT_TRUE(ParseStakes("100/200", stakes));
    EXPECT_EQ(stakes.bigBlind, 20000);
    for (const char* wrong :
         {"", "0.01", "0.01/0.03", "1/2/3", "a/b", "0.015/0.02", "-1/2", "1,000/2,000", "0.01/"})
        EXPECT_FALSE(ParseStakes(wrong, stakes)) << wrong;
    EXPECT_EQ(StandardStakes().front().bigBlind, 2);
    EXPECT_EQ(StandardStakes().back().bigBlind, 20000);
}

TEST(Seeds, TheSameSeedGivesTheSameHandsAndAnotherSeedOthers)
{
    GeneratorOptions options;
    options.seed = 77;
    const GeneratedHands first = Generate(options, 300);
    const GeneratedHands again = Generate(options, 300);
    options.seed = 78;
    EXPECT_EQ(first.text, again.text);
    EXPECT_NE(first.text, Generate(options, 300).text);
    ASSERT_EQ(first.truth.size(), again.truth.size());
    for (std::size_t i = 0; i < first.truth.size(); ++i) {
        EXPECT_EQ(first.truth[i].handId, again.truth[i].handId);
        EXPECT_EQ(first.truth[i].vppCents, again.truth[i].vppCents);
    }
}

TEST(Options, StakesCurrencyAndKindNarrowWhatIsDealt)
{
    GeneratorOptions options;
    options.seed = 5;
    options.kind = TableKind::Zoom;
    options.currencies = {Currency::Euro};
    options.stakes.resize(2);
    ASSERT_TRUE(ParseStakes("0.02/0.05", options.stakes[0]));
    ASSERT_TRUE(ParseStakes("50/100", options.stakes[1]));
    std::set<int> bigBlinds;
    for (const HandTruth& hand : Generate(options, 500).truth) {
        EXPECT_TRUE(hand.zoom);
        EXPECT_EQ(hand.currency, 1);
        bigBlinds.insert(hand.bigBlindCents);
    }
    EXPECT_EQ(bigBlinds, (std::set<int>{5, 10000}));
    options.kind = TableKind::Cash;
    for (const HandTruth& hand : Generate(options, 500).truth)
        EXPECT_FALSE(hand.zoom);
}

TEST(Options, AnyNicknameIsDealtAndTalliedAsTheHero)
{
    GeneratorOptions options;
    options.seed = 9;
    options.hero = "\xC3\x86lfred 7"; // a space and a letter beyond ASCII
    const GeneratedHands generated = Generate(options, 500);
    const auto hands = zellwick::test::SplitHands(generated.text);
    ASSERT_EQ(hands.size(), generated.truth.size());
    int dealt = 0;
    for (std::size_t i = 0; i < hands.size(); ++i) {
        const auto tally = zellwick::test::TallyHand(hands[i]);
        ASSERT_EQ(tally.error, "") << hands[i][0];
        const auto hero = tally.contributions.find(options.hero);
        EXPECT_EQ(hero == tally.contributions.end() ? 0 : hero->second,
                  generated.truth[i].heroInvestedCents);
        dealt += generated.truth[i].heroDealt ? 1 : 0;
    }
    EXPECT_GT(dealt, 400);
}

} // namespace
