#include "tests/tools/GeneratedHands.h"

#include <QString>

namespace zellwick::test {

GeneratedHands Generate(const genhands::GeneratorOptions& options, int hands)
{
    GeneratedHands generated;
    genhands::HandGenerator generator(options);
    for (int i = 0; i < hands; ++i)
        generated.truth.push_back(generator.Next(generated.text));
    return generated;
}

std::vector<std::wstring> SplitLines(const std::string& text)
{
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(QString::fromUtf8(text.data() + start, static_cast<qsizetype>(end - start))
                            .toStdWString());
        start = end + 1;
    }
    return lines;
}

} // namespace zellwick::test
