#include "app/SessionRecord.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace {

// Parses exactly digits characters of text at pos as a decimal number.
bool Digits(std::string_view text, size_t pos, size_t digits, int& value)
{
    if (pos + digits > text.size())
        return false;
    value = 0;
    for (size_t i = pos; i < pos + digits; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// "+01:00", "+0100", "Z".
bool ParseOffset(std::string_view text, int& seconds)
{
    if (text == "Z") {
        seconds = 0;
        return true;
    }
    if (text.size() != 6 && text.size() != 5)
        return false;
    if (text[0] != '+' && text[0] != '-')
        return false;
    int hours = 0;
    int minutes = 0;
    const size_t minutesAt = text.size() == 6 ? 4 : 3;
    if (!Digits(text, 1, 2, hours) || (text.size() == 6 && text[3] != ':') ||
        !Digits(text, minutesAt, 2, minutes) || hours > 18 || minutes > 59)
        return false;
    seconds = (hours * 3600 + minutes * 60) * (text[0] == '-' ? -1 : 1);
    return true;
}

std::tm CalendarAt(std::time_t utc, int offsetSeconds)
{
    const std::time_t shifted = utc + offsetSeconds;
    std::tm tm{};
    gmtime_r(&shifted, &tm);
    return tm;
}

// Far above any real session, and low enough that sums and per-hour figures never overflow.
constexpr std::int64_t kMaxCount = 1'000'000'000'000;

bool ParseCount(std::string_view text, std::int64_t& value)
{
    if (text.empty())
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= 0 &&
           value <= kMaxCount;
}

void AppendField(std::string& line, std::string_view field)
{
    std::string text(field);
    for (char& c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    if (text.find_first_of(",\"") == std::string::npos) {
        line += text;
        return;
    }
    line += '"';
    for (const char c : text) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

// The fields of one CSV line; nothing when a quote is left open or stray text follows one.
std::optional<std::vector<std::string>> SplitCsv(std::string_view line)
{
    std::vector<std::string> fields(1);
    size_t i = 0;
    bool fieldStart = true;
    while (i < line.size()) {
        const char c = line[i];
        if (fieldStart && c == '"') {
            ++i;
            for (;;) {
                if (i >= line.size())
                    return std::nullopt;
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        fields.back() += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                fields.back() += line[i++];
            }
            if (i < line.size() && line[i] != ',')
                return std::nullopt;
            fieldStart = false;
            continue;
        }
        if (c == ',') {
            fields.emplace_back();
            fieldStart = true;
        } else {
            fields.back() += c;
            fieldStart = false;
        }
        ++i;
    }
    return fields;
}

} // namespace

LocalTime LocalTime::At(std::time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    return LocalTime{t, static_cast<int>(tm.tm_gmtoff)};
}

std::optional<LocalTime> LocalTime::FromIso(std::string_view text)
{
    // YYYY-MM-DDTHH:MM:SS then the offset.
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, offset = 0;
    if (text.size() < 20 || !Digits(text, 0, 4, year) || text[4] != '-' ||
        !Digits(text, 5, 2, month) || text[7] != '-' || !Digits(text, 8, 2, day) ||
        (text[10] != 'T' && text[10] != ' ') || !Digits(text, 11, 2, hour) || text[13] != ':' ||
        !Digits(text, 14, 2, minute) || text[16] != ':' || !Digits(text, 17, 2, second) ||
        !ParseOffset(text.substr(19), offset))
        return std::nullopt;
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    const std::time_t asUtc = timegm(&tm);
    // timegm rolls 31 November over into December: such a date is no date.
    if (tm.tm_year != year - 1900 || tm.tm_mon != month - 1 || tm.tm_mday != day)
        return std::nullopt;
    return LocalTime{asUtc - offset, offset};
}

std::string LocalTime::Iso() const
{
    const std::tm tm = CalendarAt(utc, offsetSeconds);
    const int offset = offsetSeconds < 0 ? -offsetSeconds : offsetSeconds;
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  offsetSeconds < 0 ? '-' : '+', offset / 3600, offset / 60 % 60);
    return text;
}

std::string LocalTime::Date() const
{
    return Iso().substr(0, 10);
}

std::string LocalTime::Month() const
{
    return Iso().substr(0, 7);
}

std::string SessionCsvLine(const SessionRecord& record)
{
    std::string line = record.start.Iso() + ',' + record.end.Iso() + ',' +
                       std::to_string(record.playSeconds) + ',' + std::to_string(record.hands) +
                       ',' + std::to_string(record.vppCents) + ',';
    AppendField(line, record.nickname);
    line += ',';
    AppendField(line, record.historyFolder);
    line += '\n';
    return line;
}

std::optional<SessionRecord> ParseSessionLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    const auto fields = SplitCsv(line);
    if (!fields || fields->size() != 7)
        return std::nullopt;
    const auto& f = *fields;
    SessionRecord record;
    const auto start = LocalTime::FromIso(f[0]);
    const auto end = LocalTime::FromIso(f[1]);
    if (!start || !end || !ParseCount(f[2], record.playSeconds) ||
        !ParseCount(f[3], record.hands) || !ParseCount(f[4], record.vppCents))
        return std::nullopt;
    record.start = *start;
    record.end = *end;
    record.nickname = f[5];
    record.historyFolder = f[6];
    return record;
}

std::string PlayTimeText(std::int64_t seconds)
{
    const std::int64_t minutes = seconds / 60;
    std::string text = std::to_string(minutes / 60) + ':';
    text += static_cast<char>('0' + minutes % 60 / 10);
    text += static_cast<char>('0' + minutes % 10);
    return text;
}

std::optional<std::int64_t> VppPerHourCents(std::int64_t vppCents, std::int64_t playSeconds)
{
    if (playSeconds <= 0)
        return std::nullopt;
    // Half up, in integers: a hundredth is never lost to a double.
    return (vppCents * 3600 * 2 + playSeconds) / (2 * playSeconds);
}
