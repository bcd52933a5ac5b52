#include "app/WideText.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(FormatW, WideStringsNumbersAndPadding)
{
    const std::wstring path = L"/home/j\u00fcrgen/PokerStars/HandHistory/Hero";
    const std::wstring longText(70000, L'\u20ac');
    EXPECT_EQ(FormatW(L"HistoryPath = %ls", path.c_str()), L"HistoryPath = " + path);
    EXPECT_EQ(FormatW(L"HistoryPath = %ls is not found!", L""), L"HistoryPath =  is not found!");
    EXPECT_EQ(FormatW(L"%d:%d", -1, -2147483647 - 1), L"-1:-2147483648");
    EXPECT_EQ(FormatW(L"%02d:%02d", 1, 35), L"01:35");
    EXPECT_EQ(FormatW(L"100%%"), L"100%");
    EXPECT_EQ(FormatW(L"<%ls>", longText.c_str()), L"<" + longText + L">");
    EXPECT_EQ(FormatW(nullptr), L"");
}

TEST(Utf8, EncodesEveryPlaneAndReplacesWhatIsNoCharacter)
{
    const std::wstring text = L"A \u00fc \u20ac \uFFFD \U0001D11E \U0010FFFF";
    const std::string bytes = ToUtf8(text);
    EXPECT_EQ(bytes, "A \xC3\xBC \xE2\x82\xAC \xEF\xBF\xBD \xF0\x9D\x84\x9E \xF4\x8F\xBF\xBF");
    EXPECT_EQ(FromUtf8(bytes), text);
    EXPECT_EQ(ToUtf8(std::wstring{L'a', wchar_t(0xD800), wchar_t(0x110000)}),
              "a\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(ToNativePath(L"/tmp/j\u00fcrgen").native(), "/tmp/j\xC3\xBCrgen");
}

TEST(Utf8, BytesThatAreNotUtf8AreReadAsWindows1252)
{
    const std::pair<std::string, std::wstring> cases[] = {
        {"\x80 5", L"\u20ac 5"},
        {"Caf\xE9", L"Caf\u00e9"},
        {"\x9F\x81", L"\u0178\u0081"},
        {"\xE2\x82", L"\u00e2\u201a"},                       // cut short
        {"\xC0\xAF", L"\u00c0\u00af"},                       // overlong
        {"\xE0\x80\xAF", L"\u00e0\u20ac\u00af"},             // overlong
        {"\xED\xA0\x80", L"\u00ed\u00a0\u20ac"},             // encoded surrogate
        {"\xE2\x82\xAC\xFF\xC3\xBC", L"\u20ac\u00ff\u00fc"}, // valid text around survives
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(FromUtf8(bytes), text) << testing::PrintToString(bytes);
}

} // namespace
