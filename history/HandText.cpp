#include "history/HandText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace zellwick::history {

namespace {

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// A comma at pos that separates thousands: exactly three digits follow it.
bool IsThousandsComma(std::wstring_view text, std::size_t pos)
{
    if (text[pos] != L',' || text.size() - pos < 4)
        return false;
    for (std::size_t i = pos + 1; i <= pos + 3; ++i) {
        if (!IsDigit(text[i]))
            return false;
    }
    return pos + 4 == text.size() || !IsDigit(text[pos + 4]);
}

// The number as plain ASCII for the conversion, and what is needed to tell an overflow from
// an underflow when the conversion gives up.
struct NumberText
{
    std::string chars;
    bool negative = false;
    std::int64_t integerDigits = 0; // digits of the integer part after its leading zeros
    std::int64_t fractionZeros = 0; // zeros after the point before the first other digit
    bool fractionNonZero = false;   // a digit other than 0 after the point
    std::int64_t exponent = 0;      // held well inside the int64 range
};

std::size_t ReadDigits(std::wstring_view text, std::size_t pos, NumberText& number,
                       bool integerPart)
{
    while (pos < text.size()) {
        const wchar_t c = text[pos];
        if (IsDigit(c)) {
            number.chars.push_back(static_cast<char>(c));
            if (integerPart) {
                if (c != L'0' || number.integerDigits > 0)
                    ++number.integerDigits;
            } else if (!number.fractionNonZero) {
                if (c == L'0')
                    ++number.fractionZeros;
                else
                    number.fractionNonZero = true;
            }
            ++pos;
        } else if (integerPart && c == L',' && pos > 0 && IsDigit(text[pos - 1]) &&
                   IsThousandsComma(text, pos)) {
            ++pos;
        } else {
            break;
        }
    }
    return pos;
}

std::size_t ReadExponent(std::wstring_view text, std::size_t pos, NumberText& number)
{
    if (pos >= text.size() || (text[pos] != L'e' && text[pos] != L'E'))
        return pos;
    std::size_t next = pos + 1;
    bool negative = false;
    if (next < text.size() && (text[next] == L'+' || text[next] == L'-')) {
        negative = text[next] == L'-';
        ++next;
    }
    if (next >= text.size() || !IsDigit(text[next]))
        return pos; // "1e" or "1e+" end before the e
    number.chars.push_back('e');
    if (negative)
        number.chars.push_back('-');
    constexpr std::int64_t kCap = std::int64_t{1} << 40;
    for (; next < text.size() && IsDigit(text[next]); ++next) {
        number.chars.push_back(static_cast<char>(text[next]));
        if (number.exponent < kCap)
            number.exponent = number.exponent * 10 + (text[next] - L'0');
    }
    if (negative)
        number.exponent = -number.exponent;
    return next;
}

// What a conversion that went out of range stands for: infinity or zero, with the sign.
double OutOfRange(const NumberText& number)
{
    if (number.integerDigits == 0 && !number.fractionNonZero)
        return number.negative ? -0.0 : 0.0;
    const std::int64_t magnitude =
        (number.integerDigits > 0 ? number.integerDigits : -number.fractionZeros) + number.exponent;
    const double value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return number.negative ? -value : value;
}

} // namespace

double ReadAmount(std::wstring_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    NumberText number;
    if (pos < text.size() && (text[pos] == L'+' || text[pos] == L'-')) {
        number.negative = text[pos] == L'-';
        if (number.negative)
            number.chars.push_back('-');
        ++pos;
    }
    const std::size_t mantissaStart = number.chars.size();
    pos = ReadDigits(text, pos, number, true);
    if (pos < text.size() && text[pos] == L'.') {
        number.chars.push_back('.');
        pos = ReadDigits(text, pos + 1, number, false);
    }
    const std::size_t mantissaLength = number.chars.size() - mantissaStart;
    const bool hasPoint = number.chars.find('.', mantissaStart) != std::string::npos;
    if (mantissaLength == 0 || (hasPoint && mantissaLength == 1))
        return 0.0; // no digit at all: "", "-", ".", "-."
    ReadExponent(text, pos, number);

    double value = 0.0;
    const char* first = number.chars.data();
    const char* last = first + number.chars.size();
    const auto result = std::from_chars(first, last, value);
    if (result.ec == std::errc::result_out_of_range)
        return OutOfRange(number);
    if (result.ec != std::errc())
        return 0.0;
    return value;
}

int ReadWholeNumber(std::wstring_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == L'+' || text[pos] == L'-')) {
        negative = text[pos] == L'-';
        ++pos;
    }
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<int>::max()} + 1;
    std::int64_t value = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        if (value <= kLimit)
            value = value * 10 + (text[pos] - L'0');
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

double RoundToHundredth(double amount)
{
    if (!std::isfinite(amount) || std::fabs(amount) >= 1e13)
        return amount;
    return std::round(amount * 100.0) / 100.0;
}

std::int32_t TruncateToInt32(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double truncated = std::trunc(value);
    if (truncated >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (truncated <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(truncated);
}

std::int32_t SaturatingAdd(std::int32_t total, std::int32_t amount)
{
    const std::int64_t sum = std::int64_t{total} + amount;
    if (sum > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (sum < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(sum);
}

} // namespace zellwick::history
