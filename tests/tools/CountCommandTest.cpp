// zellwick-count end to end, as a player runs it over generated history files.

#include "tests/support/TestSupport.h"
#include "tests/tools/GeneratedHands.h"

#include "tools/zellwick-count/CountReport.h"
#include "tools/zellwick-count/HistoryCount.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

using namespace zellwick::test;
namespace fs = std::filesystem;

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct Outcome
{
    int status = 0;
    std::string out;
    std::string err;
};

Outcome Count(const std::string& args)
{
    TempDir scratch;
    Outcome run;
    run.status = RunCommand(Quote((BinDir() / "zellwick-count").string()) + " " + args + " 2>" +
                                Quote((scratch / "stderr").string()),
                            &run.out);
    run.err = ReadFile(scratch / "stderr");
    return run;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

QJsonObject Json(const std::string& text)
{
    QJsonParseError error{};
    const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return document.object();
}

// A player's history folder: client files in a nickname folder and a subfolder.
class HistoryFolder : public testing::Test
{
protected:
    void SetUp() override
    {
        Add("HH20240102 Caph - $0.01-$0.02 - USD No Limit Hold'em.txt", 11, 120);
        Add("HH20240101 Kepler II - $1-$2 - USD No Limit Hold'em.txt", 12, 80);
        Add("old/HH20231224 Vera - \xE2\x82\xAC"
            "0.05-\xE2\x82\xAC"
            "0.10.txt",
            13, 150);
        WriteFile(m_folder / "notes.log", "PokerStars Hand #1: not a history file\n");
    }

    void Add(const std::string& name, std::uint64_t seed, int hands)
    {
        zellwick::genhands::GeneratorOptions options;
        options.seed = seed;
        WriteFile(m_folder / name, "\xEF\xBB\xBF" + Generate(options, hands).text);
        m_hands += hands;
    }

    std::string Folder() const { return Quote(m_folder.path().string()); }

    TempDir m_folder;
    int m_hands = 0;
};

TEST_F(HistoryFolder, PrintsATableOfEveryFileInNameOrderAndTheTotal)
{
    const Outcome run = Count("--hero Hero " + Folder());
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
    const auto counts = zellwick::count::CountHistoryFiles(
        {m_folder / "HH20240101 Kepler II - $1-$2 - USD No Limit Hold'em.txt"}, L"Hero", 1);
    const std::string vpp = zellwick::count::FormatVpp(counts[0].vppCents);
    EXPECT_EQ(lines[1].substr(lines[1].size() - vpp.size()), vpp);
    EXPECT_NE(lines[1].find(" 80 "), std::string::npos);
}

TEST_F(HistoryFolder, JsonGivesTheSameFiguresAsOneObject)
{
    const Outcome table = Count("--hero Hero " + Folder());
    const Outcome run = Count("--json --hero Hero " + Folder());
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject json = Json(run.out);
    const QJsonArray files = json["files"].toArray();
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(files[0].toObject()["hands"].toInt(), 80);
    EXPECT_EQ(files[1].toObject()["hands"].toInt(), 120);
    EXPECT_EQ(files[2].toObject()["hands"].toInt(), 150);
    EXPECT_TRUE(files[2].toObject()["path"].toString().endsWith(
        QString::fromUtf8("old/HH20231224 Vera - \xE2\x82\xAC"
                          "0.05-\xE2\x82\xAC"
                          "0.10.txt")));
    qint64 vppCents = 0;
    for (const auto& file : files)
        vppCents += file.toObject()["vpp_cents"].toInteger();
    EXPECT_EQ(json["total"].toObject()["hands"].toInt(), m_hands);
    EXPECT_EQ(json["total"].toObject()["vpp_cents"].toInteger(), vppCents);
    const std::string total = zellwick::count::FormatVpp(vppCents);
    EXPECT_NE(Lines(table.out).back().find(total), std::string::npos);
}

TEST_F(HistoryFolder, OneFileAtATimeGivesWhatManyAtATimeGive)
{
    const Outcome one = Count("--jobs 1 --hero Hero " + Folder());
    const Outcome many = Count("--jobs 8 --hero Hero " + Folder());
    const Outcome usual = Count("--hero Hero " + Folder());
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out, many.out);
    EXPECT_EQ(one.out, usual.out);
}

TEST_F(HistoryFolder, AMissingPathIsNamedOnceAndTheRestIsCounted)
{
    const std::string missing = (m_folder / "no such file.txt").string();
    const Outcome run = Count("--json --hero Hero " + Quote(missing) + " " + Folder());
    EXPECT_EQ(run.status, 1);
    const auto errors = Lines(run.err);
    ASSERT_EQ(errors.size(), 1u) << run.err;
    EXPECT_NE(errors[0].find(missing), std::string::npos);
    EXPECT_NE(errors[0].find("No such file"), std::string::npos);
    EXPECT_EQ(Json(run.out)["total"].toObject()["hands"].toInt(), m_hands);
}

