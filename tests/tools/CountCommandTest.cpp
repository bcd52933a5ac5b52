// zellwick-count end to end, as a player runs it over generated history files.

#include "tests/support/TestSupport.h"
#include "tests/tools/ToolTestSupport.h"

#include "tools/zellwick-count/CountReport.h"
#include "tools/zellwick-count/HistoryCount.h"

#include <QFile>
#include <QJsonArray>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

using namespace zellwick::test;
namespace fs = std::filesystem;

const std::string kVera = "old/HH20231224 Vera - \xE2\x82\xAC"
                          "0.05-\xE2\x82\xAC"
                          "0.10.txt";
const std::string kKepler = "HH20240101 Kepler II - $1-$2 - USD No Limit Hold'em.txt";

ToolRun Count(const std::string& args)
{
    return RunTool("zellwick-count", args);
}

qint64 Total(const QJsonObject& report, const char* key)
{
    return report["total"].toObject()[key].toInteger();
}

// A player's history folder: client files in a nickname folder and a subfolder.
class HistoryFolder : public testing::Test
{
protected:
    void SetUp() override
    {
        Add("HH20240102 Caph - $0.01-$0.02 - USD No Limit Hold'em.txt", 11, 120);
        Add(kKepler, 12, 80);
        Add(kVera, 13, 150);
        WriteFile(m_folder / "notes.log", "PokerStars Hand #1: not a history file\n");
    }

    void Add(const std::string& name, std::uint64_t seed, int hands)
    {
        WriteFile(m_folder / name, "\xEF\xBB\xBF" + GeneratedText(seed, hands));
        m_hands += hands;
    }

    std::string Folder() const { return Quote(m_folder.path().string()); }

    TempDir m_folder;
    int m_hands = 0;
};

TEST_F(HistoryFolder, TableAndJsonGiveTheAnalysisFiguresOfEveryFileWhateverTheJobs)
{
    const ToolRun run = Count("--hero Hero " + Folder());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_NE(lines[1].find("HH20240101 Kepler II"), std::string::npos);
    EXPECT_NE(lines[2].find("HH20240102 Caph"), std::string::npos);
    EXPECT_NE(lines[3].find("old/HH20231224 Vera"), std::string::npos);
    EXPECT_EQ(lines[4].rfind("TOTAL (3 files)", 0), 0u);
    EXPECT_NE(lines[4].find(" " + std::to_string(m_hands) + " "), std::string::npos);
    // The figures are the analysis's, file by file.
    const auto counts = zellwick::count::CountHistoryFiles({m_folder / kKepler}, L"Hero", 1);
    const std::string vpp = zellwick::count::FormatVpp(counts[0].vppCents);
    EXPECT_EQ(lines[1].substr(lines[1].size() - vpp.size()), vpp);
    EXPECT_NE(lines[1].find(" 80 "), std::string::npos);

    const ToolRun json = Count("--json --hero Hero " + Folder());
    ASSERT_EQ(json.status, 0) << json.err;
    const QJsonObject report = ParseJson(json.out);
    const QJsonArray files = report["files"].toArray();
    ASSERT_EQ(files.size(), 3);
    qint64 vppCents = 0;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(files[i].toObject()["hands"].toInt(), (std::vector<int>{80, 120, 150}[i]));
        vppCents += files[i].toObject()["vpp_cents"].toInteger();
    }
    EXPECT_TRUE(files[2].toObject()["path"].toString().endsWith(QString::fromStdString(kVera)));
    EXPECT_EQ(Total(report, "hands"), m_hands);
    EXPECT_EQ(Total(report, "vpp_cents"), vppCents);
    EXPECT_NE(lines[4].find(zellwick::count::FormatVpp(vppCents)), std::string::npos);

    EXPECT_EQ(Count("--jobs 1 --hero Hero " + Folder()).out, run.out);
    EXPECT_EQ(Count("--jobs 8 --hero Hero " + Folder()).out, run.out);
}

