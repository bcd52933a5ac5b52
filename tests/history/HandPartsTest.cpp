// The parts of one hand's analysis, with the cases generated hands never show: header forms,
// summary lines and amounts, the hero's own lines, and the points at their limits.

#include "history/HandAnalysis.h"

#include "tests/history/HistoryTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace zellwick::test;

constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr int kIntMin = std::numeric_limits<int>::min();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kKept = -7; // the big blind handed in stays when the header is not read

struct Header
{
    std::wstring line;
    bool recognised;
    int currency;
    int bigBlindCents;
};

const std::wstring kSecondTime = L"PokerStars Hand #44546765419:  Hold'em No Limit ($0.01/$0.02 "
                                 L"USD) - 2010/05/06 22:46:48 WET [2010/05/06 17:46:48 ET]";

TEST(Header, GivesCurrencyAndBigBlindInHundredthsForTheWholeCashFormsOnly)
{
    // clang-format off
    const Header rows[] = {
        {CashHeader(L"\u00A30.25/\u00A30.50 - \u00A310 Cap -  GBP"), true, 2, 50},
        {L"\uFEFF" + kSecondTime, true, 0, 2},
        {CashHeader(L"$0.14/$0.29 USD"), true, 0, 28}, // the product is truncated
        {CashHeader(L"$1/$99999999999 USD"), true, 0, kIntMax},
        {CashHeader(L"$1/$" + std::wstring(400, L'9') + L" USD"), true, 0, 0}, // infinity
        {CashHeader() + L" extra", false, 0, kKept}, {kSecondTime + L"!", false, 0, kKept},
        {L"PokerStars Game #27738502010: Hold'em No Limit ($0.05/$0.10 USD) - "
         L"2009/05/05 9:00:22 ET", false, 0, kKept},
        {L"PokerStars Hand #1: Tournament #2, $0.98+$0.02 USD Hold'em No Limit - Level I "
         L"(10/20) - 2020/04/19 13:48:09 ET", false, 0, kKept},
    };
    // clang-format on
    for (const Header& row : rows) {
        int bigBlind = kKept;
        int currency = -1;
        EXPECT_EQ(GetTypeTable({row.line}, bigBlind, currency, nullptr), row.recognised)
            << row.line;
        EXPECT_EQ(currency, row.currency) << row.line;
        EXPECT_EQ(bigBlind, row.bigBlindCents) << row.line;
    }
    // Cut short, it is read only while one whole form remains: ending in the first time zone.
    const std::size_t zoneStart = kSecondTime.find(L" WET") + 1;
    for (std::size_t length = 0; length < kSecondTime.size(); ++length) {
        int bigBlind = 0;
        int currency = 0;
        const bool expected = length > zoneStart && length <= kSecondTime.find(L" [");
        EXPECT_EQ(GetTypeTable({kSecondTime.substr(0, length)}, bigBlind, currency, nullptr),
                  expected)
            << length;
    }
}

struct PotAndRake
{
    std::wstring summary; // the line after the marker
    double pot;
    double rake;
};

HandLines Summary(const std::wstring& line)
{
    return {L"Hero: checks", L"*** SUMMARY ***", line, L"Board [8s Qh 8h]"};
}

TEST(PotAndRake, ComeFromTheLineAfterTheFirstSummaryMarker)
{
    // clang-format off
    const PotAndRake rows[] = {
        {L"Total pot $10.30 | Rake $0.46 | Cash Out Fee $0.05", 10.30, 0.46},
        // The pot is read only from a separator past its column; the rake anyway.
        {L"Total pot $5 Rake $0.25", 0, 0.25}, {L"T | pot $5 | Rake $0.25", 0, 0.25},
        // One kind of currency symbol is removed, the first that stands past the line's start.
        {L"Total pot $2 | Rake \u20AC0.10", 2, 0}, {L"$Total pot \u20AC2 | Rake \u20AC0.10", 2, 0.10},
        {L"Total pot $-5 | Rake $-1", -5, -1}, {L"Total pot $ | Rake $.", 0, 0}, {L"", 0, 0},
        {L"Board [8s Qh 8h]", 0, 0}, {L" | Rake ", 0, 0},
    };
    // clang-format on
    double pot = -1.0;
    double rake = -1.0;
    for (const PotAndRake& row : rows) {
        GetPotAndRake(Summary(row.summary), pot, rake);
        EXPECT_DOUBLE_EQ(pot, row.pot) << row.summary;
        EXPECT_DOUBLE_EQ(rake, row.rake) << row.summary;
    }
    // Without a line after the marker, or without a marker, both are 0; a second marker is text.
    for (const HandLines& hand : {HandLines{L"Hero: folds", L"*** SUMMARY ***"},
                                  HandLines{L"Total pot $1 | Rake $1"}, HandLines{}}) {
        GetPotAndRake(hand, pot, rake);
        EXPECT_EQ(pot + rake, 0.0) << hand.size();
    }
    GetPotAndRake(SplitLines(L"*** SUMMARY ***\nTotal pot $1 | Rake $0.05\n*** SUMMARY ***\n"
                             L"Total pot $9 | Rake $0.45"),
                  pot, rake);
    EXPECT_EQ(rake, 0.05);
}