TEST_F(HistoryFolder, ASingleFileIsCountedWhateverItsName)
{
    WriteFile(m_folder / "export.log", ReadFile(m_folder / "old" /
                                                "HH20231224 Vera - \xE2\x82\xAC"
                                                "0.05-\xE2\x82\xAC"
                                                "0.10.txt"));
    const Outcome run = Count("--json --hero Hero " + Quote((m_folder / "export.log").string()));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Json(run.out)["total"].toObject()["hands"].toInt(), 150);
}

TEST_F(HistoryFolder, TheLogGetsTheHeadersTheAnalysisDoesNotKnow)
{
    const std::string odd = "PokerStars Hand #5: Hold'em No Limit ($0.01/$0.02 USD) - when?";
    WriteFile(m_folder / "odd.txt", odd + "\n*** SUMMARY ***\nTotal pot $1 | Rake $0\n");
    const fs::path log =
        m_folder.path().parent_path() / (m_folder.path().filename().string() + ".log");
    const Outcome quiet = Count("--hero Hero " + Folder());
    EXPECT_EQ(quiet.err, "");
    const Outcome run = Count("--hero Hero --log " + Quote(log.string()) + " " + Folder());
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string text = ReadFile(log);
    fs::remove(log);
    EXPECT_NE(text.find("GetTypeTable unrecognized string: <" + odd + ">"), std::string::npos)
        << text;
}

// Zellwick's own settings, written the way the application writes them.
class StoredSettings
{
public:
    StoredSettings(const QString& nickname, const QString& history)
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Tervalon", "Zellwick");
        settings.beginGroup("BaseInfo");
        if (!nickname.isEmpty())
            settings.setValue("Nickname", nickname);
        if (!history.isEmpty())
            settings.setValue("History", history);
        settings.endGroup();
        settings.sync();
        m_file = settings.fileName();
    }
    ~StoredSettings() { QFile::remove(m_file); }

private:
    QString m_file;
};

TEST_F(HistoryFolder, WithoutNicknameOrFolderItSaysWhatIsMissing)
{
    const Outcome nothing = Count("");
    EXPECT_EQ(nothing.status, 2);
    EXPECT_NE(nothing.err.find("no nickname"), std::string::npos) << nothing.err;
    EXPECT_NE(nothing.err.find("no history folder"), std::string::npos) << nothing.err;
    EXPECT_EQ(nothing.out, "");

    const Outcome noHero = Count(Folder());
    EXPECT_EQ(noHero.status, 2);
    EXPECT_NE(noHero.err.find("no nickname"), std::string::npos) << noHero.err;
    EXPECT_EQ(noHero.err.find("no history folder"), std::string::npos) << noHero.err;

    const Outcome noFolder = Count("--hero Hero");
    EXPECT_EQ(noFolder.status, 2);
    EXPECT_NE(noFolder.err.find("no history folder"), std::string::npos) << noFolder.err;
}

TEST_F(HistoryFolder, ZellwicksStoredNicknameAndFolderAreUsedWhenNotGiven)
{
    const StoredSettings stored("Hero", QString::fromStdString(m_folder.path().string()));
    const Outcome given = Count("--json --hero Hero " + Folder());
    const Outcome fromSettings = Count("--json");
    ASSERT_EQ(fromSettings.status, 0) << fromSettings.err;
    EXPECT_EQ(fromSettings.out, given.out);

    // What is given wins over what is stored.
    const Outcome otherHero = Count("--json --hero Nobody");
    EXPECT_EQ(Json(otherHero.out)["total"].toObject()["vpp_cents"].toInt(), 0);
    EXPECT_EQ(Json(otherHero.out)["total"].toObject()["hands"].toInt(), m_hands);
}

TEST(CountCommand, HelpAndMistakes)
{
    Outcome run = Count("--help");
    EXPECT_EQ(run.status, 0);
    for (const char* part : {"--hero", "--json", "--log", "PATH"})
        EXPECT_NE(run.out.find(part), std::string::npos) << part;
    run = Count("--hero");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--hero needs"), std::string::npos) << run.err;
    run = Count("--frobnicate x");
    EXPECT_EQ(run.status, 2);
    run = Count("--jobs 0 --hero Hero /tmp");
    EXPECT_EQ(run.status, 2);
}

} // namespace
