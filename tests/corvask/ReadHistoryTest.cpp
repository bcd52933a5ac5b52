#include "corvask/corvask.h"

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

// Reads everything complete from offset on; fails the test on an error.
Lines ReadAll(const fs::path& file, std::int64_t& offset)
{
    Lines lines;
    EXPECT_EQ(ReadHistoryFileUTF8(file.wstring(), offset, lines), 0);
    return lines;
}

Lines ReadFromStart(const std::string& bytes)
{
    TempDir dir;
    WriteFile(dir / "HH.txt", bytes);
    std::int64_t offset = 0;
    return ReadAll(dir / "HH.txt", offset);
}

// Text with every kind of line end, empty lines and characters of one to four bytes.
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

// Writes text in the given pieces and reads after each one; every line must come exactly once.
Lines ReadInPieces(const std::string& text, const std::vector<std::size_t>& cuts)
{
    TempDir dir;
    const fs::path file = dir / "HH.txt";
    WriteFile(file, "");
    std::int64_t offset = 0;
    Lines all;
    std::size_t written = 0;
    for (std::size_t cut : cuts) {
        AppendFile(file, text.substr(written, cut - written));
        written = cut;
        for (std::wstring& line : ReadAll(file, offset))
            all.push_back(std::move(line));
    }
    AppendFile(file, text.substr(written));
    for (std::wstring& line : ReadAll(file, offset))
        all.push_back(std::move(line));
    EXPECT_EQ(offset, static_cast<std::int64_t>(text.size()));
    return all;
}

TEST(ReadHistoryPieces, EveryLineOnceWhateverTheSingleCut)
{
    for (std::size_t cut = 0; cut <= kMixedText.size(); ++cut)
        ASSERT_EQ(ReadInPieces(kMixedText, {cut}), kMixedLines) << "cut at byte " << cut;
}

TEST(ReadHistoryPieces, EveryLineOnceInRandomSmallPieces)
{
    std::mt19937 random(20161124);
    for (int round = 0; round < 60; ++round) {
        std::vector<std::size_t> cuts;
        std::uniform_int_distribution<std::size_t> step(1, 9);
        for (std::size_t at = step(random); at < kMixedText.size(); at += step(random))
            cuts.push_back(at);
        ASSERT_EQ(ReadInPieces(kMixedText, cuts), kMixedLines) << "round " << round;
    }
}

TEST(ReadHistoryPieces, ByteByByte)
{
    std::vector<std::size_t> cuts;
    for (std::size_t at = 1; at < kMixedText.size(); ++at)
        cuts.push_back(at);
    EXPECT_EQ(ReadInPieces(kMixedText, cuts), kMixedLines);
}

TEST(ReadHistoryPieces, WriterAppendingWhileReading)
{
    TempDir dir;
    const fs::path file = dir / "HH.txt";
    WriteFile(file, "");
    Lines written;
    for (int i = 0; i < 20000; ++i)
        written.push_back(L"Seat " + std::to_wstring(i) + L": \u20AC" + std::to_wstring(i * 7));
    std::atomic<bool> done = false;
    std::thread writer([&] {
        std::mt19937 random(7);
        std::string pending;
        for (const std::wstring& line : written) {
            std::string bytes;
            for (wchar_t c : line)
                bytes += c == L'\u20AC' ? std::string("\xE2\x82\xAC") : std::string(1, char(c));
            pending += bytes + "\r\n";
            if (random() % 3 == 0) {
                const std::size_t cut = random() % pending.size();
                AppendFile(file, pending.substr(0, cut));
                pending.erase(0, cut);
            }
        }
        AppendFile(file, pending);
        done = true;
    });
    Lines read;
    std::int64_t offset = 0;
    const auto readMore = [&] {
        for (std::wstring& line : ReadAll(file, offset))
            read.push_back(std::move(line));
    };
    while (!done)
        readMore();
    writer.join();
    readMore();
    EXPECT_EQ(read, written);
}

