// libcorvask: reading a history file from an offset as whole decoded lines, as the watcher and
// zellwick-count follow a file that the client appends to; trimming the log; system facts.

#include "corvask/corvask.h"

#include "corvask/NativePath.h"
#include "corvask/SystemInfo.h"
#include "tests/support/TestSupport.h"

#include <cerrno>
#include <cstring>
#include <iterator>
#include <sys/stat.h>

#include <gmock/gmock.h>

namespace {

using namespace zellwick::test;
namespace fs = std::filesystem;
using Lines = std::vector<std::wstring>;

class ReadHistory : public ::testing::Test
{
protected:
    // Appends the lines completed since the last call.
    void ReadInto(Lines& lines, std::uint64_t limit = UINT64_MAX)
    {
        EXPECT_EQ(ReadHistoryFileUTF8(m_file.wstring(), m_offset, lines, limit), 0);
    }
    Lines Read(std::uint64_t limit = UINT64_MAX)
    {
        Lines lines;
        ReadInto(lines, limit);
        return lines;
    }
    Lines ReadWhole(const std::string& bytes, std::int64_t offset = 0)
    {
        WriteFile(m_file, bytes);
        m_offset = offset;
        return Read();
    }
    // A failing call returns its code and leaves what the caller holds as it was.
    int Failing(const std::wstring& path, std::int64_t offset)
    {
        Lines lines = {L"kept"};
        std::int64_t changed = offset;
        const int error = ReadHistoryFileUTF8(path, changed, lines);
        return changed == offset && lines == Lines{L"kept"} ? error : -1;
    }

