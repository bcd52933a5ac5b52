// zellwick-genhands and zellwick-count as a player, the demo and scripts run them, and the
// parts of counting that the generated folder does not reach: links, permissions, odd names.

#include "tests/support/TestSupport.h"
#include "tests/tools/ToolTestSupport.h"

#include "tools/zellwick-count/CountReport.h"
#include "tools/zellwick-count/HistoryCount.h"

#include <QJsonArray>

#include <cstring>

#include <gtest/gtest.h>

namespace {

using namespace zellwick::count;
using namespace zellwick::test;
namespace fs = std::filesystem;

TEST(Commands, HelpNamesTheOptionsAndAMistakeSaysWhatIsWrongWithStatus2)
{
    for (const std::string option : {"--seed", "--hands", "--hero", "--truth", "--append-every"})
        EXPECT_NE(RunTool("zellwick-genhands", "--help").out.find(option), std::string::npos);
    for (const std::string option : {"--hero", "--json", "--log", "--jobs", "--follow"})
        EXPECT_NE(RunTool("zellwick-count", "--help").out.find(option), std::string::npos);
    // clang-format off
    const std::tuple<const char*, const char*, const char*> mistakes[] = {
        {"zellwick-genhands", "--seed 3", "--hands"}, {"zellwick-genhands", "--hands 3 --kind x", ""},
        {"zellwick-genhands", "--hands 3 --stakes 0.03/0.06", "0.01/0.02"}, // the levels listed
        {"zellwick-genhands", "--append-every 1", "--out"}, {"zellwick-count", "--hero", "--hero needs"},
        {"zellwick-count", "--frobnicate x", "--frobnicate"}, {"zellwick-count", "--jobs 0 --hero H /", "--jobs"},
        {"zellwick-count", "", "no nickname"}, {"zellwick-count", "--hero Hero", "no history folder"}};
    // clang-format on
    for (const auto& [tool, args, named] : mistakes) {
        const ToolRun run = RunTool(tool, args);
        EXPECT_EQ(run.status, 2) << tool << " " << args;
        EXPECT_NE(run.err.find(named), std::string::npos) << args << ": " << run.err;
        EXPECT_EQ(run.out, "") << args;
    }
}

TEST(GenHandsCommand, TheSameSeedGivesTheSameHandsAndAFileGrowsOneWholeHandAtATime)
{
    const auto count = [](const std::string& text, const std::string& part) {
        std::size_t n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    };
    TempDir folder;
    const std::string three = RunTool("zellwick-genhands", "--seed 8 --hands 3").out;
    EXPECT_EQ(count(three, "\n\n\n\nPokerStars "), 2u); // three blank lines after each hand
    EXPECT_TRUE(three.ends_with("\n\n\n\n"));
    EXPECT_NE(RunTool("zellwick-genhands", "--seed 9 --hands 3").out, three);
    const std::string out = " --out " + Quote((folder / "growing.txt").string());
    const auto truth = folder / "truth.json";
    ASSERT_EQ(RunTool("zellwick-genhands", "--seed 8 --hands 3 --append-every 0.01" + out +
                                               " --truth " + Quote(truth.string()))
                  .status,
              0);
    EXPECT_EQ(ReadFile(folder / "growing.txt"), "\xEF\xBB\xBF" + three);
    EXPECT_EQ(ParseJson(ReadFile(truth))["hands"].toArray().size(), 3);
    // A file that is there is continued, without a second byte-order mark.
    ASSERT_EQ(RunTool("zellwick-genhands", "--hands 2 --append-every 0.01" + out).status, 0);
    EXPECT_EQ(count(ReadFile(folder / "growing.txt"), "\xEF\xBB\xBF"), 1u);
    EXPECT_EQ(count(ReadFile(folder / "growing.txt"), "*** SUMMARY ***"), 5u);
    const std::string nowhere = Quote((folder / "no such folder" / "hands.txt").string());
    for (const std::string& args : {"--out " + nowhere, "--append-every 0.01 --out " + nowhere,
                                    std::string("--out /dev/full")}) {
        const ToolRun run = RunTool("zellwick-genhands", "--hands 5 " + args);
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_NE(run.err.find("cannot write"), std::string::npos) << args << ": " << run.err;
    }
}

TEST(CountCommand, FilesBelowAFolderAreTakenOnceEachInNameOrderAndUnreadableOnesNamed)
{
    TempDir folder;
    for (const char* name : {"b.txt", "a.txt", "notes.log", "sub/c.txt", "sub/deeper/d.txt",
                             "subfolder.txt/e.txt", "txt", ".txt"})
        WriteFile(folder / name, GeneratedText(1, 1));
    // Links lead back into the tree or to a file already taken; a dangling one is named later.
    fs::create_directory_symlink(folder.path(), folder / "sub" / "loop");
    fs::create_symlink(folder / "a.txt", folder / "sub" / "same.txt");
    fs::create_symlink(folder / "gone.txt", folder / "sub" / "dangling.txt");
    const auto names = [&](const std::vector<fs::path>& paths, std::vector<PathProblem>& problems) {
        std::string text;
        for (const fs::path& file : CollectHistoryFiles(paths, problems))
            text += file.lexically_relative(folder.path()).string() + " ";
        for (const PathProblem& problem : problems)
            text +=
                "(" + problem.path.filename().string() + ": " + std::strerror(problem.error) + ")";
        return text;
    };
    std::vector<PathProblem> problems;
    EXPECT_EQ(names({folder.path(), folder / "a.txt", folder / "missing"}, problems),
              "a.txt b.txt sub/c.txt sub/dangling.txt sub/deeper/d.txt subfolder.txt/e.txt "
              "(missing: No such file or directory)");
    fs::permissions(folder.path(), fs::perms(0755));
    fs::permissions(folder / "b.txt", fs::perms(0600));
    fs::permissions(folder / "sub", fs::perms(0700));
    const int result = RunAsOtherUser([&] {
        std::vector<PathProblem> found;
        const bool listed = names({folder.path()}, found) ==
                            "a.txt b.txt subfolder.txt/e.txt (sub: Permission denied)";
        const FileCount count = CountHistoryFile(folder / "b.txt", L"Hero");
        return listed && count.hands == 0 ? count.error : 100;
    });
    if (result < 0)
        GTEST_SKIP() << "cannot run a check as user 65534 here";
    EXPECT_EQ(result, EACCES);
}

TEST(CountReport, TheTableIsAlignedWithTwoDecimalsAndJsonGivesEveryPathBack)
{
    const std::vector<FileCount> counts = {{"short.txt", 1007, 12345, 0, ""},
                                           {"\xC3\xA9t\xC3\xA9.txt", 2007, -7, 0, ""},
                                           {"a \"b\"\\\t\n\xFF.txt", 3007, 111105, 0, ""},
                                           {"unread.txt", 0, 0, EACCES, ""}};
    // An accented letter takes one column; what cannot be shown on one line is a '?'.
    EXPECT_EQ(FormatTable(counts), "FILE             HANDS      VPP\n"
                                   "short.txt         1007   123.45\n"
                                   "\xC3\xA9t\xC3\xA9.txt           2007    -0.07\n"
                                   "a \"b\"\\???.txt     3007  1111.05\n"
                                   "TOTAL (3 files)   6021  1234.43\n");
    EXPECT_EQ(FormatJson(counts),
              R"({"files": [
  {"path": "short.txt", "hands": 1007, "vpp_cents": 12345},
  {"path": ")"
              "\xC3\xA9t\xC3\xA9"
              R"(.txt", "hands": 2007, "vpp_cents": -7},
  {"path": "a \"b\"\\\u0009\u000a\ufffd.txt", "hands": 3007, "vpp_cents": 111105}
],
 "total": {"hands": 6021, "vpp_cents": 123443, "files": 3}}
)");
}

} // namespace
