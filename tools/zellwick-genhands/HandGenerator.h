#pragma once

// A realistic stream of PokerStars cash-game hands as the client writes them into a player's
// hand-history file, deterministic by seed, with the truth about every hand.

#include "tools/zellwick-genhands/HandTruth.h"
#include "tools/zellwick-genhands/Money.h"
#include "tools/zellwick-genhands/Prng.h"
#include "tools/zellwick-genhands/Table.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zellwick::genhands {

enum class TableKind
{
    Cash,  // regular tables only
    Zoom,  // fast-fold pools only
    Mixed, // both
};

struct GeneratorOptions
{
    std::uint64_t seed = 1;
    std::string hero = "Hero"; // UTF-8
    TableKind kind = TableKind::Mixed;
    std::vector<Stakes> stakes;       // empty: every standard level
    std::vector<Currency> currencies; // empty: all three
};

// The blind levels the generator deals, from 0.01/0.02 to 100/200.
const std::vector<Stakes>& StandardStakes();

// "0.05/0.10" or "1/2": one of the standard levels; false for anything else.
bool ParseStakes(std::string_view text, Stakes& stakes);

class HandGenerator
{
public:
    explicit HandGenerator(GeneratorOptions options);

    // Appends the next hand, followed by the three blank lines the client writes after a hand.
    HandTruth Next(std::string& out);

private:
    TableSetup DrawSetup();
    Table& PickTable();

    GeneratorOptions m_options;
    Prng m_random;
    NamePool m_names;
    std::vector<Table> m_tables;
    std::int64_t m_handId = 0;
    std::int64_t m_clock = 0;
};

} // namespace zellwick::genhands
