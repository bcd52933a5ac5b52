#include "tools/zellwick-genhands/Table.h"

#include "tools/zellwick-genhands/Prng.h"

#include <algorithm>

namespace zellwick::genhands {

namespace {

constexpr const char* kSyllables[] = {"ka", "ro", "mi", "ne", "ta", "lo", "vi", "sa", "du", "re",
                                      "po", "zi", "ha", "gu", "le", "mo", "ni", "be", "tu", "xa",
                                      "ar", "el", "on", "us", "ki", "bo", "fa", "je", "wo", "qu"};
constexpr const char* kFirstNames[] = {"Pedro",  "Anna",  "Jimor", "Ahoemnix", "Tom",
                                       "Danutz", "Marie", "Rus",   "Happy",    "One"};
constexpr const char* kAccented[] = {
    "Baul\xC3\xB6we", "Jos\xC3\xA9",   "\xD0\x96\xD0\xBE\xD1\x80\xD0\xB0",
    "M\xC3\xBCller",  "\xC5\x81ukasz", "Ren\xC3\xA9"};
constexpr const char* kOdd[] = {"we:-)", "Vitayz\"", "x/y[z]", "O'Neil", "(parens)", "Mr. Fold"};

template <typename T, std::size_t N>
const T& Pick(Prng& random, const T (&items)[N])
{
    return items[random.Below(N)];
}

void AppendDigits(Prng& random, std::string& name)
{
    if (random.Chance(0.4))
        name += std::to_string(random.Between(1955, 2004));
    else
        name += std::to_string(random.Between(0, 999));
}

std::string Syllables(Prng& random, int count)
{
    std::string word;
    for (int i = 0; i < count; ++i)
        word += Pick(random, kSyllables);
    return word;
}

} // namespace

NamePool::NamePool(Prng& random, std::string hero) : m_random(random), m_hero(std::move(hero)) {}

std::string NamePool::Invent()
{
    const double kind = m_random.Unit();
    std::string name;
    if (kind < 0.04) {
        // Players whose names extend the hero's: the analysis must not take them for the hero.
        const int which = static_cast<int>(m_random.Below(3));
        name = which == 0 ? m_hero + "2" : which == 1 ? "Super" + m_hero : m_hero + "_x";
    } else if (kind < 0.12) {
        std::string surname = Syllables(m_random, 3);
        surname[0] = static_cast<char>(surname[0] - 'a' + 'A');
        name = std::string(Pick(m_random, kFirstNames)) + " " + surname;
    } else if (kind < 0.17) {
        name = Pick(m_random, kAccented);
        AppendDigits(m_random, name);
    } else if (kind < 0.19) {
        name = Pick(m_random, kOdd);
    } else {
        name = Syllables(m_random, static_cast<int>(m_random.Between(2, 4)));
        if (m_random.Chance(0.5))
            name[0] = static_cast<char>(name[0] - 'a' + 'A');
        if (m_random.Chance(0.6))
            AppendDigits(m_random, name);
        else if (m_random.Chance(0.2))
            name += m_random.Chance(0.5) ? "_" : ".";
    }
    return name;
}

std::string NamePool::Next(const std::vector<std::string>& taken)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::string name = Invent();
        if (name != m_hero && name.rfind(m_hero + ":", 0) != 0 &&
            std::find(taken.begin(), taken.end(), name) == taken.end())
            return name;
    }
    // Practically unreachable; a numbered name is always free.
    std::string name = "Player" + std::to_string(taken.size() + 1);
    while (std::find(taken.begin(), taken.end(), name) != taken.end() || name == m_hero)
        name += "x";
    return name;
}

Table::Table(TableSetup tableSetup, int hands)
    : setup(std::move(tableSetup)), seats(static_cast<std::size_t>(setup.maxSeats)),
      handsLeft(hands)
{}

int Table::ActiveCount() const
{
    int count = 0;
    for (const auto& seat : seats)
        count += seat && !seat->sittingOut ? 1 : 0;
    return count;
}

std::vector<std::string> Table::Names() const
{
    std::vector<std::string> names;
    for (const auto& seat : seats) {
        if (seat)
            names.push_back(seat->name);
    }
    return names;
}

int Table::HeroSeat() const
{
    for (std::size_t i = 0; i < seats.size(); ++i) {
        if (seats[i] && seats[i]->hero)
            return static_cast<int>(i);
    }
    return -1;
}

