#pragma once

// The zellwick-genhands command line: what it asks for, and doing it.

#include "tools/zellwick-genhands/HandGenerator.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zellwick::genhands {

struct GenCommand
{
    GeneratorOptions generator;
    std::int64_t hands = -1; // -1: not given
    std::string out;         // empty: standard output
    std::string truth;       // empty: no truth file
    double appendEvery = 0;  // seconds; 0: write everything at once
    bool bom = true;         // a new output file begins with a byte-order mark, as the client's do
    bool help = false;
};

// Reads the arguments; on a mistake returns nothing and says why in error.
std::optional<GenCommand> ParseGenCommand(const std::vector<std::string>& args, std::string& error);

const char* GenHelpText();

// Runs the command; returns the exit status.
int RunGenCommand(const GenCommand& command);

} // namespace zellwick::genhands