TEST_F(HistoryFolder, AMissingPathIsNamedOnceAndTheRestIsCountedAFileWhateverItsName)
{
    const std::string missing = (m_folder / "no such file.txt").string();
    TempDir other;
    WriteFile(other / "export.log", ReadFile(m_folder / kVera));
    const ToolRun run = Count("--json --hero Hero " + Quote(missing) + " " + Folder() + " " +
                              Quote((other / "export.log").string()));
    EXPECT_EQ(run.status, 1);
    const auto errors = Lines(run.err);
    ASSERT_EQ(errors.size(), 1u) << run.err;
    EXPECT_NE(errors[0].find(missing), std::string::npos);
    EXPECT_NE(errors[0].find("No such file"), std::string::npos);
    const QJsonObject report = ParseJson(run.out);
    EXPECT_EQ(Total(report, "hands"), m_hands + 150);
    EXPECT_EQ(report["files"].toArray().size(), 4);
}

TEST_F(HistoryFolder, TheLogGetsTheHeadersTheAnalysisDoesNotKnow)
{
    const std::string odd = "PokerStars Hand #5: Hold'em No Limit ($0.01/$0.02 USD) - when?";
    WriteFile(m_folder / "odd.txt", odd + "\n*** SUMMARY ***\nTotal pot $1 | Rake $0\n");
    EXPECT_EQ(Count("--hero Hero " + Folder()).err, "");
    TempDir logs;
    const ToolRun run =
        Count("--hero Hero --log " + Quote((logs / "count.log").string()) + " " + Folder());
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string text = ReadFile(logs / "count.log");
    EXPECT_NE(text.find("GetTypeTable unrecognized string: <" + odd + ">"), std::string::npos)
        << text;
}

TEST_F(HistoryFolder, ZellwicksStoredNicknameAndFolderAreUsedWhenNotGiven)
{
    const std::pair<const char*, std::vector<const char*>> missing[] = {
        {"", {"no nickname", "no history folder"}},
        {"--hero Hero", {"no history folder"}},
    };
    for (const auto& [args, complaints] : missing) {
        const ToolRun run = Count(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.out, "") << args;
        for (const char* complaint : complaints)
            EXPECT_NE(run.err.find(complaint), std::string::npos) << args << ": " << run.err;
    }
    const ToolRun noHero = Count(Folder());
    EXPECT_EQ(noHero.status, 2);
    EXPECT_NE(noHero.err.find("no nickname"), std::string::npos) << noHero.err;
    EXPECT_EQ(noHero.err.find("no history folder"), std::string::npos) << noHero.err;

    QString stored;
    {
        // Written the way the application writes them.
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Tervalon", "Zellwick");
        settings.setValue("BaseInfo/Nickname", "Hero");
        settings.setValue("BaseInfo/History", QString::fromStdString(m_folder.path().string()));
        stored = settings.fileName();
    }
    const ToolRun fromSettings = Count("--json");
    const ToolRun otherHero = Count("--json --hero Nobody"); // what is given wins
    QFile::remove(stored);
    ASSERT_EQ(fromSettings.status, 0) << fromSettings.err;
    EXPECT_EQ(fromSettings.out, Count("--json --hero Hero " + Folder()).out);
    EXPECT_EQ(Total(ParseJson(otherHero.out), "vpp_cents"), 0);
    EXPECT_EQ(Total(ParseJson(otherHero.out), "hands"), m_hands);
}

TEST(CountCommand, HelpAndMistakes)
{
    const ToolRun help = Count("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* part : {"--hero", "--json", "--log", "PATH"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    EXPECT_NE(Count("--hero").err.find("--hero needs"), std::string::npos);
    for (const char* args : {"--hero", "--frobnicate x", "--jobs 0 --hero Hero /tmp"})
        EXPECT_EQ(Count(args).status, 2) << args;
}

} // namespace
