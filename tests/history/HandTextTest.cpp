#include "history/HandText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using zellwick::history::ReadAmount;
using zellwick::history::ReadWholeNumber;
using zellwick::history::RoundToHundredth;
using zellwick::history::SaturatingAdd;
using zellwick::history::TrimBlanks;
using zellwick::history::TruncateToInt32;

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(AmountReading, ReadsTheLeadingNumberAndIgnoresTheRest)
{
    EXPECT_DOUBLE_EQ(ReadAmount(L"0.05"), 0.05);
    EXPECT_DOUBLE_EQ(ReadAmount(L"0.06 and is all-in"), 0.06);
    EXPECT_DOUBLE_EQ(ReadAmount(L"0.04) returned to Hero"), 0.04);
    EXPECT_DOUBLE_EQ(ReadAmount(L"3.25 Main pot 2.00. Side pot 1.10."), 3.25);
    EXPECT_DOUBLE_EQ(ReadAmount(L"2"), 2.0);
    EXPECT_DOUBLE_EQ(ReadAmount(L"1 000"), 1.0);
}

TEST(AmountReading, SkipsLeadingWhiteSpaceAndTakesASign)
{
    EXPECT_DOUBLE_EQ(ReadAmount(L" \t 7.5"), 7.5);
    EXPECT_DOUBLE_EQ(ReadAmount(L"-0.5"), -0.5);
    EXPECT_DOUBLE_EQ(ReadAmount(L"+3"), 3.0);
    EXPECT_DOUBLE_EQ(ReadAmount(L".5"), 0.5);
    EXPECT_DOUBLE_EQ(ReadAmount(L"5."), 5.0);
}

TEST(AmountReading, TextWithoutANumberGivesZero)
{
    for (const wchar_t* text : {L"", L" ", L"$", L".", L"-", L"-.", L"+.", L"e5", L"abc", L"inf",
                                L"nan", L"INFINITY", L"\u0661\u0662"})
        EXPECT_EQ(ReadAmount(text), 0.0) << std::wstring(text).size();
    EXPECT_EQ(ReadAmount(L"0x10"), 0.0); // no hexadecimal: the x ends the number
}

TEST(AmountReading, ReadsAnExponentOnlyWhenDigitsFollowIt)
{
    EXPECT_DOUBLE_EQ(ReadAmount(L"1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(ReadAmount(L"2.5E-1"), 0.25);
    EXPECT_DOUBLE_EQ(ReadAmount(L"1e"), 1.0);
    EXPECT_DOUBLE_EQ(ReadAmount(L"1e+"), 1.0);
    EXPECT_DOUBLE_EQ(ReadAmount(L"1e-x"), 1.0);
}

TEST(AmountReading, SkipsACommaFollowedByExactlyThreeDigitsInTheIntegerPart)
{
    EXPECT_DOUBLE_EQ(ReadAmount(L"1,234.50"), 1234.5);
    EXPECT_DOUBLE_EQ(ReadAmount(L"1,234"), 1234.0);
    EXPECT_DOUBLE_EQ(ReadAmount(L"12,345 and is all-in"), 12345.0);
    EXPECT_DOUBLE_EQ(ReadAmount(L"1,234,567.89"), 1234567.89);
    EXPECT_DOUBLE_EQ(ReadAmount(L"-1,492.66"), -1492.66);
}

TEST(AmountReading, AnyOtherCommaEndsTheNumber)
{
    EXPECT_DOUBLE_EQ(ReadAmount(L"1,23"), 1.0);
    EXPECT_DOUBLE_EQ(ReadAmount(L"1,2345"), 1.0);
    EXPECT_DOUBLE_EQ(ReadAmount(L"0,01"), 0.0);
    EXPECT_DOUBLE_EQ(ReadAmount(L"1.234,567"), 1.234);
    EXPECT_DOUBLE_EQ(ReadAmount(L"1,234,56"), 1234.0);
    EXPECT_EQ(ReadAmount(L",123"), 0.0);
    EXPECT_EQ(ReadAmount(L"-,123"), 0.0);
}

TEST(AmountReading, HugeAndTinyValuesNeverFail)
{
    EXPECT_DOUBLE_EQ(ReadAmount(L"1e308"), 1e308);
    EXPECT_EQ(ReadAmount(L"1e309"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadAmount(L"-1e999999999999999999999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadAmount(L"1e-999"), 0.0);
    EXPECT_EQ(ReadAmount(L"0.000e99999"), 0.0);
    EXPECT_EQ(ReadAmount(std::wstring(500, L'9')), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadAmount(L"0." + std::wstring(500, L'0') + L"1"), 0.0);
    EXPECT_DOUBLE_EQ(ReadAmount(std::wstring(300, L'0') + L"42"), 42.0);
}

TEST(WholeNumberReading, ReadsLeadingDigitsWithinTheIntRange)
{
    EXPECT_EQ(ReadWholeNumber(L"9"), 9);
    EXPECT_EQ(ReadWholeNumber(L" 6-max"), 6);
    EXPECT_EQ(ReadWholeNumber(L"-12"), -12);
    EXPECT_EQ(ReadWholeNumber(L"x9"), 0);
    EXPECT_EQ(ReadWholeNumber(L""), 0);
    EXPECT_EQ(ReadWholeNumber(L"2147483647"), kMax);
    EXPECT_EQ(ReadWholeNumber(L"2147483648"), kMax);
    EXPECT_EQ(ReadWholeNumber(std::wstring(1000, L'9')), kMax);
    EXPECT_EQ(ReadWholeNumber(L"-" + std::wstring(1000, L'9')), kMin);
}

TEST(HundredthRounding, SumsOfAmountsComeBackToTheirHundredth)
{
    EXPECT_EQ(RoundToHundredth(0.1 + 0.2), 0.3);
    EXPECT_EQ(RoundToHundredth(3.96 + (10.86 - 7.42)), 7.4);
    EXPECT_EQ(RoundToHundredth(-0.1 - 0.2), -0.3);
    EXPECT_EQ(RoundToHundredth(0.005), 0.01);
    EXPECT_EQ(RoundToHundredth(1e300), 1e300);
    EXPECT_EQ(RoundToHundredth(std::numeric_limits<double>::infinity()),
              std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(RoundToHundredth(std::numeric_limits<double>::quiet_NaN())));
}

TEST(Int32Limits, TruncationHoldsAtTheEndsAndDropsWhatIsNotFinite)
{
    EXPECT_EQ(TruncateToInt32(2.9), 2);
    EXPECT_EQ(TruncateToInt32(-2.9), -2);
    EXPECT_EQ(TruncateToInt32(1e12), kMax);
    EXPECT_EQ(TruncateToInt32(-1e12), kMin);
    EXPECT_EQ(TruncateToInt32(2147483647.9), kMax);
    EXPECT_EQ(TruncateToInt32(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(TruncateToInt32(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(TruncateToInt32(-std::numeric_limits<double>::infinity()), 0);
}

TEST(Int32Limits, SumsHoldAtTheEnds)
{
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
