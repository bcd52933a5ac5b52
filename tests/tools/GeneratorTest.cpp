// The generator's pieces and options: amounts as the client writes them, the points formula
// the truth uses, the same hands for the same seed, and the options narrowing what is dealt.

#include "tests/tools/GeneratedHands.h"
#include "tests/tools/HandTextCheck.h"

#include "tools/zellwick-genhands/Money.h"
#include "tools/zellwick-genhands/Pots.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace zellwick::genhands;
using zellwick::test::Generate;
using zellwick::test::GeneratedHands;
using zellwick::test::SplitHands;
using zellwick::test::TallyHand;

std::string Written(Currency currency, std::int64_t cents)
{
    std::string text;
    AppendAmount(text, currency, cents);
    return text;
}

std::string WrittenStakes(Currency currency, std::int64_t small, std::int64_t big)
{
    std::string text;
    AppendStakes(text, currency, small, big);
    return text;
}

TEST(Amounts, AreWrittenAsTheClientWritesThem)
{
    EXPECT_EQ(Written(Currency::Dollar, 5), "$0.05");
    EXPECT_EQ(Written(Currency::Dollar, 200), "$2");
    EXPECT_EQ(Written(Currency::Dollar, 250), "$2.50");
    EXPECT_EQ(Written(Currency::Dollar, 0), "$0");
    EXPECT_EQ(Written(Currency::Dollar, 99999), "$999.99");
    EXPECT_EQ(Written(Currency::Dollar, 123450), "$1,234.50");
    EXPECT_EQ(Written(Currency::Euro, 100000), "\xE2\x82\xAC"
                                               "1,000");
    EXPECT_EQ(Written(Currency::Pound, 100000007), "\xC2\xA3"
                                                   "1,000,000.07");
}

TEST(Amounts, HeaderStakesKeepTheirDecimalsTogether)
{
    EXPECT_EQ(WrittenStakes(Currency::Dollar, 1, 2), "$0.01/$0.02");
    EXPECT_EQ(WrittenStakes(Currency::Dollar, 50, 100), "$0.50/$1.00");
    EXPECT_EQ(WrittenStakes(Currency::Euro, 100, 200), "\xE2\x82\xAC"
                                                       "1/\xE2\x82\xAC"
                                                       "2");
    EXPECT_EQ(WrittenStakes(Currency::Pound, 10000, 20000), "\xC2\xA3"
                                                            "100/\xC2\xA3"
                                                            "200");
}

TEST(TruthPoints, FollowTheRateTableAndItsRounding)
{
    // Rake 0.05 at a big blind of 2 in dollars, half the pot: 50 points, 25 for the hero.
    EXPECT_EQ(HeroVppCents(0, 2, 9, 10, 20, 5), 25);
    // Rake 0.03 at a big blind of 10 in euros, 0.10 of 0.30: 27 points, 9 for the hero.
    EXPECT_EQ(HeroVppCents(1, 10, 6, 10, 30, 3), 9);
    EXPECT_DOUBLE_EQ(VppRate(0, 25, 9), 6.0);
    EXPECT_DOUBLE_EQ(VppRate(0, 25, 6), 5.5);
    EXPECT_DOUBLE_EQ(VppRate(0, 25, 0), 5.5);
    EXPECT_DOUBLE_EQ(VppRate(1, 5, 6), 10.0);
    EXPECT_DOUBLE_EQ(VppRate(2, 25, 8), 10.5);
    EXPECT_DOUBLE_EQ(VppRate(2, 25, 7), 8.8);
    EXPECT_DOUBLE_EQ(VppRate(2, 2, 9), 0.0);
    EXPECT_DOUBLE_EQ(VppRate(3, 25, 9), 0.0);
}

TEST(TruthPoints, AreNothingWithoutRakePotOrHeroMoney)
{
    EXPECT_EQ(HeroVppCents(0, 2, 9, 10, 20, 0), 0);
    EXPECT_EQ(HeroVppCents(0, 2, 9, 0, 20, 5), 0);
    EXPECT_EQ(HeroVppCents(0, 2, 9, 10, 0, 5), 0);
    EXPECT_EQ(HeroVppCents(2, 2, 9, 10, 20, 5), 0);
}

TEST(Pots, AllInsMakeSidePotsAndTheRakeComesOutOfEach)
{
    // A all-in for 100, B and C for 300, D folded after putting in 50; C has the best hand,
    // A the second best.
    const std::vector<Stake> stakes = {
        {100, false, 20}, {300, false, 10}, {300, false, 30}, {50, true, 99}};
    const std::vector<Pot> pots = SplitPots(stakes, 30);
    ASSERT_EQ(pots.size(), 2u);
    // Main: 4 x 100 less 50 and the folded 50 = 350; side: 2 x 200 = 400; rake 30 of 750.
    EXPECT_EQ(pots[0].amount, 350 - 14);
    EXPECT_EQ(pots[1].amount, 400 - 16);
    EXPECT_EQ(pots[0].winners, std::vector<int>{2});
    EXPECT_EQ(pots[1].winners, std::vector<int>{2});
}

TEST(Pots, EqualHandsShareAndTheOddCentGoesToTheFirst)
{
    const std::vector<Stake> stakes = {{101, false, 7}, {101, false, 7}, {101, false, 3}};
    const std::vector<Pot> pots = SplitPots(stakes, 0);
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

// The truth's big blind is the header's, read the way the analysis reads it.
TEST(Stakes, EveryLevelReadsBackToItsOwnHundredths)
{
    for (const Stakes& stakes : StandardStakes()) {
        const std::string text = std::to_string(stakes.bigBlind / 100) + "." +
                                 std::to_string(stakes.bigBlind % 100 / 10) +
                                 std::to_string(stakes.bigBlind % 10);
        EXPECT_EQ(static_cast<int>(std::stod(text) * 100), stakes.bigBlind) << text;
    }
}

TEST(Seeds, TheSameSeedGivesTheSameHandsAndAnotherSeedOthers)
{
    GeneratorOptions options;
    options.seed = 77;
    const GeneratedHands first = Generate(options, 300);
    const GeneratedHands again = Generate(options, 300);
    options.seed = 78;
    const GeneratedHands other = Generate(options, 300);
    EXPECT_EQ(first.text, again.text);
    EXPECT_NE(first.text, other.text);
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
    Stakes micro, high;
    ASSERT_TRUE(ParseStakes("0.02/0.05", micro));
    ASSERT_TRUE(ParseStakes("50/100", high));
    options.stakes = {micro, high};
    const GeneratedHands generated = Generate(options, 500);
    std::set<int> bigBlinds;
    for (const HandTruth& hand : generated.truth) {
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
    const auto hands = SplitHands(generated.text);
    ASSERT_EQ(hands.size(), generated.truth.size());
    int dealt = 0;
    for (std::size_t i = 0; i < hands.size(); ++i) {
        const auto tally = TallyHand(hands[i]);
        ASSERT_EQ(tally.error, "") << hands[i][0];
        const auto hero = tally.contributions.find(options.hero);
        EXPECT_EQ(hero == tally.contributions.end() ? 0 : hero->second,
                  generated.truth[i].heroInvestedCents);
        dealt += generated.truth[i].heroDealt ? 1 : 0;
    }
    EXPECT_GT(dealt, 400);
}

} // namespace
