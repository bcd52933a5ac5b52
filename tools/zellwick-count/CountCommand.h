#pragma once

// The zellwick-count command line: what it asks for, and doing it.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zellwick::count {

struct CountCommand
{
    std::string hero;                         // UTF-8; empty: the nickname in Zellwick's settings
    std::vector<std::filesystem::path> paths; // empty: the history folder in the settings
    bool json = false;
    bool help = false;
    std::string logFile;          // empty: the analysis's log goes nowhere
    unsigned jobs = 0;            // 0: one per processor
    std::filesystem::path follow; // --follow: the folder to follow while the client writes
    bool sessions = false;        // --sessions: the kept play periods; paths holds the file
    std::string from, to;         // YYYY-MM-DD, both days included; empty: no limit
};

std::optional<CountCommand> ParseCountCommand(const std::vector<std::string>& args,
                                              std::string& error);

const char* CountHelpText();

// Runs the command; returns the exit status: 0 every path counted, 1 a path could not be read
// (the others are counted all the same), 2 nothing to do (a mistake, or no nickname or folder).
// With --sessions: 0 listed, 1 the file could not be read, 2 no file given or known.
int RunCountCommand(const CountCommand& command);

} // namespace zellwick::count
