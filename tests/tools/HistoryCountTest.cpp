// Counting history files in-process: which files a folder gives, reading in pieces, files side
// by side, files that cannot be read, and what is printed.

#include "tests/support/TestSupport.h"
#include "tests/tools/GeneratedHands.h"

#include "tools/zellwick-count/CountReport.h"
#include "tools/zellwick-count/HistoryCount.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace zellwick::count;
using namespace zellwick::test;
namespace fs = std::filesystem;

std::string Hands(std::uint64_t seed, int count)
{
    zellwick::genhands::GeneratorOptions options;
    options.seed = seed;
    return Generate(options, count).text;
}

std::vector<std::string> Relative(const std::vector<fs::path>& files, const fs::path& base)
{
    std::vector<std::string> names;
    for (const fs::path& file : files)
        names.push_back(file.lexically_relative(base).string());
    return names;
}

TEST(CollectHistoryFiles, TakesTheTxtFilesBelowAFolderInNameOrder)
{
    TempDir folder;
    for (const char* name : {"b.txt", "a.txt", "notes.log", "sub/c.txt", "sub/deeper/d.txt",
                             "subfolder.txt/e.txt", "txt", ".txt"})
        WriteFile(folder / name, "");
    std::vector<PathProblem> problems;
    const auto files = CollectHistoryFiles({folder.path()}, problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(Relative(files, folder.path()),
              (std::vector<std::string>{"a.txt", "b.txt", "sub/c.txt", "sub/deeper/d.txt",
                                        "subfolder.txt/e.txt"}));
}

TEST(CollectHistoryFiles, LinksBackIntoTheTreeAreNoLoopAndNothingIsTakenTwice)
{
    TempDir folder;
    WriteFile(folder / "a.txt", "");
    WriteFile(folder / "sub/b.txt", "");
    fs::create_directory_symlink(folder.path(), folder / "sub" / "loop");
    fs::create_symlink(folder / "a.txt", folder / "sub" / "same.txt");
    fs::create_symlink(folder / "gone.txt", folder / "sub" / "dangling.txt");
    std::vector<PathProblem> problems;
    const auto files = CollectHistoryFiles({folder.path(), folder / "a.txt"}, problems);
    EXPECT_TRUE(problems.empty());
    // The dangling link stays in the list: reading it names the problem.
    EXPECT_EQ(Relative(files, folder.path()),
              (std::vector<std::string>{"a.txt", "sub/b.txt", "sub/dangling.txt"}));
}

TEST(CollectHistoryFiles, AMissingPathIsAProblemAndTheOthersAreStillTaken)
{
    TempDir folder;
    WriteFile(folder / "a.txt", "");
    std::vector<PathProblem> problems;
    const auto files = CollectHistoryFiles({folder / "missing", folder.path()}, problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].path, folder / "missing");
    EXPECT_EQ(problems[0].error, ENOENT);
    EXPECT_EQ(files.size(), 1u);
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
    WriteFile(folder / "secret.txt", Hands(1, 3));
    WriteFile(folder / "closed" / "x.txt", Hands(2, 3));
    fs::permissions(folder / "secret.txt", fs::perms(0600));
    fs::permissions(folder / "closed", fs::perms(0700));
    const int fileError = AsNobody([&] {
        const FileCount count = CountHistoryFile(folder / "secret.txt", L"Hero");
        return count.hands == 0 ? count.error : 100;
    });
    EXPECT_EQ(fileError, EACCES);
    const int folderError = AsNobody([&] {
        std::vector<PathProblem> problems;
        const auto files = CollectHistoryFiles({folder.path()}, problems);
        return problems.size() == 1 && problems[0].path == folder / "closed" && files.size() == 1
                   ? problems[0].error
                   : 100;
    });
    EXPECT_EQ(folderError, EACCES);
}

TEST(CountHistoryFile, InPiecesGivesWhatOneBlockGives)
{
    TempDir folder;
    const std::string text = "\xEF\xBB\xBF" + Hands(31, 600);
    WriteFile(folder / "h.txt", text);

    std::int32_t hands = 0, vppCents = 0;
    double vpp = 0;
    const std::wstring hero = L"Hero";
    HandHistoryParser parser(hero, RunningTotals{hands, vppCents, vpp}, nullptr);
    parser.ParseHandHistory(SplitLines(text.substr(3)));
    ASSERT_EQ(hands, 600);

    for (const std::uint64_t chunk :
         {std::uint64_t{1}, std::uint64_t{700}, std::uint64_t{65536}, kChunkBytes}) {
        const FileCount count = CountHistoryFile(folder / "h.txt", hero, false, chunk);
        EXPECT_EQ(count.error, 0);
        EXPECT_EQ(count.hands, hands) << chunk;
        EXPECT_EQ(count.vppCents, vppCents) << chunk;
    }
}

TEST(CountHistoryFiles, SideBySideGivesWhatOneAfterTheOtherGives)
{
    TempDir folder;
    std::vector<fs::path> files;
    for (int i = 0; i < 9; ++i) {
        files.push_back(folder / ("HH" + std::to_string(i) + ".txt"));
        WriteFile(files.back(), Hands(100 + i, 50 + 40 * i));
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

TEST(CountHistoryFile, KeepsTheAnalysisLogOnlyWhenAsked)
{
    TempDir folder;
    const std::string odd = "PokerStars Hand #1: Hold'em No Limit ($0.01/$0.02 USD) - no date";
    WriteFile(folder / "odd.txt",
              odd + "\nTable 'T' 6-max Seat #1 is the button\n\n" + Hands(3, 2));
    const FileCount quiet = CountHistoryFile(folder / "odd.txt", L"Hero");
    EXPECT_EQ(quiet.hands, 3);
    EXPECT_TRUE(quiet.log.empty());
    const FileCount logged = CountHistoryFile(folder / "odd.txt", L"Hero", true);
    EXPECT_EQ(logged.hands, 3);
    EXPECT_NE(logged.log.find(odd), std::string::npos) << logged.log;
}

TEST(CountReport, PointsHaveTwoDecimals)
{
    EXPECT_EQ(FormatVpp(0), "0.00");
    EXPECT_EQ(FormatVpp(5), "0.05");
    EXPECT_EQ(FormatVpp(120), "1.20");
    EXPECT_EQ(FormatVpp(123456), "1234.56");
    EXPECT_EQ(FormatVpp(-7), "-0.07");
    EXPECT_EQ(FormatVpp(9000000000000), "90000000000.00");
}

std::vector<FileCount> SomeCounts(const std::vector<std::string>& paths)
{
    std::vector<FileCount> counts;
    std::int64_t n = 1;
    for (const std::string& path : paths) {
        FileCount count;
        count.path = path;
        count.hands = n * 1000 + 7;
        count.vppCents = n * n * 12345;
        counts.push_back(count);
        ++n;
    }
    FileCount failed;
    failed.path = "unread.txt";
    failed.error = EACCES;
    counts.push_back(failed);
    return counts;
}

TEST(CountReport, TheTableIsAlignedAndLeavesOutWhatCouldNotBeRead)
{
    const std::string table = FormatTable(
        SomeCounts({"short.txt", "a/much/longer/path name.txt", "\xC3\xA9t\xC3\xA9.txt"}));
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < table.size();) {
        const std::size_t end = table.find('\n', start);
        lines.push_back(table.substr(start, end - start));
        start = end + 1;
    }
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
    const std::string json = FormatJson(SomeCounts({odd, "plain.txt"}));
    QJsonParseError error{};
    const QJsonObject object =
        QJsonDocument::fromJson(QByteArray::fromStdString(json), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json;
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
