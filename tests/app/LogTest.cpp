#include "app/Executable.h"
#include "app/ZellwickApp.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace zellwick::test;

namespace {

class LogTest : public ::testing::Test
{
protected:
    std::unique_ptr<CZellwickApp> MakeApp() { return MakeApp(m_dir.wpath()); }
    std::unique_ptr<CZellwickApp> MakeApp(const std::wstring& folder)
    {
        return std::make_unique<CZellwickApp>(folder, L"LogTest");
    }
    fs::path LogPath() const { return m_dir / "Zellwick.log"; }

    TempDir m_dir;
};

TEST_F(LogTest, FirstRunCreatesTheLogAndStampsEachLineFlushedAtOnce)
{
    auto app = MakeApp();
    EXPECT_TRUE(app->m_bLogOpen);
    EXPECT_EQ(app->m_strLogPath, m_dir.wpath() + L"/Zellwick.log");
    app->WriteLog(L"Zellwick start");
    app->WriteLog(L"Zellwick InitInstance()");
    // Read while the log is still open: every line is on disk already.
    const auto lines = ReadLines(LogPath());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(IsStampedLine(lines[0], "Zellwick start")) << lines[0];
    EXPECT_TRUE(IsStampedLine(lines[1], "Zellwick InitInstance()")) << lines[1];
    EXPECT_EQ(ReadFile(LogPath()).back(), '\n');
}

TEST_F(LogTest, LeadingLineFeedLeavesTheStampAloneOnItsLine)
{
    auto app = MakeApp();
    app->WriteLog(L"\n================================");
    app->WriteLog(L"\nVersion build data:  24.11.2016\nVersion number v2.7\n");
    const std::string text = ReadFile(LogPath());
    EXPECT_TRUE(std::regex_match(text, std::regex(kStampPattern + "\n={32}\n" + kStampPattern +
                                                  "\nVersion build data:  24\\.11\\.2016\n"
                                                  "Version number v2\\.7\n\n")))
        << text;
}

TEST_F(LogTest, TextIsWrittenAsUtf8)
{
    auto app = MakeApp();
    app->WriteLog(L"Nickname = J\u00fcrgen \u20ac \U0001F0A1");
    const auto lines = ReadLines(LogPath());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(IsStampedLine(lines[0], "Nickname = J\xC3\xBCrgen \xE2\x82\xAC \xF0\x9F\x82\xA1"));
}

TEST_F(LogTest, RawWritesHaveNoStampNoLineFeedAndReachTheFileAtClose)
{
    auto app = MakeApp();
    app->WriteRaw(L"GetTypeTable unrecognized string: <");
    app->WriteRaw(L"PokerStars Game #1");
    app->WriteRaw(L">\n");
    app->WriteRaw(L"no line end");
    app.reset();
    EXPECT_EQ(ReadFile(LogPath()),
              "GetTypeTable unrecognized string: <PokerStars Game #1>\nno line end");
}

TEST_F(LogTest, LogUnderTheTrimSizeStaysWholeInFront)
{
    const std::string old = "old line 1\n" + std::string(190000, 'x') + "\n";
    WriteFile(LogPath(), old);
    MakeApp()->WriteLog(L"second run");
    const std::string text = ReadFile(LogPath());
    ASSERT_GT(text.size(), old.size());
    EXPECT_EQ(text.substr(0, old.size()), old);
    EXPECT_TRUE(IsStampedLine(text.substr(old.size(), text.size() - old.size() - 1), "second run"));
}

TEST_F(LogTest, OverlongLogIsShortenedBeforeItIsOpened)
{
    std::string old;
    int count = 0;
    while (old.size() <= 250000)
        old += "old line " + std::to_string(++count) + " of an earlier run\n";
    WriteFile(LogPath(), old);
    const std::string lastOld = "old line " + std::to_string(count) + " of an earlier run";

    auto app = MakeApp();
    ASSERT_TRUE(app->m_bLogOpen);
    EXPECT_LE(fs::file_size(LogPath()), CZellwickApp::kLogKeepBytes);
    app->WriteLog(L"after the trim");

    const auto lines = ReadLines(LogPath());
    ASSERT_GE(lines.size(), 2u);
    EXPECT_TRUE(std::regex_match(lines.front(), std::regex("old line \\d+ of an earlier run")))
        << "the kept part starts at a line start: " << lines.front();
    EXPECT_EQ(lines[lines.size() - 2], lastOld);
    EXPECT_TRUE(IsStampedLine(lines.back(), "after the trim"));
}

TEST_F(LogTest, NoLogWhereItCannotBeCreatedAndNoCrash)
{
    const fs::path file = m_dir / "not-a-folder";
    WriteFile(file, "keep");
    fs::create_directory(LogPath());
    WriteFile(LogPath() / "inside", "untouched");
    // A file as the folder, a missing folder, a folder named like the log, no folder at all.
    for (const fs::path& folder : {file, m_dir / "missing", m_dir.path(), fs::path()}) {
        auto app = MakeApp(folder.wstring());
        EXPECT_FALSE(app->m_bLogOpen) << folder;
        EXPECT_EQ(app->m_logFile, nullptr);
        app->WriteLog(L"dropped");
        app->WriteRaw(L"dropped too");
    }
    EXPECT_EQ(ReadFile(file), "keep");
    EXPECT_FALSE(fs::exists(m_dir / "missing"));
    EXPECT_EQ(ReadFile(LogPath() / "inside"), "untouched");
}

TEST_F(LogTest, ReadOnlyFolderGivesNoLogForAnOrdinaryUser)
{
    fs::permissions(m_dir.path(), fs::perms(0755));
    const fs::path folder = m_dir / "readonly";
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms(0555));
    const auto opened = RunAsNobody([&] {
        CZellwickApp app(folder.wstring(), L"LogTest");
        app.WriteLog(L"dropped");
        return app.m_bLogOpen != 0;
    });
    if (!opened)
        GTEST_SKIP() << "cannot run a check as user 65534 here";
    EXPECT_FALSE(*opened);
    EXPECT_FALSE(fs::exists(folder / "Zellwick.log"));
}