    TempDir m_dir;
    std::filesystem::path m_file = m_dir / "HH.txt";
    std::int64_t m_offset = 0;
};

// Every kind of line end and of character, and bytes that are no UTF-8: these are read as
// Windows-1252, byte by byte (its five unassigned bytes keep their code point).
const std::string kText =
    "\xEF\xBB\xBFPokerStars Hand #1: ($0.01/$0.02 USD)\r\nTable '\xE2\x82\xAC Aksnes'\n\n"
    "Seat 1: \xC2\xA3hero (\xE2\x82\xAC"
    "2) \xF0\x9F\x82\xA1\r\r\n"
    "\x80z \xA3z\xA0 \x92\x96\x99\x9F bast\xF2\n\x81\x8D\x8F\x90\x9D\r"
    "\xC0\xAF|\xE0\x80\xAF|\xF0\x8F\xBF\xBF|\xED\xA0\x80|\xF4\x90\x80\x80|\xF5\x80|a\xBFz\n"
    "\xE2\x82\n\xE2\x82z \xF4\x8F\xBF\xBF \xE0\xA0\x80\nlast\n";
const Lines kLines = {
    L"PokerStars Hand #1: ($0.01/$0.02 USD)",
    L"Table '\u20AC Aksnes'",
    L"",
    L"Seat 1: \u00A3hero (\u20AC2) \U0001F0A1",
    L"",
    L"\u20ACz \u00A3z\u00A0 \u2019\u2013\u2122\u0178 bast\u00F2",
    L"\u0081\u008D\u008F\u0090\u009D",
    L"\u00C0\u00AF|\u00E0\u20AC\u00AF|\u00F0\u008F\u00BF\u00BF|\u00ED\u00A0\u20AC|"
    L"\u00F4\u0090\u20AC\u20AC|\u00F5\u20AC|a\u00BFz",
    L"\u00E2\u201A",
    L"\u00E2\u201Az \U0010FFFF \u0800",
    L"last"};

TEST_F(ReadHistory, EveryLineComesOnceDecodedWholeByteByByteOrCutAtAnyByte)
{
    std::vector<std::vector<std::size_t>> cutSets = {{}, {}}; // whole, byte by byte
    for (std::size_t at = 1; at < kText.size(); ++at) {
        cutSets[1].push_back(at);
        cutSets.push_back({at});
    }
    for (std::vector<std::size_t> cuts : cutSets) {
        Lines lines = ReadWhole("");
        cuts.push_back(kText.size());
        for (std::size_t written = 0; std::size_t cut : cuts) {
            AppendFile(m_file, kText.substr(written, cut - written));
            written = cut;
            ReadInto(lines);
        }
        ASSERT_EQ(lines, kLines) << "cut at " << testing::PrintToString(cuts);
        ASSERT_EQ(m_offset, static_cast<std::int64_t>(kText.size()));
    }
}

// Large files are read in blocks of a power of two: every kind of line end and a character cut
// in two across many such boundaries, then a line of megabytes that grows over several reads
// and stays unread until its end.
TEST_F(ReadHistory, LinesAcrossBlockBoundariesAndALineOfMegabytesComeWhole)
{
    const std::pair<std::string, Lines> kEnds[] = {
        {"\r\n", {L""}}, {"\rz\n", {L"", L"z"}}, {"\xE2\x82\xAC\n", {L"\u20AC"}}, {"\n", {L""}}};
    std::string text;
    Lines expected;
    for (std::size_t m = 1; m <= 80; ++m) {
        const std::size_t boundary = m * 65536 - 1;
        for (; text.size() + 81 < boundary; text += std::string(80, 'a') + "\n")
            expected.push_back(std::wstring(80, L'a'));
        const auto& [bytes, lines] = kEnds[(m / 16 + m) % 4];
        expected.push_back(std::wstring(boundary - text.size(), L'b') + lines[0]);
        expected.insert(expected.end(), lines.begin() + 1, lines.end());
        text += std::string(boundary - text.size(), 'b') + bytes;
    }
    EXPECT_EQ(ReadWhole(text), expected);
    const auto end = static_cast<std::int64_t>(text.size());
    EXPECT_EQ(m_offset, end);
    const std::string chunk = std::string(1'500'001, 'y') + "\xE2\x82";
    for (int piece = 0; piece < 4; ++piece) {
        AppendFile(m_file, piece == 0 ? chunk : "\xAC" + chunk);
        EXPECT_TRUE(Read().empty());
        EXPECT_EQ(m_offset, end);
    }
    AppendFile(m_file, "\xAC\r\nafter");
    const Lines lines = Read();
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines[0].size(), 4 * 1'500'002U);
    EXPECT_EQ(lines[0].substr(1'500'000, 4), L"y\u20ACyy");
    EXPECT_EQ(m_offset, end + static_cast<std::int64_t>(4 * chunk.size() + 4 + 2));
}

// A byte-order mark at the start is no text; a file now shorter than the offset was rewritten.
TEST_F(ReadHistory, WhereReadingStarts)
{
    const std::string twoMarks = "\xEF\xBB\xBF"
                                 "first\n\xEF\xBB\xBF"
                                 "second\n";
    for (std::int64_t start : {0, 1, 2, 3}) { // a mark at the start is no text, later it is
        EXPECT_EQ(std::pair(ReadWhole(twoMarks, start), m_offset),
                  std::pair(Lines{L"first", L"\uFEFFsecond"}, std::int64_t{19}));
        EXPECT_TRUE(Read().empty()); // and at the end there is nothing more
    }
    EXPECT_EQ(ReadWhole("\xEF\xBB\n"), Lines{L"\u00EF\u00BB"}); // a mark cut short is text
    // A file now shorter than the offset was rewritten.
    EXPECT_EQ(std::pair(ReadWhole("\xEF\xBB\xBFnew\npart", 20), m_offset),
              std::pair(Lines{L"new"}, std::int64_t{7}));
}

