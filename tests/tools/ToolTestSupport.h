#pragma once

// Generated hands with the generator's truth, and the project's programs run as a player runs
// them.

#include "tests/support/TestSupport.h"
#include "tools/zellwick-genhands/HandGenerator.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <gtest/gtest.h>

namespace zellwick::test {

struct GeneratedHands
{
    std::string text;
    std::vector<genhands::HandTruth> truth;
};

inline GeneratedHands Generate(const genhands::GeneratorOptions& options, int hands)
{
    GeneratedHands generated;
    genhands::HandGenerator generator(options);
    for (int i = 0; i < hands; ++i)
        generated.truth.push_back(generator.Next(generated.text));
    return generated;
}

// Hands of every kind for the hero "Hero" from the seed.
inline std::string GeneratedText(std::uint64_t seed, int hands)
{
    genhands::GeneratorOptions options;
    options.seed = seed;
    return Generate(options, hands).text;
}

// The text cut at "\n", without the line breaks.
inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// The text as one word of the shell.
inline std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct ToolRun
{
    int status = 0;
    std::string out;
    std::string err;
};

// Runs one of the project's programs with the arguments, already quoted for the shell.
inline ToolRun RunTool(const char* tool, const std::string& args)
{
    TempDir scratch;
    ToolRun run;
    run.status = RunCommand(Quote((BinDir() / tool).string()) + " " + args + " 2>" +
                                Quote((scratch / "stderr").string()),
                            &run.out);
    run.err = ReadFile(scratch / "stderr");
    return run;
}

// The JSON object of the text; a test failure when it is none.
inline QJsonObject ParseJson(const std::string& text)
{
    QJsonParseError error{};
    const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return document.object();
}

} // namespace zellwick::test
