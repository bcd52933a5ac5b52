#pragma once

// An independent reading of the client's hand-history text: the shape of every line, and each
// hand's money tallied line by line.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zellwick::test {

// The hands of a text: each one's lines, from its header on.
std::vector<std::vector<std::string>> SplitHands(const std::string& text);

struct HandTally
{
    std::string error; // the first thing that does not add up; empty when all is well
    bool zoom = false;
    int currency = -1; // 0 "$", 1 "€", 2 "£"
    std::int64_t bigBlind = 0, pot = 0, rake = 0, putIn = 0, collected = 0;
    int seats = 0;
    bool flop = false;
    std::map<std::string, std::int64_t> contributions; // by player
    std::vector<std::string> dealtTo;
};

HandTally TallyHand(const std::vector<std::string>& lines);

} // namespace zellwick::test