// Large files are read in large blocks: put every kind of line end, and a character split
// in the middle, across many power-of-two boundaries (the block size is a power of two).
TEST(ReadHistoryPieces, LineEndsAndCharactersAcrossBlockBoundaries)
{
    std::string text;
    Lines expected;
    const auto fillTo = [&](std::size_t position) {
        while (text.size() + 81 < position) {
            text += std::string(80, 'a') + "\n";
            expected.push_back(std::wstring(80, L'a'));
        }
        expected.push_back(std::wstring(position - text.size(), L'b'));
        text += std::string(position - text.size(), 'b');
    };
    for (std::size_t m = 1; m <= 80; ++m) {
        fillTo(m * 65536 - 1);
        switch ((m / 16 + m) % 4) {
        case 0:
            text += "\r\n";
            break;
        case 1:
            text += "\rz\n";
            expected.push_back(L"z");
            break;
        case 2:
            text += "\xE2\x82\xAC\n";
            expected.back() += L'\u20AC';
            break;
        default:
            text += "\n";
            break;
        }
    }
    TempDir dir;
    WriteFile(dir / "HH.txt", text);
    std::int64_t offset = 0;
    EXPECT_EQ(ReadAll(dir / "HH.txt", offset), expected);
    EXPECT_EQ(offset, static_cast<std::int64_t>(text.size()));
}

TEST(ReadHistoryLineEnds, CrLfAndLoneCrAndEmptyLines)
{
    EXPECT_EQ(ReadFromStart("a\r\nb\r\n"), (Lines{L"a", L"b"}));
    EXPECT_EQ(ReadFromStart("a\rb\r\rc\n"), (Lines{L"a", L"b", L"", L"c"}));
    EXPECT_EQ(ReadFromStart("\n\n\r\n"), (Lines{L"", L"", L""}));
    EXPECT_EQ(ReadFromStart("a\r\r\nb\n"), (Lines{L"a", L"", L"b"}));
}

TEST(ReadHistoryLineEnds, FinalCarriageReturnWaitsForWhatFollows)
{
    TempDir dir;
    const fs::path file = dir / "HH.txt";
    WriteFile(file, "a\rb\r");
    std::int64_t offset = 0;
    EXPECT_EQ(ReadAll(file, offset), (Lines{L"a"}));
    EXPECT_EQ(offset, 2);
    AppendFile(file, "\nc\r");
    EXPECT_EQ(ReadAll(file, offset), (Lines{L"b"}));
    EXPECT_EQ(offset, 5);
    AppendFile(file, "d");
    EXPECT_EQ(ReadAll(file, offset), (Lines{L"c"}));
    EXPECT_EQ(offset, 7);
}

TEST(ReadHistoryLineEnds, IncompleteLastLineIsNotConsumed)
{
    TempDir dir;
    const fs::path file = dir / "HH.txt";
    WriteFile(file, "one\ntw");
    std::int64_t offset = 0;
    EXPECT_EQ(ReadAll(file, offset), (Lines{L"one"}));
    EXPECT_EQ(offset, 4);
    EXPECT_TRUE(ReadAll(file, offset).empty());
    EXPECT_EQ(offset, 4);
}

TEST(ReadHistoryByteOrderMark, SkippedOnlyAtTheFileStart)
{
    const std::string bom = "\xEF\xBB\xBF";
    TempDir dir;
    const fs::path file = dir / "HH.txt";
    WriteFile(file, bom + "first\n" + bom + "second\n");
    for (std::int64_t start : {0, 1, 2, 3}) {
        std::int64_t offset = start;
        EXPECT_EQ(ReadAll(file, offset), (Lines{L"first", L"\uFEFFsecond"})) << start;
        EXPECT_EQ(offset, 19);
    }
    std::int64_t offset = 0;
    WriteFile(file, bom);
    EXPECT_TRUE(ReadAll(file, offset).empty());
    EXPECT_EQ(ReadFromStart("\xEF\xBB\n"), (Lines{L"\u00EF\u00BB"}));
}

