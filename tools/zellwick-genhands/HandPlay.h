#pragma once

// One hand at one table, from the header to the summary, in the client's words.

#include "tools/zellwick-genhands/HandTruth.h"

#include <cstdint>
#include <string>

namespace zellwick::genhands {

class Prng;
class Table;

struct HandContext
{
    std::int64_t handId = 0;
    std::int64_t easternSeconds = 0; // the hand's start as Eastern wall time, seconds since 1970
};

// Plays the next hand at the table (the button moves on), appends its text and the blank lines
// after it, and leaves the players' stacks as the hand left them.
HandTruth PlayHand(Prng& random, Table& table, const HandContext& context, std::string& out);

// "2020/04/17 14:36:18": the client's date and time; the hour has no leading zero.
void AppendClientTime(std::string& out, std::int64_t seconds);

} // namespace zellwick::genhands
