// zellwick-count --follow as a player runs it: another process appends generated hands while
// it follows, and it counts exactly what zellwick-count counts over the same text.

#include "tests/follow/FollowTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace fs = std::filesystem;
using namespace zellwick::test;

namespace {

QString Tool(const char* name)
{
    return QString::fromStdString((BinDir() / name).string());
}

bool WaitUntilEnded(QProcess& process, std::chrono::milliseconds timeout = std::chrono::minutes(2))
{
    return WaitFor([&] { return process.state() == QProcess::NotRunning; }, timeout);
}

// zellwick-genhands appending one whole hand per write, as the client does while the hero
// plays; true when it ended well.
bool Append(const std::vector<std::pair<fs::path, int>>& files, int seed)
{
    std::vector<std::unique_ptr<QProcess>> writers;
    for (const auto& [file, hands] : files) {
        writers.push_back(std::make_unique<QProcess>());
        writers.back()->start(Tool("zellwick-genhands"),
                              {"--hands", QString::number(hands), "--seed", QString::number(seed++),
                               "--append-every", "0.005", "--out",
                               QString::fromStdString(file.string())});
    }
    bool ended = true;
    for (auto& writer : writers)
        ended = WaitUntilEnded(*writer) && writer->exitCode() == 0 && ended;
    return ended;
}

struct Count
{
    int hands = -1;
    int vppCents = -1;
};

Count Totals(const QJsonObject& report)
{
    const QJsonObject total = report["total"].toObject();
    return {total["hands"].toInt(-1), total["vpp_cents"].toInt(-1)};
}

// What zellwick-count --json gives for the files.
Count Counted(const std::vector<fs::path>& files)
{
    QProcess count;
    QStringList args{"--json", "--hero", "Hero"};
    for (const fs::path& file : files)
        args << QString::fromStdString(file.string());
    count.start(Tool("zellwick-count"), args);
    EXPECT_TRUE(WaitUntilEnded(count));
    EXPECT_EQ(count.exitCode(), 0);
    return Totals(QJsonDocument::fromJson(count.readAllStandardOutput()).object());
}

class FollowCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!fs::exists(BinDir() / "zellwick-genhands") || !fs::exists(BinDir() / "zellwick-count"))
            GTEST_SKIP() << "zellwick-genhands and zellwick-count are not built";
    }

    void StartFollowing(const QStringList& extra = {})
    {
        follow.start(
            Tool("zellwick-count"),
            QStringList{"--follow", QString::fromStdString(dir.path().string()), "--hero", "Hero"} +
                extra);
        ASSERT_TRUE(WaitFor([&] { return Err().find("following") != std::string::npos; })) << Err();
    }

    std::string Out() { return m_out += follow.readAllStandardOutput().toStdString(); }
    std::string Err() { return m_err += follow.readAllStandardError().toStdString(); }

    void Interrupt(int signal)
    {
        ASSERT_EQ(::kill(static_cast<pid_t>(follow.processId()), signal), 0);
        ASSERT_TRUE(WaitUntilEnded(follow));
        EXPECT_EQ(follow.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(follow.exitCode(), 0) << Err();
    }

    void TearDown() override
    {
        if (follow.state() != QProcess::NotRunning) {
            follow.kill();
            follow.waitForFinished();
        }
    }

    TempDir dir;
    QProcess follow;

private:
    std::string m_out;
    std::string m_err;
};

TEST_F(FollowCommand, CountsWhatIsAppendedUntilInterruptedAndPrintsTheTotals)
{
    // Written before the start: its earlier hands are not counted, the appended ones are.
    const fs::path old = dir / "HH20240104 Kepler - $0.05-$0.10 - USD No Limit Hold'em.txt";
    WriteFile(old, "");
    ASSERT_TRUE(Append({{old, 20}}, 31));
    const auto oldSize = static_cast<std::size_t>(fs::file_size(old));

    StartFollowing({"--json"});
    const fs::path created = dir / "HH20240105 Una - $0.01-$0.02 - USD No Limit Hold'em.txt";
    ASSERT_TRUE(Append({{created, 120}, {old, 60}}, 32));
    // The live line (on standard error with --json) shows every hand before the stop.
    ASSERT_TRUE(WaitFor([&] { return Err().find("  180 hands  ") != std::string::npos; },
                        std::chrono::minutes(1)))
        << Err();
    Interrupt(SIGINT);

    // The same text counted afterwards: the new file whole, the old one from its size then.
    TempDir scratch;
    WriteFile(scratch / "appended.txt", ReadFile(old).substr(oldSize));
    const Count expected = Counted({created, scratch / "appended.txt"});
    const QJsonObject followed = QJsonDocument::fromJson(QByteArray::fromStdString(Out())).object();
    ASSERT_FALSE(followed.isEmpty()) << Out();
    EXPECT_EQ(Totals(followed).hands, 180);
    EXPECT_EQ(Totals(followed).hands, expected.hands);
    EXPECT_EQ(Totals(followed).vppCents, expected.vppCents);
    const QJsonArray files = followed["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0].toObject()["path"].toString().toStdString(), old.string());
    EXPECT_EQ(files[0].toObject()["hands"].toInt(), 60);
    EXPECT_EQ(files[1].toObject()["path"].toString().toStdString(), created.string());
    EXPECT_EQ(files[1].toObject()["hands"].toInt(), 120);
}

TEST_F(FollowCommand, SigtermEndsItAsWellAndTheTableIsPrinted)
{
    StartFollowing();
    WriteFile(dir / "HH new.txt", Hands(3));
    ASSERT_TRUE(WaitFor([&] { return Out().find("  3 hands  0.90 VPP") != std::string::npos; }))
        << Out();
    Interrupt(SIGTERM);
    EXPECT_NE(Out().find("TOTAL (1 file)"), std::string::npos) << Out();
}

TEST_F(FollowCommand, AFolderThatCannotBeWatchedIsAnError)
{
    const auto run = [](const QStringList& args, int status, const std::string& says) {
        QProcess count;
        count.setProcessChannelMode(QProcess::MergedChannels);
        count.start(Tool("zellwick-count"), args);
        ASSERT_TRUE(WaitUntilEnded(count));
        EXPECT_EQ(count.exitCode(), status);
        const std::string out = count.readAll().toStdString();
        EXPECT_NE(out.find(says), std::string::npos) << out;
    };
    const QString folder = QString::fromStdString(dir.path().string());
    run({"--hero", "Hero", "--follow", folder + "/missing"}, 1, "cannot follow");
    run({"--hero", "Hero", "--follow", folder, "other"}, 2, "--follow takes its folder alone");
    run({"--help"}, 0, "--follow FOLDER");
}

} // namespace
