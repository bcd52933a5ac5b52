#include "tools/zellwick-count/CountCommand.h"

#include "tools/zellwick-count/CountReport.h"
#include "tools/zellwick-count/FollowCommand.h"
#include "tools/zellwick-count/HistoryCount.h"
#include "tools/zellwick-count/SessionsCommand.h"

#include <QFile>
#include <QSettings>
#include <QString>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace zellwick::count {

namespace fs = std::filesystem;

namespace {

// A day of the calendar written YYYY-MM-DD.
bool IsDate(const std::string& text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i != 4 && i != 7 && (text[i] < '0' || text[i] > '9'))
            return false;
    }
    const auto number = [&](std::size_t at, std::size_t digits) {
        return static_cast<unsigned>(std::stoul(text.substr(at, digits)));
    };
    return std::chrono::year_month_day(std::chrono::year(static_cast<int>(number(0, 4))),
                                       std::chrono::month(number(5, 2)),
                                       std::chrono::day(number(8, 2)))
        .ok();
}

} // namespace

std::optional<CountCommand> ParseCountCommand(const std::vector<std::string>& args,
                                              std::string& error)
{
    CountCommand command;
    bool optionsEnded = false;
    std::string countingOption; // one that --sessions cannot take
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            command.paths.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            command.help = true;
            return command;
        }
        if (arg == "--json") {
            command.json = true;
            continue;
        }
        if (arg == "--sessions") {
            command.sessions = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (name != "--hero" && name != "--log" && name != "--jobs" && name != "--follow" &&
            name != "--from" && name != "--to") {
            error = "unknown option " + name;
            return std::nullopt;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = name + " needs a value";
            return std::nullopt;
        }
        if (name == "--from" || name == "--to") {
            if (!IsDate(value)) {
                error = name + " needs a day as YYYY-MM-DD, not \"" + value + "\"";
                return std::nullopt;
            }
            (name == "--from" ? command.from : command.to) = value;
            continue;
        }
        if (countingOption.empty())
            countingOption = name;
        if (name == "--hero") {
            if (value.empty()) {
                error = "--hero needs a nickname";
                return std::nullopt;
            }
            command.hero = value;
        } else if (name == "--log") {
            command.logFile = value;
        } else if (name == "--follow") {
            if (value.empty()) {
                error = "--follow needs a folder";
                return std::nullopt;
            }
            command.follow = value;
        } else {
            char* end = nullptr;
            const unsigned long jobs = std::strtoul(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || jobs < 1 || jobs > 256) {
                error = "--jobs needs a number from 1 to 256, not \"" + value + "\"";
                return std::nullopt;
            }
            command.jobs = static_cast<unsigned>(jobs);
        }
    }
    if (command.sessions && !countingOption.empty()) {
        error = "--sessions cannot be used with " + countingOption;
        return std::nullopt;
    }
    if (command.sessions && command.paths.size() > 1) {
        error = "--sessions takes one FILE at most";
        return std::nullopt;
    }
    if (!command.sessions && (!command.from.empty() || !command.to.empty())) {
        error = std::string(command.from.empty() ? "--to" : "--from") + " goes with --sessions";
        return std::nullopt;
    }
    if (!command.from.empty() && !command.to.empty() && command.from > command.to) {
        error = "--from " + command.from + " is after --to " + command.to;
        return std::nullopt;
    }
    if (!command.follow.empty() && !command.paths.empty()) {
        error = "--follow takes its folder alone, without another PATH";
        return std::nullopt;
    }
    return command;
}

const char* CountHelpText()
{
    return R"(Usage: zellwick-count [--hero NICK] [--json] [--log FILE] [--jobs N] [PATH...]
  or:  zellwick-count --follow FOLDER [--hero NICK] [--json] [--log FILE]
  or:  zellwick-count --sessions [--json] [--from DAY] [--to DAY] [FILE]

Counts the hands in PokerStars hand-history files and the VPP the hero earned in them, the
way Zellwick counts them while you play: each file is read from its start and analysed as
one block.

  PATH         a history file, or a folder: the files below it whose names end in ".txt",
               in name order. Without a PATH, the history folder set in Zellwick's settings.
  --hero NICK  the hero's nickname, exactly as the poker client writes it (letter case
               counts). Without it, the nickname set in Zellwick's settings.
  --json       print one JSON object instead of the table:
               {"files": [{"path": ..., "hands": N, "vpp_cents": N}, ...],
                "total": {"hands": N, "vpp_cents": N, "files": N}}
  --log FILE   append what the analysis reports (headers it does not recognise) to FILE
  --jobs N     read N files at a time (default: one per processor); totals do not change
  --follow FOLDER
               count while you play, as Zellwick's Start does: the history files of FOLDER
               (and its subfolders) written in the last 20 hours are read on from their end,
               files created later from their start. Whenever the elapsed time (hh:mm),
               the hands or the VPP change, a line shows them (on standard error with
               --json). SIGINT (Ctrl+C) or SIGTERM ends it: the totals of the files that
               gave hands are printed as above, and the exit status is 0. --log FILE takes
               the follower's messages (otherwise they go to standard error).
  --sessions [FILE]
               list the play periods Zellwick kept in FILE (default: sessions.csv in
               $XDG_DATA_HOME/Zellwick, or ~/.local/share/Zellwick), each with its start,
               end, play time (h:mm), hands, VPP and VPP per hour, then the totals per day,
               per month and overall. A period belongs to the day it began on, on the clock
               it was played by. Damaged lines are named on standard error and skipped. With
               --json: {"file": ..., "sessions": [...], "days": [...], "months": [...],
               "overall": {...}, "damaged_lines": [...]}, VPP in hundredths
  --from DAY, --to DAY
               with --sessions: only the periods begun from or up to DAY (YYYY-MM-DD);
               both days count
  --help       this text

