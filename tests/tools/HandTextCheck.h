#pragma once

// An independent reading of the client's hand-history text, for the tests: the shapes of its
// lines, and the money of each hand tallied line by line.

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
    std::int64_t bigBlind = 0;
    int seats = 0;
    std::int64_t pot = 0;   // from the summary
    std::int64_t rake = 0;  // from the summary
    std::int64_t putIn = 0; // everything the action lines put in, less returns
    std::int64_t collected = 0;
    bool flop = false;
    std::map<std::string, std::int64_t> contributions; // by player
    std::vector<std::string> dealtTo;
};

// Reads one hand's money from its lines alone.
HandTally TallyHand(const std::vector<std::string>& lines);

} // namespace zellwick::test
