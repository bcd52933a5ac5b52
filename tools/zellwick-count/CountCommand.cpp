#include "tools/zellwick-count/CountCommand.h"

#include "tools/zellwick-count/CountReport.h"
#include "tools/zellwick-count/FollowCommand.h"
#include "tools/zellwick-count/HistoryCount.h"

#include <QFile>
#include <QSettings>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zellwick::count {

namespace fs = std::filesystem;

std::optional<CountCommand> ParseCountCommand(const std::vector<std::string>& args,
                                              std::string& error)
{
    CountCommand command;
    bool optionsEnded = false;
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
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (name != "--hero" && name != "--log" && name != "--jobs" && name != "--follow") {
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
    if (!command.follow.empty() && !command.paths.empty()) {
        error = "--follow takes its folder alone, without another PATH";
        return std::nullopt;
    }
    return command;
}

const char* CountHelpText()
{
    return R"(Usage: zellwick-count [--hero NICK] [--json] [--log FILE] [--jobs N] [PATH...]
       zellwick-count --follow FOLDER [--hero NICK] [--json] [--log FILE]

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
  --help       this text

Exit status: 0 every path was counted; 1 a path was missing or unreadable (it is named on
standard error, and the other files are counted all the same); 2 nothing could be counted
(a mistake in the options, or no nickname or no folder given or set).
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
