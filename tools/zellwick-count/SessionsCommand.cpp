#include "tools/zellwick-count/SessionsCommand.h"

#include "app/SessionsFile.h"
#include "tools/zellwick-count/SessionsReport.h"

#include <cstdio>

namespace zellwick::count {

int RunSessionsCommand(const CountCommand& command)
{
    const std::filesystem::path file =
        command.paths.empty() ? SessionsFile() : command.paths.front();
    if (file.empty()) {
        std::fputs("zellwick-count: no sessions file: give a FILE, or set HOME or XDG_DATA_HOME\n",
                   stderr);
        return 2;
    }
    const SessionsRead read = ReadSessions(file);
    if (!read.error.empty()) {
        std::fprintf(stderr, "zellwick-count: cannot read %s: %s\n", file.c_str(),
                     read.error.c_str());
        return 1;
    }
    if (!read.damagedLines.empty())
        std::fprintf(stderr, "zellwick-count: %s\n", DamagedLinesText(read, file).c_str());
    // Without a file the text is the one line; JSON keeps its shape, empty.
    if (read.missing)
        std::fprintf(command.json ? stderr : stdout, "No sessions kept yet: %s does not exist\n",
                     file.c_str());
    if (!read.missing || command.json) {
        const SessionsReport report{file, SessionsBetween(read.sessions, command.from, command.to),
                                    read.damagedLines};
        const std::string text =
            command.json ? FormatSessionsJson(report) : FormatSessionsTable(report);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace zellwick::count
