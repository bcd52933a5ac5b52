#include "tools/zellwick-genhands/HandGenerator.h"

#include "tools/zellwick-genhands/HandPlay.h"

#include <charconv>

namespace zellwick::genhands {

namespace {

constexpr const char* kTableNames[] = {
    "Caph",    "Aksnes",   "Iguassu",  "Kepler",    "Genoveva", "Shapleya", "Sicilia", "Ducrosa",
    "Edasich", "Hypatia",  "Una",      "Queteleta", "Herget",   "Keid",     "Lilio",   "Vera",
    "Aoluta",  "Havnia",   "Horemheb", "Jena",      "Leonora",  "Martha",   "Crocus",  "Brunk",
    "Olga",    "Humboldt", "Adelaide", "Salm",      "Latona",   "Gimick"};
constexpr const char* kZoomPools[] = {"McNaught",   "Donati",   "Diotima", "Halley",
                                      "Triangulum", "Borrelly", "Encke"};
constexpr const char* kNumerals[] = {"II", "III", "IV", "V", "VI", "VII", "VIII", "IX"};

struct Zone
{
    const char* word;
    int offsetHours;
};
constexpr Zone kZones[] = {{"CET", 6}, {"WET", 5}, {"MSK", 7}, {"PT", -3}, {"EET", 7}};

template <typename T, std::size_t N>
const T& Pick(Prng& random, const T (&items)[N])
{
    return items[random.Below(N)];
}

int DrawTableSize(Prng& random, bool zoom)
{
    if (zoom)
        return random.Chance(0.6) ? 6 : 9;
    static constexpr int kSizes[] = {2, 3, 4, 5, 6, 7, 8, 9};
    static constexpr int kWeights[] = {8, 6, 6, 6, 30, 6, 6, 32}; // of 100
    int roll = static_cast<int>(random.Below(100));
    for (int i = 0; i < 8; ++i) {
        roll -= kWeights[i];
        if (roll < 0)
            return kSizes[i];
    }
    return 9;
}

} // namespace

const std::vector<Stakes>& StandardStakes()
{
    static const std::vector<Stakes> stakes = {
        {1, 2},       {2, 5},       {5, 10},       {10, 25},      {25, 50},
        {50, 100},    {100, 200},   {200, 400},    {300, 600},    {500, 1000},
        {1000, 2000}, {2500, 5000}, {5000, 10000}, {10000, 20000}};
    return stakes;
}

namespace {

bool ParseCents(std::string_view text, std::int64_t& cents)
{
    const auto dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    std::string_view fraction = dot == std::string_view::npos ? "" : text.substr(dot + 1);
    if (whole.empty() || fraction.size() > 2)
        return false;
    std::int64_t units = 0;
    auto [end, error] = std::from_chars(whole.data(), whole.data() + whole.size(), units);
    if (error != std::errc() || end != whole.data() + whole.size() || units > 1000000)
        return false;
    std::int64_t hundredths = 0;
    if (!fraction.empty()) {
        auto [fractionEnd, fractionError] =
            std::from_chars(fraction.data(), fraction.data() + fraction.size(), hundredths);
        if (fractionError != std::errc() || fractionEnd != fraction.data() + fraction.size())
            return false;
        if (fraction.size() == 1)
            hundredths *= 10;
    }
    cents = units * 100 + hundredths;
    return true;
}

} // namespace

bool ParseStakes(std::string_view text, Stakes& stakes)
{
    const auto slash = text.find('/');
    if (slash == std::string_view::npos)
        return false;
    Stakes parsed;
    if (!ParseCents(text.substr(0, slash), parsed.smallBlind) ||
        !ParseCents(text.substr(slash + 1), parsed.bigBlind))
        return false;
    for (const Stakes& standard : StandardStakes()) {
        if (standard.smallBlind == parsed.smallBlind && standard.bigBlind == parsed.bigBlind) {
            stakes = parsed;
            return true;
        }
    }
    return false;
}

HandGenerator::HandGenerator(GeneratorOptions options)
    : m_options(std::move(options)), m_random(m_options.seed), m_names(m_random, m_options.hero)
{
    if (m_options.stakes.empty())
        m_options.stakes = StandardStakes();
    if (m_options.currencies.empty())
        m_options.currencies = {Currency::Dollar, Currency::Euro, Currency::Pound};
    m_handId = 100000000000 + static_cast<std::int64_t>(m_random.Below(100000000000));
    // Somewhere between 2015 and 2023, Eastern time.
    m_clock = 1420070400 + static_cast<std::int64_t>(m_random.Below(8LL * 365 * 86400));
    const int open = static_cast<int>(m_random.Between(1, 4));
    for (int i = 0; i < open; ++i)
        m_tables.push_back(OpenTable(m_random, m_names, m_options.hero, DrawSetup()));
}

TableSetup HandGenerator::DrawSetup()
{
    TableSetup setup;
    const TableKind kind = m_options.kind;
    setup.zoom = kind == TableKind::Zoom || (kind == TableKind::Mixed && m_random.Chance(0.3));
    const auto& currencies = m_options.currencies;
    setup.currency = currencies[m_random.Below(currencies.size())];
    setup.stakes = m_options.stakes[m_random.Below(m_options.stakes.size())];
    setup.maxSeats = DrawTableSize(m_random, setup.zoom);
    setup.potLimit = m_random.Chance(0.1);
    if (m_random.Chance(0.5)) {
        const Zone& zone = Pick(m_random, kZones);
        setup.dualTime = true;
        setup.zone = zone.word;
        setup.zoneOffsetHours = zone.offsetHours;
    }
    setup.twoSpaces = m_random.Chance(0.7);
    setup.listSittingOut = m_random.Chance(0.3);
    setup.trailingSpaces = m_random.Chance(0.1);
    if (setup.zoom) {
        setup.name = Pick(m_random, kZoomPools);
        return setup;
    }
    setup.name = Pick(m_random, kTableNames);
    if (m_random.Chance(0.6))
        (setup.name += ' ') += Pick(m_random, kNumerals);
    if (m_random.Chance(0.08)) {
        setup.ante = std::max<std::int64_t>(1, setup.stakes.bigBlind / 5);
        setup.name += " 100-250 bb, Ante";
    }
    return setup;
}

Table& HandGenerator::PickTable()
{
    Table& table = m_tables[m_random.Below(m_tables.size())];
    if (table.handsLeft <= 0)
        table = OpenTable(m_random, m_names, m_options.hero, DrawSetup());
    --table.handsLeft;
    if (table.setup.zoom)
        SeatZoomHand(m_random, m_names, table);
    else if (table.handsPlayed > 0)
        ReshuffleTable(m_random, m_names, table);
    ++table.handsPlayed;
    return table;
}

HandTruth HandGenerator::Next(std::string& out)
{
    Table& table = PickTable();
    m_handId += m_random.Between(1, 20000);
    m_clock += m_random.Between(2, 40);
    HandContext context;
    context.handId = m_handId;
    context.easternSeconds = m_clock;
    HandTruth truth = PlayHand(m_random, table, context, out);
    if (table.setup.zoom)
        table.heroStack = table.seats[static_cast<std::size_t>(table.HeroSeat())]->stack;
    return truth;
}

} // namespace zellwick::genhands
