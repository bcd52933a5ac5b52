#include "history/HandAnalysis.h"

#include "history/HandPatterns.h"
#include "history/HandText.h"

#include <algorithm>
#include <string_view>

namespace hx = zellwick::history;

namespace {

constexpr std::wstring_view kSummaryMarker = L"*** SUMMARY ***";
constexpr std::wstring_view kTablePrefix = L"Table ";
constexpr std::wstring_view kUncalledPrefix = L"Uncalled bet (";
constexpr std::wstring_view kReturnedTo = L"returned to ";
constexpr std::size_t kPotColumn = 10; // "Total pot " comes before the pot

// Removes one kind of currency symbol, the first kind that stands past the line's start.
void RemoveCurrencySymbol(std::wstring& line)
{
    for (const wchar_t symbol : {L'$', L'\u20AC', L'\u00A3'}) {
        const std::size_t first = line.find(symbol);
        if (first != std::wstring::npos && first > 1) {
            std::erase(line, symbol);
            return;
        }
    }
}

// The amount after a marker: the one character after the marker is the currency symbol.
double AmountAfter(std::wstring_view line, std::size_t markerEnd)
{
    if (markerEnd + 1 >= line.size())
        return 0.0;
    return hx::ReadAmount(line.substr(markerEnd + 1));
}

bool StartsStreet(std::wstring_view line)
{
    if (line.empty() || line[0] != L'*')
        return false;
    return hx::StartsWith(line, L"*** FLOP *** ") || hx::StartsWith(line, L"*** TURN *** ") ||
           hx::StartsWith(line, L"*** RIVER *** ");
}

// The hero's own lines are "<nickname>: ..."; a mere prefix would also take "Hero2" for "Hero".
bool IsHeroAction(std::wstring_view line, std::wstring_view nickname)
{
    return !nickname.empty() && line.size() > nickname.size() && hx::StartsWith(line, nickname) &&
           line[nickname.size()] == L':';
}

// "Uncalled bet ($x) returned to <nickname>", and not to a player whose name ends with it.
bool IsUncalledToHero(std::wstring_view line, std::wstring_view nickname)
{
    if (nickname.empty() || !hx::StartsWith(line, kUncalledPrefix) || !hx::EndsWith(line, nickname))
        return false;
    return hx::EndsWith(line.substr(0, line.size() - nickname.size()), kReturnedTo);
}

struct Contribution
{
    double dCommitted = 0.0; // earlier streets and dead money
    double dStreet = 0.0;    // the current street
};

// "posts small & big blinds $X": the big blind is live, the rest is dead money.
void PostSmallAndBigBlinds(Contribution& money, double dTotal, int nBigBlindCents)
{
    if (nBigBlindCents <= 0) {
        money.dCommitted += dTotal;
        return;
    }
    money.dStreet = std::min(nBigBlindCents * 0.01, dTotal);
    money.dCommitted += dTotal - money.dStreet;
}

// One line of the hero's; false when the hero folds and the hand is read no further. The
// first marker that occurs decides, in this order.
bool TakeHeroAction(std::wstring_view action, int nBigBlindCents, Contribution& money)
{
    constexpr std::wstring_view kSmallAndBig = L"posts small & big blinds ";
    constexpr std::wstring_view kSmallBlind = L"posts small blind ";
    constexpr std::wstring_view kBigBlind = L"posts big blind ";
    constexpr std::wstring_view kAnte = L"posts the ante ";
    constexpr std::wstring_view kFolds = L" folds";
    constexpr std::wstring_view kBets = L" bets ";
    constexpr std::wstring_view kCalls = L" calls ";
    constexpr std::wstring_view kRaises = L" raises ";
    constexpr std::wstring_view kTo = L" to ";
    constexpr auto npos = std::wstring_view::npos;

    std::size_t pos = 0;
    const auto found = [&](std::wstring_view marker) {
        pos = action.find(marker);
        return pos != npos;
    };
    const auto amount = [&](std::wstring_view marker) {
        return AmountAfter(action, pos + marker.size());
    };
    if (found(kSmallAndBig)) {
        PostSmallAndBigBlinds(money, amount(kSmallAndBig), nBigBlindCents);
    } else if (found(kSmallBlind)) {
        money.dStreet = amount(kSmallBlind);
    } else if (found(kBigBlind)) {
        money.dStreet = amount(kBigBlind);
    } else if (found(kAnte)) {
        money.dCommitted += amount(kAnte); // dead money; a blind posted next stays live
    } else if (found(kFolds)) {
        return false;
    } else if (found(kBets)) {
        money.dStreet += amount(kBets);
    } else if (found(kCalls)) {
        money.dStreet += amount(kCalls);
    } else if (found(kRaises)) {
        pos = action.find(kTo, pos);
        if (pos != npos)
            money.dStreet = amount(kTo); // a raise's "to" is the whole stake on this street
    }
    return true;
}

int CurrencyCode(const boost::wcsub_match& symbol)
{
    const std::wstring_view text(symbol.first, static_cast<std::size_t>(symbol.length()));
    if (text == L"$")
        return 0;
    if (text == L"\u20AC")
        return 1;
    if (text == L"\u00A3")
        return 2;
    return 0;
}

double Rate(int nCurrency, int nBigBlindCents, int nSeats)
{
    if (nCurrency < 0 || nCurrency > 2)
        return 0.0;
    switch (nBigBlindCents) {
    case 2:
        return nCurrency == 0 ? 10.0 : nCurrency == 1 ? 12.0 : 0.0;
    case 5:
        return nCurrency == 0 ? 8.5 : nCurrency == 1 ? 10.0 : 0.0;
    case 10:
        return nCurrency == 0 ? 7.0 : nCurrency == 1 ? 9.0 : 0.0;
    default:
        break;
    }
    if (nSeats > 7)
        return nCurrency == 0 ? 6.0 : nCurrency == 1 ? 8.0 : 10.5;
    return nCurrency == 0 ? 5.5 : nCurrency == 1 ? 7.0 : 8.8;
}

} // namespace