// Names that are no ASCII, or no UTF-8 at all, are found; failures leave what the caller holds.
TEST_F(ReadHistory, AnyFileNameIsFoundAndErrorsLeaveOffsetAndLinesAlone)
{
    WriteFile(m_dir / "HH \xE2\x80\x93 \xE2\x82\xAC.txt", "ok\n");
    const std::string stray = (m_dir / "hh-\xE9t\xE9-\xFF.txt").native();
    WriteFile(stray, "too\n");
    Lines lines;
    EXPECT_EQ(ReadHistoryFileUTF8(m_dir.wpath() + L"/HH \u2013 \u20AC.txt", m_offset, lines), 0);
    m_offset = 0;
    EXPECT_EQ(ReadHistoryFileUTF8(corvask::FromNativePath(stray), m_offset, lines), 0);
    EXPECT_EQ(lines, (Lines{L"ok", L"too"}));
    WriteFile(m_file, "secret\n");
    ASSERT_EQ(::mkfifo((m_dir / "fifo").c_str(), 0644), 0);
    const std::pair<std::wstring, int> paths[] = {
        {m_dir.wpath(), EISDIR},
        {(m_dir / "missing.txt").wstring(), ENOENT},
        {L"", ENOENT},
        {m_file.wstring() + std::wstring(1, L'\0') + L"x", EINVAL}, // would open another file
        {(m_dir / "fifo").wstring(), EINVAL}}; // refused without waiting for a writer
    for (const auto& [path, error] : paths)
        EXPECT_EQ(Failing(path, 7), error) << testing::PrintToString(path);
    EXPECT_EQ(Failing(m_file.wstring(), -1), EINVAL);
    std::filesystem::permissions(m_dir.path(), std::filesystem::perms(0755));
    std::filesystem::permissions(m_file, std::filesystem::perms(0600));
    const int denied = RunAsOtherUser([&] { return Failing(m_file.wstring(), 3); });
    if (denied < 0)
        GTEST_SKIP() << "cannot run a check as user 65534 here";
    EXPECT_EQ(denied, EACCES);
}

TEST_F(ReadHistory, AByteLimitTakesWholeLinesAndAtLeastOne)
{
    WriteFile(m_file, "line-0000\nline-0001\nline-0002\nline-0003\nline-0004\npartial");
    std::vector<std::pair<std::size_t, std::int64_t>> steps; // lines and offset after each call
    for (int call = 0; call < 4; ++call) {
        const std::size_t lines = Read(20).size(); // up to 20 bytes, the limit itself included
        steps.emplace_back(lines, m_offset);
    }
    EXPECT_EQ(steps, (std::vector<std::pair<std::size_t, std::int64_t>>{
                         {2, 20}, {2, 40}, {1, 50}, {0, 50}}));
    // A line longer than the limit is still taken, so every call makes progress.
    EXPECT_EQ(ReadWhole(std::string(5000, 'x') + "\nshort\n").size(), 2u);
    m_offset = 0;
    EXPECT_EQ(Read(0), Lines{std::wstring(5000, L'x')});
    EXPECT_EQ(m_offset, 5001);
}

// A log of numbered lines of varying length.
std::string MakeLog(std::size_t size)
{
    std::string log;
    for (int i = 0; log.size() < size; ++i)
        log += "06.12.2024  20:50:00  line " + std::to_string(i) + std::string(i % 37, '.') + "\n";
    return log.substr(0, size);
}

