// The whole road of a hand: another process appends generated hands while the folder is
// watched, and the follower counts exactly what zellwick-count counts over the same text.

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

// The text as one word of the shell.
std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

fs::path Tool(const char* name)
{
    return BinDir() / name;
}

bool ToolsBuilt()
{
    return fs::exists(Tool("zellwick-genhands")) && fs::exists(Tool("zellwick-count"));
}

// zellwick-genhands appending one whole hand per write, as the client does while the hero
// plays.
std::unique_ptr<QProcess> StartAppending(const fs::path& file, int hands, int seed)
{
    auto process = std::make_unique<QProcess>();
    process->setProgram(QString::fromStdString(Tool("zellwick-genhands").string()));
    process->setArguments({"--hands", QString::number(hands), "--seed", QString::number(seed),
                           "--append-every", "0.005", "--out",
                           QString::fromStdString(file.string())});
    process->start();
    return process;
}

bool WaitUntilEnded(QProcess& process, std::chrono::milliseconds timeout = std::chrono::minutes(2))
{
    return WaitFor([&] { return process.state() == QProcess::NotRunning; }, timeout);
}

QJsonObject CountJson(const std::vector<fs::path>& files)
{
    std::string command = Quote(Tool("zellwick-count").string()) + " --json --hero Hero";
    for (const fs::path& file : files)
        command += " " + Quote(file.string());
    std::string out;
    EXPECT_EQ(RunCommand(command, &out), 0) << command;
    return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
}

Count Totals(const QJsonObject& report)
{
    const QJsonObject total = report["total"].toObject();
    return {total["hands"].toInt(-1), total["vpp_cents"].toInt(-1)};
}

class FollowEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!ToolsBuilt())
            GTEST_SKIP() << "zellwick-genhands and zellwick-count are not built";
    }

    TempDir dir;
};

TEST_F(FollowEndToEnd, HandsAppendedByAnotherProcessCountAsACountOfTheirText)
{
    Follower follower;
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    // One file at the top, one in a folder made while watching.
    fs::create_directory(dir / "2024");
    const fs::path first = dir / "HH20240105 Caph - $0.01-$0.02 - USD No Limit Hold'em.txt";
    const fs::path second = dir / "2024" / "HH20240105 Vera - $1-$2 - USD No Limit Hold'em.txt";
    auto writerA = StartAppending(first, 150, 21);
    auto writerB = StartAppending(second, 100, 22);
    ASSERT_TRUE(WaitUntilEnded(*writerA));
    ASSERT_TRUE(WaitUntilEnded(*writerB));
    ASSERT_EQ(writerA->exitCode(), 0);
    ASSERT_EQ(writerB->exitCode(), 0);
    ASSERT_TRUE(follower.WaitUntilRead(first));
    ASSERT_TRUE(follower.WaitUntilRead(second));

    const Count counted = Totals(CountJson({first, second}));
    EXPECT_EQ(counted.hands, 250);
    EXPECT_EQ(follower.m_nHandCount, counted.hands);
    EXPECT_EQ(follower.m_nVppCents, counted.vppCents);
    EXPECT_GT(follower.m_nVppCents, 0);
}

// zellwick-count --follow as a player runs it, stopped with Ctrl+C.
class FollowCommand : public FollowEndToEnd
{
protected:
    void StartFollowing(const QStringList& extra = {})
    {
        follow.setProgram(QString::fromStdString(Tool("zellwick-count").string()));
        follow.setArguments(
            QStringList{"--follow", QString::fromStdString(dir.path().string()), "--hero", "Hero"} +
            extra);
        follow.start();
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
    auto earlier = StartAppending(old, 20, 31);
    ASSERT_TRUE(WaitUntilEnded(*earlier));
    const auto oldSize = static_cast<std::streamoff>(fs::file_size(old));

    StartFollowing({"--json"});
    const fs::path created = dir / "HH20240105 Una - $0.01-$0.02 - USD No Limit Hold'em.txt";
    auto writerA = StartAppending(created, 120, 32);
    auto writerB = StartAppending(old, 60, 33);
    ASSERT_TRUE(WaitUntilEnded(*writerA));
    ASSERT_TRUE(WaitUntilEnded(*writerB));
    // The live line (on standard error with --json) shows every hand before the stop.
    ASSERT_TRUE(WaitFor([&] { return Err().find("  180 hands  ") != std::string::npos; },
                        std::chrono::minutes(1)))
        << Err();
    Interrupt(SIGINT);

    // The same text counted afterwards: the new file whole, the old one from its size then.
    TempDir scratch;
    const fs::path appended = scratch / "appended.txt";
    WriteFile(appended, ReadFile(old).substr(static_cast<size_t>(oldSize)));
    const QJsonObject expected = CountJson({created, appended});
    const QJsonObject followed = QJsonDocument::fromJson(QByteArray::fromStdString(Out())).object();
    ASSERT_FALSE(followed.isEmpty()) << Out();
    EXPECT_EQ(Totals(followed).hands, 180);
    EXPECT_EQ(Totals(followed).hands, Totals(expected).hands);
    EXPECT_EQ(Totals(followed).vppCents, Totals(expected).vppCents);

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
    const fs::path created = dir / "HH new.txt";
    WriteFile(created, Hands(3));
    ASSERT_TRUE(WaitFor([&] { return Out().find("  3 hands  0.90 VPP") != std::string::npos; }))
        << Out();
    Interrupt(SIGTERM);
    EXPECT_NE(Out().find("TOTAL (1 file)"), std::string::npos) << Out();
}

TEST_F(FollowCommand, AFolderThatCannotBeWatchedIsAnError)
{
    const std::string tool = Quote(Tool("zellwick-count").string()) + " --hero Hero --follow ";
    std::string out;
    EXPECT_EQ(RunCommand(tool + Quote((dir / "missing").string()) + " 2>&1", &out), 1);
    EXPECT_NE(out.find("cannot follow"), std::string::npos) << out;
    out.clear();
    EXPECT_EQ(RunCommand(tool + Quote(dir.path().string()) + " other 2>&1", &out), 2);
    EXPECT_NE(out.find("--follow takes its folder alone"), std::string::npos) << out;
    out.clear();
    EXPECT_EQ(RunCommand(Quote(Tool("zellwick-count").string()) + " --help", &out), 0);
    EXPECT_NE(out.find("--follow FOLDER"), std::string::npos);
}

} // namespace
