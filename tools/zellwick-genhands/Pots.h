#pragma once

// Main and side pots at a showdown: who may win which, the rake taken out of each, and how a
// pot is shared among equal hands.

#include <cstdint>
#include <vector>

namespace zellwick::genhands {

// One player's part in the pots, in the order of the seats after the button.
struct Stake
{
    std::int64_t total = 0;  // everything the player put in
    bool folded = false;     // folded money stays in the pots, but wins nothing
    std::uint32_t value = 0; // the hand's worth at the showdown
};

struct Pot
{
    std::int64_t amount = 0;  // after its share of the rake
    std::vector<int> winners; // indexes into the stakes, in seat order
};

// The main pot first, then the side pots. The rake comes out of the pots in proportion to
// their size, the odd cents out of the biggest.
std::vector<Pot> SplitPots(const std::vector<Stake>& stakes, std::int64_t rake);

// Each winner's part of the pot, in the order of its winners: equal parts, the odd cents to
// the first winners after the button.
std::vector<std::int64_t> Shares(const Pot& pot);

} // namespace zellwick::genhands