Exit status: 0 every path was counted; 1 a path was missing or unreadable (it is named on
standard error, and the other files are counted all the same); 2 nothing could be counted
(a mistake in the options, or no nickname or no folder given or set). With --sessions: 0
listed (also when no file was kept yet); 1 the file could not be read; 2 a mistake in the
options.
)";
}

namespace {

struct Stored
{
    std::string nickname; // UTF-8
    fs::path history;
};

// What Zellwick's settings hold (BaseInfo/Nickname and BaseInfo/History).
Stored ReadStoredSettings()
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Tervalon", "Zellwick");
    settings.beginGroup("BaseInfo");
    Stored stored;
    stored.nickname = settings.value("Nickname").toString().toStdString();
    const QString history = settings.value("History").toString();
    stored.history = fs::path(QFile::encodeName(history).toStdString());
    return stored;
}

void Complain(const fs::path& path, int error)
{
    std::fprintf(stderr, "zellwick-count: cannot read %s: %s\n", path.c_str(),
                 std::strerror(error));
}

bool AppendLog(const std::string& file, const std::vector<FileCount>& counts)
{
    std::FILE* log = std::fopen(file.c_str(), "ab");
    if (!log) {
        std::fprintf(stderr, "zellwick-count: cannot write the log %s: %s\n", file.c_str(),
                     std::strerror(errno));
        return false;
    }
    for (const FileCount& count : counts) {
        if (count.log.empty())
            continue;
        std::fprintf(log, "zellwick-count: %s\n", count.path.c_str());
        std::fwrite(count.log.data(), 1, count.log.size(), log);
    }
    const bool written = std::fclose(log) == 0;
    if (!written)
        std::fprintf(stderr, "zellwick-count: cannot write the log %s\n", file.c_str());
    return written;
}

} // namespace

int RunCountCommand(const CountCommand& command)
{
    if (command.sessions)
        return RunSessionsCommand(command);
    std::string hero = command.hero;
    std::vector<fs::path> paths =
        command.follow.empty() ? command.paths : std::vector<fs::path>{command.follow};
    if (hero.empty() || paths.empty()) {
        const Stored stored = ReadStoredSettings();
        if (hero.empty())
            hero = stored.nickname;
        if (paths.empty() && !stored.history.empty())
            paths.push_back(stored.history);
    }
    if (hero.empty())
        std::fputs("zellwick-count: no nickname: give --hero NICK, or set the nickname in "
                   "Zellwick's settings\n",
                   stderr);
    if (paths.empty())
        std::fputs("zellwick-count: no history folder: give a PATH, or set the history folder "
                   "in Zellwick's settings\n",
                   stderr);
    if (hero.empty() || paths.empty())
        return 2;
    if (!command.follow.empty())
        return RunFollowCommand(command, QString::fromStdString(hero).toStdWString());

    std::vector<PathProblem> problems;
    const std::vector<fs::path> files = CollectHistoryFiles(paths, problems);
    for (const PathProblem& problem : problems)
        Complain(problem.path, problem.error);
    const std::wstring nickname = QString::fromStdString(hero).toStdWString();
    const bool withLog = !command.logFile.empty();
    const std::vector<FileCount> counts = CountHistoryFiles(files, nickname, command.jobs, withLog);
    bool allRead = problems.empty();
    for (const FileCount& count : counts) {
        if (count.error != 0) {
            Complain(count.path, count.error);
            allRead = false;
        }
    }
    if (withLog && !AppendLog(command.logFile, counts))
        allRead = false;
    const std::string report = command.json ? FormatJson(counts) : FormatTable(counts);
    std::fwrite(report.data(), 1, report.size(), stdout);
    if (std::fflush(stdout) != 0)
        return 1;
    return allRead ? 0 : 1;
}

} // namespace zellwick::count
