#pragma once

// What zellwick-count --sessions prints: the kept play periods with their totals per day, per
// month and overall, as aligned columns or as one JSON object.

#include "app/SessionRecord.h"

#include <filesystem>
#include <string>
#include <vector>

namespace zellwick::count {

struct SessionsReport
{
    std::filesystem::path file;
    std::vector<SessionRecord> sessions; // those of the days asked for, in the file's order
    std::vector<int> damagedLines;       // of the whole file
};

// The sessions begun on a day from from to to (YYYY-MM-DD, both included; empty: no limit),
// each day on the clock the session was played by.
std::vector<SessionRecord> SessionsBetween(const std::vector<SessionRecord>& sessions,
                                           const std::string& from, const std::string& to);

// The sessions, then the days, then the months and the overall total; lists without a row are
// left out, the months' header and the total are always there.
std::string FormatSessionsTable(const SessionsReport& report);

// {"file": ..., "sessions": [...], "days": [...], "months": [...], "overall": {...},
//  "damaged_lines": [...]}, points in hundredths and null for a rate without play time.
std::string FormatSessionsJson(const SessionsReport& report);

} // namespace zellwick::count
