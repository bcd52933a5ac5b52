// The tools as a player, the demo and scripts run them, and generated hands against the
// generator's own bookkeeping: the analysis hand by hand, the money the text itself shows, and
// zellwick-count over files written by zellwick-genhands. Together they check splitting,
// headers, pots, rake, the hero's money, the rate table and the rounding over every kind of hand.

#include "history/HandAnalysis.h"
#include "history/HandText.h"
#include "tests/support/TestSupport.h"
#include "tools/zellwick-count/CountReport.h"
#include "tools/zellwick-count/HistoryCount.h"
#include "tools/zellwick-genhands/HandGenerator.h"
#include "tools/zellwick-genhands/Pots.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <set>

namespace {

using namespace zellwick::genhands;
using namespace zellwick::test;
using namespace zellwick::count;
namespace fs = std::filesystem;

struct GeneratedHands
{
    std::string text;
    std::vector<HandTruth> truth;
};

GeneratedHands Generate(const GeneratorOptions& options, int hands)
{
    GeneratedHands generated;
    HandGenerator generator(options);
    for (int i = 0; i < hands; ++i)
        generated.truth.push_back(generator.Next(generated.text));
    return generated;
}

// The text cut at "\n", without the line breaks.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// The text as one word of the shell.
std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct ToolRun
{
    int status = 0;
    std::string out;
    std::string err;
};

// Runs one of the project's programs with the arguments, already quoted for the shell.
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

// The JSON object of the text; a test failure when it is none.
QJsonObject ParseJson(const std::string& text)
{
    QJsonParseError error{};
    const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return document.object();
}

// The JSON text in one canonical form (keys sorted, no blanks), so a difference reads plainly.
std::string Compact(const std::string& json)
{
    return QJsonDocument(ParseJson(json)).toJson(QJsonDocument::Compact).toStdString();
}

struct Recorder : HandHistoryParser::Observer
{
    void OnHandEvaluated(const HandLines& hand, const HandFacts& facts, int nVppCents) override
    {
        hands.push_back({hand, facts, nVppCents});
    }
    std::vector<std::tuple<HandLines, HandFacts, int>> hands;
};

// The text's own money, every seated player's read as the hero's is: all that was put in is the
// pot, and all that was collected is the pot less the rake.
std::pair<std::int64_t, std::int64_t> PutInAndCollected(const HandLines& hand, int bigBlind)
{
    double putIn = 0.0, collected = 0.0;
    for (const std::wstring& line : hand) {
        if (const std::size_t chips = line.find(L" in chips)"); chips != std::wstring::npos) {
            const std::size_t name = line.find(L": ") + 2;
            double invested = 0.0;
            int seats = 0;
            GetHeroInvested(hand, line.substr(name, line.rfind(L" (", chips) - name), bigBlind,
                            invested, seats);
            putIn += invested;
        }
        const std::size_t at = line.find(L" collected ");
        if (at != std::wstring::npos && !line.starts_with(L"Seat "))
            collected += zellwick::history::ReadAmount(line.substr(at + 12));
    }
    return {std::llround(putIn * 100), std::llround(collected * 100)};
}

// A hand's figures as text, so that two sides compare at once and a difference reads plainly.
// Seats and the hero's money count only where there is rake.
std::string Figures(std::int64_t pot, std::int64_t rake, int currency, std::int64_t bigBlind,
                    int seats, std::int64_t hero, const std::string& more)
{
    return std::to_string(pot) + " pot, " + std::to_string(rake) + " rake, currency " +
           std::to_string(currency) + ", big blind " + std::to_string(bigBlind) + ", " +
           std::to_string(rake > 0 ? seats : 0) + "-max, hero " +
           std::to_string(rake > 0 ? hero : 0) + more;
}

class GeneratedCorpus : public testing::TestWithParam<TableKind>
{};

TEST_P(GeneratedCorpus, TheAnalysisAndTheTextsMoneyAgreeWithTheTruthHandByHand)
{
    GeneratorOptions options;
    options.kind = GetParam();
    options.seed = std::array{11, 12, 2024}[static_cast<std::size_t>(GetParam())];
    const GeneratedHands generated = Generate(options, 8000);
    std::int32_t hands = 0, vppCents = 0;
    double vpp = 0.0;
    Recorder recorder;
    const std::wstring hero = L"Hero"; // the parser reads it at every hand
    HandHistoryParser parser(hero, RunningTotals{hands, vppCents, vpp}, nullptr);
    parser.SetObserver(&recorder);
    HandLines lines;
    for (const std::string& line : Lines(generated.text))
        lines.push_back(QString::fromStdString(line).toStdWString());
    parser.ParseHandHistory(lines);
    ASSERT_EQ(recorder.hands.size(), generated.truth.size());
    const bool mixed = GetParam() == TableKind::Mixed;
    int failures = 0;
    std::int64_t truthVpp = 0;
    std::set<int> kinds; // table sizes, and the currencies and big blinds the hero earned at
    for (std::size_t i = 0; i < generated.truth.size() && failures < 10; ++i) {
        const HandTruth& h = generated.truth[i];
        truthVpp += h.vppCents;
        kinds.insert(h.heroDealt ? h.seats : -1);
        if (h.vppCents > 0)
            kinds.insert({10 + h.currency, 100 + std::min(h.bigBlindCents, 25)});
        if (!mixed && h.zoom != (GetParam() == TableKind::Zoom) && ++failures)
            ADD_FAILURE() << "hand #" << h.handId << " of the wrong kind of table";
        const std::string points = ", vpp " + std::to_string(h.vppCents);
        const auto& [text, f, seen] = recorder.hands[i];
        const std::string analysed = Figures(
            std::llround(f.dPot * 100), std::llround(f.dRake * 100), f.nCurrency, f.nBigBlindCents,
            f.nSeats, std::llround(f.dHeroInvested * 100), ", vpp " + std::to_string(seen));
        const std::string truth = Figures(h.potCents, h.rakeCents, h.currency, h.bigBlindCents,
                                          h.seats, h.heroInvestedCents, points);
        if (analysed != truth && ++failures)
            ADD_FAILURE() << "hand #" << h.handId << "\n  analysis: " << analysed
                          << "\n  truth:    " << truth;
        const auto [putIn, collected] = PutInAndCollected(text, h.bigBlindCents);
        if ((putIn != h.potCents || collected != h.potCents - h.rakeCents) && ++failures)
            ADD_FAILURE() << "hand #" << h.handId << ": put in " << putIn << ", collected "
                          << collected << ", truth: pot " << h.potCents << " less " << h.rakeCents;
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(hands, 8000);
    EXPECT_EQ(vppCents, truthVpp);
    EXPECT_DOUBLE_EQ(vpp, vppCents * 0.01);
    if (!mixed)
        return;
    // The agreement proves little unless every kind of hand is there.
    EXPECT_EQ(kinds, (std::set<int>{-1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 102, 105, 110,
                                    125})); // a hero who sat out too
    for (const char* part :
         {"PokerStars Zoom Hand #", " ET]\n", " ET\n", "Hold'em Pot Limit", ": bets ",
          " and is all-in", ": posts the ante ", "Hero: posts small & big blinds ",
          "*** SHOW DOWN ***", " Side pot-2 ", "\nHero2: ", "\nSuperHero: ", "\nHero_x: ", ",000",
          ") returned to SuperHero\n"})
        EXPECT_NE(generated.text.find(part), std::string::npos) << part;
}

INSTANTIATE_TEST_SUITE_P(Kinds, GeneratedCorpus,
                         testing::Values(TableKind::Cash, TableKind::Zoom, TableKind::Mixed));

// zellwick-genhands writes a player's folder, and zellwick-count gives the truth's totals.
TEST(GeneratedFolder, CountingWhatTheGeneratorWroteGivesItsTruthWithTheStoredSettingsOrWithout)
{
    TempDir folder;
    const std::string names[] = {"HH20240102 Caph - $0.01-$0.02 - USD No Limit Hold'em.txt",
                                 "HH20240101 Kepler II - $1-$2 - USD No Limit Hold'em.txt",
                                 "old/HH20231224 Vera - \xE2\x82\xAC"
                                 "0.05.txt"};
    std::int64_t vppCents[3] = {};
    for (int i = 0; i < 3; ++i) {
        const std::string file = (folder / names[i]).string();
        std::filesystem::create_directories((folder / names[i]).parent_path());
        ASSERT_EQ(RunTool("zellwick-genhands", "--seed " + std::to_string(i) +
                                                   " --hands 100 --out " + Quote(file) +
                                                   " --truth " + Quote(file + ".json"))
                      .status,
                  0);
        const QJsonObject truth = ParseJson(ReadFile(file + ".json"));
        for (const auto& hand : truth["hands"].toArray())
            vppCents[i] += hand.toObject()["vpp_cents"].toInteger();
        EXPECT_EQ(truth["total"].toObject()["vpp_cents"].toInteger(), vppCents[i]);
    }
    // Read in pieces of any size, a file gives what one block gives.
    for (const std::uint64_t chunk :
         {std::uint64_t{1}, std::uint64_t{700}, zellwick::count::kChunkBytes})
        EXPECT_EQ(
            zellwick::count::CountHistoryFile(folder / names[1], L"Hero", false, chunk).vppCents,
            vppCents[1])
            << chunk;
    const std::string odd = "PokerStars Hand #5: Hold'em No Limit ($0.01/$0.02 USD) - when?";
    WriteFile(folder / "old" / "odd.txt", odd + "\n*** SUMMARY ***\nTotal pot $1 | Rake $0\n");
    WriteFile(folder / "notes.log", "PokerStars Hand #1: not a history file\n");
    QString stored;
    {
        // Written the way the application writes them.
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Tervalon", "Zellwick");
        settings.setValue("BaseInfo/Nickname", "Hero");
        settings.setValue("BaseInfo/History", QString::fromStdString(folder.path().string()));
        stored = settings.fileName();
    }
    const ToolRun table =
        RunTool("zellwick-count", "--log " + Quote((folder / "count.log").string()));
    const ToolRun json = RunTool("zellwick-count", "--json");
    const ToolRun otherHero = RunTool("zellwick-count", "--json --hero Nobody"); // given wins
    QFile::remove(stored);
    const std::string args = "--hero Hero " + Quote(folder.path().string());
    EXPECT_EQ(json.out, RunTool("zellwick-count", "--json " + args).out);
    const QJsonObject report = ParseJson(json.out);
    const QJsonArray files = report["files"].toArray();
    ASSERT_EQ(files.size(), 4);
    EXPECT_TRUE(files[2].toObject()["path"].toString().endsWith(QString::fromStdString(names[2])));
    EXPECT_EQ(files[0].toObject()["vpp_cents"].toInteger(), vppCents[1]); // Kepler first by name
    const std::int64_t total = vppCents[0] + vppCents[1] + vppCents[2];
    EXPECT_EQ(report["total"].toObject()["vpp_cents"].toInteger(), total);
    EXPECT_EQ(report["total"].toObject()["hands"].toInteger(), 301);
    EXPECT_EQ(ParseJson(otherHero.out)["total"].toObject()["vpp_cents"].toInteger(), 0);
    EXPECT_NE(ReadFile(folder / "count.log").find("unrecognized string: <" + odd + ">"),
              std::string::npos);
    EXPECT_EQ(std::pair(table.status, table.err), std::pair(0, std::string()));
    const auto lines = Lines(table.out);
    ASSERT_EQ(lines.size(), 6u) << table.out;
    EXPECT_TRUE(lines[3].starts_with(folder.path().string() + "/old/HH20231224 Vera"));
    EXPECT_TRUE(lines[5].starts_with("TOTAL (4 files) ") &&
                lines[5].ends_with(" 301  " + zellwick::count::FormatVpp(total)))
        << lines[5];
    for (const char* jobs : {"--jobs 1 ", "--jobs 8 "})
        EXPECT_EQ(RunTool("zellwick-count", jobs + args).out, table.out) << jobs;

    // A missing path is named, with status 1; the rest is counted, and a file named is taken
    // whatever its name.
    const std::string missing = (folder / "no such file.txt").string();
    const ToolRun run = RunTool("zellwick-count", "--json " + args + " " + Quote(missing) + " " +
                                                      Quote((folder / "notes.log").string()));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "zellwick-count: cannot read " + missing + ": No such file or directory\n");
    EXPECT_EQ(ParseJson(run.out)["total"].toObject()["files"].toInteger(), 5);
    EXPECT_EQ(ParseJson(run.out)["total"].toObject()["hands"].toInteger(), 301);
}

// The text checks itself only as far as the collected amounts add up to the pot less the rake.
TEST(Pots, AllInsMakeSidePotsEachPaysItsRakeAndEqualHandsShareWithTheOddCentFirst)
{
    // A all-in for 100, B and C for 300, D folded after 50; C has the best hand. Main pot
    // 4 x 100 less D's unused 50 = 350, side pot 2 x 200 = 400; the rake of 30 split 14 and 16.
    const std::vector<Pot> pots =
        SplitPots({{100, false, 20}, {300, false, 10}, {300, false, 30}, {50, true, 99}}, 30);
    ASSERT_EQ(pots.size(), 2u);
    EXPECT_EQ(std::tuple(pots[0].amount, pots[1].amount, pots[1].winners),
              std::tuple(350 - 14, 400 - 16, std::vector<int>{2}));
    const Pot split = SplitPots({{101, false, 7}, {101, false, 7}, {101, false, 3}}, 0).at(0);
    EXPECT_EQ(std::tuple(split.winners, Shares(split)),
              std::tuple(std::vector<int>{0, 1}, std::vector<std::int64_t>{152, 151}));
}

TEST(Commands, HelpNamesTheOptionsAndAMistakeSaysWhatIsWrongWithStatus2)
{
    for (const std::string option : {"--seed", "--hands", "--hero", "--truth", "--append-every"})
        EXPECT_NE(RunTool("zellwick-genhands", "--help").out.find(option), std::string::npos);
    for (const std::string option :
         {"--hero", "--json", "--log", "--jobs", "--follow", "--sessions", "--from", "--to"})
        EXPECT_NE(RunTool("zellwick-count", "--help").out.find(option), std::string::npos);
    // clang-format off
    const std::tuple<const char*, const char*, const char*> mistakes[] = {
        {"zellwick-genhands", "--seed 3", "--hands"}, {"zellwick-genhands", "--hands 3 --kind x", ""},
        {"zellwick-genhands", "--hands 3 --stakes 0.03/0.06", "0.01/0.02"}, // the levels listed
        {"zellwick-genhands", "--append-every 1", "--out"}, {"zellwick-count", "--hero", "--hero needs"},
        {"zellwick-count", "--frobnicate x", "--frobnicate"}, {"zellwick-count", "--jobs 0 --hero H /", "--jobs"},
        {"zellwick-count", "", "no nickname"}, {"zellwick-count", "--hero Hero", "no history folder"},
        {"zellwick-count", "--sessions --from 2026-02-30", "--from"}, {"zellwick-count", "--to 2026-12-01", "--sessions"},
        {"zellwick-count", "--sessions --from 2026-12-02 --to 2026-12-01", "after"},
        {"zellwick-count", "--sessions --hero H", "--hero"}, {"zellwick-count", "--sessions a b", "one FILE"}};
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
    TempDir folder;
    const std::string three = RunTool("zellwick-genhands", "--seed 8 --hands 3").out;
    EXPECT_EQ(std::ranges::count(Lines(three), ""), 9); // three blank lines after each hand
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
    const std::string grown = ReadFile(folder / "growing.txt");
    EXPECT_EQ(grown.find("\xEF\xBB\xBF", 1), std::string::npos);
    EXPECT_EQ(std::ranges::count(Lines(grown), "*** SUMMARY ***"), 5);
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
        WriteFile(folder / name, "x\n");
    // Links lead back into the tree or to a file already taken; a dangling one is named later.
    fs::create_directory_symlink(folder.path(), folder / "sub" / "loop");
    fs::create_symlink(folder / "a.txt", folder / "sub" / "same.txt");
    fs::create_symlink(folder / "gone.txt", folder / "sub" / "dangling.txt");
    const auto names = [&](const std::vector<fs::path>& paths, std::vector<PathProblem>& problems) {
        std::string text;
        for (const fs::path& file : CollectHistoryFiles(paths, problems))
            text += file.lexically_relative(folder.path()).string() + " ";
        // Appended piece by piece: a literal plus a temporary draws a false -Wrestrict at -O3.
        for (const PathProblem& problem : problems)
            text.append("(")
                .append(problem.path.filename().string())
                .append(": ")
                .append(std::strerror(problem.error))
                .append(")");
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

// A sessions file as the window keeps it, with a line a crash cut short.
const char* const kSessions =
    "start,end,play_seconds,hands,vpp_hundredths,nickname,history_folder\n"
    "2026-11-30T23:15:00+01:00,2026-12-01T01:20:05+01:00,7205,402,5188,Hero,/hh\n"
    "2026-12-01T20:05:00+01:00,2026-12-01T22:40:12+01:00,9012,412,6123,Hero,/hh\n"
    "2026-12-01T23:59:00+01:00,2026-12\n"
    // Played in New York: the next day in UTC, still the first of December there.
    "2026-12-01T19:30:00-05:00,2026-12-01T21:00:00-05:00,5400,300,3001,\"Hero, on tour\",/h\n"
    "2026-12-02T10:00:00+01:00,2026-12-02T10:00:30+01:00,0,0,0,Hero,/hh\n";

TEST(SessionsCommand, TheSessionsAndTheirTotalsPerDayMonthAndOverallAsTextAndJson)
{
    TempDir folder;
    const fs::path file = folder / "sessions.csv";
    WriteFile(file, kSessions);
    const ToolRun text = RunTool("zellwick-count", "--sessions " + Quote(file.string()));
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.err, "zellwick-count: Skipped damaged line 4 of " + file.string() + "\n");
    // Rates of 24.459 and 20.006 points an hour round half up.
    EXPECT_EQ(text.out, "START             END       PLAY  HANDS     VPP  VPP/H\n"
                        "2026-11-30 23:15  01:20 +1  2:00    402   51.88  25.92\n"
                        "2026-12-01 20:05  22:40     2:30    412   61.23  24.46\n"
                        "2026-12-01 19:30  21:00     1:30    300   30.01  20.01\n"
                        "2026-12-02 10:00  10:00     0:00      0    0.00      -\n"
                        "\n"
                        "DAY               SESSIONS  PLAY  HANDS     VPP  VPP/H\n"
                        "2026-11-30               1  2:00    402   51.88  25.92\n"
                        "2026-12-01               2  4:00    712   91.24  22.79\n"
                        "2026-12-02               1  0:00      0    0.00      -\n"
                        "\n"
                        "MONTH             SESSIONS  PLAY  HANDS     VPP  VPP/H\n"
                        "2026-11                  1  2:00    402   51.88  25.92\n"
                        "2026-12                  3  4:00    712   91.24  22.79\n"
                        "TOTAL                    4  6:00   1114  143.12  23.83\n");
    const ToolRun json = RunTool("zellwick-count", "--json --sessions " + Quote(file.string()));
    EXPECT_EQ(std::pair(json.status, json.err), std::pair(0, text.err));
    const std::string hh = R"(, "nickname": "Hero", "history_folder": "/hh"},)";
    EXPECT_EQ(Compact(json.out), Compact(R"({"file": ")" + file.string() + R"(", "sessions": [
  {"start": "2026-11-30T23:15:00+01:00", "end": "2026-12-01T01:20:05+01:00", "play_seconds": 7205,
   "hands": 402, "vpp_hundredths": 5188, "vpp_per_hour_hundredths": 2592)" +
                                         hh + R"(
  {"start": "2026-12-01T20:05:00+01:00", "end": "2026-12-01T22:40:12+01:00", "play_seconds": 9012,
   "hands": 412, "vpp_hundredths": 6123, "vpp_per_hour_hundredths": 2446)" +
                                         hh + R"(
  {"start": "2026-12-01T19:30:00-05:00", "end": "2026-12-01T21:00:00-05:00", "play_seconds": 5400,
   "hands": 300, "vpp_hundredths": 3001, "vpp_per_hour_hundredths": 2001,
   "nickname": "Hero, on tour", "history_folder": "/h"},
  {"start": "2026-12-02T10:00:00+01:00", "end": "2026-12-02T10:00:30+01:00", "play_seconds": 0,
   "hands": 0, "vpp_hundredths": 0, "vpp_per_hour_hundredths": null)" +
                                         hh.substr(0, hh.size() - 1) + R"(],
 "days": [{"date": "2026-11-30", "sessions": 1, "play_seconds": 7205, "hands": 402,
           "vpp_hundredths": 5188, "vpp_per_hour_hundredths": 2592},
          {"date": "2026-12-01", "sessions": 2, "play_seconds": 14412, "hands": 712,
           "vpp_hundredths": 9124, "vpp_per_hour_hundredths": 2279},
          {"date": "2026-12-02", "sessions": 1, "play_seconds": 0, "hands": 0,
           "vpp_hundredths": 0, "vpp_per_hour_hundredths": null}],
 "months": [{"month": "2026-11", "sessions": 1, "play_seconds": 7205, "hands": 402,
             "vpp_hundredths": 5188, "vpp_per_hour_hundredths": 2592},
            {"month": "2026-12", "sessions": 3, "play_seconds": 14412, "hands": 712,
             "vpp_hundredths": 9124, "vpp_per_hour_hundredths": 2279}],
 "overall": {"sessions": 4, "play_seconds": 21617, "hands": 1114, "vpp_hundredths": 14312,
             "vpp_per_hour_hundredths": 2383},
 "damaged_lines": [4]})"));
}

TEST(SessionsCommand, FromAndToTakeWholeDaysNoFileYetIsNoSessionsAndAnUnreadableOneAnError)
{
    TempDir folder;
    WriteFile(folder / "sessions.csv", kSessions);
    const std::tuple<const char*, const char*, int> ranges[] = {
        {"--from 2026-12-01", "2026-12-01 2026-12-02 ", 3},
        {"--to 2026-12-01", "2026-11-30 2026-12-01 ", 3},
        {"--from 2026-12-01 --to=2026-12-01", "2026-12-01 ", 2},
        {"--from 2026-12-03", "", 0}};
    for (const auto& [range, days, sessions] : ranges) {
        const QJsonObject report =
            ParseJson(RunTool("zellwick-count", "--sessions --json " + std::string(range) + " " +
                                                    Quote((folder / "sessions.csv").string()))
                          .out);
        std::string dates;
        for (const auto& day : report["days"].toArray())
            dates += day.toObject()["date"].toString().toStdString() + " ";
        EXPECT_EQ(dates, days) << range;
        EXPECT_EQ(report["overall"].toObject()["sessions"].toInteger(), sessions) << range;
    }
    // The user's own file, not kept yet.
    ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    const ToolRun text = RunTool("zellwick-count", "--sessions");
    const ToolRun json = RunTool("zellwick-count", "--sessions --json");
    ::unsetenv("XDG_DATA_HOME");
    const std::string file = (folder / "data" / "Zellwick" / "sessions.csv").string();
    const std::string notice = "No sessions kept yet: " + file + " does not exist\n";
    EXPECT_EQ(std::tuple(text.status, text.out, text.err), std::tuple(0, notice, std::string()));
    EXPECT_EQ(std::pair(json.status, json.err), std::pair(0, notice));
    EXPECT_EQ(Compact(json.out), Compact(R"({"file": ")" + file + R"(", "sessions": [],
        "days": [], "months": [], "damaged_lines": [], "overall": {"sessions": 0,
        "play_seconds": 0, "hands": 0, "vpp_hundredths": 0, "vpp_per_hour_hundredths": null}})"));
    const ToolRun unreadable =
        RunTool("zellwick-count", "--sessions " + Quote(folder.path().string()));
    EXPECT_EQ(
        std::tuple(unreadable.status, unreadable.out, unreadable.err),
        std::tuple(1, std::string(),
                   "zellwick-count: cannot read " + folder.path().string() + ": Is a directory\n"));
}

} // namespace
