#include "tools/zellwick-genhands/HandPlay.h"

#include "tools/zellwick-genhands/Cards.h"
#include "tools/zellwick-genhands/Money.h"
#include "tools/zellwick-genhands/Pots.h"
#include "tools/zellwick-genhands/Prng.h"
#include "tools/zellwick-genhands/Table.h"

#include <algorithm>
#include <vector>

namespace zellwick::genhands {

void AppendClientTime(std::string& out, std::int64_t seconds)
{
    // Days to civil date (proleptic Gregorian), after H. Hinnant's algorithm.
    std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const std::int64_t secondOfDay = seconds - days * 86400;
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

    AppendInt(out, year);
    out += '/';
    AppendTwoDigits(out, static_cast<int>(month));
    out += '/';
    AppendTwoDigits(out, static_cast<int>(day));
    out += ' ';
    AppendInt(out, secondOfDay / 3600);
    out += ':';
    AppendTwoDigits(out, static_cast<int>(secondOfDay / 60 % 60));
    out += ':';
    AppendTwoDigits(out, static_cast<int>(secondOfDay % 60));
}

namespace {

enum Street
{
    Preflop,
    Flop,
    Turn,
    River,
};

constexpr const char* kStreetWords[] = {"before Flop", "on the Flop", "on the Turn",
                                        "on the River"};
constexpr const char* kChat[] = {"nh", "gl", "ty", "lol", "wp", "unreal", "every time", "gg"};

struct Player
{
    SeatedPlayer* seated = nullptr;
    int seat = 0; // seat number, from 1
    std::int64_t stack = 0;
    std::int64_t street = 0; // live money in front of the player on this street
    std::int64_t total = 0;  // everything in the pot: antes, dead and live blinds, bets
    std::int64_t won = 0;
    bool folded = false;
    bool allIn = false;
    bool acted = false;
    bool posted = false; // put money in before the flop other than an ante
    bool showed = false;
    bool mucked = false;
    bool button = false;
    bool smallBlind = false;
    bool bigBlind = false;
    int foldedOn = -1;
    Card hole[2] = {};
    std::uint32_t value = 0;

    const std::string& Name() const { return seated->name; }
};

class HandPlay
{
public:
    HandPlay(Prng& random, Table& table, const HandContext& context, std::string& out)
        : m_random(random), m_table(table), m_setup(table.setup), m_context(context), m_out(out),
          m_deck(random)
    {}

    HandTruth Play();

private:
    void MoveButton();
    void TakeSeats();
    void WriteHeader();
    void WriteSeatList();
    void PostBlinds();
    void Post(Player& player, std::int64_t live, std::int64_t dead, const char* what);
    void DealHoleCards();
    void BettingRound(Street street);
    bool MustAct(const Player& player) const;
    void Act(Player& player, Street street);
    void Fold(Player& player, Street street);
    void Check(Player& player);
    void Call(Player& player);
    void BetOrRaise(Player& player, Street street);
    std::int64_t RaiseTarget(const Player& player, Street street) const;
    void PutIn(Player& player, std::int64_t amount);
    void ReturnUncalled();
    void DealStreet(Street street);
    void AwardUncontested();
    void Showdown();
    void SplitPots();
    void WriteShows();
    void WriteCollected();
    void WriteSummary();
    void WriteSeatSummary(const Player& player);
    void Noise(const Player& player);

    double Strength(const Player& player) const;
    int NotFolded() const;
    int CanStillBet() const;
    std::int64_t PotNow() const;
    std::int64_t Rake(std::int64_t pot) const;
    std::int64_t Unit() const { return std::max<std::int64_t>(1, m_setup.stakes.bigBlind / 40); }
    void Amount(std::int64_t cents) { AppendAmount(m_out, m_setup.currency, cents); }
    void Line(const char* text) { (m_out += text) += '\n'; }
    void EndLine(bool spaceFirst = false)
    {
        if (spaceFirst && m_setup.trailingSpaces)
            m_out += ' ';
        m_out += '\n';
    }
    Player* Hero();

