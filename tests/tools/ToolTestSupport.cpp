#include "tests/tools/ToolTestSupport.h"

#include "tests/support/TestSupport.h"

#include <QJsonDocument>
#include <QString>

#include <gtest/gtest.h>

namespace zellwick::test {

GeneratedHands Generate(const genhands::GeneratorOptions& options, int hands)
{
    GeneratedHands generated;
    genhands::HandGenerator generator(options);
    for (int i = 0; i < hands; ++i)
        generated.truth.push_back(generator.Next(generated.text));
    return generated;
}

std::string GeneratedText(std::uint64_t seed, int hands)
{
    genhands::GeneratorOptions options;
    options.seed = seed;
    return Generate(options, hands).text;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::wstring> Wide(const std::vector<std::string>& lines)
{
    std::vector<std::wstring> wide;
    for (const std::string& line : lines)
        wide.push_back(QString::fromStdString(line).toStdWString());
    return wide;
}

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

ToolRun RunTool(const char* tool, const std::string& args)
{
    TempDir scratch;
    ToolRun run;
    run.status = RunCommand(Quote((BinDir() / tool).string()) + " " + args + " 2>" +
                                Quote((scratch / "stderr").string()),
                            &run.out);
    run.err = ReadFile(scratch / "stderr");
    return run;
}

QJsonObject ParseJson(const std::string& text)
{
    QJsonParseError error{};
    const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return document.object();
}

} // namespace zellwick::test
