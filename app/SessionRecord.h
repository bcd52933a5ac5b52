#pragma once

// One play period as the sessions file keeps it: when it began and ended on the player's
// clock, how long it was played, its hands and VPP, and whose and which folder's they were.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

// A moment as the player's clock showed it: the calendar time and the local offset from UTC
// then, so that a record read later in another zone still says the day it was played.
struct LocalTime
{
    std::time_t utc = 0;   // seconds since the epoch
    int offsetSeconds = 0; // east of UTC

    // The moment t with the local zone's offset at t.
    static LocalTime At(std::time_t t);
    // "2026-12-07T21:05:09+01:00"; also takes a space for the T, "Z", and "+0100".
    static std::optional<LocalTime> FromIso(std::string_view text);
    std::string Iso() const;
    // The day and month in the moment's own offset: "2026-12-07", "2026-12".
    std::string Date() const;
    std::string Month() const;
};

struct SessionRecord
{
    LocalTime start;
    LocalTime end;
    std::int64_t playSeconds = 0; // pauses excluded
    std::int64_t hands = 0;
    std::int64_t vppCents = 0; // hundredths of a point
    std::string nickname;      // UTF-8
    std::string historyFolder; // UTF-8

    // A period without hands that lasted under a minute is not worth a line.
    bool IsWorthKeeping() const { return hands > 0 || playSeconds >= 60; }
};

// The sessions file's first line, naming its columns.
inline constexpr std::string_view kSessionsHeader =
    "start,end,play_seconds,hands,vpp_hundredths,nickname,history_folder";

// The record as one CSV line with its line feed. Fields are quoted where they hold a comma,
// a quote or a line break; a line break becomes a space, so a record is always one line.
std::string SessionCsvLine(const SessionRecord& record);
// A line of the file (without its line feed; a carriage return before it is allowed) as a
// record; nothing when it is not a whole, readable record.
std::optional<SessionRecord> ParseSessionLine(std::string_view line);

// Play time as "h:mm" in whole minutes: "2:05".
std::string PlayTimeText(std::int64_t seconds);

// VPP per hour of play in hundredths, rounded half up; nothing without play time.
std::optional<std::int64_t> VppPerHourCents(std::int64_t vppCents, std::int64_t playSeconds);
