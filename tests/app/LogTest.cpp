#include "app/Executable.h"
#include "app/ZellwickApp.h"
#include "tests/app/AppTestSupport.h"
#include "tests/corvask/OtherUser.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <regex>

namespace fs = std::filesystem;
using namespace zellwick::test;
using Texts = std::vector<std::string>;

namespace {

class LogTest : public ::testing::Test
{
protected:
    std::unique_ptr<CZellwickApp> MakeApp(const std::wstring& folder)
    {
        return std::make_unique<CZellwickApp>(folder, L"LogTest");
    }
    std::unique_ptr<CZellwickApp> MakeApp() { return MakeApp(m_dir.wpath()); }
    fs::path LogPath() const { return m_dir / "Zellwick.log"; }

    TempDir m_dir;
};

TEST_F(LogTest, EachLineIsStampedInUtf8AndOnDiskAtOnce)
{
    auto app = MakeApp();
    ASSERT_TRUE(app->m_bLogOpen);
    EXPECT_EQ(app->m_strLogPath, m_dir.wpath() + L"/Zellwick.log");
    EXPECT_TRUE(std::regex_match(app->m_strBuildDate,
                                 std::wregex(LR"(Version build data:  \d{2}\.\d{2}\.\d{4})")));
    EXPECT_EQ(ReadFile(LogPath()), "") << "construction writes nothing";
    app->WriteLog(L"Zellwick start");
    app->WriteLog(L"Nickname = J\u00fcrgen \u20ac \U0001F0A1");
    // A leading line feed leaves the stamp alone on its line.
    app->WriteLog(L"\n================================");
    app->WriteLog(L"\nVersion build data:  24.11.2016\nVersion number v2.7\n");
    // Read while the log is still open.
    EXPECT_EQ(LogTexts(LogPath()),
              (Texts{"Zellwick start", "Nickname = J\xC3\xBCrgen \xE2\x82\xAC \xF0\x9F\x82\xA1", "",
                     "unstamped: ================================", "",
                     "unstamped: Version build data:  24.11.2016", "unstamped: Version number v2.7",
                     "unstamped: "}));
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
    EXPECT_EQ(text.substr(0, old.size()), old);
    EXPECT_TRUE(
        std::regex_match(text.substr(old.size()), std::regex(kStampPattern + "second run\n")));
}

TEST_F(LogTest, OverlongLogIsShortenedBeforeItIsOpened)
{
    std::string old;
    int count = 0;
    while (old.size() <= 250000)
        old += "old line " + std::to_string(++count) + " of an earlier run\n";
    WriteFile(LogPath(), old);
    auto app = MakeApp();
    ASSERT_TRUE(app->m_bLogOpen);
    EXPECT_LE(fs::file_size(LogPath()), CZellwickApp::kLogKeepBytes);
    app->WriteLog(L"after the trim");
    const Texts texts = LogTexts(LogPath());
    ASSERT_GE(texts.size(), 2u);
    // The kept part starts at a line start and ends with the last line of the earlier run.
    EXPECT_TRUE(
        std::regex_match(texts.front(), std::regex("unstamped: old line \\d+ of an earlier run")))
        << texts.front();
    EXPECT_EQ(texts[texts.size() - 2],
              "unstamped: old line " + std::to_string(count) + " of an earlier run");
    EXPECT_EQ(texts.back(), "after the trim");
}

TEST_F(LogTest, NoLogWhereItCannotBeCreatedAndNoCrash)
{
    const fs::path file = m_dir / "not-a-folder";
    WriteFile(file, "keep");
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
    const int opened = RunAsOtherUser([&] {
        CZellwickApp app(folder.wstring(), L"LogTest");
        app.WriteLog(L"dropped");
        return app.m_bLogOpen;
    });
    if (opened < 0)
        GTEST_SKIP() << "cannot run a check as user 65534 here";
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(fs::exists(folder / "Zellwick.log"));
}

TEST_F(LogTest, TwoInstancesAppendToOneLog)
{
    auto first = MakeApp();
    auto second = MakeApp();
    first->WriteLog(L"first");
    second->WriteLog(L"second");
    first->WriteLog(L"first again");
    EXPECT_EQ(LogTexts(LogPath()), (Texts{"first", "second", "first again"}));
}

TEST(BuildDate, CompilerDateBecomesDayMonthYear)
{
    const std::pair<const char*, std::wstring> cases[] = {
        {"Nov 24 2016", L"24.11.2016"},
        {"Feb  3 2025", L"03.02.2025"},
        {"Jan 31 1999", L"31.01.1999"},
        {"Dec  1 2030", L"01.12.2030"},
        {"??? ?? ????", L""},
        {"", L""},
        {nullptr, L""},
    };
    for (const auto& [date, expected] : cases)
        EXPECT_EQ(CZellwickApp::BuildDateFromCompilerDate(date), expected)
            << (date ? date : "null");
}

TEST(Executable, NamesTheRunningProgram)
{
    EXPECT_EQ(ExecutableBaseName(), L"app_tests");
    EXPECT_TRUE(ExecutablePath().ends_with(L"/app_tests"));
}

} // namespace
