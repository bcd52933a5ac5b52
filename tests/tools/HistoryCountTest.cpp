// Counting history files in-process: which files a folder gives, reading in pieces, files side
// by side, files that cannot be read, and what is printed.

#include "tests/support/TestSupport.h"
#include "tests/tools/ToolTestSupport.h"

#include "tools/zellwick-count/CountReport.h"
#include "tools/zellwick-count/HistoryCount.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace zellwick::count;
using namespace zellwick::test;
namespace fs = std::filesystem;

std::vector<std::string> Collect(const std::vector<fs::path>& paths, const fs::path& base,
                                 std::vector<PathProblem>& problems)
{
    std::vector<std::string> names;
    for (const fs::path& file : CollectHistoryFiles(paths, problems))
        names.push_back(file.lexically_relative(base).string());
    return names;
}

TEST(CollectHistoryFiles, TakesTheTxtFilesBelowAFolderInNameOrderOnceEach)
{
    TempDir folder;
    for (const char* name : {"b.txt", "a.txt", "notes.log", "sub/c.txt", "sub/deeper/d.txt",
                             "subfolder.txt/e.txt", "txt", ".txt"})
        WriteFile(folder / name, "");
    // Links back into the tree are no loop, and nothing is taken twice; a dangling link stays
    // in the list, so that reading it names the problem.
    fs::create_directory_symlink(folder.path(), folder / "sub" / "loop");
    fs::create_symlink(folder / "a.txt", folder / "sub" / "same.txt");
    fs::create_symlink(folder / "gone.txt", folder / "sub" / "dangling.txt");
    std::vector<PathProblem> problems;
    EXPECT_EQ(Collect({folder.path(), folder / "a.txt"}, folder.path(), problems),
              (std::vector<std::string>{"a.txt", "b.txt", "sub/c.txt", "sub/dangling.txt",
                                        "sub/deeper/d.txt", "subfolder.txt/e.txt"}));
    EXPECT_TRUE(problems.empty());

    // A missing path is a problem, and the others are still taken.
    EXPECT_EQ(Collect({folder / "missing", folder / "b.txt"}, folder.path(), problems),
              std::vector<std::string>{"b.txt"});
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].path, folder / "missing");
    EXPECT_EQ(problems[0].error, ENOENT);
}

// Runs the check as the unprivileged user nobody (65534) in a child; returns its exit code.
int AsNobody(const std::function<int()>& check)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(200);
        ::_exit(check());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 201;
}

TEST(CountHistoryFile, AFileOrFolderWithoutPermissionIsReportedNotCounted)
{
    if (!RunningAsRoot() && ::geteuid() != 65534)
        GTEST_SKIP() << "needs root to drop to another user, or to run as nobody";
    TempDir folder;
    fs::permissions(folder.path(), fs::perms(0755));
    WriteFile(folder / "secret.txt", GeneratedText(1, 3));
    WriteFile(folder / "closed" / "x.txt", GeneratedText(2, 3));
    fs::permissions(folder / "secret.txt", fs::perms(0600));
    fs::permissions(folder / "closed", fs::perms(0700));
    EXPECT_EQ(AsNobody([&] {
                  const FileCount count = CountHistoryFile(folder / "secret.txt", L"Hero");
                  return count.hands == 0 ? count.error : 100;
              }),
              EACCES);
    EXPECT_EQ(AsNobody([&] {
                  std::vector<PathProblem> problems;
                  const auto files = CollectHistoryFiles({folder.path()}, problems);
                  return problems.size() == 1 && problems[0].path == folder / "closed" &&
                                 files.size() == 1
                             ? problems[0].error
                             : 100;
              }),
              EACCES);
}

TEST(CountHistoryFile, InPiecesGivesWhatOneBlockGivesAndKeepsTheLogOnlyWhenAsked)
{
    TempDir folder;
    const std::string text = GeneratedText(31, 600);
    WriteFile(folder / "h.txt", "\xEF\xBB\xBF" + text);
    std::int32_t hands = 0, vppCents = 0;
    double vpp = 0;
    const std::wstring hero = L"Hero";
    HandHistoryParser parser(hero, RunningTotals{hands, vppCents, vpp}, nullptr);
    parser.ParseHandHistory(SplitLines(text));
    ASSERT_EQ(hands, 600);
    for (const std::uint64_t chunk :
         {std::uint64_t{1}, std::uint64_t{700}, std::uint64_t{65536}, std::uint64_t{kChunkBytes}}) {
        const FileCount count = CountHistoryFile(folder / "h.txt", hero, false, chunk);
        EXPECT_EQ(count.error, 0);
        EXPECT_EQ(count.hands, hands) << chunk;
        EXPECT_EQ(count.vppCents, vppCents) << chunk;
    }

    const std::string odd = "PokerStars Hand #1: Hold'em No Limit ($0.01/$0.02 USD) - no date";
    WriteFile(folder / "odd.txt",
              odd + "\nTable 'T' 6-max Seat #1 is the button\n\n" + GeneratedText(3, 2));
    const FileCount quiet = CountHistoryFile(folder / "odd.txt", L"Hero");
    EXPECT_EQ(quiet.hands, 3);
    EXPECT_TRUE(quiet.log.empty());
    const FileCount logged = CountHistoryFile(folder / "odd.txt", L"Hero", true);
    EXPECT_EQ(logged.hands, 3);
    EXPECT_NE(logged.log.find(odd), std::string::npos) << logged.log;
}

