// The parts of one hand's analysis: header, pot and rake, the hero's money, and the points.

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
constexpr int kKept = -7; // the big blind handed in, left alone when the header is not read

struct Header
{
    std::wstring line;
    bool recognised = false;
    int currency = -1;
    int bigBlindCents = kKept;
};

Header Read(const std::wstring& line, HistoryLog* log = nullptr)
{
    Header header{line};
    header.recognised = GetTypeTable(HandLines{line, L"Table 'Una' 9-max Seat #7 is the button"},
                                     header.bigBlindCents, header.currency, log);
    return header;
}

const std::wstring kSecondTime = L"PokerStars Hand #44546765419:  Hold'em No Limit ($0.01/$0.02 "
                                 L"USD) - 2010/05/06 22:46:48 WET [2010/05/06 17:46:48 ET]";

TEST(Header, GivesCurrencyAndBigBlindInHundredthsForTheCashFormsOnly)
{
    // clang-format off
    const Header rows[] = {
        {CashHeader(L"$0.01/$0.02 USD"), true, 0, 2},
        {CashHeader(L"\u20AC0.01/\u20AC0.02 EUR"), true, 1, 2},
        {CashHeader(L"\u00A30.01/\u00A30.02 GBP"), true, 2, 2},
        // Every written form of the big blind; the product is truncated (0.29 * 100 < 29).
        {CashHeader(L"$0.02/$0.05 USD"), true, 0, 5}, {CashHeader(L"$0.05/$0.10 USD"), true, 0, 10},
        {CashHeader(L"$1/$2 USD"), true, 0, 200}, {CashHeader(L"$100/$200 USD"), true, 0, 20000},
        {CashHeader(L"$0.25/$0.50 - $10 Cap -  USD"), true, 0, 50},
        {CashHeader(L"$0.14/$0.29 USD"), true, 0, 28},
        {CashHeader(L"$0.28/$0.57 USD"), true, 0, 56},
        // Both forms, a byte-order mark, fast-fold tables without a currency code, Omaha.
        {kSecondTime, true, 0, 2}, {L"\uFEFF" + kSecondTime, true, 0, 2},
        {CashHeader(L"$0.01/$0.02"), true, 0, 2},
        {L"PokerStars Zoom Hand #212330790621:  Hold'em No Limit ($0.01/$0.02) - "
         L"2020/04/19 13:48:43 ET", true, 0, 2},
        {L"PokerStars Hand #1: Omaha Pot Limit ($0.01/$0.02 USD) - 2020/04/19 1:48:43 CET "
         L"[2020/04/18 19:48:43 ET]", true, 0, 2},
        // Enormous big blinds stay in the int range; one that reads as infinity gives 0.
        {CashHeader(L"$1/$99999999999 USD"), true, 0, kIntMax},
        {CashHeader(L"$1/$" + std::wstring(400, L'9') + L" USD"), true, 0, 0},
        // Nothing may follow the time zone; old game headers and tournaments are not read.
        {CashHeader() + L" extra", false, 0, kKept}, {kSecondTime + L"!", false, 0, kKept},
        {L"PokerStars Game #27738502010: Hold'em No Limit ($0.05/$0.10 USD) - "
         L"2009/05/05 9:00:22 ET", false, 0, kKept},
        {L"PokerStars Hand #1: Tournament #2, $0.98+$0.02 USD Hold'em No Limit - Level I "
         L"(10/20) - 2020/04/19 13:48:09 ET", false, 0, kKept},
    };
    // clang-format on
    for (const Header& row : rows) {
        const Header read = Read(row.line);
        EXPECT_EQ(read.recognised, row.recognised) << row.line;
        EXPECT_EQ(read.currency, row.currency) << row.line;
        EXPECT_EQ(read.bigBlindCents, row.bigBlindCents) << row.line;
    }
}

TEST(Header, AnUnrecognisedOneIsWrittenRawToTheLog)
{
    RecordingLog log;
    const std::wstring header = L"Seat 1: Hero ($2 in chips)";
    Read(header, &log);
    EXPECT_EQ(log.m_rawWrites,
              (std::vector<std::wstring>{L"GetTypeTable unrecognized string: <", header, L">\n"}));
    EXPECT_TRUE(log.m_lines.empty());
    RecordingLog quiet;
    Read(CashHeader(), &quiet);
    EXPECT_TRUE(quiet.m_rawWrites.empty());
    Read(header, nullptr); // no log: nothing to write to, and no crash
}