std::int64_t DrawBuyIn(Prng& random, const TableSetup& setup)
{
    const std::int64_t bb = setup.stakes.bigBlind;
    const double kind = random.Unit();
    std::int64_t stack = 0;
    if (kind < 0.55)
        stack = bb * 100;
    else if (kind < 0.75)
        stack = random.Between(bb * 40, bb * 100);
    else if (kind < 0.92)
        stack = random.Between(bb * 100, bb * 250);
    else
        stack = random.Between(bb * 20, bb * 40);
    return std::max(stack, setup.MinimumStack() * 2);
}

namespace {

SeatedPlayer NewPlayer(Prng& random, NamePool& names, const Table& table)
{
    SeatedPlayer player;
    player.name = names.Next(table.Names());
    player.stack = DrawBuyIn(random, table.setup);
    return player;
}

int FreeSeat(Prng& random, const Table& table)
{
    std::vector<int> free;
    for (std::size_t i = 0; i < table.seats.size(); ++i) {
        if (!table.seats[i])
            free.push_back(static_cast<int>(i));
    }
    return free.empty() ? -1 : free[random.Below(free.size())];
}

} // namespace

Table OpenTable(Prng& random, NamePool& names, const std::string& hero, const TableSetup& setup)
{
    Table table(setup, static_cast<int>(random.Between(10, 150)));
    table.heroName = hero;
    SeatedPlayer self;
    self.name = hero;
    self.hero = true;
    self.stack = DrawBuyIn(random, setup);
    table.heroStack = self.stack;
    if (setup.zoom)
        return table; // seated afresh for every hand
    table.seats[random.Below(table.seats.size())] = self;
    const int others = static_cast<int>(random.Between(1, setup.maxSeats - 1));
    for (int i = 0; i < others; ++i)
        table.seats[static_cast<std::size_t>(FreeSeat(random, table))] =
            NewPlayer(random, names, table);
    table.button = static_cast<int>(random.Below(table.seats.size()));
    return table;
}

void ReshuffleTable(Prng& random, NamePool& names, Table& table)
{
    const std::int64_t minimum = table.setup.MinimumStack();
    for (auto& seat : table.seats) {
        if (!seat)
            continue;
        seat->newcomer = false;
        seat->returning = false;
        if (seat->hero) {
            if (seat->stack < minimum)
                seat->stack = DrawBuyIn(random, table.setup);
            if (seat->sittingOut && random.Chance(0.35)) {
                seat->sittingOut = false;
                seat->returning = true;
            } else if (!seat->sittingOut && random.Chance(0.012)) {
                seat->sittingOut = true;
            }
            continue;
        }
        if (seat->leaving || (seat->stack < minimum && random.Chance(0.5))) {
            seat.reset();
            continue;
        }
        if (seat->stack < minimum)
            seat->stack = DrawBuyIn(random, table.setup);
        if (seat->sittingOut && random.Chance(0.3)) {
            seat->sittingOut = false;
            seat->returning = true;
        } else if (!seat->sittingOut && random.Chance(0.01)) {
            seat->sittingOut = true;
        } else if (random.Chance(0.01)) {
            seat.reset();
        }
    }
    const int free = FreeSeat(random, table);
    if (free >= 0 && random.Chance(0.12)) {
        table.seats[static_cast<std::size_t>(free)] = NewPlayer(random, names, table);
        table.seats[static_cast<std::size_t>(free)]->newcomer = random.Chance(0.6);
    }
    while (table.ActiveCount() < 2) {
        const int seat = FreeSeat(random, table);
        if (seat < 0) {
            // Every seat taken and still not two playing: wake the sitting-out players.
            for (auto& player : table.seats)
                player->sittingOut = false;
            break;
        }
        table.seats[static_cast<std::size_t>(seat)] = NewPlayer(random, names, table);
    }
}

void SeatZoomHand(Prng& random, NamePool& names, Table& table)
{
    for (auto& seat : table.seats)
        seat.reset();
    if (table.heroStack < table.setup.MinimumStack())
        table.heroStack = DrawBuyIn(random, table.setup);
    const auto heroSeat = random.Below(table.seats.size());
    SeatedPlayer self;
    self.name = table.heroName;
    self.hero = true;
    self.stack = table.heroStack;
    for (std::size_t i = 0; i < table.seats.size(); ++i) {
        if (i != heroSeat)
            table.seats[i] = NewPlayer(random, names, table);
    }
    table.seats[heroSeat] = self;
    table.button = 0;
}

} // namespace zellwick::genhands
