#include "history/HandAnalysis.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr int kDollar = 0;
constexpr int kEuro = 1;
constexpr int kPound = 2;

// The points of a rake of 1 when the hero put in the whole pot: the rate times 100.
int FullShareOfOne(int nCurrency, int nBigBlindCents, int nSeats)
{
    return CalcHeroVpp(nCurrency, nBigBlindCents, nSeats, 1.0, 1.0, 1.0);
}

TEST(HeroVpp, RatesFollowStakesCurrencyAndTableSize)
{
    EXPECT_EQ(FullShareOfOne(kDollar, 2, 9), 1000);
    EXPECT_EQ(FullShareOfOne(kEuro, 2, 9), 1200);
    EXPECT_EQ(FullShareOfOne(kPound, 2, 9), 0);
    EXPECT_EQ(FullShareOfOne(kDollar, 5, 6), 850);
    EXPECT_EQ(FullShareOfOne(kEuro, 5, 6), 1000);
    EXPECT_EQ(FullShareOfOne(kPound, 5, 6), 0);
    EXPECT_EQ(FullShareOfOne(kDollar, 10, 2), 700);
    EXPECT_EQ(FullShareOfOne(kEuro, 10, 2), 900);
    EXPECT_EQ(FullShareOfOne(kPound, 10, 2), 0);
    EXPECT_EQ(FullShareOfOne(kDollar, 25, 8), 600);
    EXPECT_EQ(FullShareOfOne(kEuro, 25, 8), 800);
    EXPECT_EQ(FullShareOfOne(kPound, 25, 8), 1050);
    EXPECT_EQ(FullShareOfOne(kDollar, 25, 7), 550);
    EXPECT_EQ(FullShareOfOne(kEuro, 25, 7), 700);
    EXPECT_EQ(FullShareOfOne(kPound, 25, 7), 880);
    EXPECT_EQ(FullShareOfOne(kDollar, 0, 0), 550); // header not recognised, no table line
}

TEST(HeroVpp, UnknownCurrencyCodesEarnNothing)
{
    EXPECT_EQ(FullShareOfOne(3, 2, 9), 0);
    EXPECT_EQ(FullShareOfOne(-1, 25, 9), 0);
}

TEST(HeroVpp, TheHeroGetsHisShareOfTheRoundedHandPoints)
{
    // Rake 0.05 at 2 cents in dollars: 50 hundredths for the hand, half of it for the hero.
    EXPECT_EQ(CalcHeroVpp(kDollar, 2, 9, 0.05, 0.10, 0.05), 25);
    // Rake 0.03 at 10 cents in euros: 27 for the hand, a third of it.
    EXPECT_EQ(CalcHeroVpp(kEuro, 10, 6, 0.10, 0.30, 0.03), 9);
    // A 9-max table at 25 cents in dollars uses 6.0, a 6-max one 5.5.
    EXPECT_EQ(CalcHeroVpp(kDollar, 25, 9, 1.0, 1.0, 0.10), 60);
    EXPECT_EQ(CalcHeroVpp(kDollar, 25, 6, 1.0, 1.0, 0.10), 55);
    // The hand's points are rounded before the share is taken: 0.15 * 5.5 gives 83 hundredths,
    // and half of those rounds to 42 (half of the unrounded 82.5 would give 41).
    EXPECT_EQ(CalcHeroVpp(kDollar, 25, 6, 0.5, 1.0, 0.15), 42);
}

TEST(HeroVpp, APotOfZeroOrLessEarnsNothing)
{
    EXPECT_EQ(CalcHeroVpp(kDollar, 2, 9, 0.02, 0.0, 0.01), 0);
    EXPECT_EQ(CalcHeroVpp(kDollar, 2, 9, 0.02, -0.5, 0.01), 0);
    EXPECT_EQ(CalcHeroVpp(kDollar, 2, 9, 0.02, std::numeric_limits<double>::quiet_NaN(), 0.01), 0);
}

TEST(HeroVpp, ResultsStayWithinTheIntRange)
{
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    EXPECT_EQ(CalcHeroVpp(kDollar, 2, 9, 1.0, 1.0, 1e308), 0); // hand points overflow
    EXPECT_EQ(CalcHeroVpp(kDollar, 2, 9, 1.0, 1.0, kInf), 0);
    EXPECT_EQ(CalcHeroVpp(kDollar, 2, 9, 1.0, 1.0, kNaN), 0);
    EXPECT_EQ(CalcHeroVpp(kDollar, 25, 9, 1.0, 1.0, 1e7), kMax);   // huge but finite
    EXPECT_EQ(CalcHeroVpp(kDollar, 25, 9, 1e300, 1e-300, 0.5), 0); // infinite share
    EXPECT_EQ(CalcHeroVpp(kDollar, 25, 9, kInf, 1.0, 0.5), 0);
    EXPECT_EQ(CalcHeroVpp(kDollar, 25, 9, 1e12, 1.0, 0.5), kMax);
    EXPECT_EQ(CalcHeroVpp(kDollar, 25, 9, -1e12, 1.0, 0.5), kMin);
}

} // namespace