TEST(Header, OneCutShortIsRecognisedOnlyWhenAWholeFormRemains)
{
    // Cut inside the first time-zone word, what is left is a header without the bracket.
    const std::size_t zoneStart = kSecondTime.find(L" WET") + 1;
    const std::size_t bracket = kSecondTime.find(L" [");
    for (std::size_t length = 0; length < kSecondTime.size(); ++length) {
        const bool expected = length > zoneStart && length <= bracket;
        EXPECT_EQ(Read(kSecondTime.substr(0, length)).recognised, expected) << length;
    }
    int bigBlind = 3;
    int currency = -1;
    EXPECT_FALSE(GetTypeTable(HandLines{}, bigBlind, currency, nullptr));
    EXPECT_EQ(currency, 0);
    EXPECT_EQ(bigBlind, 3);
}

struct PotAndRake
{
    HandLines hand;
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
        {Summary(L"Total pot $0.10 | Rake $0"), 0.10, 0},
        {Summary(L"Total pot \u20AC2.45 | Rake \u20AC0.11"), 2.45, 0.11},
        {Summary(L"Total pot \u00A30.85 | Rake \u00A30.04"), 0.85, 0.04},
        // Side pots and cash-out fees leave the total and the rake.
        {Summary(L"Total pot $3.25 Main pot $2.00. Side pot $1.10. | Rake $0.15"), 3.25, 0.15},
        {Summary(L"Total pot $10.30 | Rake $0.46 | Cash Out Fee $0.05"), 10.30, 0.46},
        {Summary(L"Total pot $1,234.50 | Rake $3"), 1234.5, 3},
        {Summary(L"Total pot $31,492.66 | Rake $1,000"), 31492.66, 1000},
        // Without the separator past the pot's column, the pot is 0 but the rake is read.
        {Summary(L"Total pot $5 Rake $0.25"), 0, 0.25},
        {Summary(L"T | pot $5 | Rake $0.25"), 0, 0.25},
        // One kind of currency symbol is removed, the first that stands past the line's start.
        {Summary(L"Total pot $2 | Rake \u20AC0.10"), 2, 0},
        {Summary(L"$Total pot \u20AC2 | Rake \u20AC0.10"), 2, 0.10},
        // Enormous and negative amounts are read as written.
        {Summary(L"Total pot $1e308 | Rake $1e309"), 1e308, kInf},
        {Summary(L"Total pot $-5 | Rake $-1"), -5, -1},
        // Lines without numbers, and hands without a summary line, give 0.
        {Summary(L"Total pot $ | Rake $"), 0, 0}, {Summary(L"Total pot $. | Rake $."), 0, 0},
        {Summary(L""), 0, 0}, {Summary(L"Board [8s Qh 8h]"), 0, 0}, {Summary(L"|"), 0, 0},
        {Summary(L" | Rake "), 0, 0}, {Summary(L"Rake"), 0, 0},
        {{L"Hero: folds", L"Villain collected $0.03 from pot"}, 0, 0},
        {{L"Hero: folds", L"*** SUMMARY ***"}, 0, 0}, {{}, 0, 0},
        {SplitLines(L"*** SUMMARY ***\nTotal pot $1 | Rake $0.05\n*** SUMMARY ***\n"
                    L"Total pot $9 | Rake $0.45"), 1, 0.05},
    };
    // clang-format on
    for (const PotAndRake& row : rows) {
        double pot = -1.0;
        double rake = -1.0;
        GetPotAndRake(row.hand, pot, rake);
        const std::wstring where = row.hand.size() > 2 ? row.hand[2] : L"short hand";
        EXPECT_DOUBLE_EQ(pot, row.pot) << where;
        EXPECT_DOUBLE_EQ(rake, row.rake) << where;
    }
}

struct Investment
{
    std::wstring hand;
    double invested;
    int bigBlindCents = 2;
    std::wstring nickname = L"Hero";
};

