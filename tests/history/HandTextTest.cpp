#include "history/HandText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

namespace {

using namespace zellwick::history;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

struct Reading
{
    std::wstring text;
    double value;
};

TEST(AmountReading, ReadsTheLeadingNumberAsTheCLibraryDoesWithThousandsSeparators)
{
    // clang-format off
    const Reading rows[] = {
        // The leading number; the rest is ignored.
        {L"0.05", 0.05}, {L"0.06 and is all-in", 0.06}, {L"0.04) returned to Hero", 0.04},
        {L"3.25 Main pot 2.00. Side pot 1.10.", 3.25}, {L"2", 2.0}, {L"1 000", 1.0},
        // Leading white space, a sign, a point at either end.
        {L" \t 7.5", 7.5}, {L"-0.5", -0.5}, {L"+3", 3.0}, {L".5", 0.5}, {L"5.", 5.0},
        // No number; no hexadecimal, no infinity, no other digits than 0-9.
        {L"", 0}, {L" ", 0}, {L"$", 0}, {L".", 0}, {L"-", 0}, {L"-.", 0}, {L"+.", 0}, {L"e5", 0},
        {L"abc", 0}, {L"inf", 0}, {L"nan", 0}, {L"INFINITY", 0}, {L"\u0661\u0662", 0},
        {L"0x10", 0},
        // An exponent only when digits follow it.
        {L"1e3", 1000.0}, {L"2.5E-1", 0.25}, {L"1e", 1.0}, {L"1e+", 1.0}, {L"1e-x", 1.0},
        // A comma and exactly three digits in the integer part are skipped...
        {L"1,234.50", 1234.5}, {L"1,234", 1234.0}, {L"12,345 and is all-in", 12345.0},
        {L"1,234,567.89", 1234567.89}, {L"-1,492.66", -1492.66},
        // ...any other comma ends the number.
        {L"1,23", 1.0}, {L"1,2345", 1.0}, {L"0,01", 0.0}, {L"1.234,567", 1.234},
        {L"1,234,56", 1234.0}, {L",123", 0.0}, {L"-,123", 0.0},
        // Huge and tiny values never fail.
        {L"1e308", 1e308}, {L"1e309", kInf}, {L"-1e999999999999999999999", -kInf},
        {L"1e-999", 0.0}, {L"0.000e99999", 0.0}, {std::wstring(500, L'9'), kInf},
        {L"0." + std::wstring(500, L'0') + L"1", 0.0}, {std::wstring(300, L'0') + L"42", 42.0},
    };
    // clang-format on
    for (const Reading& row : rows)
        EXPECT_DOUBLE_EQ(ReadAmount(row.text), row.value) << row.text;
}

TEST(WholeNumberReading, ReadsLeadingDigitsWithinTheIntRange)
{
    // clang-format off
    const Reading rows[] = {
        {L"9", 9}, {L" 6-max", 6}, {L"-12", -12}, {L"x9", 0}, {L"", 0}, {L"2147483647", kMax},
        {L"2147483648", kMax}, {std::wstring(1000, L'9'), kMax},
        {L"-" + std::wstring(1000, L'9'), kMin},
    };
    // clang-format on
    for (const Reading& row : rows)
        EXPECT_EQ(ReadWholeNumber(row.text), row.value) << row.text;
}

TEST(HundredthRounding, SumsOfAmountsComeBackToTheirHundredth)
{
    EXPECT_EQ(RoundToHundredth(0.1 + 0.2), 0.3);
    EXPECT_EQ(RoundToHundredth(3.96 + (10.86 - 7.42)), 7.4);
    EXPECT_EQ(RoundToHundredth(-0.1 - 0.2), -0.3);
    EXPECT_EQ(RoundToHundredth(0.005), 0.01);
    EXPECT_EQ(RoundToHundredth(1e300), 1e300);
    EXPECT_EQ(RoundToHundredth(kInf), kInf);
    EXPECT_TRUE(std::isnan(RoundToHundredth(std::nan(""))));
}

TEST(Int32Limits, TruncationAndSumsHoldAtTheEndsAndWhatIsNotFiniteIsZero)
{
    const std::pair<double, std::int32_t> truncations[] = {
        {2.9, 2},          {-2.9, -2}, {1e12, kMax}, {-1e12, kMin}, {2147483647.9, kMax},
        {std::nan(""), 0}, {kInf, 0},  {-kInf, 0}};
    for (const auto& [value, expected] : truncations)
        EXPECT_EQ(TruncateToInt32(value), expected) << value;
    EXPECT_EQ(SaturatingAdd(kMax - 1, 5), kMax);
    EXPECT_EQ(SaturatingAdd(kMin + 1, -5), kMin);
    EXPECT_EQ(SaturatingAdd(kMax, kMin), -1);
    EXPECT_EQ(SaturatingAdd(40, 2), 42);
}

TEST(LineTrimming, RemovesWhiteSpaceAtBothEndsOnly)
{
    EXPECT_EQ(TrimBlanks(L" \t Hero: folds \r"), L"Hero: folds");
    EXPECT_EQ(TrimBlanks(L"\r\n\v\f"), L"");
    EXPECT_EQ(TrimBlanks(L"a  b"), L"a  b");
    EXPECT_EQ(TrimBlanks(L"\uFEFFPokerStars"), L"\uFEFFPokerStars");
}

} // namespace