TEST_F(LogTest, TwoInstancesAppendToOneLog)
{
    auto first = MakeApp();
    auto second = MakeApp();
    first->WriteLog(L"first");
    second->WriteLog(L"second");
    first->WriteLog(L"first again");
    const auto lines = ReadLines(LogPath());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(IsStampedLine(lines[0], "first"));
    EXPECT_TRUE(IsStampedLine(lines[1], "second"));
    EXPECT_TRUE(IsStampedLine(lines[2], "first again"));
}

TEST_F(LogTest, ConstructorGivesEveryMemberItsFirstValue)
{
    auto app = MakeApp();
    EXPECT_EQ(app->m_strVersion, L"v2.7");
    EXPECT_TRUE(std::regex_match(app->m_strBuildDate,
                                 std::wregex(LR"(Version build data:  \d{2}\.\d{2}\.\d{4})")));
    EXPECT_EQ(app->m_strAppName, L"LogTest");
    EXPECT_EQ(app->m_strNickname, L"");
    EXPECT_EQ(app->m_strHistoryPath, L"");
    EXPECT_EQ(app->m_bRunOnStart, 0);
    EXPECT_EQ(app->m_crColorText, 0u);
    EXPECT_EQ(app->m_crColorText2, 0u);
    EXPECT_EQ(app->m_crColorText3, 0u);
    EXPECT_EQ(app->m_crColorBg, 0u);
    EXPECT_EQ(app->m_nOpacity, 0);
    EXPECT_EQ(app->m_nSize, 0);
    EXPECT_EQ(app->m_bHandsAlarm, 0);
    EXPECT_EQ(app->m_nHandsAlarm, 700);
    EXPECT_EQ(app->m_strHandsSound, L"");
    EXPECT_EQ(app->m_bVppAlarm, 0);
    EXPECT_EQ(app->m_nVppAlarm, 50);
    EXPECT_EQ(app->m_strVppSound, L"");
    EXPECT_EQ(app->m_bTimeAlarm, 0);
    EXPECT_EQ(app->m_nTimeAlarmMinutes, 60);
    EXPECT_EQ(app->m_strTimeSound, L"");
    EXPECT_EQ(app->m_strAlarmTime, L"01:00");
    EXPECT_EQ(app->m_nAppliedSize, 0);
    EXPECT_EQ(app->m_bHandsAlarmRung, 0);
    EXPECT_EQ(app->m_bVppAlarmRung, 0);
    EXPECT_EQ(app->m_bTimeAlarmRung, 0);
    EXPECT_EQ(app->m_nHandCount, 0);
    EXPECT_EQ(app->m_nVppCents, 0);
    EXPECT_EQ(app->m_dVpp, 0.0);
    // Construction writes nothing into the log.
    EXPECT_EQ(fs::file_size(LogPath()), 0u);
}

TEST(BuildDate, CompilerDateBecomesDayMonthYear)
{
    EXPECT_EQ(CZellwickApp::BuildDateFromCompilerDate("Nov 24 2016"), L"24.11.2016");
    EXPECT_EQ(CZellwickApp::BuildDateFromCompilerDate("Feb  3 2025"), L"03.02.2025");
    EXPECT_EQ(CZellwickApp::BuildDateFromCompilerDate("Jan 31 1999"), L"31.01.1999");
    EXPECT_EQ(CZellwickApp::BuildDateFromCompilerDate("Dec  1 2030"), L"01.12.2030");
    EXPECT_EQ(CZellwickApp::BuildDateFromCompilerDate("??? ?? ????"), L"");
    EXPECT_EQ(CZellwickApp::BuildDateFromCompilerDate(""), L"");
    EXPECT_EQ(CZellwickApp::BuildDateFromCompilerDate(nullptr), L"");
}

TEST(Executable, NamesTheRunningProgram)
{
    EXPECT_EQ(ExecutableBaseName(), L"app_tests");
    const std::wstring path = ExecutablePath();
    ASSERT_GE(path.size(), 10u);
    EXPECT_EQ(path.substr(path.size() - 10), L"/app_tests");
}

} // namespace