// Amounts are read as the C library reads a number, with thousands separators, and never as
// hexadecimal, infinity or "not a number".
TEST(PotAndRake, AmountsAreReadAsTheCLibraryReadsThemWithThousandsSeparators)
{
    // clang-format off
    const std::pair<std::wstring, double> rows[] = {
        {L"0.06 and is all-in", 0.06}, {L" \t-.5", -0.5}, {L"+3.", 3}, {L"1 000", 1}, {L"-.", 0},
        {L"e5", 0}, {L"inf", 0}, {L"nan", 0}, {L"\u0661\u0662", 0}, {L"0x10", 0}, {L"2.5E-1", 0.25},
        {L"1e+", 1}, {L"1e-x", 1},
        // A comma with exactly three digits after it, in the integer part, is skipped...
        {L"1,234,567.89", 1234567.89}, {L"-12,345 and is all-in", -12345},
        // ...any other comma ends the number.
        {L"1,23", 1}, {L"1,2345", 1}, {L"1.234,567", 1.234}, {L"1,234,56", 1234}, {L",123", 0},
        {L"1e309", kInf}, {L"-1e999999999999999999999", -kInf}, {L"1e-999", 0},
        {L"0.000e99999", 0}, {std::wstring(500, L'9'), kInf}, {std::wstring(300, L'0') + L"42", 42},
    };
    // clang-format on
    for (const auto& [text, value] : rows) {
        double pot = 0.0;
        double rake = 0.0;
        GetPotAndRake(Summary(L"Total pot $1 | Rake $" + text), pot, rake);
        EXPECT_DOUBLE_EQ(rake, value) << text;
    }
}

struct Investment
{
    std::wstring hand;
    double invested;
    int bigBlindCents = 2;
    std::wstring nickname = L"Hero";
};

TEST(HeroInvested, AddsTheHerosOwnMoneyStreetByStreetExactToTheHundredth)
{
    // clang-format off
    const Investment rows[] = {
        {L"Hero: posts big blind $0.02\nVillain: raises $0.04 to $0.06\nHero: raises $0.14 to "
         L"$0.20\nVillain: raises $0.40 to $0.60\nHero: calls $0.40", 0.60},
        // A fold ends the reading.
        {L"Hero: posts small blind $0.01\nHero: folds\nHero: calls $5\nHero: bets $5", 0.01},
        // An ante is dead money beside the blind, written before or after it.
        {L"Hero: posts small blind $0.05\nHero: posts the ante $0.01\nHero: calls $0.05", 0.11},
        {L"Hero: posts the ante $0.01\nHero: posts big blind $0.02\n"
         L"Villain: raises $0.04 to $0.06\nHero: raises $0.12 to $0.18", 0.19},
        // Small & big blinds: the header's big blind (at most the amount) is live.
        {L"Hero: posts small & big blinds $0.03\nHero: raises $0.12 to $0.18", 0.19},
        {L"Hero: posts small & big blinds $0.03\nHero: raises $0.12 to $0.18", 0.21, 0},
        {L"Hero: posts small & big blinds $0.03\nHero: raises $0.12 to $0.18", 0.18, 5},
        // Only the nickname and a colon is the hero; only a bet returned to exactly him counts.
        {L"Hero2: posts big blind $0.02\nSuperHero: posts small blind $0.01\nHero: posts small "
         L"blind $0.01\nHero2: raises $0.04 to $0.06\nHero : calls $0.05\nSuperHero: calls $1",
         0.01},
        {L"Hero: bets $0.10\nUncalled bet ($0.10) returned to SuperHero\n"
         L"Uncalled bet ($0.10) returned to Hero2", 0.10},
        {L"Hero: bets $2,500\nUncalled bet ($1,000) returned to Hero", 1500.0},
        // A raise without a "to" amount leaves the street as it was.
        {L"Hero: posts big blind $0.02\nHero: raises $0.04\nHero: raises", 0.02},
        {L"Hero: raises $1,200 to $1,492.66 and is all-in", 1492.66},
        // In binary fractions 3.96 + (10.86 - 7.42) is 7.3999999999999995.
        {L"Hero: posts big blind \u00A31\nHero: calls \u00A32.96\n*** FLOP *** [2h Ks 4c]\n"
         L"Hero: raises \u00A37.42 to \u00A310.86\nUncalled bet (\u00A37.42) returned to Hero",
         7.4, 100},
        {L" Hero: posts big blind \u20AC0.02 \r\n\tHero: calls \u00A30.04\t", 0.06},
        // Markers inside the nickname do not count; an empty nickname is nobody.
        {L"Mr folds: posts big blind $0.02\nMr folds: calls $0.04", 0.06, 2, L"Mr folds"},
        {L": bets $1\nHero: bets $2\nUncalled bet ($1) returned to ", 0.0, 2, L""},
        {L"Hero: bets $\nHero: calls $.\nHero: calls \nHero: bets", 0.0},
        {L"Hero: calls $-5", -5.0}, {L"Hero: bets $1e999", kInf},
    };
    // clang-format on
    for (const Investment& row : rows) {
        double invested = -1.0;
        int seats = -1;
        GetHeroInvested(SplitLines(row.hand), row.nickname, row.bigBlindCents, invested, seats);
        EXPECT_EQ(invested, row.invested) << row.hand << " (big blind " << row.bigBlindCents << ")";
        EXPECT_EQ(seats, -1);
    }
}

