// zellwick-count --follow as a player runs it: other processes append generated hands while
// it follows; stopped with Ctrl+C, it has counted what zellwick-count counts over that text.

#include "tests/follow/FollowTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

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

bool Ended(QProcess& process)
{
    return WaitFor([&] { return process.state() == QProcess::NotRunning; },
                   std::chrono::minutes(2));
}

QJsonObject Json(QProcess& process)
{
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

TEST(FollowCommand, CountsWhatIsAppendedUntilInterruptedAndPrintsTheTotals)
{
    if (!fs::exists(BinDir() / "zellwick-genhands") || !fs::exists(BinDir() / "zellwick-count"))
        GTEST_SKIP() << "zellwick-genhands and zellwick-count are not built";
    TempDir dir;
    const fs::path old = dir / "HH20240104 Kepler - $0.05-$0.10 - USD No Limit Hold'em.txt";
    const fs::path created =
        dir / "2024" / "HH20240105 Una - $0.01-$0.02 - USD No Limit Hold'em.txt";
    const auto append = [](const std::vector<std::pair<fs::path, int>>& files, int seed) {
        std::vector<std::unique_ptr<QProcess>> writers;
        for (const auto& [file, hands] : files) {
            writers.push_back(std::make_unique<QProcess>());
            writers.back()->start(Tool("zellwick-genhands"),
                                  {"--hands", QString::number(hands), "--seed",
                                   QString::number(seed++), "--append-every", "0.005", "--out",
                                   QString::fromStdString(file.string())});
        }
        for (auto& writer : writers)
            ASSERT_TRUE(Ended(*writer) && writer->exitCode() == 0);
    };
    WriteFile(old, "");
    append({{old, 20}}, 31);
    const auto oldSize = static_cast<std::size_t>(fs::file_size(old));
    fs::create_directory(dir / "2024");

    QProcess follow;
    std::string err;
    follow.start(Tool("zellwick-count"), {"--follow", QString::fromStdString(dir.path().string()),
                                          "--hero", "Hero", "--json"});
    const auto says = [&](const std::string& text) {
        return WaitFor(
            [&] {
                return (err += follow.readAllStandardError().toStdString()).find(text) !=
                       std::string::npos;
            },
            std::chrono::minutes(1));
    };
    ASSERT_TRUE(says("following")) << err;
    append({{created, 120}, {old, 60}}, 32);
    ASSERT_TRUE(says("  180 hands  ")) << err; // the live line, on standard error with --json
    ASSERT_EQ(::kill(static_cast<pid_t>(follow.processId()), SIGINT), 0);
    ASSERT_TRUE(Ended(follow));
    EXPECT_EQ(follow.exitCode(), 0) << err;
    const QJsonObject followed = Json(follow);

    // The same text counted afterwards: the new file whole, the old one from its size then.
    TempDir scratch;
    WriteFile(scratch / "appended.txt", ReadFile(old).substr(oldSize));
    QProcess count;
    count.start(Tool("zellwick-count"),
                {"--json", "--hero", "Hero", QString::fromStdString(created.string()),
                 QString::fromStdString((scratch / "appended.txt").string())});
    ASSERT_TRUE(Ended(count));
    const QJsonObject expected = Json(count)["total"].toObject();
    EXPECT_EQ(followed["total"].toObject(), expected);
    EXPECT_EQ(expected["hands"].toInt(), 180);
    const QJsonArray files = followed["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0].toObject()["path"].toString().toStdString(), created.string());
    EXPECT_EQ(files[1].toObject()["hands"].toInt(), 60);

    QProcess missing;
    missing.setProcessChannelMode(QProcess::MergedChannels);
    missing.start(Tool("zellwick-count"), {"--hero", "Hero", "--follow",
                                           QString::fromStdString((dir / "missing").string())});
    ASSERT_TRUE(Ended(missing));
    EXPECT_EQ(missing.exitCode(), 1);
    EXPECT_TRUE(missing.readAll().contains("cannot follow"));
}

} // namespace
