#pragma once

#include "tests/support/TestSupport.h"

#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace zellwick::test {

// The texts of a log's lines without their stamps "dd.mm.yyyy  hh:mm:ss  "; a line without
// one is marked.
inline std::vector<std::string> LogTexts(const std::filesystem::path& log)
{
    static const std::regex stamped(R"(\d{2}\.\d{2}\.\d{4}  \d{2}:\d{2}:\d{2}  (.*))");
    std::vector<std::string> texts;
    std::istringstream in(ReadFile(log));
    std::smatch match;
    for (std::string line; std::getline(in, line);)
        texts.push_back(std::regex_match(line, match, stamped) ? match.str(1)
                                                               : "unstamped: " + line);
    return texts;
}

} // namespace zellwick::test
