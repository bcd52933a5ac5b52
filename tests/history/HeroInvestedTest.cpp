#include "history/HandAnalysis.h"

#include "tests/history/HistoryTestSupport.h"

#include <gtest/gtest.h>

using zellwick::test::SplitLines;

namespace {

struct Investment
{
    double dHeroInvested = -1.0;
    int nSeats = -1;
};

Investment Invested(const std::wstring& text, int nBigBlindCents = 2,
                    const std::wstring& nickname = L"Hero")
{
    Investment result;
    GetHeroInvested(SplitLines(text), nickname, nBigBlindCents, result.dHeroInvested,
                    result.nSeats);
    return result;
}

TEST(HeroInvested, ACallAddsToThePostedBlind)
{
    const auto result = Invested(L"Table 'Una' 6-max Seat #1 is the button\n"
                                 L"Villain: posts small blind $0.01\n"
                                 L"Hero: posts big blind $0.02\n"
                                 L"*** HOLE CARDS ***\n"
                                 L"Villain: raises $0.04 to $0.06\n"
                                 L"Hero: calls $0.04\n"
                                 L"*** FLOP *** [8s Qh 8h]\n"
                                 L"Hero: checks\n"
                                 L"Villain: checks\n"
                                 L"*** TURN *** [8s Qh 8h] [3h]\n"
                                 L"*** RIVER *** [8s Qh 8h 3h] [2d]\n"
                                 L"*** SUMMARY ***\n"
                                 L"Total pot $0.12 | Rake $0.01");
    EXPECT_DOUBLE_EQ(result.dHeroInvested, 0.06);
    EXPECT_EQ(result.nSeats, 6);
}

TEST(HeroInvested, ARaiseSetsTheWholeStakeOfTheStreet)
{
    EXPECT_DOUBLE_EQ(Invested(L"Hero: posts small blind $0.01\n"
                              L"Hero: raises $0.04 to $0.06")
                         .dHeroInvested,
                     0.06);
    EXPECT_DOUBLE_EQ(Invested(L"Hero: posts big blind $0.02\n"
                              L"Villain: raises $0.04 to $0.06\n"
                              L"Hero: raises $0.14 to $0.20\n"
                              L"Villain: raises $0.40 to $0.60\n"
                              L"Hero: calls $0.40")
                         .dHeroInvested,
                     0.60);
}

TEST(HeroInvested, StreetsAddUpAndAReturnedBetIsTakenOff)
{
    const auto result = Invested(L"Hero: posts big blind $0.02\n"
                                 L"Villain: calls $0.02\n"
                                 L"*** FLOP *** [8s Qh 8h]\n"
                                 L"Hero: bets $0.10\n"
                                 L"Villain: raises $0.20 to $0.30\n"
                                 L"Hero: calls $0.20\n"
                                 L"*** TURN *** [8s Qh 8h] [3h]\n"
                                 L"Hero: bets $0.50\n"
                                 L"Villain: folds\n"
                                 L"Uncalled bet ($0.50) returned to Hero\n"
                                 L"Hero collected $0.64 from pot\n"
                                 L"*** SUMMARY ***\n"
                                 L"Total pot $0.64 | Rake $0.03");
    EXPECT_DOUBLE_EQ(result.dHeroInvested, 0.32);
}

TEST(HeroInvested, AFoldEndsTheReading)
{
    EXPECT_DOUBLE_EQ(Invested(L"Hero: posts small blind $0.01\n"
                              L"Hero: folds\n"
                              L"Hero: calls $5\n"
                              L"*** FLOP *** [8s Qh 8h]\n"
                              L"Hero: bets $5")
                         .dHeroInvested,
                     0.01);
}

TEST(HeroInvested, AnAnteIsDeadMoneyBesideTheBlind)
{
    // The client writes the ante after the blind at cash tables.
    EXPECT_DOUBLE_EQ(Invested(L"Hero: posts small blind $0.05\n"
                              L"Hero: posts the ante $0.01\n"
                              L"*** HOLE CARDS ***\n"
                              L"Hero: calls $0.05")
                         .dHeroInvested,
                     0.11);
    EXPECT_DOUBLE_EQ(Invested(L"Hero: posts the ante $0.01\n"
                              L"Hero: posts big blind $0.02\n"
                              L"Villain: raises $0.04 to $0.06\n"
                              L"Hero: raises $0.12 to $0.18")
                         .dHeroInvested,
                     0.19);
}

TEST(HeroInvested, SmallAndBigBlindsTogetherAreALiveBigBlindAndDeadMoney)
{
    const std::wstring raised = L"Hero: posts small & big blinds $0.03\n"
                                L"*** HOLE CARDS ***\n"
                                L"Villain: raises $0.04 to $0.06\n"
                                L"Hero: raises $0.12 to $0.18";
    EXPECT_DOUBLE_EQ(Invested(raised, 2).dHeroInvested, 0.19);
    // Without the header's big blind all of it is dead money.
    EXPECT_DOUBLE_EQ(Invested(raised, 0).dHeroInvested, 0.21);
    const std::wstring called = L"Hero: posts small & big blinds $0.03\n"
                                L"Villain: raises $0.04 to $0.06\n"
                                L"Hero: calls $0.04";
    EXPECT_DOUBLE_EQ(Invested(called, 2).dHeroInvested, 0.07);
    EXPECT_DOUBLE_EQ(Invested(called, 0).dHeroInvested, 0.07);
    EXPECT_DOUBLE_EQ(Invested(L"Hero: posts small & big blinds $0.03", 2).dHeroInvested, 0.03);
}

TEST(HeroInvested, OnlyTheNicknameFollowedByAColonIsTheHero)
{
    const auto result = Invested(L"Hero2: posts big blind $0.02\n"
                                 L"SuperHero: posts small blind $0.01\n"
                                 L"Hero: posts small blind $0.01\n"
                                 L"Hero2: raises $0.04 to $0.06\n"
                                 L"Hero : calls $0.05\n"
                                 L"Hero collected $0.05 from pot\n"
                                 L"SuperHero: calls $0.05");
    EXPECT_DOUBLE_EQ(result.dHeroInvested, 0.01);
}

TEST(HeroInvested, OnlyABetReturnedToExactlyTheNicknameIsTakenOff)
{
    const std::wstring start = L"Hero: posts big blind $0.02\n*** FLOP *** [8s Qh 8h]\n"
                               L"Hero: bets $0.10\n";
    EXPECT_DOUBLE_EQ(Invested(start + L"Uncalled bet ($0.10) returned to SuperHero").dHeroInvested,
                     0.12);
    EXPECT_DOUBLE_EQ(Invested(start + L"Uncalled bet ($0.10) returned to Hero2").dHeroInvested,
                     0.12);
    EXPECT_DOUBLE_EQ(Invested(start + L"Uncalled bet ($0.10) returned to Hero").dHeroInvested,
                     0.02);
}

TEST(HeroInvested, ARaiseWithoutAToAmountLeavesTheStreet)
{
    EXPECT_DOUBLE_EQ(Invested(L"Hero: posts big blind $0.02\n"
                              L"Hero: raises $0.04")
                         .dHeroInvested,
                     0.02);
    EXPECT_DOUBLE_EQ(Invested(L"Hero: posts big blind $0.02\n"
                              L"Hero: raises")
                         .dHeroInvested,
                     0.02);
}

TEST(HeroInvested, AllInSuffixesAndThousandsSeparatorsAreRead)
{
    EXPECT_DOUBLE_EQ(Invested(L"Hero: posts big blind $5\n"
                              L"Villain: raises $20 to $30\n"
                              L"Hero: raises $1,200 to $1,492.66 and is all-in")
                         .dHeroInvested,
                     1492.66);
    EXPECT_DOUBLE_EQ(Invested(L"Hero: posts big blind $10\n"
                              L"*** FLOP *** [8s Qh 8h]\n"
                              L"Hero: bets $2,500\n"
                              L"Uncalled bet ($1,000) returned to Hero")
                         .dHeroInvested,
                     1510.0);
    EXPECT_DOUBLE_EQ(Invested(L"Hero: calls $0.50 and is all-in").dHeroInvested, 0.5);
}

TEST(HeroInvested, TheSumIsExactToTheHundredth)
{
    // In binary fractions 3.96 + (10.86 - 7.42) is 7.3999999999999995.
    const std::wstring hand = L"Hero: posts big blind \u00A31\n"
                              L"Hero: calls \u00A32.96\n"
                              L"*** FLOP *** [2h Ks 4c]\n"
                              L"Hero: raises \u00A37.42 to \u00A310.86\n"
                              L"Uncalled bet (\u00A37.42) returned to Hero";
    EXPECT_EQ(Invested(hand, 100).dHeroInvested, 7.4);
    EXPECT_EQ(Invested(L"Hero: bets $0.1\nHero: calls $0.2").dHeroInvested, 0.3);
}

TEST(HeroInvested, LinesAreTrimmedAndOtherCurrenciesRead)
{
    EXPECT_DOUBLE_EQ(Invested(L" Hero: posts big blind \u20AC0.02 \r\n"
                              L"\tHero: calls \u00A30.04\t")
                         .dHeroInvested,
                     0.06);
}

TEST(HeroInvested, TheTableLineGivesTheSeatsOnlyWhenItMatchesWhole)
{
    EXPECT_EQ(Invested(L"Table 'Una' 9-max Seat #7 is the button").nSeats, 9);
    EXPECT_EQ(Invested(L"Table 'It's 2' 10-max Seat #1 is the button").nSeats, 10);
    EXPECT_EQ(Invested(L"Table 'Wilhelmina' 6-max (Play Money) Seat #1 is the button").nSeats, -1);
    EXPECT_EQ(Invested(L"Table 'Una' 9-max Seat #7 is the button!").nSeats, -1);
    EXPECT_EQ(Invested(L"Table 'Una' Seat #7 is the button").nSeats, -1);
    EXPECT_EQ(Invested(L"Hero: calls $0.02").nSeats, -1);
    EXPECT_EQ(Invested(L"Table 'Big' 99999999999-max Seat #7 is the button").nSeats,
              std::numeric_limits<int>::max());
}

TEST(HeroInvested, MarkersInsideTheNicknameDoNotCount)
{
    EXPECT_DOUBLE_EQ(
        Invested(L"Mr folds: posts big blind $0.02\nMr folds: calls $0.04", 2, L"Mr folds")
            .dHeroInvested,
        0.06);
    EXPECT_DOUBLE_EQ(Invested(L"Kaufmann I: bets $0.02", 2, L"Kaufmann I").dHeroInvested, 0.02);
}

TEST(HeroInvested, AnEmptyNicknameIsNobody)
{
    EXPECT_EQ(
        Invested(L": bets $1\nHero: bets $2\nUncalled bet ($1) returned to ", 2, L"").dHeroInvested,
        0.0);
}

TEST(HeroInvested, AmountsWithoutDigitsAddNothing)
{
    EXPECT_EQ(Invested(L"Hero: bets $\nHero: calls $.\nHero: calls \nHero: bets").dHeroInvested,
              0.0);
    EXPECT_DOUBLE_EQ(Invested(L"Hero: calls $-5").dHeroInvested, -5.0);
    EXPECT_EQ(Invested(L"Hero: bets $1e999").dHeroInvested,
              std::numeric_limits<double>::infinity());
}

} // namespace
