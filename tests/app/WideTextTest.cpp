#include "app/WideText.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(FormatW, WideStringsNumbersAndPadding)
{
    const std::wstring path = L"/home/j\u00fcrgen/PokerStars/HandHistory/Hero";
    EXPECT_EQ(FormatW(L"HistoryPath = %ls", path.c_str()), L"HistoryPath = " + path);
    EXPECT_EQ(FormatW(L"HistoryPath = %ls is not found!", L""), L"HistoryPath =  is not found!");
    EXPECT_EQ(FormatW(L"RunOnStart = %d", 1), L"RunOnStart = 1");
    EXPECT_EQ(FormatW(L"%d:%d", 1, 700), L"1:700");
    EXPECT_EQ(FormatW(L"%d:%d", -1, -2147483647 - 1), L"-1:-2147483648");
    EXPECT_EQ(FormatW(L"%02d:%02d", 1, 35), L"01:35");
    EXPECT_EQ(FormatW(L"100%%"), L"100%");
}

TEST(FormatW, LongResultComesBackWhole)
{
    const std::wstring value(70000, L'\u20ac');
    EXPECT_EQ(FormatW(L"<%ls>", value.c_str()), L"<" + value + L">");
}

TEST(FormatW, NullFormatGivesEmptyText)
{
    EXPECT_EQ(FormatW(nullptr), L"");
}

TEST(Utf8, RoundTripOfEveryPlane)
{
    const std::wstring text = L"A \u00fc \u20ac \uFFFD \U0001D11E \U0010FFFF";
    const std::string bytes = ToUtf8(text);
    EXPECT_EQ(bytes, "A \xC3\xBC \xE2\x82\xAC \xEF\xBF\xBD \xF0\x9D\x84\x9E \xF4\x8F\xBF\xBF");
    EXPECT_EQ(FromUtf8(bytes), text);
}

TEST(Utf8, CharactersOutsideUnicodeBecomeReplacement)
{
    std::wstring text = L"a";
    text.push_back(static_cast<wchar_t>(0xD800));
    text.push_back(static_cast<wchar_t>(0x110000));
    EXPECT_EQ(ToUtf8(text), "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf8, InvalidBytesAreReadAsWindows1252)
{
    EXPECT_EQ(FromUtf8("\x80 5"), L"\u20ac 5");
    EXPECT_EQ(FromUtf8("Caf\xE9"), L"Caf\u00e9");
    EXPECT_EQ(FromUtf8("\x9F\x81"), L"\u0178\u0081");
    // A sequence cut short: each byte on its own.
    EXPECT_EQ(FromUtf8("\xE2\x82"), L"\u00e2\u201a");
    // Overlong form and an encoded surrogate are not UTF-8 either.
    EXPECT_EQ(FromUtf8("\xC0\xAF"), L"\u00c0\u00af");
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), L"\u00ed\u00a0\u20ac");
    // Valid text around a bad byte survives untouched.
    EXPECT_EQ(FromUtf8("\xE2\x82\xAC\xFF\xC3\xBC"), L"\u20ac\u00ff\u00fc");
}

TEST(Utf8, NulBytesAreKept)
{
    EXPECT_EQ(FromUtf8(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(NativePath, IsUtf8WhateverTheLocale)
{
    EXPECT_EQ(ToNativePath(L"/tmp/j\u00fcrgen").native(), "/tmp/j\xC3\xBCrgen");
}

} // namespace