TEST(CountHistoryFiles, SideBySideGivesWhatOneAfterTheOtherGives)
{
    TempDir folder;
    std::vector<fs::path> files;
    for (int i = 0; i < 9; ++i) {
        files.push_back(folder / ("HH" + std::to_string(i) + ".txt"));
        WriteFile(files.back(), GeneratedText(100 + i, 50 + 40 * i));
    }
    files.push_back(folder / "missing.txt");
    const auto sequential = CountHistoryFiles(files, L"Hero", 1);
    const auto parallel = CountHistoryFiles(files, L"Hero", 4);
    ASSERT_EQ(sequential.size(), files.size());
    ASSERT_EQ(parallel.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(parallel[i].path, files[i]);
        EXPECT_EQ(parallel[i].hands, sequential[i].hands);
        EXPECT_EQ(parallel[i].vppCents, sequential[i].vppCents);
        EXPECT_EQ(parallel[i].error, sequential[i].error);
    }
    EXPECT_EQ(sequential[3].hands, 170);
    EXPECT_EQ(sequential.back().error, ENOENT);
    EXPECT_EQ(Total(parallel).hands, Total(sequential).hands);
    EXPECT_EQ(Total(parallel).vppCents, Total(sequential).vppCents);
    EXPECT_EQ(Total(parallel).files, 9);
}

// Counted files with growing figures, and one that could not be read.
std::vector<FileCount> SomeCounts(const std::vector<std::string>& paths)
{
    std::vector<FileCount> counts;
    for (std::int64_t n = 1; n <= static_cast<std::int64_t>(paths.size()); ++n)
        counts.push_back({paths[n - 1], n * 1000 + 7, n * n * 12345, 0, ""});
    counts.push_back({"unread.txt", 0, 0, EACCES, ""});
    return counts;
}

TEST(CountReport, PointsHaveTwoDecimalsAndTheTableIsAlignedWithoutWhatWasNotRead)
{
    const std::pair<std::int64_t, const char*> points[] = {
        {0, "0.00"},         {5, "0.05"},   {120, "1.20"},
        {123456, "1234.56"}, {-7, "-0.07"}, {9000000000000, "90000000000.00"}};
    for (const auto& [cents, text] : points)
        EXPECT_EQ(FormatVpp(cents), text);

    const std::string table = FormatTable(
        SomeCounts({"short.txt", "a/much/longer/path name.txt", "\xC3\xA9t\xC3\xA9.txt"}));
    const std::vector<std::string> lines = Lines(table);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].substr(0, 4), "FILE");
    EXPECT_EQ(lines[4].substr(0, 16), "TOTAL (3 files) ");
    EXPECT_EQ(table.find("unread"), std::string::npos);
    // Right-aligned numbers end in the same column (the accented name has two wide bytes).
    EXPECT_EQ(lines[1].size(), lines[2].size());
    EXPECT_EQ(lines[3].size(), lines[2].size() + 2);
    EXPECT_EQ(lines[2].substr(lines[2].size() - 14), " 2007   493.80");
    EXPECT_NE(lines[4].find(" 6021  1728.30"), std::string::npos) << lines[4];
}

TEST(CountReport, JsonNamesEveryPathSoAParserGetsItBack)
{
    const std::string odd = "we \"quote\" back\\slash\ttab\nnewline \xC3\xA9 \xFF end.txt";
    const QJsonObject object = ParseJson(FormatJson(SomeCounts({odd, "plain.txt"})));
    const QJsonArray files = object["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(
        files[0].toObject()["path"].toString(),
        QString::fromUtf8("we \"quote\" back\\slash\ttab\nnewline \xC3\xA9 \xEF\xBF\xBD end.txt"));
    EXPECT_EQ(files[1].toObject()["hands"].toInteger(), 2007);
    EXPECT_EQ(files[1].toObject()["vpp_cents"].toInteger(), 49380);
    EXPECT_EQ(object["total"].toObject()["hands"].toInteger(), 3014);
    EXPECT_EQ(object["total"].toObject()["vpp_cents"].toInteger(), 61725);
}

} // namespace