TEST(TrimLog, KeepsTheNewestWholeLinesInPlaceOfTheLogAndNothingBeside)
{
    TempDir dir;
    const fs::path log = dir / "logs" / "Zellwick.log";
    const std::string original = MakeLog(250000);
    const std::string even = [] {
        std::string text;
        for (int i = 0; i < 2500; ++i)
            text += std::string(99, 'x') + "\n";
        return text;
    }();
    WriteFile(log, original);
    fs::permissions(log, fs::perms(0640));
    fs::create_symlink(log, dir / "link.log"); // a link stays a link; its file is trimmed
    TrimLogFile((dir / "link.log").wstring(), 80000, 200000);
    EXPECT_TRUE(fs::is_symlink(dir / "link.log"));
    const std::string kept = ReadFile(log);
    ASSERT_GT(kept.size(), 80000 - 100); // no more than the cut line was dropped
    EXPECT_TRUE(original.ends_with("\n" + kept));
    EXPECT_EQ(fs::status(log).permissions(), fs::perms(0640));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "logs"), {}), 1);
    WriteFile(log, even); // a tail that starts at a line start is kept exactly
    TrimLogFile(log.wstring(), 80000, 200000);
    EXPECT_EQ(ReadFile(log).size(), 80000U);
    // A log up to the limit keeps its file; what is no file is left alone.
    WriteFile(log, original.substr(0, 200000));
    const auto inode = [&] {
        struct stat info = {};
        return ::stat(log.c_str(), &info) == 0 ? info.st_ino : 0;
    };
    const auto before = inode();
    for (const fs::path& path : {log, dir / "missing.log", dir / "logs"})
        TrimLogFile(path.wstring(), 80000, 200000);
    EXPECT_EQ(inode(), before);
    EXPECT_EQ(fs::file_size(log), 200000U);
    // Without write access to the folder nothing is lost.
    WriteFile(log, original);
    fs::permissions(dir.path(), fs::perms(0755));
    fs::permissions(dir / "logs", fs::perms(0755));
    fs::permissions(log, fs::perms(0666));
    if (RunAsOtherUser([&] { return TrimLogFile(log.wstring(), 80000, 200000), 0; }) != 0)
        GTEST_SKIP() << "cannot run a check as user 65534 here";
    EXPECT_EQ(ReadFile(log), original);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "logs"), {}), 1);
}

TEST(SystemFacts, FromTheirSourcesOrUnknownAndErrorTextsAndTheExecutablesFolderFromTheSystem)
{
    TempDir dir;
    WriteFile(dir / "os-release", "NAME=Debian\nPRETTY_NAME=\"Zell \\\"OS\\\" 12\"\n");
    WriteFile(dir / "cpuinfo", "processor\t: 0\nmodel name\t: Zell CPU @ 3.00GHz\n");
    WriteFile(dir / "meminfo", "MemTotal:        2048000 kB\nMemFree:  10 kB\n");
    const auto facts = [&](const char* osRelease, const char* cpuInfo, const char* memInfo) {
        const corvask::SystemSources sources{{(dir / "none").string(), (dir / osRelease).string()},
                                             (dir / cpuInfo).string(),
                                             (dir / memInfo).string()};
        const auto cpu = corvask::CPUInfoLines(sources);
        return corvask::OSInfoLines(sources).at(1) + cpu.at(0) + cpu.at(2);
    };
    EXPECT_EQ(facts("os-release", "cpuinfo", "meminfo"),
              "Release: Zell \"OS\" 12\nProcessor: Zell CPU @ 3.00GHz\nMemory: 2000 MB\n");
    EXPECT_TRUE(
        facts("none", "none", "meminfo").starts_with("Release: unknown\nProcessor: unknown\n"));
    std::FILE* log = std::fopen((dir / "Zellwick.log").c_str(), "w");
    OSInfoLog(*log);
    CPUInfoLog(*log);
    std::fclose(log);
    EXPECT_THAT(
        ReadFile(dir / "Zellwick.log"),
        testing::MatchesRegex("System: [^\n]+\nRelease: [^\n]+\nKernel: [^\n]+\n"
                              "Processor: [^\n]+\nCores: [1-9][0-9]*\nMemory: [0-9]+ MB\n"));
    std::wstring text = L"previous";
    ErrorShow(ENOENT, text);
    EXPECT_EQ(text, corvask::FromNativePath(std::strerror(ENOENT)));
    ErrorShow(4294967295U, text);
    EXPECT_NE(text.find(L"4294967295"), std::wstring::npos);
    EXPECT_TRUE(fs::is_regular_file(fs::path(GetExecDir(nullptr)) / "corvask_tests"));
}

} // namespace
