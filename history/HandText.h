#pragma once

// Small text tools of the hand analysis: trimming, number reading and the integer limits the
// totals keep to. No allocation on the common paths; everything works on string views.

#include <cstdint>
#include <string_view>

namespace zellwick::history {

inline bool IsBlank(wchar_t c)
{
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

// The line without the white space (blank, tab, line feed, vertical tab, form feed, carriage
// return) at both of its ends.
inline std::wstring_view TrimBlanks(std::wstring_view line)
{
    std::size_t begin = 0;
    std::size_t end = line.size();
    while (begin < end && IsBlank(line[begin]))
        ++begin;
    while (end > begin && IsBlank(line[end - 1]))
        --end;
    return line.substr(begin, end - begin);
}

// Prefix and suffix tests, written out: most tests fail on the first character, and that is
// cheaper to see here than through a library comparison.
inline bool StartsWith(std::wstring_view text, std::wstring_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (text[i] != prefix[i])
            return false;
    }
    return true;
}

inline bool EndsWith(std::wstring_view text, std::wstring_view suffix)
{
    return text.size() >= suffix.size() &&
           StartsWith(text.substr(text.size() - suffix.size()), suffix);
}

// True when the text holds the piece anywhere.
inline bool Contains(std::wstring_view text, std::wstring_view piece)
{
    return text.find(piece) != std::wstring_view::npos;
}

// The leading decimal number of the text, read as the C library's wide-string conversion
// reads it: white space skipped, then a sign, digits, one point and an exponent; reading
// stops at anything else and text without a number gives 0. In the integer part a comma that
// is followed by exactly three digits is a thousands separator and is skipped, so
// "1,234.50" reads 1234.5 while "1,23" reads 1. Values too large for a double read as
// infinity, values too small as 0.
double ReadAmount(std::wstring_view text);

// The leading whole number of the text (white space, sign, digits), limited to the int range.
int ReadWholeNumber(std::wstring_view text);

// The amount rounded to the nearest hundredth, half away from zero, so that sums of amounts
// come out as the amount written would read ("0.3 + 0.5 + 6.6" as 7.4, not 7.3999999999999995).
// Amounts beyond what hundredths can resolve, and values that are not finite, stay as they are.
double RoundToHundredth(double amount);

// Truncates toward zero into the int32 range; values outside it are held at its ends and a
// value that is not finite gives 0.
std::int32_t TruncateToInt32(double value);

// The sum held at the int32 limits instead of wrapping.
std::int32_t SaturatingAdd(std::int32_t total, std::int32_t amount);

} // namespace zellwick::history
