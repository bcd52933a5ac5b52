#pragma once

// What a generated hand is worth, from the generator's own bookkeeping. Tests hold the
// analysis against it, so nothing here may come from the analysis.

#include <cstdint>
#include <string>

namespace zellwick::genhands {

struct HandTruth
{
    std::int64_t handId = 0;
    std::int64_t potCents = 0;          // everything put in, less the uncalled bets returned
    std::int64_t rakeCents = 0;         // taken from the pot; 0 when no flop was dealt
    std::int64_t heroInvestedCents = 0; // the hero's money in the pot, antes and dead blinds too
    int currency = 0;                   // 0 "$", 1 "€", 2 "£"
    int bigBlindCents = 0;
    int seats = 0; // N of the table's N-max
    int vppCents = 0;
    bool zoom = false;
    bool heroDealt = false; // false when the hero sat the hand out
};

// The points rate by big blind, currency and table size.
double VppRate(int currency, int bigBlindCents, int seats);

// The hero's points for one hand in hundredths: the rake's points rounded half up to the
// hundredth, times the hero's share of the pot, rounded half up again. 0 without rake, without
// a pot or without money from the hero.
int HeroVppCents(int currency, int bigBlindCents, int seats, std::int64_t heroInvestedCents,
                 std::int64_t potCents, std::int64_t rakeCents);

// The truth file: one JSON object with the hero, the seed, the hands in order and the totals.
// It is written as it grows: TakePending() hands out the text not yet taken, Closing() the
// end that makes the document complete.
class TruthJson
{
public:
    TruthJson(const std::string& hero, std::uint64_t seed);
    void Add(const HandTruth& hand);
    std::string TakePending();
    std::string Closing() const;
    std::size_t PendingSize() const { return m_pending.size(); }
    std::int64_t Hands() const { return m_hands; }
    std::int64_t VppCents() const { return m_vppCents; }

private:
    std::string m_pending;
    std::int64_t m_hands = 0;
    std::int64_t m_vppCents = 0;
};

void AppendJsonString(std::string& out, const std::string& utf8);

} // namespace zellwick::genhands
