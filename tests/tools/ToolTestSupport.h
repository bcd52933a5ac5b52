#pragma once

// Generated hands with the generator's truth, and the project's programs run as a player runs
// them.

#include "tools/zellwick-genhands/HandGenerator.h"

#include <QJsonObject>

#include <string>
#include <vector>

namespace zellwick::test {

struct GeneratedHands
{
    std::string text;
    std::vector<genhands::HandTruth> truth;
};

GeneratedHands Generate(const genhands::GeneratorOptions& options, int hands);
// Hands of every kind for the hero "Hero" from the seed.
std::string GeneratedText(std::uint64_t seed, int hands);

// The text cut at "\n", without the line breaks; Wide() decodes each line from UTF-8.
std::vector<std::string> Lines(const std::string& text);
std::vector<std::wstring> Wide(const std::vector<std::string>& lines);

// The text as one word of the shell.
std::string Quote(const std::string& text);

struct ToolRun
{
    int status = 0;
    std::string out;
    std::string err;
};

// Runs one of the project's programs with the arguments, already quoted for the shell.
ToolRun RunTool(const char* tool, const std::string& args);

// The JSON object of the text; a test failure when it is none.
QJsonObject ParseJson(const std::string& text);

} // namespace zellwick::test
