#include "corvask/corvask.h"

#include "corvask/NativePath.h"
#include "tests/corvask/OtherUser.h"
#include "tests/support/TestSupport.h"

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

using zellwick::test::AppendFile;
using zellwick::test::TempDir;
using zellwick::test::WriteFile;
using Lines = std::vector<std::wstring>;
namespace fs = std::filesystem;

// One history file in a folder of its own, followed from m_offset on.
class ReadHistory : public ::testing::Test
{
protected:
    // Appends the lines completed since the last call.
    void ReadInto(Lines& lines)
    {
        EXPECT_EQ(ReadHistoryFileUTF8(m_file.wstring(), m_offset, lines), 0);
    }
    Lines ReadMore()
    {
        Lines lines;
        ReadInto(lines);
        return lines;
    }
    Lines ReadWhole(const std::string& bytes)
    {
        WriteFile(m_file, bytes);
        m_offset = 0;
        return ReadMore();
    }
    // Writes text in pieces that end at the cuts and reads after each piece.
    Lines ReadInPieces(const std::string& text, std::vector<std::size_t> cuts)
    {
        Lines lines = ReadWhole("");
        cuts.push_back(text.size());
        for (std::size_t written = 0; std::size_t cut : cuts) {
            AppendFile(m_file, text.substr(written, cut - written));
            written = cut;
            ReadInto(lines);
        }
        return lines;
    }
    // A failing call returns its code and leaves what the caller holds as it was.
    void ExpectError(const std::wstring& path, int expected, std::int64_t offset)
    {
        Lines lines = {L"kept"};
        std::int64_t changed = offset;
        EXPECT_EQ(ReadHistoryFileUTF8(path, changed, lines), expected);
        EXPECT_EQ(changed, offset);
        EXPECT_EQ(lines, Lines{L"kept"});
    }

    TempDir m_dir;
    fs::path m_file = m_dir / "HH.txt";
    std::int64_t m_offset = 0;
};

// Every kind of line end, empty lines, characters of one to four bytes and Windows-1252 bytes.
const std::string kMixedText = "\xEF\xBB\xBF"
                               "PokerStars Hand #1: Hold'em ($0.01/$0.02 USD)\r\n"
                               "Table '\xE2\x82\xAC Aksnes' 9-max\n"
                               "\n"
                               "Seat 1: \xC2\xA3hero (\xE2\x82\xAC"
                               "2 in chips)\r"
                               "\r\n"
                               "cp1252 \x80 and \xA3 bytes\n"
                               "card \xF0\x9F\x82\xA1 dealt\r"
                               "last\n";
const Lines kMixedLines = {L"PokerStars Hand #1: Hold'em ($0.01/$0.02 USD)",
                           L"Table '\u20AC Aksnes' 9-max",
                           L"",
                           L"Seat 1: \u00A3hero (\u20AC2 in chips)",
                           L"",
                           L"cp1252 \u20AC and \u00A3 bytes",
                           L"card \U0001F0A1 dealt",
                           L"last"};

TEST_F(ReadHistory, WriterAppendingWhileReading)
{
    WriteFile(m_file, "");
    Lines written;
    std::vector<std::string> bytes;
    for (int i = 0; i < 20000; ++i) {
        written.push_back(L"Seat " + std::to_wstring(i) + L": \u20AC" + std::to_wstring(i * 7));
        bytes.push_back("Seat " + std::to_string(i) + ": \xE2\x82\xAC" + std::to_string(i * 7));
    }
    std::atomic<bool> done = false;
    std::thread writer([&] {
        std::mt19937 random(7);
        std::string pending;
        for (const std::string& line : bytes) {
            pending += line + "\r\n";
            if (random() % 3 == 0) {
                const std::size_t cut = random() % pending.size();
                AppendFile(m_file, pending.substr(0, cut));
                pending.erase(0, cut);
            }
        }
        AppendFile(m_file, pending);
        done = true;
    });
    Lines read;
    while (!done)
        ReadInto(read);
    writer.join();
    ReadInto(read);
    EXPECT_EQ(read, written);
}

// Large files are read in large blocks: put every kind of line end, and a character split
// in the middle, across many power-of-two boundaries (the block size is a power of two).
TEST_F(ReadHistory, LineEndsAndCharactersAcrossBlockBoundaries)
{
    // What follows a boundary: its bytes, what they add to the line before, further lines.
    const struct
    {
        std::string bytes;
        std::wstring added;
        Lines more;
    } kEnds[] = {{"\r\n", L"", {}},
                 {"\rz\n", L"", {L"z"}},
                 {"\xE2\x82\xAC\n", L"\u20AC", {}},
                 {"\n", L"", {}}};
    std::string text;
    Lines expected;
    for (std::size_t m = 1; m <= 80; ++m) {
        const std::size_t boundary = m * 65536 - 1;
        for (; text.size() + 81 < boundary; text += std::string(80, 'a') + "\n")
            expected.push_back(std::wstring(80, L'a'));
        const auto& end = kEnds[(m / 16 + m) % 4];
        expected.push_back(std::wstring(boundary - text.size(), L'b') + end.added);
        expected.insert(expected.end(), end.more.begin(), end.more.end());
        text += std::string(boundary - text.size(), 'b') + end.bytes;
    }
    EXPECT_EQ(ReadWhole(text), expected);
    EXPECT_EQ(m_offset, static_cast<std::int64_t>(text.size()));
}

