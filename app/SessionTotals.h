#pragma once

// Sessions summed per day, per month and overall, by the day each began on the player's clock.

#include "app/SessionRecord.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

struct SessionTotal
{
    std::string key; // "2026-12-07" per day, "2026-12" per month, empty overall
    std::int64_t sessions = 0;
    std::int64_t playSeconds = 0;
    std::int64_t hands = 0;
    std::int64_t vppCents = 0;

    void Add(const SessionRecord& record);
};

enum class TotalPeriod
{
    Day,
    Month,
};

// One total per day or month that has sessions, oldest first.
std::vector<SessionTotal> TotalsBy(const std::vector<SessionRecord>& sessions, TotalPeriod period);
SessionTotal Overall(const std::vector<SessionRecord>& sessions);

// The count days up to the day of now on the local clock, oldest first: "2026-11-08" ...
// "2026-12-07" for 30.
std::vector<std::string> LastDays(std::time_t now, int count);
