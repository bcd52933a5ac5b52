#pragma once

// Amounts as the poker client writes them: whole cents inside, "$1,234.50" or "$2" outside.

#include <cstdint>
#include <string>

namespace zellwick::genhands {

// The codes the analysis gives the three currencies.
enum class Currency
{
    Dollar = 0,
    Euro = 1,
    Pound = 2,
};

const char* CurrencySymbol(Currency currency); // UTF-8
const char* CurrencyCode(Currency currency);   // "USD", "EUR", "GBP"

void AppendInt(std::string& out, std::int64_t value);
void AppendTwoDigits(std::string& out, int value);

// "$0.05", "$2", "$2.50", "$1,234.50": whole amounts drop their decimals, thousands are
// grouped with commas.
void AppendAmount(std::string& out, Currency currency, std::int64_t cents);

// The stakes of a header: "$0.01/$0.02", "$0.50/$1.00", "$100/$200". When either blind has
// cents, both are written with two decimals.
void AppendStakes(std::string& out, Currency currency, std::int64_t smallBlind,
                  std::int64_t bigBlind);

} // namespace zellwick::genhands