// Each text is read whole, cut in two at every byte, and byte by byte, as the client may write
// it: every line must come exactly once.
TEST_F(ReadHistory, LineEndsAndDecodingWhereverTheWriterStops)
{
    const struct
    {
        const char* what;
        std::string bytes;
        Lines lines;
    } cases[] = {
        {"a hand with every kind of line end", kMixedText, kMixedLines},
        {"byte-order mark alone", "\xEF\xBB\xBF", {}},
        {"cut byte-order mark is text", "\xEF\xBB\n", {L"\u00EF\u00BB"}},
        {"1252 currency", "\x80z \xA3z\xA0x\n", {L"\u20ACz \u00A3z\u00A0x"}},
        {"1252 punctuation", "\x92\x96\x99\x9F\n", {L"\u2019\u2013\u2122\u0178"}},
        {"1252 letters", "bast\xF2 \xE9t\xE9\n", {L"bast\u00F2 \u00E9t\u00E9"}},
        {"1252 unassigned keep their code point",
         "\x81\x8D\x8F\x90\x9D\n",
         {L"\u0081\u008D\u008F\u0090\u009D"}},
        {"overlong two bytes", "\xC0\xAF\n", {L"\u00C0\u00AF"}},
        {"overlong three bytes", "\xE0\x80\xAF\n", {L"\u00E0\u20AC\u00AF"}},
        {"overlong four bytes", "\xF0\x8F\xBF\xBF\n", {L"\u00F0\u008F\u00BF\u00BF"}},
        {"surrogate", "\xED\xA0\x80\n", {L"\u00ED\u00A0\u20AC"}},
        {"above U+10FFFF", "\xF4\x90\x80\x80\n", {L"\u00F4\u0090\u20AC\u20AC"}},
        {"no lead byte this high", "\xF5\x80\n", {L"\u00F5\u20AC"}},
        {"stray continuation", "a\xBFz\n", {L"a\u00BFz"}},
        {"cut before the line end", "\xE2\x82\n", {L"\u00E2\u201A"}},
        {"cut before ASCII", "\xE2\x82z\n", {L"\u00E2\u201Az"}},
        {"highest valid", "\xF4\x8F\xBF\xBF\n", {L"\U0010FFFF"}},
        {"lowest three bytes", "\xE0\xA0\x80\n", {L"\u0800"}},
    };
    for (const auto& c : cases) {
        std::vector<std::vector<std::size_t>> cutSets = {{}, {}}; // whole, byte by byte
        for (std::size_t at = 1; at < c.bytes.size(); ++at) {
            cutSets[1].push_back(at);
            cutSets.push_back({at});
        }
        for (const auto& cuts : cutSets) {
            ASSERT_EQ(ReadInPieces(c.bytes, cuts), c.lines)
                << c.what << ", cut at " << testing::PrintToString(cuts);
            ASSERT_EQ(m_offset, static_cast<std::int64_t>(c.bytes.size())) << c.what;
        }
    }
}

// A byte-order mark is no text, and a file now shorter than the offset was rewritten.
TEST_F(ReadHistory, WhereReadingStarts)
{
    WriteFile(m_file, "\xEF\xBB\xBF"
                      "first\n\xEF\xBB\xBF"
                      "second\n");
    for (std::int64_t start : {0, 1, 2, 3}) {
        m_offset = start;
        EXPECT_EQ(ReadMore(), (Lines{L"first", L"\uFEFFsecond"})) << start;
        EXPECT_EQ(m_offset, 19);
    }
    WriteFile(m_file, "\xEF\xBB\xBFnew\npart");
    EXPECT_EQ(ReadMore(), (Lines{L"new"}));
    EXPECT_EQ(m_offset, 7);
    WriteFile(m_file, "x");
    m_offset = 5;
    EXPECT_TRUE(ReadMore().empty());
    EXPECT_EQ(m_offset, 0);
}

