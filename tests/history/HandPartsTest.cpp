// The parts of one hand's analysis, with the cases generated hands never show: header forms,
// summary lines and amounts, the hero's own lines, and the points at their limits.

#include "history/HandAnalysis.h"

#include "tests/history/HistoryTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace zellwick::test;

constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Header, GivesCurrencyAndBigBlindInHundredthsForTheWholeCashFormsOnly)
{
    const std::wstring second = L"PokerStars Hand #4:  Hold'em No Limit ($0.01/$0.02 USD) - "
                                L"2010/05/06 22:46:48 WET [2010/05/06 17:46:48 ET]";
    const std::tuple<std::wstring, bool, int, int> rows[] = {
        {CashHeader(L"\u00A30.25/\u00A30.50 - \u00A310 Cap -  GBP"), true, 2, 50},
        {L"\uFEFF" + second, true, 0, 2},
        {second.substr(0, second.find(L" [")), true, 0, 2}, // cut short: one whole form is left
        {second.substr(0, second.find(L"WET")), false, 0, -7},
        {second + L"!", false, 0, -7},
        {CashHeader(L"$0.14/$0.29 USD"), true, 0, 28}, // the product is truncated
        {CashHeader(L"$1/$99999999999 USD"), true, 0, kIntMax},
        {CashHeader(L"$1/$" + std::wstring(400, L'9') + L" USD"), true, 0, 0}, // infinity
        {L"PokerStars Game #27738502010: Hold'em No Limit ($0.05/$0.10 USD) - 2009/05/05 9:00:22 "
         L"ET",
         false, 0, -7},
        {L"PokerStars Hand #1: Tournament #2, $0.98+$0.02 USD Hold'em No Limit - Level I (10/20) - "
         L"2020/04/19 13:48:09 ET",
         false, 0, -7}};
    for (const auto& [line, recognised, currency, bigBlind] : rows) {
        int readBigBlind = -7; // left alone when the header is not read
        int readCurrency = -1;
        EXPECT_EQ(GetTypeTable({line}, readBigBlind, readCurrency, nullptr), recognised) << line;
        EXPECT_EQ(readCurrency, currency) << line;
        EXPECT_EQ(readBigBlind, bigBlind) << line;
    }
}

// Amounts are read as the C library reads a number, with thousands separators, and never as
// hexadecimal, infinity or "not a number".
TEST(PotAndRake, ComeFromTheLineAfterTheFirstSummaryMarkerAsTheCLibraryReadsNumbers)
{
    const auto rake = [](const std::wstring& text, double value) {
        return std::tuple{L"Total pot $1 | Rake $" + text, 1.0, value};
    };
    // clang-format off
    const std::tuple<std::wstring, double, double> rows[] = {
        {L"Total pot $10.30 | Rake $0.46 | Cash Out Fee $0.05", 10.30, 0.46},
        // The pot is read only from a separator past its column; the rake anyway.
        {L"Total pot $5 Rake $0.25", 0, 0.25}, {L"T | pot $5 | Rake $0.25", 0, 0.25},
        // One kind of currency symbol is removed, the first that stands past the line's start.
        {L"Total pot $2 | Rake \u20AC0.10", 2, 0}, {L"$Total pot \u20AC2 | Rake \u20AC0.10", 2, 0.10},
        {L"Total pot $-5 | Rake $-1", -5, -1}, {L"", 0, 0}, {L" | Rake ", 0, 0},
        rake(L" \t-.5 and is all-in", -0.5), rake(L"+3.", 3), rake(L"1 000", 1), rake(L"-.", 0),
        rake(L"e5", 0), rake(L"inf", 0), rake(L"nan", 0), rake(L"\u0661", 0), rake(L"0x10", 0),
        rake(L"2.5E-1", 0.25), rake(L"1e+", 1),
        // A comma and exactly three digits in the integer part are skipped; any other ends it.
        rake(L"-1,234,567.89", -1234567.89), rake(L"1,23", 1), rake(L"1,2345", 1),
        rake(L"1.234,567", 1.234), rake(L"1,234,56", 1234), rake(L",123", 0),
        rake(L"1e309", kInf), rake(L"-1e999999999999999999999", -kInf), rake(L"0.000e99999", 0),
        rake(std::wstring(500, L'9'), kInf), rake(std::wstring(300, L'0') + L"42", 42),
    };
    // clang-format on
    double pot = -1.0;
    double rakeRead = -1.0;
    for (const auto& [summary, potWritten, rakeWritten] : rows) {
        GetPotAndRake({L"Hero: checks", L"*** SUMMARY ***", summary, L"Board [8s]"}, pot, rakeRead);
        EXPECT_DOUBLE_EQ(pot, potWritten) << summary;
        EXPECT_DOUBLE_EQ(rakeRead, rakeWritten) << summary;
    }
    // Without a line after the marker or without a marker both are 0; a second marker is text.
    for (const HandLines& hand :
         {HandLines{L"*** SUMMARY ***"}, HandLines{L"Total pot $1 | Rake $1"},
          SplitLines(L"*** SUMMARY ***\nTotal pot $1 | Rake $0.05\n"
                     L"*** SUMMARY ***\nTotal pot $9 | Rake $0.45")}) {
        GetPotAndRake(hand, pot, rakeRead);
        EXPECT_EQ(pot + rakeRead, hand.size() == 4 ? 1.05 : 0.0) << hand.size();
    }
}

