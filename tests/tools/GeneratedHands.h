#pragma once

// Generated hands for the tests: the text, its lines as the analysis takes them, and the
// generator's truth.

#include "tools/zellwick-genhands/HandGenerator.h"

#include <string>
#include <vector>

namespace zellwick::test {

struct GeneratedHands
{
    std::string text;
    std::vector<genhands::HandTruth> truth;
};

GeneratedHands Generate(const genhands::GeneratorOptions& options, int hands);

// The text cut into lines and decoded from UTF-8, the way a history reader hands it over.
std::vector<std::wstring> SplitLines(const std::string& text);

} // namespace zellwick::test
