#include "app/SessionTotals.h"

#include <map>

void SessionTotal::Add(const SessionRecord& record)
{
    ++sessions;
    playSeconds += record.playSeconds;
    hands += record.hands;
    vppCents += record.vppCents;
}

std::vector<SessionTotal> TotalsBy(const std::vector<SessionRecord>& sessions, TotalPeriod period)
{
    // ISO dates sort as text in calendar order.
    std::map<std::string, SessionTotal> totals;
    for (const SessionRecord& record : sessions) {
        const std::string key =
            period == TotalPeriod::Day ? record.start.Date() : record.start.Month();
        SessionTotal& total = totals[key];
        total.key = key;
        total.Add(record);
    }
    std::vector<SessionTotal> ordered;
    ordered.reserve(totals.size());
    for (auto& entry : totals)
        ordered.push_back(std::move(entry.second));
    return ordered;
}

SessionTotal Overall(const std::vector<SessionRecord>& sessions)
{
    SessionTotal total;
    for (const SessionRecord& record : sessions)
        total.Add(record);
    return total;
}

std::vector<std::string> LastDays(std::time_t now, int count)
{
    std::tm today{};
    localtime_r(&now, &today);
    std::vector<std::string> days;
    for (int back = count - 1; back >= 0; --back) {
        // Noon of each day: no change of the clock skips or repeats a date then.
        std::tm day = today;
        day.tm_mday -= back;
        day.tm_hour = 12;
        day.tm_min = 0;
        day.tm_sec = 0;
        day.tm_isdst = -1;
        const std::time_t noon = std::mktime(&day);
        days.push_back(LocalTime::At(noon).Date());
    }
    return days;
}
