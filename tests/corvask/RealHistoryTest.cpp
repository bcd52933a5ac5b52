#include "corvask/corvask.h"

#include "corvask/NativePath.h"
#include "tests/support/TestSupport.h"

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

std::vector<fs::path> RealFiles()
{
    std::vector<fs::path> files;
    const fs::path root = zellwick::test::SharedDataDir() / "real-hh";
    if (zellwick::test::SharedDataDir().empty() || !fs::is_directory(root))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    return files;
}

// The system's own strict UTF-8 decoder; false when the bytes are not UTF-8.
bool DecodeStrictUtf8(const std::string& bytes, std::wstring& text)
{
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    const locale_t previous = ::uselocale(utf8);
    std::mbstate_t state{};
    text.clear();
    std::size_t used = 0;
    for (std::size_t at = 0; utf8 && at < bytes.size(); at += used == 0 ? 1 : used) {
        wchar_t c = 0;
        used = std::mbrtowc(&c, bytes.data() + at, bytes.size() - at, &state);
        if (used >= static_cast<std::size_t>(-2))
            break;
        text += c;
    }
    ::uselocale(previous);
    return utf8 && used < static_cast<std::size_t>(-2);
}

// The complete lines of a whole file split the plain way, and the bytes they take up.
std::vector<std::string> SplitPlainly(const std::string& bytes, std::size_t& consumed)
{
    std::vector<std::string> lines;
    consumed = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    for (std::size_t at = consumed; at < bytes.size(); ++at) {
        if (bytes[at] != '\n' && bytes[at] != '\r')
            continue;
        if (bytes[at] == '\r' && at + 1 == bytes.size())
            break; // may be the first half of CRLF
        const std::size_t next = at + (bytes.compare(at, 2, "\r\n") == 0 ? 2 : 1);
        lines.push_back(bytes.substr(consumed, at - consumed));
        consumed = next;
        at = next - 1;
    }
    return lines;
}

// Each file read whole matches a strict decode line by line, and gives the same lines when
// a writer appends it in random pieces and the reader follows with a byte limit.
TEST(ReadRealHistories, WholeOrInPiecesEveryFileGivesItsLines)
{
    const std::vector<fs::path> files = RealFiles();
    if (files.empty())
        GTEST_SKIP() << "no real hand histories in the shared data folder";
    int strictlyCompared = 0;
    std::mt19937 random(42);
    for (const fs::path& source : files) {
        SCOPED_TRACE(source);
        const std::string bytes = ReadFile(source);
        std::size_t consumed = 0;
        const std::vector<std::string> plain = SplitPlainly(bytes, consumed);
        std::int64_t offset = 0;
        Lines whole;
        // Some real file names are not ASCII; the library's own conversion names them exactly.
        ASSERT_EQ(ReadHistoryFileUTF8(corvask::FromNativePath(source.native()), offset, whole), 0);
        EXPECT_EQ(offset, static_cast<std::int64_t>(consumed));
        ASSERT_EQ(whole.size(), plain.size());
        for (std::size_t i = 0; i < whole.size(); ++i) {
            std::wstring strict;
            if (!DecodeStrictUtf8(plain[i], strict))
                continue; // a Windows-1252 line: the decoding tests cover it
            ++strictlyCompared;
            ASSERT_EQ(whole[i], strict) << "line " << i + 1;
        }

        TempDir dir;
        WriteFile(dir / "HH.txt", "");
        const std::wstring copy = (dir / "HH.txt").wstring();
        Lines pieces;
        offset = 0;
        for (std::size_t at = 0, length = 0; at < bytes.size(); at += length) {
            length = 1 + random() % 700;
            AppendFile(dir / "HH.txt", bytes.substr(at, length));
            ASSERT_EQ(ReadHistoryFileUTF8(copy, offset, pieces, 2000), 0);
        }
        for (std::int64_t before = -1; offset != before;) {
            before = offset;
            ASSERT_EQ(ReadHistoryFileUTF8(copy, offset, pieces, 2000), 0);
        }
        EXPECT_EQ(pieces, whole);
        EXPECT_EQ(offset, static_cast<std::int64_t>(consumed));
    }
    EXPECT_GT(strictlyCompared, 10000);
}

} // namespace
