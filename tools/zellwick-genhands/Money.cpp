#include "tools/zellwick-genhands/Money.h"

namespace zellwick::genhands {

const char* CurrencySymbol(Currency currency)
{
    switch (currency) {
    case Currency::Euro:
        return "\xE2\x82\xAC";
    case Currency::Pound:
        return "\xC2\xA3";
    case Currency::Dollar:
        break;
    }
    return "$";
}

const char* CurrencyCode(Currency currency)
{
    switch (currency) {
    case Currency::Euro:
        return "EUR";
    case Currency::Pound:
        return "GBP";
    case Currency::Dollar:
        break;
    }
    return "USD";
}

void AppendInt(std::string& out, std::int64_t value)
{
    char digits[24];
    int length = 0;
    std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        digits[length++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        out += '-';
    while (length > 0)
        out += digits[--length];
}

void AppendTwoDigits(std::string& out, int value)
{
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

namespace {

void AppendGrouped(std::string& out, std::int64_t whole)
{
    if (whole < 1000) {
        AppendInt(out, whole);
        return;
    }
    AppendGrouped(out, whole / 1000);
    out += ',';
    const int rest = static_cast<int>(whole % 1000);
    out += static_cast<char>('0' + rest / 100);
    AppendTwoDigits(out, rest % 100);
}

void AppendUnits(std::string& out, std::int64_t cents, bool withDecimals)
{
    AppendGrouped(out, cents / 100);
    if (withDecimals) {
        out += '.';
        AppendTwoDigits(out, static_cast<int>(cents % 100));
    }
}

} // namespace

void AppendAmount(std::string& out, Currency currency, std::int64_t cents)
{
    if (cents < 0) {
        out += '-';
        cents = -cents;
    }
    out += CurrencySymbol(currency);
    AppendUnits(out, cents, cents % 100 != 0);
}

void AppendStakes(std::string& out, Currency currency, std::int64_t smallBlind,
                  std::int64_t bigBlind)
{
    const bool withDecimals = smallBlind % 100 != 0 || bigBlind % 100 != 0;
    out += CurrencySymbol(currency);
    AppendUnits(out, smallBlind, withDecimals);
    out += '/';
    out += CurrencySymbol(currency);
    AppendUnits(out, bigBlind, withDecimals);
}

} // namespace zellwick::genhands
