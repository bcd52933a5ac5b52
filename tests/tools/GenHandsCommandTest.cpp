// zellwick-genhands as a player's scripts and the demo use it: files, truth, appending.

#include "tests/support/TestSupport.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

using namespace zellwick::test;

const std::string kBom = "\xEF\xBB\xBF";

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the generator with the arguments; its standard error is kept apart in errors.
int GenHands(const std::string& args, std::string* output, std::string* errors = nullptr)
{
    TempDir scratch;
    const auto errorFile = scratch / "stderr";
    const int status = RunCommand(Quote((BinDir() / "zellwick-genhands").string()) + " " + args +
                                      " 2>" + Quote(errorFile.string()),
                                  output);
    if (errors)
        *errors = ReadFile(errorFile);
    return status;
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

QJsonObject ReadJson(const std::filesystem::path& file)
{
    const std::string bytes = ReadFile(file);
    QJsonParseError error{};
    const auto document = QJsonDocument::fromJson(
        QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return document.object();
}

TEST(GenHandsCommand, HelpExplainsTheOptions)
{
    std::string output;
    ASSERT_EQ(GenHands("--help", &output), 0);
    for (const char* option : {"--seed", "--hands", "--hero", "--out", "--truth", "--stakes",
                               "--kind", "--append-every"})
        EXPECT_NE(output.find(option), std::string::npos) << option;
}

TEST(GenHandsCommand, MistakesInTheOptionsSayWhatIsWrong)
{
    std::string output, errors;
    EXPECT_EQ(GenHands("--seed 3", &output, &errors), 2);
    EXPECT_NE(errors.find("--hands"), std::string::npos) << errors;
    EXPECT_EQ(GenHands("--hands 3 --stakes 0.03/0.06", &output, &errors), 2);
    EXPECT_NE(errors.find("0.01/0.02"), std::string::npos) << "the levels are listed: " << errors;
    EXPECT_EQ(GenHands("--hands 3 --kind tournament", &output, &errors), 2);
    EXPECT_EQ(GenHands("--hands x", &output, &errors), 2);
    EXPECT_EQ(GenHands("--hands 3 --bogus 1", &output, &errors), 2);
    EXPECT_EQ(GenHands("--append-every 1", &output, &errors), 2);
    EXPECT_NE(errors.find("--out"), std::string::npos) << errors;
    EXPECT_TRUE(output.empty());
}

TEST(GenHandsCommand, WritesTheFileAsTheClientDoesAndTheTruthBesideIt)
{
    TempDir folder;
    const auto hands = folder / "HH20240101 Hero.txt";
    const auto truth = folder / "truth.json";
    std::string printed;
    ASSERT_EQ(GenHands("--seed 4 --hands 200 --hero Hero --out " + Quote(hands.string()) +
                           " --truth " + Quote(truth.string()),
                       &printed),
              0);
    EXPECT_TRUE(printed.empty());
    const std::string text = ReadFile(hands);
    ASSERT_EQ(text.substr(0, 3), kBom);

    std::string toStdout;
    ASSERT_EQ(GenHands("--seed 4 --hands 200 --hero Hero", &toStdout), 0);
    EXPECT_EQ(text.substr(3), toStdout) << "the same seed gives the same hands anywhere";

    const QJsonObject json = ReadJson(truth);
    EXPECT_EQ(json["hero"].toString(), "Hero");
    EXPECT_EQ(json["seed"].toInt(), 4);
    const QJsonArray list = json["hands"].toArray();
    ASSERT_EQ(list.size(), 200);
    qint64 vppCents = 0;
    for (const auto& hand : list) {
        const QJsonObject object = hand.toObject();
        for (const char* key : {"id", "currency", "bb_cents", "seats", "pot_cents", "rake_cents",
                                "hero_invested_cents", "vpp_cents"})
            EXPECT_TRUE(object.contains(key)) << key;
        vppCents += object["vpp_cents"].toInteger();
    }
    EXPECT_EQ(json["total"].toObject()["hands"].toInt(), 200);
    EXPECT_EQ(json["total"].toObject()["vpp_cents"].toInteger(), vppCents);
    EXPECT_EQ(Count(text, "\n\n\n\nPokerStars "), 199u);
}

TEST(GenHandsCommand, AppendsOneWholeHandAtATime)
{
    TempDir folder;
    const auto hands = folder / "growing.txt";
    const auto truth = folder / "truth.json";
    std::string output;
    ASSERT_EQ(GenHands("--seed 8 --hands 3 --append-every 0.01 --out " + Quote(hands.string()) +
                           " --truth " + Quote(truth.string()),
                       &output),
              0);
    std::string atOnce;
    ASSERT_EQ(GenHands("--seed 8 --hands 3", &atOnce), 0);
    EXPECT_EQ(ReadFile(hands), kBom + atOnce);
    EXPECT_EQ(ReadJson(truth)["hands"].toArray().size(), 3);
    EXPECT_FALSE(std::filesystem::exists(folder / "truth.json.part"));

    // A file that is already there is continued, without a second byte-order mark.
    ASSERT_EQ(
        GenHands("--seed 8 --hands 2 --append-every 0.01 --out " + Quote(hands.string()), &output),
        0);
    const std::string grown = ReadFile(hands);
    EXPECT_EQ(Count(grown, kBom), 1u);
    EXPECT_EQ(Count(grown, "*** SUMMARY ***"), 5u);
    EXPECT_EQ(grown.substr(0, 3 + atOnce.size()), kBom + atOnce);
}

TEST(GenHandsCommand, AFileThatCannotBeWrittenFailsLoudly)
{
    TempDir folder;
    std::string output, errors;
    const auto nowhere = folder / "no such folder" / "hands.txt";
    EXPECT_EQ(GenHands("--hands 5 --out " + Quote(nowhere.string()), &output, &errors), 1);
    EXPECT_NE(errors.find("cannot write"), std::string::npos) << errors;
    EXPECT_EQ(GenHands("--hands 5 --append-every 0.01 --out " + Quote(nowhere.string()), &output,
                       &errors),
              1);
    EXPECT_NE(errors.find("cannot write"), std::string::npos) << errors;
    EXPECT_EQ(GenHands("--hands 5 --out /dev/full", &output, &errors), 1);
    EXPECT_NE(errors.find("cannot write"), std::string::npos) << errors;
}

} // namespace