TEST(HeroInvested, TheTableLineGivesTheSeatsOnlyWhenItMatchesWhole)
{
    const std::pair<std::wstring, int> rows[] = {
        {L"Table 'It's 2' 10-max Seat #1 is the button", 10},
        {L"Table 'Big' 99999999999-max Seat #7 is the button", kIntMax},
        {L"Table 'Wilhelmina' 6-max (Play Money) Seat #1 is the button", -1},
        {L"Table 'Una' 9-max Seat #7 is the button!", -1}};
    for (const auto& [line, expected] : rows) {
        double invested = 0.0;
        int seats = -1;
        GetHeroInvested({line}, L"Hero", 2, invested, seats);
        EXPECT_EQ(seats, expected) << line;
    }
}

struct Points
{
    int currency;
    int bigBlindCents;
    int seats;
    double invested;
    double pot;
    double rake;
    int expected;
};

TEST(HeroVpp, TheHandsRoundedPointsTimesTheHerosShareAndNothingThatIsNoNumber)
{
    // clang-format off
    const Points rows[] = {
        {0, 0, 0, 1, 1, 1, 550}, // header and table line not read: short-handed dollars
        {3, 2, 9, 1, 1, 1, 0}, {-1, 25, 9, 1, 1, 1, 0}, // unknown currencies
        // The hand's points are rounded before the share: 0.15 * 5.5 gives 83, half of it 42.
        {0, 25, 6, 0.5, 1, 0.15, 42},
        // A pot of zero or less, or no number, earns nothing.
        {0, 2, 9, 0.02, 0, 0.01, 0}, {0, 2, 9, 0.02, -0.5, 0.01, 0}, {0, 2, 9, 0.02, kNaN, 0.01, 0},
        // Results stay in the int range; what overflows or is no number gives 0.
        {0, 2, 9, 1, 1, 1e308, 0}, {0, 2, 9, 1, 1, kInf, 0}, {0, 2, 9, 1, 1, kNaN, 0},
        {0, 25, 9, 1, 1, 1e7, kIntMax}, {0, 25, 9, 1e300, 1e-300, 0.5, 0},
        {0, 25, 9, kInf, 1, 0.5, 0}, {0, 25, 9, 1e12, 1, 0.5, kIntMax},
        {0, 25, 9, -1e12, 1, 0.5, kIntMin},
    };
    // clang-format on
    for (const Points& r : rows) {
        EXPECT_EQ(CalcHeroVpp(r.currency, r.bigBlindCents, r.seats, r.invested, r.pot, r.rake),
                  r.expected)
            << r.currency << " " << r.bigBlindCents << " " << r.seats << " " << r.invested << " "
            << r.pot << " " << r.rake;
    }
}

} // namespace
