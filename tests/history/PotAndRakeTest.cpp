#include "history/HandAnalysis.h"

#include "tests/history/HistoryTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

using zellwick::test::SplitLines;

namespace {

struct PotAndRake
{
    double dPot = -1.0;
    double dRake = -1.0;
};

PotAndRake Read(const std::wstring& text)
{
    PotAndRake result;
    GetPotAndRake(SplitLines(text), result.dPot, result.dRake);
    return result;
}

PotAndRake ReadSummary(const std::wstring& summaryLine)
{
    return Read(L"Hero: checks\n*** SUMMARY ***\n" + summaryLine + L"\nBoard [8s Qh 8h]");
}

TEST(PotAndRake, ReadsTheLineAfterTheSummaryMarkerInEachCurrency)
{
    auto dollars = ReadSummary(L"Total pot $0.10 | Rake $0");
    EXPECT_DOUBLE_EQ(dollars.dPot, 0.10);
    EXPECT_EQ(dollars.dRake, 0.0);
    auto euros = ReadSummary(L"Total pot \u20AC2.45 | Rake \u20AC0.11");
    EXPECT_DOUBLE_EQ(euros.dPot, 2.45);
    EXPECT_DOUBLE_EQ(euros.dRake, 0.11);
    auto pounds = ReadSummary(L"Total pot \u00A30.85 | Rake \u00A30.04");
    EXPECT_DOUBLE_EQ(pounds.dPot, 0.85);
    EXPECT_DOUBLE_EQ(pounds.dRake, 0.04);
}

TEST(PotAndRake, SidePotsAndCashOutFeesLeaveTheTotalAndTheRake)
{
    auto sidePots = ReadSummary(L"Total pot $3.25 Main pot $2.00. Side pot $1.10. | Rake $0.15");
    EXPECT_DOUBLE_EQ(sidePots.dPot, 3.25);
    EXPECT_DOUBLE_EQ(sidePots.dRake, 0.15);
    auto cashOut = ReadSummary(L"Total pot $10.30 | Rake $0.46 | Cash Out Fee $0.05");
    EXPECT_DOUBLE_EQ(cashOut.dPot, 10.30);
    EXPECT_DOUBLE_EQ(cashOut.dRake, 0.46);
}

TEST(PotAndRake, OnlyTheFirstSummaryMarkerCounts)
{
    auto result = Read(L"*** SUMMARY ***\nTotal pot $1 | Rake $0.05\n*** SUMMARY ***\n"
                       L"Total pot $9 | Rake $0.45");
    EXPECT_DOUBLE_EQ(result.dPot, 1.0);
    EXPECT_DOUBLE_EQ(result.dRake, 0.05);
}

TEST(PotAndRake, WithoutASummaryBothAreZero)
{
    auto result = Read(L"Hero: folds\nVillain collected $0.03 from pot");
    EXPECT_EQ(result.dPot, 0.0);
    EXPECT_EQ(result.dRake, 0.0);
    auto empty = PotAndRake{};
    GetPotAndRake(HandLines{}, empty.dPot, empty.dRake);
    EXPECT_EQ(empty.dPot, 0.0);
    EXPECT_EQ(empty.dRake, 0.0);
}

TEST(PotAndRake, ASummaryMarkerOnTheLastLineGivesZero)
{
    auto result = Read(L"Hero: folds\n*** SUMMARY ***");
    EXPECT_EQ(result.dPot, 0.0);
    EXPECT_EQ(result.dRake, 0.0);
}

TEST(PotAndRake, ThousandsSeparatorsAreRead)
{
    auto result = ReadSummary(L"Total pot $1,234.50 | Rake $3");
    EXPECT_DOUBLE_EQ(result.dPot, 1234.5);
    EXPECT_DOUBLE_EQ(result.dRake, 3.0);
    auto rake = ReadSummary(L"Total pot $31,492.66 | Rake $1,000");
    EXPECT_DOUBLE_EQ(rake.dPot, 31492.66);
    EXPECT_DOUBLE_EQ(rake.dRake, 1000.0);
}

TEST(PotAndRake, SummaryLinesWithoutNumbersGiveZero)
{
    for (const wchar_t* line : {L"Total pot $ | Rake $", L"Total pot $. | Rake $.", L"",
                                L"Board [8s Qh 8h]", L"|", L" | Rake ", L"Rake"}) {
        auto result = ReadSummary(line);
        EXPECT_EQ(result.dPot, 0.0) << line;
        EXPECT_EQ(result.dRake, 0.0) << line;
    }
}

TEST(PotAndRake, WithoutTheSeparatorThePotIsZeroButTheRakeIsRead)
{
    auto result = ReadSummary(L"Total pot $5 Rake $0.25");
    EXPECT_EQ(result.dPot, 0.0);
    EXPECT_DOUBLE_EQ(result.dRake, 0.25);
    auto early = ReadSummary(L"T | pot $5 | Rake $0.25"); // separator before the pot's column
    EXPECT_EQ(early.dPot, 0.0);
    EXPECT_DOUBLE_EQ(early.dRake, 0.25);
}

TEST(PotAndRake, OnlyOneKindOfCurrencySymbolIsRemoved)
{
    // The dollar is removed; the euro in front of the rake then hides its number.
    auto mixed = ReadSummary(L"Total pot $2 | Rake \u20AC0.10");
    EXPECT_DOUBLE_EQ(mixed.dPot, 2.0);
    EXPECT_EQ(mixed.dRake, 0.0);
    // A dollar sign at the line's start does not count, so the euros are removed.
    auto early = ReadSummary(L"$Total pot \u20AC2 | Rake \u20AC0.10");
    EXPECT_DOUBLE_EQ(early.dPot, 2.0);
    EXPECT_DOUBLE_EQ(early.dRake, 0.10);
}

TEST(PotAndRake, EnormousAndNegativeAmountsAreReadAsWritten)
{
    auto huge = ReadSummary(L"Total pot $1e308 | Rake $1e309");
    EXPECT_DOUBLE_EQ(huge.dPot, 1e308);
    EXPECT_EQ(huge.dRake, std::numeric_limits<double>::infinity());
    auto negative = ReadSummary(L"Total pot $-5 | Rake $-1");
    EXPECT_DOUBLE_EQ(negative.dPot, -5.0);
    EXPECT_DOUBLE_EQ(negative.dRake, -1.0);
}

} // namespace
