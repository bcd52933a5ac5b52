#include "corvask/corvask.h"

#include "corvask/NativePath.h"
#include "tests/support/TestSupport.h"

#include <clocale>
#include <cwchar>
#include <filesystem>
#include <locale.h>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using zellwick::test::AppendFile;
using zellwick::test::ReadFile;
using zellwick::test::TempDir;
using zellwick::test::WriteFile;
using Lines = std::vector<std::wstring>;
namespace fs = std::filesystem;

// Some real file names are not ASCII; the library's own conversion names them exactly.
std::wstring WidePath(const fs::path& path)
{
    return corvask::FromNativePath(path.native());
}

std::vector<fs::path> RealFiles()
{
    std::vector<fs::path> files;
    const fs::path root = zellwick::test::SharedDataDir();
    if (root.empty() || !fs::is_directory(root / "real-hh"))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(root / "real-hh")) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    return files;
}

// The system's own strict UTF-8 decoder; false when the bytes are not UTF-8.
bool DecodeStrictUtf8(const std::string& bytes, std::wstring& text)
{
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    if (!utf8)
        return false;
    const locale_t previous = ::uselocale(utf8);
    std::mbstate_t state{};
    bool valid = true;
    text.clear();
    for (std::size_t at = 0; at < bytes.size() && valid;) {
        wchar_t c = 0;
        const std::size_t used = std::mbrtowc(&c, bytes.data() + at, bytes.size() - at, &state);
        valid = used != static_cast<std::size_t>(-1) && used != static_cast<std::size_t>(-2);
        if (valid) {
            text += c;
            at += used == 0 ? 1 : used;
        }
    }
    ::uselocale(previous);
    return valid;
}

// The complete lines of a whole file the plain way, and the bytes they take up.
struct SplitFile
{
    std::vector<std::string> lines;
    std::size_t consumed = 0;
};

SplitFile SplitPlainly(const std::string& bytes)
{
    SplitFile split;
    std::size_t start = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    split.consumed = start;
    for (std::size_t at = start; at < bytes.size(); ++at) {
        if (bytes[at] != '\n' && bytes[at] != '\r')
            continue;
        std::size_t next = at + 1;
        if (bytes[at] == '\r') {
            if (next == bytes.size())
                break;
            if (bytes[next] == '\n')
                ++next;
        }
        split.lines.push_back(bytes.substr(start, at - start));
        split.consumed = next;
        start = next;
        at = next - 1;
    }
    return split;
}

TEST(ReadRealHistories, EveryFileReadsWholeAndMatchesAStrictDecode)
{
    const std::vector<fs::path> files = RealFiles();
    if (files.empty())
        GTEST_SKIP() << "no real hand histories in the shared data folder";
    int strictlyCompared = 0;
    for (const fs::path& file : files) {
        const std::string bytes = ReadFile(file);
        const SplitFile split = SplitPlainly(bytes);
        std::int64_t offset = 0;
        Lines lines;
        ASSERT_EQ(ReadHistoryFileUTF8(WidePath(file), offset, lines), 0) << file;
        EXPECT_EQ(offset, static_cast<std::int64_t>(split.consumed)) << file;
        ASSERT_EQ(lines.size(), split.lines.size()) << file;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::wstring strict;
            if (!DecodeStrictUtf8(split.lines[i], strict))
                continue; // a Windows-1252 line: covered by the decoding tests
            ++strictlyCompared;
            ASSERT_EQ(lines[i], strict) << file << " line " << i + 1;
        }
    }
    EXPECT_GT(strictlyCompared, 10000);
}

TEST(ReadRealHistories, WrittenInPiecesGivesTheSameLines)
{
    std::vector<fs::path> chosen;
    for (const fs::path& file : RealFiles()) {
        const std::string name = file.filename().string();
        // Lone CR, CRLF, Windows-1252 and a long multi-hand file with a BOM.
        if (name == "GbpTable.txt" || name == "2008-tournament.txt" ||
            name == "NLHE-EUR-STT-0.42-201102.emailed.cp1252.txt" ||
            name.rfind("HH20200422 Horemheb", 0) == 0)
            chosen.push_back(file);
    }
    if (chosen.empty())
        GTEST_SKIP() << "no real hand histories in the shared data folder";
    std::mt19937 random(42);
    for (const fs::path& source : chosen) {
        std::int64_t wholeOffset = 0;
        Lines whole;
        ASSERT_EQ(ReadHistoryFileUTF8(WidePath(source), wholeOffset, whole), 0);
        const std::string bytes = ReadFile(source);
        TempDir dir;
        const fs::path file = dir / "HH.txt";
        WriteFile(file, "");
        std::int64_t offset = 0;
        Lines pieces;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t length = 1 + random() % 700;
            AppendFile(file, bytes.substr(at, length));
            at += length;
            ASSERT_EQ(ReadHistoryFileUTF8(file.wstring(), offset, pieces, 2000), 0);
        }
        while (offset < wholeOffset)
            ASSERT_EQ(ReadHistoryFileUTF8(file.wstring(), offset, pieces, 2000), 0);
        EXPECT_EQ(pieces, whole) << source;
        EXPECT_EQ(offset, wholeOffset) << source;
    }
}

} // namespace
