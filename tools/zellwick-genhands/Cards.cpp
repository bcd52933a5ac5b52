#include "tools/zellwick-genhands/Cards.h"

#include "tools/zellwick-genhands/Prng.h"

namespace zellwick::genhands {

namespace {

constexpr char kRanks[] = "23456789TJQKA";
constexpr char kSuits[] = "cdhs";
constexpr const char* kSingular[] = {"Deuce", "Three", "Four", "Five",  "Six",  "Seven", "Eight",
                                     "Nine",  "Ten",   "Jack", "Queen", "King", "Ace"};
constexpr const char* kPlural[] = {"Deuces", "Threes", "Fours", "Fives", "Sixes",
                                   "Sevens", "Eights", "Nines", "Tens",  "Jacks",
                                   "Queens", "Kings",  "Aces"};

enum Category : std::uint32_t
{
    HighCard,
    Pair,
    TwoPair,
    Trips,
    Straight,
    Flush,
    FullHouse,
    Quads,
    StraightFlush,
};

// Highest card of a five-card run in the rank mask, or -1; the wheel counts with the five.
int StraightHigh(unsigned mask)
{
    for (int high = 12; high >= 4; --high) {
        const unsigned run = 0x1Fu << (high - 4);
        if ((mask & run) == run)
            return high;
    }
    const unsigned wheel = (1u << 12) | 0xFu;
    return (mask & wheel) == wheel ? 3 : -1;
}

class Value
{
public:
    explicit Value(Category category) : m_value(static_cast<std::uint32_t>(category) << 20) {}
    Value& Add(int rank)
    {
        m_value |= static_cast<std::uint32_t>(rank) << (16 - 4 * m_ranks++);
        return *this;
    }
    // The highest ranks of the mask, apart from those already taken, until five are named.
    Value& Kickers(unsigned mask, int count)
    {
        for (int rank = 12; rank >= 0 && count > 0; --rank) {
            if (mask & (1u << rank)) {
                Add(rank);
                --count;
            }
        }
        return *this;
    }
    std::uint32_t Get() const { return m_value; }

private:
    std::uint32_t m_value;
    int m_ranks = 0;
};

} // namespace

void AppendCard(std::string& out, Card card)
{
    out += kRanks[card >> 2];
    out += kSuits[card & 3];
}

void AppendBracketed(std::string& out, const Card* cards, int count)
{
    out += '[';
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out += ' ';
        AppendCard(out, cards[i]);
    }
    out += ']';
}

Deck::Deck(Prng& random)
{
    for (int i = 0; i < 52; ++i)
        m_cards[i] = static_cast<Card>(i);
    for (int i = 51; i > 0; --i) {
        const int j = static_cast<int>(random.Below(static_cast<std::uint64_t>(i) + 1));
        const Card swap = m_cards[i];
        m_cards[i] = m_cards[j];
        m_cards[j] = swap;
    }
}

std::uint32_t EvaluateSeven(const Card* cards)
{
    int rankCount[13] = {};
    int suitCount[4] = {};
    unsigned suitMask[4] = {};
    unsigned rankMask = 0;
    for (int i = 0; i < 7; ++i) {
        const int rank = cards[i] >> 2;
        const int suit = cards[i] & 3;
        ++rankCount[rank];
        ++suitCount[suit];
        suitMask[suit] |= 1u << rank;
        rankMask |= 1u << rank;
    }
    int flushSuit = -1;
    for (int suit = 0; suit < 4; ++suit) {
        if (suitCount[suit] >= 5)
            flushSuit = suit;
    }
    if (flushSuit >= 0) {
        const int high = StraightHigh(suitMask[flushSuit]);
        if (high >= 0)
            return Value(StraightFlush).Add(high).Get();
    }
    int quads = -1, trips = -1, secondTrips = -1, pair = -1, secondPair = -1;
    for (int rank = 12; rank >= 0; --rank) {
        switch (rankCount[rank]) {
        case 4:
            quads = quads < 0 ? rank : quads;
            break;
        case 3:
            if (trips < 0)
                trips = rank;
            else if (secondTrips < 0)
                secondTrips = rank;
            break;
        case 2:
            if (pair < 0)
                pair = rank;
            else if (secondPair < 0)
                secondPair = rank;
            break;
        default:
            break;
        }
    }
    if (quads >= 0)
        return Value(Quads).Add(quads).Kickers(rankMask & ~(1u << quads), 1).Get();
    if (trips >= 0 && (pair >= 0 || secondTrips >= 0)) {
        const int full = pair > secondTrips ? pair : secondTrips;
        return Value(FullHouse).Add(trips).Add(full).Get();
    }
    if (flushSuit >= 0)
        return Value(Flush).Kickers(suitMask[flushSuit], 5).Get();
    const int straight = StraightHigh(rankMask);
    if (straight >= 0)
        return Value(Straight).Add(straight).Get();
    if (trips >= 0)
        return Value(Trips).Add(trips).Kickers(rankMask & ~(1u << trips), 2).Get();
    if (pair >= 0 && secondPair >= 0) {
        const unsigned rest = rankMask & ~(1u << pair) & ~(1u << secondPair);
        return Value(TwoPair).Add(pair).Add(secondPair).Kickers(rest, 1).Get();
    }
    if (pair >= 0)
        return Value(Pair).Add(pair).Kickers(rankMask & ~(1u << pair), 3).Get();
    return Value(HighCard).Kickers(rankMask, 5).Get();
}

void AppendHandName(std::string& out, std::uint32_t value)
{
    const auto category = static_cast<Category>(value >> 20);
    const int first = static_cast<int>((value >> 16) & 0xF);
    const int second = static_cast<int>((value >> 12) & 0xF);
    switch (category) {
    case HighCard:
        (out += "high card ") += kSingular[first];
        break;
    case Pair:
        (out += "a pair of ") += kPlural[first];
        break;
    case TwoPair:
        ((out += "two pair, ") += kPlural[first]) += " and ";
        out += kPlural[second];
        break;
    case Trips:
        (out += "three of a kind, ") += kPlural[first];
        break;
    case Straight:
        ((out += "a straight, ") += kSingular[first == 3 ? 12 : first - 4]) += " to ";
        out += kSingular[first];
        break;
    case Flush:
        ((out += "a flush, ") += kSingular[first]) += " high";
        break;
    case FullHouse:
        ((out += "a full house, ") += kPlural[first]) += " full of ";
        out += kPlural[second];
        break;
    case Quads:
        (out += "four of a kind, ") += kPlural[first];
        break;
    case StraightFlush:
        if (first == 12) {
            out += "a Royal Flush";
            break;
        }
        ((out += "a straight flush, ") += kSingular[first == 3 ? 12 : first - 4]) += " to ";
        out += kSingular[first];
        break;
    }
}

} // namespace zellwick::genhands
