#pragma once

// A table the hero plays at: its fixed setup, who sits where, and how that changes between
// hands (players leave, join, sit out, come back, rebuy).

#include "tools/zellwick-genhands/Money.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zellwick::genhands {

class Prng;

struct Stakes
{
    std::int64_t smallBlind = 0; // cents
    std::int64_t bigBlind = 0;
};

struct TableSetup
{
    bool zoom = false;
    Currency currency = Currency::Dollar;
    Stakes stakes;
    int maxSeats = 6;
    std::int64_t ante = 0; // 0: no antes
    bool potLimit = false;
    bool dualTime = false;       // the header carries the bracketed ET time as well
    const char* zone = "ET";     // the client's time zone word
    int zoneOffsetHours = 0;     // local time minus ET
    bool twoSpaces = true;       // "#N:  Hold'em" (older clients) or "#N: Hold'em"
    bool listSittingOut = false; // sitting-out players in the seat list, or "X: sits out"
    bool trailingSpaces = false; // older clients end some lines with a blank
    std::string name;

    std::int64_t BuyIn() const { return stakes.bigBlind * 100; }
    // Below this a player cannot pay the blinds and the ante any more.
    std::int64_t MinimumStack() const { return stakes.bigBlind * 2 + stakes.smallBlind + ante; }
};

struct SeatedPlayer
{
    std::string name;
    std::int64_t stack = 0;
    bool hero = false;
    bool sittingOut = false;
    bool returning = false; // back from sitting out: posts small & big blinds
    bool newcomer = false;  // just sat down: posts a big blind
    bool leaving = false;   // leaves after this hand
};

// Names for the other players, never the hero's own; now and then one that begins or ends
// with the hero's name, as real tables have them.
class NamePool
{
public:
    NamePool(Prng& random, std::string hero);
    std::string Next(const std::vector<std::string>& taken);

private:
    std::string Invent();

    Prng& m_random;
    std::string m_hero;
};

class Table
{
public:
    Table(TableSetup setup, int hands);

    TableSetup setup;
    std::vector<std::optional<SeatedPlayer>> seats; // index + 1 is the seat number
    int button = -1;                                // seat index of the last button
    int handsLeft = 0;
    int handsPlayed = 0;
    std::string heroName;
    std::int64_t heroStack = 0; // carried from one Zoom hand to the next

    int ActiveCount() const;
    std::vector<std::string> Names() const;
    int HeroSeat() const;
};

// A new regular table with the hero at it, or a Zoom pool.
Table OpenTable(Prng& random, NamePool& names, const std::string& hero, const TableSetup& setup);

// Between two hands of a regular table: players come and go, sit out and come back.
void ReshuffleTable(Prng& random, NamePool& names, Table& table);

// The players of the next Zoom hand: every seat taken, the hero at one of them.
void SeatZoomHand(Prng& random, NamePool& names, Table& table);

// A stack as players sit down with it.
std::int64_t DrawBuyIn(Prng& random, const TableSetup& setup);

} // namespace zellwick::genhands