TEST(HeroInvested, AddsTheHerosMoneyStreetByStreetExactToTheHundredth)
{
    // clang-format off
    const Investment rows[] = {
        // A raise sets the whole stake of the street; a call adds to it.
        {L"Hero: posts small blind $0.01\nHero: raises $0.04 to $0.06", 0.06},
        {L"Hero: posts big blind $0.02\nVillain: raises $0.04 to $0.06\nHero: raises $0.14 to "
         L"$0.20\nVillain: raises $0.40 to $0.60\nHero: calls $0.40", 0.60},
        // Streets add up, and a returned bet is taken off.
        {L"Hero: posts big blind $0.02\nVillain: calls $0.02\n*** FLOP *** [8s Qh 8h]\n"
         L"Hero: bets $0.10\nVillain: raises $0.20 to $0.30\nHero: calls $0.20\n"
         L"*** TURN *** [8s Qh 8h] [3h]\nHero: bets $0.50\nVillain: folds\n"
         L"Uncalled bet ($0.50) returned to Hero\nHero collected $0.64 from pot\n"
         L"*** SUMMARY ***\nTotal pot $0.64 | Rake $0.03", 0.32},
        // A fold ends the reading.
        {L"Hero: posts small blind $0.01\nHero: folds\nHero: calls $5\n*** FLOP *** [8s Qh 8h]\n"
         L"Hero: bets $5", 0.01},
        // An ante is dead money beside the blind, written before or after it.
        {L"Hero: posts small blind $0.05\nHero: posts the ante $0.01\n*** HOLE CARDS ***\n"
         L"Hero: calls $0.05", 0.11},
        {L"Hero: posts the ante $0.01\nHero: posts big blind $0.02\n"
         L"Villain: raises $0.04 to $0.06\nHero: raises $0.12 to $0.18", 0.19},
        // Small & big blinds together: the header's big blind is live, the rest dead money.
        {L"Hero: posts small & big blinds $0.03\n*** HOLE CARDS ***\n"
         L"Villain: raises $0.04 to $0.06\nHero: raises $0.12 to $0.18", 0.19},
        {L"Hero: posts small & big blinds $0.03\n*** HOLE CARDS ***\n"
         L"Villain: raises $0.04 to $0.06\nHero: raises $0.12 to $0.18", 0.21, 0},
        {L"Hero: posts small & big blinds $0.03\nVillain: raises $0.04 to $0.06\n"
         L"Hero: calls $0.04", 0.07},
        {L"Hero: posts small & big blinds $0.03\nVillain: raises $0.04 to $0.06\n"
         L"Hero: calls $0.04", 0.07, 0},
        {L"Hero: posts small & big blinds $0.03", 0.03},
        // Only the nickname followed by a colon is the hero.
        {L"Hero2: posts big blind $0.02\nSuperHero: posts small blind $0.01\nHero: posts small "
         L"blind $0.01\nHero2: raises $0.04 to $0.06\nHero : calls $0.05\nHero collected $0.05 "
         L"from pot\nSuperHero: calls $0.05", 0.01},
        // Only a bet returned to exactly the nickname is taken off.
        {L"Hero: posts big blind $0.02\n*** FLOP *** [8s Qh 8h]\nHero: bets $0.10\n"
         L"Uncalled bet ($0.10) returned to SuperHero", 0.12},
        {L"Hero: posts big blind $0.02\n*** FLOP *** [8s Qh 8h]\nHero: bets $0.10\n"
         L"Uncalled bet ($0.10) returned to Hero2", 0.12},
        {L"Hero: posts big blind $0.02\n*** FLOP *** [8s Qh 8h]\nHero: bets $0.10\n"
         L"Uncalled bet ($0.10) returned to Hero", 0.02},
        // A raise without a "to" amount leaves the street as it was.
        {L"Hero: posts big blind $0.02\nHero: raises $0.04", 0.02},
        {L"Hero: posts big blind $0.02\nHero: raises", 0.02},
        // All-in suffixes and thousands separators.
        {L"Hero: posts big blind $5\nVillain: raises $20 to $30\n"
         L"Hero: raises $1,200 to $1,492.66 and is all-in", 1492.66},
        {L"Hero: posts big blind $10\n*** FLOP *** [8s Qh 8h]\nHero: bets $2,500\n"
         L"Uncalled bet ($1,000) returned to Hero", 1510.0},
        {L"Hero: calls $0.50 and is all-in", 0.5},
        // Exact to the hundredth: in binary fractions 3.96 + (10.86 - 7.42) is 7.3999999999999995.
        {L"Hero: posts big blind \u00A31\nHero: calls \u00A32.96\n*** FLOP *** [2h Ks 4c]\n"
         L"Hero: raises \u00A37.42 to \u00A310.86\nUncalled bet (\u00A37.42) returned to Hero",
         7.4, 100},
        {L"Hero: bets $0.1\nHero: calls $0.2", 0.3},
        // Lines are trimmed, and every currency is read.
        {L" Hero: posts big blind \u20AC0.02 \r\n\tHero: calls \u00A30.04\t", 0.06},
        // Markers inside the nickname do not count; an empty nickname is nobody.
        {L"Mr folds: posts big blind $0.02\nMr folds: calls $0.04", 0.06, 2, L"Mr folds"},
        {L"Kaufmann I: bets $0.02", 0.02, 2, L"Kaufmann I"},
        {L": bets $1\nHero: bets $2\nUncalled bet ($1) returned to ", 0.0, 2, L""},
        // Amounts without digits add nothing; others are taken as written.
        {L"Hero: bets $\nHero: calls $.\nHero: calls \nHero: bets", 0.0},
        {L"Hero: calls $-5", -5.0}, {L"Hero: bets $1e999", kInf},
    };
    // clang-format on
    for (const Investment& row : rows) {
        double invested = -1.0;
        int seats = -1;
        GetHeroInvested(SplitLines(row.hand), row.nickname, row.bigBlindCents, invested, seats);
        EXPECT_EQ(invested, row.invested) << row.hand << " (big blind " << row.bigBlindCents << ")";
    }
}