TEST(ReadHistoryDecoding, Windows1252Bytes)
{
    EXPECT_EQ(ReadFromStart("\x80"
                            "5 \xA3"
                            "2\xA0x\n"),
              (Lines{L"\u20AC5 \u00A32\u00A0x"}));
    EXPECT_EQ(ReadFromStart("\x92\x96\x99\x9F\n"), (Lines{L"\u2019\u2013\u2122\u0178"}));
    EXPECT_EQ(ReadFromStart("bast\xF2 \xE9t\xE9\n"), (Lines{L"bast\u00F2 \u00E9t\u00E9"}));
    // Bytes Windows-1252 leaves unassigned keep their own code point.
    EXPECT_EQ(ReadFromStart("\x81\x8D\x8F\x90\x9D\n"), (Lines{L"\u0081\u008D\u008F\u0090\u009D"}));
}

TEST(ReadHistoryDecoding, InvalidUtf8FallsBackByteByByte)
{
    struct Case
    {
        const char* what;
        std::string bytes;
        std::wstring text;
    };
    const Case cases[] = {
        {"overlong two bytes", "\xC0\xAF", L"\u00C0\u00AF"},
        {"overlong three bytes", "\xE0\x80\xAF", L"\u00E0\u20AC\u00AF"},
        {"overlong four bytes", "\xF0\x8F\xBF\xBF", L"\u00F0\u008F\u00BF\u00BF"},
        {"surrogate", "\xED\xA0\x80", L"\u00ED\u00A0\u20AC"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", L"\u00F4\u0090\u20AC\u20AC"},
        {"no lead byte this high", "\xF5\x80", L"\u00F5\u20AC"},
        {"stray continuation",
         "a\xBF"
         "b",
         L"a\u00BFb"},
        {"cut before the line end", "\xE2\x82", L"\u00E2\u201A"},
        {"cut before ASCII",
         "\xE2\x82"
         "A",
         L"\u00E2\u201AA"},
        {"highest valid", "\xF4\x8F\xBF\xBF", L"\U0010FFFF"},
        {"lowest three bytes", "\xE0\xA0\x80", L"\u0800"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadFromStart(c.bytes + "\n"), (Lines{c.text})) << c.what;
}

TEST(ReadHistoryRewritten, ShorterFileIsReadFromItsStart)
{
    TempDir dir;
    const fs::path file = dir / "HH.txt";
    WriteFile(file, "hand one\nhand two\n");
    std::int64_t offset = 0;
    ReadAll(file, offset);
    WriteFile(file, "\xEF\xBB\xBFnew\npart");
    EXPECT_EQ(ReadAll(file, offset), (Lines{L"new"}));
    EXPECT_EQ(offset, 7);
    WriteFile(file, "x");
    offset = 5;
    EXPECT_TRUE(ReadAll(file, offset).empty());
    EXPECT_EQ(offset, 0);
}

// Calls with an error: the code comes back and nothing the caller holds has changed.
void ExpectError(const std::wstring& path, int expected, std::int64_t offset = 7)
{
    Lines lines = {L"kept"};
    std::int64_t changed = offset;
    EXPECT_EQ(ReadHistoryFileUTF8(path, changed, lines), expected);
    EXPECT_EQ(changed, offset);
    EXPECT_EQ(lines, Lines{L"kept"});
}

TEST(ReadHistoryErrors, FolderMissingFileAndBadArguments)
{
    TempDir dir;
    ExpectError(dir.wpath(), EISDIR);
    ExpectError((dir / "missing.txt").wstring(), ENOENT);
    ExpectError(L"", ENOENT);
    WriteFile(dir / "HH.txt", "line\n");
    ExpectError((dir / "HH.txt").wstring(), EINVAL, -1);
    ExpectError((dir / "HH.txt").wstring() + std::wstring(1, L'\0') + L"x", EINVAL);
}

TEST(ReadHistoryErrors, FifoIsRefusedWithoutWaitingForAWriter)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "HH.txt").c_str(), 0644), 0);
    ExpectError((dir / "HH.txt").wstring(), EINVAL);
}