TEST_F(ReadHistory, ErrorsLeaveOffsetAndLinesAlone)
{
    WriteFile(m_file, "line\n");
    ASSERT_EQ(::mkfifo((m_dir / "fifo").c_str(), 0644), 0);
    const struct
    {
        const char* what;
        std::wstring path;
        std::int64_t offset;
        int error;
    } cases[] = {
        {"folder", m_dir.wpath(), 7, EISDIR},
        {"missing file", (m_dir / "missing.txt").wstring(), 7, ENOENT},
        {"empty path", L"", 7, ENOENT},
        {"negative offset", m_file.wstring(), -1, EINVAL},
        {"NUL in the path", m_file.wstring() + std::wstring(1, L'\0') + L"x", 7, EINVAL},
        {"FIFO, refused without waiting for a writer", (m_dir / "fifo").wstring(), 7, EINVAL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectError(c.path, c.error, c.offset);
    }
}

TEST_F(ReadHistory, NoPermission)
{
    WriteFile(m_file, "secret\n");
    fs::permissions(m_dir.path(), fs::perms(0755));
    fs::permissions(m_file, fs::perms(0600));
    if (!zellwick::test::RunningAsRoot()) {
        fs::permissions(m_file, fs::perms::none);
        return ExpectError(m_file.wstring(), EACCES, 3);
    }
    const int result = zellwick::test::RunAsOtherUser([&] {
        Lines lines;
        std::int64_t offset = 3;
        const int error = ReadHistoryFileUTF8(m_file.wstring(), offset, lines);
        return (offset == 3 && lines.empty()) ? error : 254;
    });
    if (result < 0)
        GTEST_SKIP() << "cannot switch to user 65534 here";
    EXPECT_EQ(result, EACCES);
}

TEST_F(ReadHistory, ByteLimitConsumesWholeLines)
{
    std::string text;
    Lines expected;
    for (int i = 0; i < 10; ++i) {
        text += "line-000" + std::to_string(i) + "\n";
        expected.push_back(L"line-000" + std::to_wstring(i));
    }
    WriteFile(m_file, text + "partial");
    Lines lines;
    std::vector<std::int64_t> offsets;
    for (int call = 0; call < 5; ++call) { // up to 30 bytes: the limit itself included
        ASSERT_EQ(ReadHistoryFileUTF8(m_file.wstring(), m_offset, lines, 30), 0);
        offsets.push_back(m_offset);
    }
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(offsets, (std::vector<std::int64_t>{30, 60, 90, 100, 100}));
    // A first line longer than the limit is still taken, so every call makes progress.
    WriteFile(m_file, std::string(5000, 'x') + "\nshort\n");
    m_offset = 0;
    lines.clear();
    ASSERT_EQ(ReadHistoryFileUTF8(m_file.wstring(), m_offset, lines, 0), 0);
    EXPECT_EQ(lines, Lines{std::wstring(5000, L'x')});
    EXPECT_EQ(m_offset, 5001);
    ASSERT_EQ(ReadHistoryFileUTF8(m_file.wstring(), m_offset, lines, 100), 0);
    EXPECT_EQ(lines.back(), L"short");
}

TEST_F(ReadHistory, LineOfSeveralMegabytesStaysUnreadUntilItsEnd)
{
    ReadWhole("before\n");
    const std::string chunk = std::string(1'500'001, 'y') + "\xE2\x82";
    for (int piece = 0; piece < 4; ++piece) {
        AppendFile(m_file, piece == 0 ? chunk : "\xAC" + chunk);
        EXPECT_TRUE(ReadMore().empty());
        EXPECT_EQ(m_offset, 7);
    }
    AppendFile(m_file, "\xAC\r\nafter");
    const Lines lines = ReadMore();
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines[0].size(), 4 * 1'500'002U);
    EXPECT_EQ(lines[0].substr(1'500'000, 4), L"y\u20ACyy");
    EXPECT_EQ(m_offset, static_cast<std::int64_t>(7 + 4 * chunk.size() + 4 + 2));
}

TEST_F(ReadHistory, FileNamesThatAreNotAscii)
{
    WriteFile(m_dir / "HH20200416 Aksnes \xE2\x80\x93 \xE2\x82\xAC.txt", "ok\n");
    Lines lines;
    const std::wstring name = L"/HH20200416 Aksnes \u2013 \u20AC.txt";
    EXPECT_EQ(ReadHistoryFileUTF8(m_dir.wpath() + name, m_offset, lines), 0);
    // Bytes that are not UTF-8 survive the way through the wide name the library gives.
    const std::string bytes = (m_dir / "hh-\xE9t\xE9-\xE2\x82\xAC-\xFF.txt").native();
    const std::wstring wide = corvask::FromNativePath(bytes);
    EXPECT_NE(wide.find(L'\u20AC'), std::wstring::npos);
    WriteFile(bytes, "too\n");
    m_offset = 0;
    EXPECT_EQ(ReadHistoryFileUTF8(wide, m_offset, lines), 0);
    EXPECT_EQ(lines, (Lines{L"ok", L"too"}));
}

} // namespace