TEST(HeroInvested, AddsTheHerosOwnMoneyStreetByStreetExactToTheHundredth)
{
    // clang-format off
    const std::tuple<std::wstring, double, int, std::wstring> rows[] = {
        {L"Hero: posts big blind $0.02\nVillain: raises $0.04 to $0.06\nHero: raises $0.14 to "
         L"$0.20\nVillain: raises $0.40 to $0.60\nHero: calls $0.40", 0.60, 2, L"Hero"},
        {L"Hero: posts small blind $0.01\nHero: folds\nHero: calls $5", 0.01, 2, L"Hero"},
        // An ante is dead money beside the blind, written before or after it.
        {L"Hero: posts small blind $0.05\nHero: posts the ante $0.01\nHero: calls $0.05", 0.11, 2, L"Hero"},
        {L"Hero: posts the ante $0.01\nHero: posts big blind $0.02\nHero: raises $0.12 to $0.18", 0.19, 2, L"Hero"},
        // Small & big blinds: the header's big blind, at most the amount, is live.
        {L"Hero: posts small & big blinds $0.03\nHero: raises $0.12 to $0.18", 0.19, 2, L"Hero"},
        {L"Hero: posts small & big blinds $0.03\nHero: raises $0.12 to $0.18", 0.21, 0, L"Hero"},
        {L"Hero: posts small & big blinds $0.03\nHero: raises $0.12 to $0.18", 0.18, 5, L"Hero"},
        // Only the nickname and a colon is the hero; only a bet returned to exactly him counts.
        {L"Hero2: posts big blind $0.02\nSuperHero: calls $1\nHero: posts small blind $0.01\n"
         L"Hero : calls $0.05\nHero: bets $0.10\nUncalled bet ($0.10) returned to SuperHero\n"
         L"Uncalled bet ($0.10) returned to Hero2", 0.11, 2, L"Hero"},
        {L"Hero: bets $2,500\nUncalled bet ($1,000) returned to Hero", 1500.0, 2, L"Hero"},
        // A raise without a "to" amount leaves the street as it was.
        {L"Hero: posts big blind $0.02\nHero: raises $0.04\nHero: raises", 0.02, 2, L"Hero"},
        // In binary fractions 3.96 + (10.86 - 7.42) is 7.3999999999999995.
        {L"Hero: posts big blind \u00A31\nHero: calls \u00A32.96\n*** FLOP *** [2h Ks 4c]\n"
         L"Hero: raises \u00A37.42 to \u00A310.86\nUncalled bet (\u00A37.42) returned to Hero", 7.4, 100, L"Hero"},
        {L" Hero: posts big blind \u20AC0.02 \r\n\tHero: calls \u00A30.04\t", 0.06, 2, L"Hero"},
        // Markers inside the nickname do not count; an empty nickname is nobody.
        {L"Mr folds: posts big blind $0.02\nMr folds: calls $0.04", 0.06, 2, L"Mr folds"},
        {L": bets $1\nHero: bets $2\nUncalled bet ($1) returned to ", 0.0, 2, L""},
        {L"Hero: bets $\nHero: calls $.\nHero: calls \nHero: bets\nHero: calls $-5", -5.0, 2, L"Hero"},
        {L"Hero: bets $1e999", kInf, 2, L"Hero"},
        // The table line gives the seats only when it matches whole.
        {L"Table 'It's 2' 99999999999-max Seat #1 is the button", kIntMax, 2, L"Hero"},
        {L"Table 'W' 6-max (Play Money) Seat #1 is the button", -1, 2, L"Hero"},
        {L"Table 'Una' 9-max Seat #7 is the button!", -1, 2, L"Hero"},
    };
    // clang-format on
    for (const auto& [hand, expected, bigBlind, nickname] : rows) {
        double invested = -1.0;
        int seats = -1;
        GetHeroInvested(SplitLines(hand), nickname, bigBlind, invested, seats);
        EXPECT_EQ(hand.starts_with(L"Table") ? seats : invested, expected)
            << hand << " " << bigBlind;
    }
}

TEST(HeroVpp, TheHandsRoundedPointsTimesTheHerosShareAndNothingThatIsNoNumber)
{
    // currency, big blind, seats, invested, pot, rake, points
    const std::tuple<int, int, int, double, double, double, int> rows[] = {
        {0, 0, 0, 1, 1, 1, 550}, // header and table line not read: short-handed dollars
        {3, 2, 9, 1, 1, 1, 0},
        {-1, 25, 9, 1, 1, 1, 0}, // unknown currencies
        // The hand's points are rounded before the share: 0.15 * 5.5 gives 83, half of it 42.
        {0, 25, 6, 0.5, 1, 0.15, 42},
        // A pot of zero or less, or no number, earns nothing; so does what is no number.
        {0, 2, 9, 0.02, 0, 0.01, 0},
        {0, 2, 9, 0.02, -0.5, 0.01, 0},
        {0, 2, 9, 0.02, kNaN, 0.01, 0},
        {0, 2, 9, 1, 1, 1e308, 0},
        {0, 2, 9, 1, 1, kInf, 0},
        {0, 2, 9, 1, 1, kNaN, 0},
        {0, 25, 9, 1e300, 1e-300, 0.5, 0},
        {0, 25, 9, kInf, 1, 0.5, 0},
        // Results stay in the int range.
        {0, 25, 9, 1, 1, 1e7, kIntMax},
        {0, 25, 9, -1e12, 1, 0.5, -kIntMax - 1}};
    for (const auto& [currency, bigBlind, seats, invested, pot, rake, points] : rows) {
        EXPECT_EQ(CalcHeroVpp(currency, bigBlind, seats, invested, pot, rake), points)
            << currency << " " << bigBlind << " " << seats << " " << invested << " " << pot << " "
            << rake;
    }
}

} // namespace
