#include "tools/zellwick-count/SessionsReport.h"

#include "app/SessionTotals.h"
#include "tools/zellwick-count/CountReport.h"

#include <cstdint>
#include <tuple>
#include <utility>

namespace zellwick::count {

namespace {

std::string PerHour(std::int64_t vppCents, std::int64_t playSeconds)
{
    const auto cents = VppPerHourCents(vppCents, playSeconds);
    return cents ? FormatVpp(*cents) : "-";
}

// "21:05" on the moment's own clock.
std::string Minute(const LocalTime& time)
{
    return time.Iso().substr(11, 5);
}

// Days since the epoch on the moment's own clock.
std::int64_t DayNumber(const LocalTime& time)
{
    const std::int64_t seconds = static_cast<std::int64_t>(time.utc) + time.offsetSeconds;
    return seconds / 86400 - (seconds % 86400 < 0 ? 1 : 0);
}

// "22:40", or "01:20 +1" for a session that ended a day after the one it began on.
std::string EndTime(const SessionRecord& session)
{
    std::string text = Minute(session.end);
    const std::int64_t later = DayNumber(session.end) - DayNumber(session.start);
    if (later != 0)
        text.append(later > 0 ? " +" : " ").append(std::to_string(later));
    return text;
}

std::vector<Cell> Header(const char* first, const char* second, bool secondLeft)
{
    return {Cell(first, true), Cell(second, secondLeft), Cell("PLAY"), Cell("HANDS"), Cell("VPP"),
            Cell("VPP/H")};
}

std::vector<Cell> Figures(Cell first, Cell second, std::int64_t playSeconds, std::int64_t hands,
                          std::int64_t vppCents)
{
    return {std::move(first),
            std::move(second),
            Cell(PlayTimeText(playSeconds)),
            Cell(std::to_string(hands)),
            Cell(FormatVpp(vppCents)),
            Cell(PerHour(vppCents, playSeconds))};
}

std::vector<Cell> TotalRow(const std::string& label, const SessionTotal& total)
{
    return Figures(Cell(label, true), Cell(std::to_string(total.sessions)), total.playSeconds,
                   total.hands, total.vppCents);
}

// ", "name": N"; the first of an object without the comma.
void AppendNumber(std::string& out, const char* name, std::int64_t number)
{
    if (out.back() != '{')
        out += ", ";
    out += '"';
    out += name;
    out += "\": ";
    out += std::to_string(number);
}

void AppendFigures(std::string& out, std::int64_t playSeconds, std::int64_t hands,
                   std::int64_t vppCents)
{
    AppendNumber(out, "play_seconds", playSeconds);
    AppendNumber(out, "hands", hands);
    AppendNumber(out, "vpp_hundredths", vppCents);
    const auto perHour = VppPerHourCents(vppCents, playSeconds);
    out += ", \"vpp_per_hour_hundredths\": ";
    out += perHour ? std::to_string(*perHour) : "null";
}

void AppendTotal(std::string& out, const SessionTotal& total)
{
    AppendNumber(out, "sessions", total.sessions);
    AppendFigures(out, total.playSeconds, total.hands, total.vppCents);
}

// ' "name": [' with one object a line, each written by appendFields.
template <typename Item, typename Fields>
void AppendList(std::string& out, const char* name, const std::vector<Item>& items,
                Fields appendFields)
{
    out += " \"";
    out += name;
    out += "\": [";
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += i == 0 ? "\n  {" : ",\n  {";
        appendFields(items[i]);
        out += '}';
    }
    out += items.empty() ? "],\n" : "\n],\n";
}

} // namespace

std::vector<SessionRecord> SessionsBetween(const std::vector<SessionRecord>& sessions,
                                           const std::string& from, const std::string& to)
{
    std::vector<SessionRecord> kept;
    for (const SessionRecord& session : sessions) {
        const std::string day = session.start.Date();
        if ((from.empty() || day >= from) && (to.empty() || day <= to))
            kept.push_back(session);
    }
    return kept;
}

std::string FormatSessionsTable(const SessionsReport& report)
{
    std::vector<std::vector<Cell>> rows;
    if (!report.sessions.empty()) {
        rows.push_back(Header("START", "END", true));
        for (const SessionRecord& session : report.sessions) {
            rows.push_back(Figures(Cell(session.start.Date() + ' ' + Minute(session.start), true),
                                   Cell(EndTime(session), true), session.playSeconds, session.hands,
                                   session.vppCents));
        }
        rows.emplace_back();
        rows.push_back(Header("DAY", "SESSIONS", false));
        for (const SessionTotal& day : TotalsBy(report.sessions, TotalPeriod::Day))
            rows.push_back(TotalRow(day.key, day));
        rows.emplace_back();
    }
    rows.push_back(Header("MONTH", "SESSIONS", false));
    for (const SessionTotal& month : TotalsBy(report.sessions, TotalPeriod::Month))
        rows.push_back(TotalRow(month.key, month));
    rows.push_back(TotalRow("TOTAL", Overall(report.sessions)));
    return AlignColumns(rows);
}

std::string FormatSessionsJson(const SessionsReport& report)
{
    std::string out = "{\"file\": ";
    AppendJsonString(out, report.file.native());
    out += ",\n";
    AppendList(out, "sessions", report.sessions, [&](const SessionRecord& session) {
        out += "\"start\": ";
        AppendJsonString(out, session.start.Iso());
        out += ", \"end\": ";
        AppendJsonString(out, session.end.Iso());
        AppendFigures(out, session.playSeconds, session.hands, session.vppCents);
        out += ", \"nickname\": ";
        AppendJsonString(out, session.nickname);
        out += ", \"history_folder\": ";
        AppendJsonString(out, session.historyFolder);
    });
    for (const auto& [list, key, period] :
         {std::tuple("days", "\"date\": ", TotalPeriod::Day),
          std::tuple("months", "\"month\": ", TotalPeriod::Month)}) {
        AppendList(out, list, TotalsBy(report.sessions, period), [&](const SessionTotal& total) {
            out += key;
            AppendJsonString(out, total.key);
            AppendTotal(out, total);
        });
    }
    out += " \"overall\": {";
    AppendTotal(out, Overall(report.sessions));
    out += "},\n \"damaged_lines\": [";
    for (std::size_t i = 0; i < report.damagedLines.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += std::to_string(report.damagedLines[i]);
    }
    out += "]}\n";
    return out;
}

} // namespace zellwick::count