TEST(ReadHistoryErrors, NoPermission)
{
    TempDir dir;
    const fs::path file = dir / "HH.txt";
    WriteFile(file, "secret\n");
    fs::permissions(dir.path(), fs::perms(0755));
    fs::permissions(file, fs::perms(0600));
    if (!zellwick::test::RunningAsRoot()) {
        fs::permissions(file, fs::perms::none);
        ExpectError(file.wstring(), EACCES);
        return;
    }
    const int result = zellwick::test::RunAsOtherUser([&] {
        Lines lines;
        std::int64_t offset = 3;
        const int error = ReadHistoryFileUTF8(file.wstring(), offset, lines);
        return (offset == 3 && lines.empty()) ? error : 254;
    });
    if (result < 0)
        GTEST_SKIP() << "cannot switch to user 65534 here";
    EXPECT_EQ(result, EACCES);
}

TEST(ReadHistoryLimit, ConsumesWholeLinesUpToTheLimit)
{
    TempDir dir;
    const fs::path file = dir / "HH.txt";
    std::string text;
    Lines expected;
    for (int i = 0; i < 10; ++i) {
        text += "line-000" + std::to_string(i) + "\n";
        expected.push_back(L"line-000" + std::to_wstring(i));
    }
    WriteFile(file, text + "partial");
    std::int64_t offset = 0;
    Lines lines;
    std::vector<std::int64_t> offsets;
    while (offset < 100) {
        ASSERT_EQ(ReadHistoryFileUTF8(file.wstring(), offset, lines, 35), 0);
        offsets.push_back(offset);
    }
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(offsets, (std::vector<std::int64_t>{30, 60, 90, 100}));
    lines.clear();
    ASSERT_EQ(ReadHistoryFileUTF8(file.wstring(), offset, lines, 35), 0);
    EXPECT_TRUE(lines.empty());
}

TEST(ReadHistoryLimit, FirstLineLongerThanTheLimitIsStillTaken)
{
    TempDir dir;
    const fs::path file = dir / "HH.txt";
    WriteFile(file, std::string(5000, 'x') + "\nshort\n");
    std::int64_t offset = 0;
    Lines lines;
    ASSERT_EQ(ReadHistoryFileUTF8(file.wstring(), offset, lines, 0), 0);
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines[0].size(), 5000U);
    EXPECT_EQ(offset, 5001);
    ASSERT_EQ(ReadHistoryFileUTF8(file.wstring(), offset, lines, 100), 0);
    EXPECT_EQ(lines.back(), L"short");
}

TEST(ReadHistoryLongLine, SeveralMegabytesStayUnreadUntilTheirEnd)
{
    TempDir dir;
    const fs::path file = dir / "HH.txt";
    WriteFile(file, "before\n");
    std::int64_t offset = 0;
    ReadAll(file, offset);
    const std::string chunk = std::string(1'500'001, 'y') + "\xE2\x82";
    for (int piece = 0; piece < 4; ++piece) {
        AppendFile(file, piece == 0 ? chunk : "\xAC" + chunk);
        EXPECT_TRUE(ReadAll(file, offset).empty());
        EXPECT_EQ(offset, 7);
    }
    AppendFile(file, "\xAC\r\nafter");
    const Lines lines = ReadAll(file, offset);
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines[0].size(), 4 * 1'500'002U);
    EXPECT_EQ(lines[0].substr(1'500'000, 4), L"y\u20ACyy");
    EXPECT_EQ(offset, static_cast<std::int64_t>(7 + 4 * chunk.size() + 4 + 2));
}

TEST(ReadHistoryPaths, NonAsciiFileName)
{
    TempDir dir;
    WriteFile(dir / "HH20200416 Aksnes \xE2\x80\x93 \xE2\x82\xAC.txt", "ok\n");
    std::int64_t offset = 0;
    Lines lines;
    EXPECT_EQ(
        ReadHistoryFileUTF8(dir.wpath() + L"/HH20200416 Aksnes \u2013 \u20AC.txt", offset, lines),
        0);
    EXPECT_EQ(lines, Lines{L"ok"});
}

} // namespace