TEST(HeroInvested, TheTableLineGivesTheSeatsOnlyWhenItMatchesWhole)
{
    // clang-format off
    const std::pair<std::wstring, int> rows[] = {
        {L"Table 'Una' 9-max Seat #7 is the button", 9},
        {L"Table 'It's 2' 10-max Seat #1 is the button", 10},
        {L"Table 'Big' 99999999999-max Seat #7 is the button", kIntMax},
        {L"Table 'Wilhelmina' 6-max (Play Money) Seat #1 is the button", -1},
        {L"Table 'Una' 9-max Seat #7 is the button!", -1},
        {L"Table 'Una' Seat #7 is the button", -1}, {L"Hero: calls $0.02", -1},
    };
    // clang-format on
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

TEST(HeroVpp, RateByStakesCurrencyAndTableSizeTimesTheHerosShareOfTheRoundedHandPoints)
{
    constexpr int kDollar = 0, kEuro = 1, kPound = 2;
    // clang-format off
    const Points rows[] = {
        // The whole pot and a rake of 1: the rate times 100.
        {kDollar, 2, 9, 1, 1, 1, 1000}, {kEuro, 2, 9, 1, 1, 1, 1200}, {kPound, 2, 9, 1, 1, 1, 0},
        {kDollar, 5, 6, 1, 1, 1, 850},  {kEuro, 5, 6, 1, 1, 1, 1000}, {kPound, 5, 6, 1, 1, 1, 0},
        {kDollar, 10, 2, 1, 1, 1, 700}, {kEuro, 10, 2, 1, 1, 1, 900}, {kPound, 10, 2, 1, 1, 1, 0},
        {kDollar, 25, 8, 1, 1, 1, 600}, {kEuro, 25, 8, 1, 1, 1, 800},
        {kPound, 25, 8, 1, 1, 1, 1050},
        {kDollar, 25, 7, 1, 1, 1, 550}, {kEuro, 25, 7, 1, 1, 1, 700}, {kPound, 25, 7, 1, 1, 1, 880},
        {kDollar, 0, 0, 1, 1, 1, 550}, // header not recognised, no table line
        {3, 2, 9, 1, 1, 1, 0}, {-1, 25, 9, 1, 1, 1, 0}, // unknown currencies
        // Rake 0.05 at 2 cents in dollars: 50 for the hand, half of it; 0.03 at 10 cents in
        // euros: 27, a third of it; 9-max at 25 cents in dollars 6.0, 6-max 5.5.
        {kDollar, 2, 9, 0.05, 0.10, 0.05, 25}, {kEuro, 10, 6, 0.10, 0.30, 0.03, 9},
        {kDollar, 25, 9, 1, 1, 0.10, 60}, {kDollar, 25, 6, 1, 1, 0.10, 55},
        // The hand's points are rounded before the share: 0.15 * 5.5 gives 83, half of it 42
        // (half of the unrounded 82.5 would give 41).
        {kDollar, 25, 6, 0.5, 1, 0.15, 42},
        // A pot of zero or less, or no number, earns nothing.
        {kDollar, 2, 9, 0.02, 0, 0.01, 0}, {kDollar, 2, 9, 0.02, -0.5, 0.01, 0},
        {kDollar, 2, 9, 0.02, kNaN, 0.01, 0},
        // Results stay in the int range: what overflows or is no number gives 0.
        {kDollar, 2, 9, 1, 1, 1e308, 0}, {kDollar, 2, 9, 1, 1, kInf, 0},
        {kDollar, 2, 9, 1, 1, kNaN, 0}, {kDollar, 25, 9, 1, 1, 1e7, kIntMax},
        {kDollar, 25, 9, 1e300, 1e-300, 0.5, 0}, {kDollar, 25, 9, kInf, 1, 0.5, 0},
        {kDollar, 25, 9, 1e12, 1, 0.5, kIntMax}, {kDollar, 25, 9, -1e12, 1, 0.5, kIntMin},
    };
    // clang-format on
    for (const Points& row : rows) {
        EXPECT_EQ(CalcHeroVpp(row.currency, row.bigBlindCents, row.seats, row.invested, row.pot,
                              row.rake),
                  row.expected)
            << "currency " << row.currency << ", big blind " << row.bigBlindCents << ", seats "
            << row.seats << ", invested " << row.invested << " of " << row.pot << ", rake "
            << row.rake;
    }
}

} // namespace
