#include "history/HandPatterns.h"

#include <exception>

namespace zellwick::history {

namespace {

// The character class "[\$|€|£]" matches one of "$", "|", "€" and "£"; the bar is kept as the
// client's headers have always been matched with it.
#define ZW_CURRENCY L"[\\$|\u20AC|\u00A3]"
#define ZW_HEADER_HEAD                                                                             \
    L".*PokerStars (Hand|Zoom Hand) #\\d+: (.*) Limit "                                            \
    L"\\((" ZW_CURRENCY L")\\d+.?[0-9]{0,2}/" ZW_CURRENCY L"(\\d+.?[0-9]{0,2}).*\\) - "            \
    L"(\\d{4})/(\\d{2})/(\\d{2}) (\\d+):(\\d+):(\\d+) (\\w+)"

constexpr const wchar_t* kHeaderWithSecondTime =
    ZW_HEADER_HEAD L" \\[(\\d{4})/(\\d{2})/(\\d{2}) (\\d+):(\\d+):(\\d+) (\\w+)\\]";
constexpr const wchar_t* kHeader = ZW_HEADER_HEAD;
constexpr const wchar_t* kTable = L"Table '.*' (\\d+)-max Seat #\\d+ is the button";

#undef ZW_HEADER_HEAD
#undef ZW_CURRENCY

} // namespace

const boost::wregex& HeaderWithSecondTimePattern()
{
    static const boost::wregex pattern(kHeaderWithSecondTime);
    return pattern;
}

const boost::wregex& HeaderPattern()
{
    static const boost::wregex pattern(kHeader);
    return pattern;
}

const boost::wregex& TablePattern()
{
    static const boost::wregex pattern(kTable);
    return pattern;
}

bool MatchWhole(std::wstring_view text, const boost::wregex& pattern, boost::wcmatch& groups)
{
    static const wchar_t kEmpty[] = L"";
    const wchar_t* first = text.empty() ? kEmpty : text.data();
    try {
        return boost::regex_match(first, first + text.size(), groups, pattern);
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace zellwick::history