    Prng& m_random;
    Table& m_table;
    const TableSetup& m_setup;
    const HandContext& m_context;
    std::string& m_out;
    Deck m_deck;
    std::vector<Player> m_players; // action order: the seat after the button first
    std::vector<SeatedPlayer*> m_sittingOut;
    Card m_board[5] = {};
    int m_boardCount = 0;
    std::int64_t m_currentBet = 0;
    std::int64_t m_lastRaise = 0;
    int m_raises = 0;
    int m_lastAggressor = -1;
    std::vector<Pot> m_pots;
    std::int64_t m_pot = 0;
    std::int64_t m_rake = 0;
};

HandTruth HandPlay::Play()
{
    MoveButton();
    TakeSeats();
    WriteHeader();
    WriteSeatList();
    PostBlinds();
    DealHoleCards();
    for (int street = Preflop; street <= River && NotFolded() > 1; ++street) {
        if (street != Preflop)
            DealStreet(static_cast<Street>(street));
        if (street == Preflop || CanStillBet() >= 2)
            BettingRound(static_cast<Street>(street));
    }
    m_pot = PotNow();
    m_rake = m_boardCount > 0 ? Rake(m_pot) : 0; // no flop, no rake
    if (NotFolded() == 1)
        AwardUncontested();
    else
        Showdown();
    WriteSummary();
    m_out += "\n\n\n";

    for (Player& player : m_players)
        player.seated->stack = player.stack;
    HandTruth truth;
    truth.handId = m_context.handId;
    truth.zoom = m_setup.zoom;
    truth.currency = static_cast<int>(m_setup.currency);
    truth.bigBlindCents = static_cast<int>(m_setup.stakes.bigBlind);
    truth.seats = m_setup.maxSeats;
    truth.potCents = m_pot;
    truth.rakeCents = m_rake;
    if (Player* hero = Hero()) {
        truth.heroDealt = true;
        truth.heroInvestedCents = hero->total;
    }
    truth.vppCents = HeroVppCents(truth.currency, truth.bigBlindCents, truth.seats,
                                  truth.heroInvestedCents, truth.potCents, truth.rakeCents);
    return truth;
}

void HandPlay::MoveButton()
{
    if (m_setup.zoom)
        return; // the Zoom button is always seat 1
    const int count = static_cast<int>(m_table.seats.size());
    for (int step = 1; step <= count; ++step) {
        const int seat = (m_table.button + step + count) % count;
        const auto& player = m_table.seats[static_cast<std::size_t>(seat)];
        if (player && !player->sittingOut) {
            m_table.button = seat;
            return;
        }
    }
}

void HandPlay::TakeSeats()
{
    const int count = static_cast<int>(m_table.seats.size());
    for (int step = 1; step <= count; ++step) {
        const int seat = (m_table.button + step) % count;
        auto& seated = m_table.seats[static_cast<std::size_t>(seat)];
        if (!seated)
            continue;
        if (seated->sittingOut) {
            m_sittingOut.push_back(&*seated);
            continue;
        }
        Player player;
        player.seated = &*seated;
        player.seat = seat + 1;
        player.stack = seated->stack;
        m_players.push_back(player);
    }
    Player& button = m_players.back();
    button.button = true;
    if (m_players.size() == 2) {
        button.smallBlind = true;
        m_players[0].bigBlind = true;
    } else {
        m_players[0].smallBlind = true;
        m_players[1].bigBlind = true;
    }
}

void HandPlay::WriteHeader()
{
    m_out += m_setup.zoom ? "PokerStars Zoom Hand #" : "PokerStars Hand #";
    AppendInt(m_out, m_context.handId);
    m_out += m_setup.twoSpaces ? ":  Hold'em " : ": Hold'em ";
    m_out += m_setup.potLimit ? "Pot Limit (" : "No Limit (";
    AppendStakes(m_out, m_setup.currency, m_setup.stakes.smallBlind, m_setup.stakes.bigBlind);
    if (!m_setup.zoom)
        (m_out += ' ') += CurrencyCode(m_setup.currency);
    m_out += ") - ";
    if (m_setup.dualTime) {
        AppendClientTime(m_out, m_context.easternSeconds + m_setup.zoneOffsetHours * 3600);
        ((m_out += ' ') += m_setup.zone) += " [";
        AppendClientTime(m_out, m_context.easternSeconds);
        m_out += " ET]\n";
    } else {
        AppendClientTime(m_out, m_context.easternSeconds);
        m_out += " ET\n";
    }
    ((m_out += "Table '") += m_setup.name) += "' ";
    AppendInt(m_out, m_setup.maxSeats);
    m_out += "-max Seat #";
    AppendInt(m_out, m_table.button + 1);
    m_out += " is the button\n";
}

void HandPlay::WriteSeatList()
{
    for (std::size_t i = 0; i < m_table.seats.size(); ++i) {
        const auto& seated = m_table.seats[i];
        if (!seated || (seated->sittingOut && !m_setup.listSittingOut))
            continue;
        m_out += "Seat ";
        AppendInt(m_out, static_cast<std::int64_t>(i) + 1);
        ((m_out += ": ") += seated->name) += " (";
        Amount(seated->stack);
        m_out += " in chips)";
        if (seated->sittingOut)
            m_out += " is sitting out";
        EndLine(true);
    }
}

void HandPlay::Post(Player& player, std::int64_t live, std::int64_t dead, const char* what)
{
    (m_out += player.Name()) += ": posts ";
    m_out += what;
    m_out += ' ';
    Amount(live + dead);
    m_out += '\n';
    player.stack -= live + dead;
    player.street += live;
    player.total += live + dead;
    player.posted = player.posted || live > 0;
}

void HandPlay::PostBlinds()
{
    const Stakes& stakes = m_setup.stakes;
    for (Player& player : m_players) {
        if (player.smallBlind)
            Post(player, stakes.smallBlind, 0, "small blind");
    }
    for (Player& player : m_players) {
        if (player.bigBlind)
            Post(player, stakes.bigBlind, 0, "big blind");
    }
    // Players back from sitting out pay what they missed; new players buy in with a big blind.
    const bool enoughPlayers = m_players.size() >= 4;
    for (Player& player : m_players) {
        if (player.smallBlind || player.bigBlind || player.button || !enoughPlayers)
            continue;
        if (player.seated->returning)
            Post(player, stakes.bigBlind, stakes.smallBlind, "small & big blinds");
        else if (player.seated->newcomer)
            Post(player, stakes.bigBlind, 0, "big blind");
    }
    if (!m_setup.listSittingOut) {
        for (const SeatedPlayer* absent : m_sittingOut)
            (m_out += absent->name) += ": sits out\n";
    }
    // Antes come after the blinds at cash tables, and are dead money.
    if (m_setup.ante > 0) {
        for (Player& player : m_players)
            Post(player, 0, m_setup.ante, "the ante");
    }
}

void HandPlay::DealHoleCards()
{
    for (Player& player : m_players) {
        player.hole[0] = m_deck.Deal();
        player.hole[1] = m_deck.Deal();
    }
    Line("*** HOLE CARDS ***");
    if (const Player* hero = Hero()) {
        ((m_out += "Dealt to ") += hero->Name()) += ' ';
        AppendBracketed(m_out, hero->hole, 2);
        m_out += '\n';
    }
}

double HandPlay::Strength(const Player& player) const
{
    const int high = std::max(player.hole[0] >> 2, player.hole[1] >> 2);
    const int low = std::min(player.hole[0] >> 2, player.hole[1] >> 2);
    double strength = (high + low) / 24.0 * 0.6;
    if (high == low)
        strength = 0.55 + high / 12.0 * 0.45;
    if ((player.hole[0] & 3) == (player.hole[1] & 3))
        strength += 0.06;
    if (high - low == 1)
        strength += 0.04;
    return std::min(strength, 1.0);
}

int HandPlay::NotFolded() const
{
    int count = 0;
    for (const Player& player : m_players)
        count += player.folded ? 0 : 1;
    return count;
}

int HandPlay::CanStillBet() const
{
    int count = 0;
    for (const Player& player : m_players)
        count += player.folded || player.allIn ? 0 : 1;
    return count;
}

std::int64_t HandPlay::PotNow() const
{
    std::int64_t pot = 0;
    for (const Player& player : m_players)
        pot += player.total;
    return pot;
}

std::int64_t HandPlay::Rake(std::int64_t pot) const
{
    const std::int64_t cap = std::clamp<std::int64_t>(m_setup.stakes.bigBlind * 15, 30, 300);
    return std::min((pot * 5 + 50) / 100, cap); // 5%, to the nearest cent
}

Player* HandPlay::Hero()
{
    for (Player& player : m_players) {
        if (player.seated->hero)
            return &player;
    }
    return nullptr;
}

bool HandPlay::MustAct(const Player& player) const
{
    if (player.folded || player.allIn)
        return false;
    if (player.street < m_currentBet)
        return true;
    return !player.acted && CanStillBet() >= 2;
}

void HandPlay::BettingRound(Street street)
{
    const int count = static_cast<int>(m_players.size());
    m_currentBet = 0;
    m_raises = 0;
    m_lastAggressor = -1;
    m_lastRaise = m_setup.stakes.bigBlind;
    for (Player& player : m_players) {
        player.acted = false;
        m_currentBet = std::max(m_currentBet, player.street);
    }
    int next = 0;
    if (street == Preflop) {
        m_raises = 1; // the big blind counts as the first bet
        next = count == 2 ? 1 : 2 % count;
    }
    int idle = 0;
    while (NotFolded() > 1 && idle < count) {
        Player& player = m_players[static_cast<std::size_t>(next)];
        if (MustAct(player)) {
            Act(player, street);
            idle = 0;
        } else {
            ++idle;
        }
        next = (next + 1) % count;
    }
    ReturnUncalled();
    for (Player& player : m_players)
        player.street = 0;
}

void HandPlay::Act(Player& player, Street street)
{
    player.acted = true;
    const std::int64_t toCall = m_currentBet - player.street;
    const double strength = Strength(player);
    const double roll = m_random.Unit();
    const bool canRaise = player.stack > toCall && m_raises < 5 && CanStillBet() >= 2;
    double raise = 0.0;
    double call = 0.0;
    if (street == Preflop) {
        if (toCall == 0) {
            raise = 0.12 + 0.3 * strength;
        } else if (m_raises == 1) {
            raise = 0.06 + 0.45 * strength;
            call = player.smallBlind ? 0.3 : 0.1;
        } else {
            raise = (0.02 + 0.35 * strength * strength) / (m_raises - 1);
            call = 0.12 + 0.4 * strength;
        }
    } else if (toCall == 0) {
        raise = 0.3 + 0.2 * strength;
    } else {
        raise = 0.1 / m_raises;
        call = 0.3 + 0.3 * strength;
    }
    Noise(player);
    if (canRaise && roll < raise)
        BetOrRaise(player, street);
    else if (toCall == 0)
        Check(player);
    else if (roll < raise + call)
        Call(player);
    else
        Fold(player, street);
}

void HandPlay::Noise(const Player& player)
{
    if (m_random.Chance(0.004)) {
        ((m_out += player.Name()) += " said, \"") += kChat[m_random.Below(std::size(kChat))];
        m_out += "\"\n";
    }
    if (m_random.Chance(0.003) && !m_setup.zoom) {
        const auto free = std::find_if(m_table.seats.begin(), m_table.seats.end(),
                                       [](const auto& seat) { return !seat; });
        if (free != m_table.seats.end()) {
            NamePool names(m_random, m_table.heroName);
            std::vector<std::string> taken = m_table.Names();
            SeatedPlayer joining;
            joining.name = names.Next(taken);
            joining.stack = DrawBuyIn(m_random, m_setup);
            joining.newcomer = true;
            ((m_out += joining.name) += " joins the table at seat #")
                .append(std::to_string(free - m_table.seats.begin() + 1));
            EndLine(true);
            // The seat is taken for the next hand; nobody holds a pointer into it yet.
            *free = joining;
        }
    }
}

void HandPlay::Fold(Player& player, Street street)
{
    if (m_random.Chance(0.01))
        (m_out += player.Name()) += " has timed out\n";
    (m_out += player.Name()) += ": folds";
    EndLine(true);
    player.folded = true;
    player.foldedOn = street;
    if (!m_setup.zoom && !player.seated->hero && m_random.Chance(0.01)) {
        (m_out += player.Name()) += " leaves the table\n";
        player.seated->leaving = true;
    }
}

void HandPlay::Check(Player& player)
{
    (m_out += player.Name()) += ": checks";
    EndLine(true);
}

void HandPlay::PutIn(Player& player, std::int64_t amount)
{
    player.stack -= amount;
    player.street += amount;
    player.total += amount;
    player.allIn = player.stack == 0;
    player.posted = true;
}

void HandPlay::Call(Player& player)
{
    const std::int64_t amount = std::min(m_currentBet - player.street, player.stack);
    PutIn(player, amount);
    (m_out += player.Name()) += ": calls ";
    Amount(amount);
    m_out += player.allIn ? " and is all-in\n" : "\n";
}

std::int64_t HandPlay::RaiseTarget(const Player& player, Street street) const
{
    const std::int64_t bb = m_setup.stakes.bigBlind;
    const std::int64_t pot = PotNow();
    double target = 0.0;
    if (m_currentBet == 0) {
        target = static_cast<double>(pot) * (0.33 + 0.67 * m_random.Unit());
    } else if (street == Preflop && m_raises == 1) {
        int limpers = 0;
        for (const Player& other : m_players)
            limpers += !other.bigBlind && other.street >= bb ? 1 : 0;
        target = static_cast<double>(bb) * (2.0 + m_random.Unit() * 2.0 + limpers);
    } else {
        target = static_cast<double>(m_currentBet) * (2.2 + m_random.Unit() * 1.3);
    }
    std::int64_t to = static_cast<std::int64_t>(target) / Unit() * Unit();
    to = std::max({to, m_currentBet + m_lastRaise, bb});
    if (m_setup.potLimit) {
        const std::int64_t toCall = m_currentBet - player.street;
        to = std::min(to, m_currentBet + pot + toCall);
    }
    return to;
}

void HandPlay::BetOrRaise(Player& player, Street street)
{
    const std::int64_t allIn = player.street + player.stack;
    std::int64_t to = RaiseTarget(player, street);
    const bool shortStack = allIn <= m_setup.stakes.bigBlind * 15;
    if (!m_setup.potLimit && (to * 10 >= allIn * 6 || shortStack || m_random.Chance(0.015)))
        to = allIn;
    to = std::min(to, allIn);
    const std::int64_t previous = m_currentBet;
    PutIn(player, to - player.street);
    (m_out += player.Name()) += previous == 0 ? ": bets " : ": raises ";
    if (previous > 0) {
        Amount(to - previous);
        m_out += " to ";
    }
    Amount(to);
    m_out += player.allIn ? " and is all-in\n" : "\n";
    m_lastRaise = std::max(m_lastRaise, to - previous);
    m_currentBet = to;
    ++m_raises;
    m_lastAggressor = static_cast<int>(&player - m_players.data());
}

void HandPlay::ReturnUncalled()
{
    Player* top = &m_players[0];
    for (Player& player : m_players) {
        if (player.street > top->street)
            top = &player;
    }
    std::int64_t second = 0;
    for (const Player& player : m_players) {
        if (&player != top)
            second = std::max(second, player.street);
    }
    if (top->street <= second)
        return;
    const std::int64_t back = top->street - second;
    top->stack += back;
    top->street -= back;
    top->total -= back;
    top->allIn = top->stack == 0;
    m_out += "Uncalled bet (";
    Amount(back);
    (m_out += ") returned to ") += top->Name();
    m_out += '\n';
}

void HandPlay::DealStreet(Street street)
{
    const int before = m_boardCount;
    const int adding = street == Flop ? 3 : 1;
    for (int i = 0; i < adding; ++i)
        m_board[m_boardCount++] = m_deck.Deal();
    m_out += street == Flop ? "*** FLOP *** " : street == Turn ? "*** TURN *** " : "*** RIVER *** ";
    if (street == Flop) {
        AppendBracketed(m_out, m_board, 3);
    } else {
        AppendBracketed(m_out, m_board, before);
        m_out += ' ';
        AppendBracketed(m_out, m_board + before, 1);
    }
    m_out += '\n';
}

void HandPlay::AwardUncontested()
{
    Player& winner = *std::find_if(m_players.begin(), m_players.end(),
                                   [](const Player& player) { return !player.folded; });
    winner.won = m_pot - m_rake;
    winner.stack += winner.won;
    (m_out += winner.Name()) += " collected ";
    Amount(winner.won);
    m_out += " from pot\n";
    if (m_random.Chance(0.6)) {
        (m_out += winner.Name()) += ": doesn't show hand";
        EndLine(true);
    }
    m_pots.push_back(Pot{winner.won, {static_cast<int>(&winner - m_players.data())}});
}

void HandPlay::Showdown()
{
    Line("*** SHOW DOWN ***");
    for (Player& player : m_players) {
        if (player.folded)
            continue;
        Card seven[7] = {player.hole[0], player.hole[1]};
        std::copy(m_board, m_board + 5, seven + 2);
        player.value = EvaluateSeven(seven);
    }
    SplitPots();
    WriteShows();
    WriteCollected();
}

void HandPlay::SplitPots()
{
    std::vector<Stake> stakes;
    for (const Player& player : m_players)
        stakes.push_back(Stake{player.total, player.folded, player.value});
    m_pots = genhands::SplitPots(stakes, m_rake);
    for (const Pot& pot : m_pots) {
        const std::vector<std::int64_t> shares = Shares(pot);
        for (std::size_t w = 0; w < shares.size(); ++w)
            m_players[static_cast<std::size_t>(pot.winners[w])].won += shares[w];
    }
}

void HandPlay::WriteShows()
{
    const int count = static_cast<int>(m_players.size());
    const int first = m_lastAggressor >= 0 ? m_lastAggressor : 0;
    bool anyShown = false;
    for (int step = 0; step < count; ++step) {
        Player& player = m_players[static_cast<std::size_t>((first + step) % count)];
        if (player.folded)
            continue;
        if (!anyShown || player.won > 0 || player.allIn || m_random.Chance(0.35)) {
            player.showed = true;
            anyShown = true;
            (m_out += player.Name()) += ": shows ";
            AppendBracketed(m_out, player.hole, 2);
            m_out += " (";
            AppendHandName(m_out, player.value);
            m_out += ")\n";
        } else {
            player.mucked = true;
            (m_out += player.Name()) += ": mucks hand\n";
        }
    }
}

void HandPlay::WriteCollected()
{
    // Side pots first, the last one first, as the client awards them.
    const std::size_t count = m_pots.size();
    for (std::size_t i = count; i-- > 0;) {
        const std::vector<std::int64_t> shares = Shares(m_pots[i]);
        for (std::size_t w = 0; w < shares.size(); ++w) {
            const Player& player = m_players[static_cast<std::size_t>(m_pots[i].winners[w])];
            (m_out += player.Name()) += " collected ";
            Amount(shares[w]);
            if (count == 1)
                m_out += " from pot\n";
            else if (i == 0)
                m_out += " from main pot\n";
            else if (count == 2)
                m_out += " from side pot\n";
            else
                (m_out += " from side pot-") += std::to_string(i) + "\n";
        }
    }
    for (Player& player : m_players)
        player.stack += player.won;
}

void HandPlay::WriteSummary()
{
    Line("*** SUMMARY ***");
    m_out += "Total pot ";
    Amount(m_pot);
    if (m_pots.size() > 1) {
        m_out += " Main pot ";
        Amount(m_pots[0].amount);
        m_out += '.';
        for (std::size_t i = 1; i < m_pots.size(); ++i) {
            m_out += " Side pot";
            if (m_pots.size() > 2)
                (m_out += '-') += std::to_string(i);
            m_out += ' ';
            Amount(m_pots[i].amount);
            m_out += '.';
        }
    }
    m_out += " | Rake ";
    Amount(m_rake);
    EndLine(true);
    if (m_boardCount > 0) {
        m_out += "Board ";
        AppendBracketed(m_out, m_board, m_boardCount);
        m_out += '\n';
    }
    std::vector<const Player*> bySeat;
    for (const Player& player : m_players)
        bySeat.push_back(&player);
    std::sort(bySeat.begin(), bySeat.end(),
              [](const Player* a, const Player* b) { return a->seat < b->seat; });
    std::size_t next = 0;
    for (std::size_t i = 0; i < m_table.seats.size(); ++i) {
        if (next < bySeat.size() && bySeat[next]->seat == static_cast<int>(i) + 1) {
            WriteSeatSummary(*bySeat[next++]);
        } else if (m_table.seats[i] && m_table.seats[i]->sittingOut && m_setup.listSittingOut) {
            ((m_out += "Seat ") += std::to_string(i + 1) + ": ") += m_table.seats[i]->name;
            m_out += '\n';
        }
    }
}

void HandPlay::WriteSeatSummary(const Player& player)
{
    m_out += "Seat ";
    AppendInt(m_out, player.seat);
    (m_out += ": ") += player.Name();
    if (player.button)
        m_out += " (button)";
    if (player.smallBlind)
        m_out += " (small blind)";
    if (player.bigBlind)
        m_out += " (big blind)";
    if (player.folded) {
        (m_out += " folded ") += kStreetWords[player.foldedOn];
        if (player.foldedOn == Preflop && !player.posted)
            m_out += " (didn't bet)";
    } else if (player.showed) {
        m_out += " showed ";
        AppendBracketed(m_out, player.hole, 2);
        if (player.won > 0) {
            m_out += " and won (";
            Amount(player.won);
            m_out += ") with ";
        } else {
            m_out += " and lost with ";
        }
        AppendHandName(m_out, player.value);
    } else if (player.mucked) {
        m_out += " mucked ";
        AppendBracketed(m_out, player.hole, 2);
    } else {
        m_out += " collected (";
        Amount(player.won);
        m_out += ')';
    }
    m_out += '\n';
}

} // namespace

HandTruth PlayHand(Prng& random, Table& table, const HandContext& context, std::string& out)
{
    HandPlay hand(random, table, context, out);
    return hand.Play();
}

} // namespace zellwick::genhands
