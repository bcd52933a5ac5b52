// zellwick-genhands as a player's scripts and the demo use it: files, truth, appending.

#include "tests/support/TestSupport.h"
#include "tests/tools/ToolTestSupport.h"

#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

using namespace zellwick::test;

const std::string kBom = "\xEF\xBB\xBF";

ToolRun GenHands(const std::string& args)
{
    return RunTool("zellwick-genhands", args);
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(GenHandsCommand, HelpExplainsTheOptionsAndMistakesSayWhatIsWrong)
{
    const ToolRun help = GenHands("--help");
    ASSERT_EQ(help.status, 0);
    for (const char* option : {"--seed", "--hands", "--hero", "--out", "--truth", "--stakes",
                               "--kind", "--append-every"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    const std::pair<const char*, const char*> mistakes[] = {
        {"--seed 3", "--hands"},
        {"--hands 3 --stakes 0.03/0.06", "0.01/0.02"}, // the levels are listed
        {"--hands 3 --kind tournament", ""},
        {"--hands x", ""},
        {"--hands 3 --bogus 1", ""},
        {"--append-every 1", "--out"}};
    for (const auto& [args, named] : mistakes) {
        const ToolRun run = GenHands(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find(named), std::string::npos) << args << ": " << run.err;
        EXPECT_EQ(run.out, "") << args;
    }
}

TEST(GenHandsCommand, WritesTheFileAsTheClientDoesAndTheTruthBesideIt)
{
    TempDir folder;
    const auto hands = folder / "HH20240101 Hero.txt";
    const auto truth = folder / "truth.json";
    const ToolRun run = GenHands("--seed 4 --hands 200 --hero Hero --out " + Quote(hands.string()) +
                                 " --truth " + Quote(truth.string()));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const std::string text = ReadFile(hands);
    ASSERT_EQ(text.substr(0, 3), kBom);
    const ToolRun toStdout = GenHands("--seed 4 --hands 200 --hero Hero");
    EXPECT_EQ(text.substr(3), toStdout.out) << "the same seed gives the same hands anywhere";
    EXPECT_EQ(Count(text, "\n\n\n\nPokerStars "), 199u);

    const QJsonObject json = ParseJson(ReadFile(truth));
    EXPECT_EQ(json["hero"].toString(), "Hero");
    EXPECT_EQ(json["seed"].toInt(), 4);
    const QJsonArray list = json["hands"].toArray();
    ASSERT_EQ(list.size(), 200);
    qint64 vppCents = 0;
    for (const auto& hand : list) {
        for (const char* key : {"id", "currency", "bb_cents", "seats", "pot_cents", "rake_cents",
                                "hero_invested_cents", "vpp_cents"})
            EXPECT_TRUE(hand.toObject().contains(key)) << key;
        vppCents += hand.toObject()["vpp_cents"].toInteger();
    }
    EXPECT_EQ(json["total"].toObject()["hands"].toInt(), 200);
    EXPECT_EQ(json["total"].toObject()["vpp_cents"].toInteger(), vppCents);
}

TEST(GenHandsCommand, AppendsOneWholeHandAtATimeAndContinuesAFile)
{
    TempDir folder;
    const std::string out = " --out " + Quote((folder / "growing.txt").string());
    const auto truth = folder / "truth.json";
    ASSERT_EQ(GenHands("--seed 8 --hands 3 --append-every 0.01" + out + " --truth " +
                       Quote(truth.string()))
                  .status,
              0);
    const std::string atOnce = GenHands("--seed 8 --hands 3").out;
    EXPECT_EQ(ReadFile(folder / "growing.txt"), kBom + atOnce);
    EXPECT_EQ(ParseJson(ReadFile(truth))["hands"].toArray().size(), 3);
    EXPECT_FALSE(std::filesystem::exists(folder / "truth.json.part"));

    // A file that is already there is continued, without a second byte-order mark.
    ASSERT_EQ(GenHands("--seed 8 --hands 2 --append-every 0.01" + out).status, 0);
    const std::string grown = ReadFile(folder / "growing.txt");
    EXPECT_EQ(Count(grown, kBom), 1u);
    EXPECT_EQ(Count(grown, "*** SUMMARY ***"), 5u);
    EXPECT_EQ(grown.substr(0, 3 + atOnce.size()), kBom + atOnce);
}

TEST(GenHandsCommand, AFileThatCannotBeWrittenFailsLoudly)
{
    TempDir folder;
    const std::string nowhere = Quote((folder / "no such folder" / "hands.txt").string());
    for (const std::string& args :
         {"--hands 5 --out " + nowhere, "--hands 5 --append-every 0.01 --out " + nowhere,
          std::string("--hands 5 --out /dev/full")}) {
        const ToolRun run = GenHands(args);
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_NE(run.err.find("cannot write"), std::string::npos) << args << ": " << run.err;
    }
}

} // namespace