void GetPotAndRake(const HandLines& hand, double& dPot, double& dRake)
{
    dPot = 0.0;
    dRake = 0.0;
    const auto marker = std::find_if(hand.begin(), hand.end(), [](const std::wstring& line) {
        return hx::StartsWith(line, kSummaryMarker);
    });
    if (marker == hand.end() || marker + 1 == hand.end())
        return; // no summary line to read
    std::wstring summary = *(marker + 1);
    RemoveCurrencySymbol(summary);
    const std::wstring_view text = summary;
    const std::size_t bar = text.find(L" | ");
    if (bar != std::wstring_view::npos && bar > kPotColumn)
        dPot = hx::ReadAmount(text.substr(kPotColumn, bar - kPotColumn));
    const std::size_t rake = text.find(L"Rake ");
    if (rake != std::wstring_view::npos)
        dRake = hx::ReadAmount(text.substr(rake + 5));
}

bool GetTypeTable(const HandLines& hand, int& nBigBlindCents, int& nCurrency, HistoryLog* log)
{
    nCurrency = 0;
    static const std::wstring kNoLine;
    const std::wstring& header = hand.empty() ? kNoLine : hand.front();
    thread_local boost::wcmatch groups;
    // Text that both expressions require, and the bracket the first one requires, is looked
    // for first: a failing match costs more than the rest of the hand's analysis.
    const std::wstring_view text = header;
    const bool possible = hx::Contains(text, L" Limit (");
    const bool matched =
        possible && ((hx::Contains(text, L" [") &&
                      hx::MatchWhole(header, hx::HeaderWithSecondTimePattern(), groups)) ||
                     hx::MatchWhole(header, hx::HeaderPattern(), groups));
    if (!matched) {
        if (log) {
            log->WriteRaw(L"GetTypeTable unrecognized string: <");
            log->WriteRaw(header);
            log->WriteRaw(L">\n");
        }
        return false;
    }
    nCurrency = CurrencyCode(groups[3]);
    const std::wstring_view bigBlind(groups[4].first, static_cast<std::size_t>(groups[4].length()));
    nBigBlindCents = hx::TruncateToInt32(hx::ReadAmount(bigBlind) * 100.0);
    return true;
}

void GetHeroInvested(const HandLines& hand, const std::wstring& nickname, int nBigBlindCents,
                     double& dHeroInvested, int& nSeats)
{
    dHeroInvested = 0.0;
    Contribution money;
    thread_local boost::wcmatch groups;
    for (const std::wstring& raw : hand) {
        const std::wstring_view line = hx::TrimBlanks(raw);
        if (hx::StartsWith(line, kTablePrefix) &&
            hx::MatchWhole(line, hx::TablePattern(), groups)) {
            nSeats = hx::ReadWholeNumber(
                std::wstring_view(groups[1].first, static_cast<std::size_t>(groups[1].length())));
        }
        if (StartsStreet(line)) {
            money.dCommitted += money.dStreet;
            money.dStreet = 0.0;
            continue;
        }
        if (IsHeroAction(line, nickname)) {
            if (!TakeHeroAction(line.substr(nickname.size() + 1), nBigBlindCents, money))
                break;
        } else if (IsUncalledToHero(line, nickname)) {
            money.dStreet -= AmountAfter(line, kUncalledPrefix.size());
        }
    }
    // Money comes in hundredths; the sum is taken back to them so that the error of adding and
    // subtracting binary fractions cannot tip an exact half share below its rounding point.
    dHeroInvested = hx::RoundToHundredth(money.dCommitted + money.dStreet);
}

int CalcHeroVpp(int nCurrency, int nBigBlindCents, int nSeats, double dHeroInvested, double dPot,
                double dRake)
{
    if (!(dPot > 0.0))
        return 0; // no pot, no share: the hand adds nothing
    const double rate = Rate(nCurrency, nBigBlindCents, nSeats);
    const std::int32_t handCents = hx::TruncateToInt32(dRake * rate * 100 + 0.5);
    const double share = dHeroInvested / dPot;
    return hx::TruncateToInt32(handCents * 0.01 * share * 100 + 0.5);
}
