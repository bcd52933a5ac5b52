#include "app/WideText.h"
#include "app/ZellwickApp.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace fs = std::filesystem;
using namespace zellwick::test;

namespace {

using ConfSections = std::map<std::string, std::map<std::string, std::string>>;

// The settings file as sections of key=value lines, exactly as written.
ConfSections ParseConf(const std::string& text)
{
    ConfSections sections;
    std::string section;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.empty())
            continue;
        if (line.front() == '[') {
            section = line.substr(1, line.find(']') - 1);
            sections[section];
            continue;
        }
        const auto equals = line.find('=');
        sections[section][line.substr(0, equals)] = line.substr(equals + 1);
    }
    return sections;
}

// Every test has settings of its own, under its own application name, in the private
// configuration folder the test main set up.
class SettingsTest : public ::testing::Test
{
protected:
    SettingsTest()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_appName = L"ZellwickTest_" + fs::path(info->name()).wstring();
    }

    std::unique_ptr<CZellwickApp> MakeApp()
    {
        return std::make_unique<CZellwickApp>(m_dir.wpath(), m_appName);
    }
    fs::path ConfPath() const
    {
        return fs::path(std::getenv("XDG_CONFIG_HOME")) / "Tervalon" /
               (fs::path(m_appName).string() + ".conf");
    }
    void WriteConf(const std::string& text) { WriteFile(ConfPath(), text); }
    std::unique_ptr<CZellwickApp> Load(const std::string& conf)
    {
        WriteConf(conf);
        auto app = MakeApp();
        app->LoadSettings();
        return app;
    }
    std::vector<std::string> LogLines() const { return ReadLines(m_dir / "Zellwick.log"); }
    std::wstring Existing(const std::string& name, bool folder = false)
    {
        const fs::path path = m_dir / name;
        if (folder)
            fs::create_directories(path);
        else
            WriteFile(path, "RIFF");
        return FromUtf8(path.native()); // the C locale cannot widen UTF-8 names
    }

    TempDir m_dir;
    std::wstring m_appName;
};

TEST_F(SettingsTest, FreshUserGetsTheDefaults)
{
    auto app = MakeApp();
    app->LoadSettings();
    EXPECT_EQ(app->m_strNickname, L"");
    EXPECT_EQ(app->m_strHistoryPath, L"");
    EXPECT_EQ(app->m_bRunOnStart, 0);
    EXPECT_EQ(app->m_crColorText, 0xFFFFFFu);
    EXPECT_EQ(app->m_crColorText2, 0x00C313u);
    EXPECT_EQ(app->m_crColorText3, 0x00C0FFu);
    EXPECT_EQ(app->m_crColorBg, 0x37323Du);
    EXPECT_EQ(app->m_nOpacity, 100);
    EXPECT_EQ(app->ReadViewSize(), 0);
    EXPECT_EQ(app->ReadWindowPos(), L"");
    EXPECT_EQ(app->m_bHandsAlarm, 0);
    EXPECT_EQ(app->m_nHandsAlarm, 700);
    EXPECT_EQ(app->m_bVppAlarm, 0);
    EXPECT_EQ(app->m_nVppAlarm, 10);
    EXPECT_EQ(app->m_bTimeAlarm, 0);
    EXPECT_EQ(app->m_nTimeAlarmMinutes, 60);
    EXPECT_EQ(app->m_strAlarmTime, L"01:00");
    EXPECT_EQ(app->m_strHandsSound, L"");
    EXPECT_EQ(app->m_strVppSound, L"");
    EXPECT_EQ(app->m_strTimeSound, L"");
    // Reading leaves a fresh user fresh; the settings would live in the private folder.
    EXPECT_FALSE(fs::exists(ConfPath()));
    EXPECT_EQ(fs::path(app->SettingsLocation()), ConfPath());

    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(IsStampedLine(lines[0], "HistoryPath = "));
    EXPECT_TRUE(IsStampedLine(lines[1], "HistoryPath =  is not found!"));
    EXPECT_TRUE(IsStampedLine(lines[2], "RunOnStart = 0"));
}

TEST_F(SettingsTest, StoreWritesEveryKeyInItsSection)
{
    auto app = MakeApp();
    app->m_strNickname = L"Hero";
    app->m_strHistoryPath = L"/data/hh/Hero";
    app->m_bRunOnStart = 1;
    app->m_crColorText = 0x112233;
    app->m_crColorText2 = 0x445566;
    app->m_crColorText3 = 0x778899;
    app->m_crColorBg = 0xFFFFFFFF;
    app->m_nOpacity = 55;
    app->m_nSize = 2;
    app->m_bHandsAlarm = 1;
    app->m_nHandsAlarm = 250;
    app->m_strHandsSound = L"/sounds/hands.wav";
    app->m_bVppAlarm = 0;
    app->m_nVppAlarm = 12;
    app->m_strVppSound = L"";
    app->m_bTimeAlarm = 1;
    app->m_nTimeAlarmMinutes = 95;
    app->m_strTimeSound = L"/sounds/time.wav";
    app->StoreSettings();

    const ConfSections expected = {
        {"BaseInfo", {{"Nickname", "Hero"}, {"History", "/data/hh/Hero"}, {"RunOnStart", "1"}}},
        {"View",
         {{"ColorText", "1122867"},
          {"ColorText2", "4478310"},
          {"ColorText3", "7833753"},
          {"ColorBg", "4294967295"},
          {"Opacity", "55"},
          {"Size", "2"}}},
        {"Alarm", {{"Param", "1:250"}, {"Sound", "/sounds/hands.wav"}}},
        {"Alarm2", {{"Param", "0:12"}, {"Sound", ""}}},
        {"Alarm3", {{"Param", "1:95"}, {"Sound", "/sounds/time.wav"}}},
    };
    EXPECT_EQ(ParseConf(ReadFile(ConfPath())), expected) << ReadFile(ConfPath());
}

TEST_F(SettingsTest, StoredSettingsComeBackOnTheNextRun)
{
    auto app = MakeApp();
    app->m_strNickname = L"J\u00fcrgen, \"the\" = Hero ";
    app->m_strHistoryPath = Existing("hand history/J\u00fcrgen", true);
    app->m_bRunOnStart = 1;
    app->m_crColorText = 0xABCDEF;
    app->m_crColorText2 = 1;
    app->m_crColorText3 = 2;
    app->m_crColorBg = 3;
    app->m_nOpacity = 40;
    app->m_nSize = 1;
    app->m_bHandsAlarm = 1;
    app->m_nHandsAlarm = 9999;
    app->m_strHandsSound = Existing("hands;1.wav");
    app->m_bVppAlarm = 1;
    app->m_nVppAlarm = 33;
    app->m_strVppSound = Existing("vpp,2.wav");
    app->m_bTimeAlarm = 1;
    app->m_nTimeAlarmMinutes = 6039;
    app->m_strTimeSound = Existing("time #3.wav");
    app->StoreSettings();

    auto next = MakeApp();
    next->LoadSettings();
    EXPECT_EQ(next->m_strNickname, app->m_strNickname);
    EXPECT_EQ(next->m_strHistoryPath, app->m_strHistoryPath);
    EXPECT_EQ(next->m_bRunOnStart, 1);
    EXPECT_EQ(next->m_crColorText, 0xABCDEFu);
    EXPECT_EQ(next->m_crColorText2, 1u);
    EXPECT_EQ(next->m_crColorText3, 2u);
    EXPECT_EQ(next->m_crColorBg, 3u);
    EXPECT_EQ(next->m_nOpacity, 40);
    EXPECT_EQ(next->ReadViewSize(), 1);
    EXPECT_EQ(next->m_bHandsAlarm, 1);
    EXPECT_EQ(next->m_nHandsAlarm, 9999);
    EXPECT_EQ(next->m_strHandsSound, app->m_strHandsSound);
    EXPECT_EQ(next->m_bVppAlarm, 1);
    EXPECT_EQ(next->m_nVppAlarm, 33);
    EXPECT_EQ(next->m_strVppSound, app->m_strVppSound);
    EXPECT_EQ(next->m_bTimeAlarm, 1);
    EXPECT_EQ(next->m_nTimeAlarmMinutes, 6039);
    EXPECT_EQ(next->m_strAlarmTime, L"100:39");
    EXPECT_EQ(next->m_strTimeSound, app->m_strTimeSound);
}

TEST_F(SettingsTest, ParamIsScannedAsTwoNumbers)
{
    struct Case
    {
        std::string stored;
        int on;
        int number;
    };
    // The numbers a stored VPP Param gives; the constructor's 0:50 stays where none scans.
    const Case cases[] = {
        {"1:95", 1, 95},
        {"abc", 0, 50}, // not the default 10
        {"", 0, 50},
        {"1", 1, 50},
        {"1:", 1, 50},
        {"1 : 30", 1, 50},
        {" 1: 25 hands", 1, 25},
        {"+0:-5", 0, -5},
        {"-1:99999999999", -1, 2147483647},
    };
    int index = 0;
    for (const Case& c : cases) {
        m_appName = L"ZellwickTest_Param" + std::to_wstring(++index);
        auto app = Load("[Alarm2]\nParam=" + c.stored + "\n");
        EXPECT_EQ(app->m_bVppAlarm, c.on) << c.stored;
        EXPECT_EQ(app->m_nVppAlarm, c.number) << c.stored;
    }
}

TEST_F(SettingsTest, TimeAlarmParamGivesTheAlarmTime)
{
    auto app = Load("[Alarm]\nParam=on\n[Alarm3]\nParam=1:95\n");
    EXPECT_EQ(app->m_bHandsAlarm, 0);
    EXPECT_EQ(app->m_nHandsAlarm, 700);
    EXPECT_EQ(app->m_bTimeAlarm, 1);
    EXPECT_EQ(app->m_nTimeAlarmMinutes, 95);
    EXPECT_EQ(app->m_strAlarmTime, L"01:35");
}

TEST_F(SettingsTest, DeletedSoundFileIsEmptiedInMemoryOnly)
{
    const std::wstring hands = Existing("hands.wav");
    const std::wstring vpp = Existing("vpp.wav");
    const std::wstring folder = Existing("time.wav", true);
    auto app = MakeApp();
    app->m_strHandsSound = hands;
    app->m_strVppSound = vpp;
    app->m_strTimeSound = folder;
    app->StoreSettings();
    fs::remove(ToNativePath(hands));

    auto next = MakeApp();
    next->LoadSettings();
    EXPECT_EQ(next->m_strHandsSound, L"");
    EXPECT_EQ(next->m_strVppSound, vpp);
    EXPECT_EQ(next->m_strTimeSound, L"") << "a folder is no sound file";
    const auto conf = ParseConf(ReadFile(ConfPath()));
    EXPECT_EQ(conf.at("Alarm").at("Sound"), ToUtf8(hands));
}

TEST_F(SettingsTest, ExistingHistoryFolderIsKeptAndLogged)
{
    const std::wstring folder = Existing("HandHistory/Hero", true);
    auto app = Load("[BaseInfo]\nHistory=" + ToUtf8(folder) + "\nRunOnStart=1\n");
    EXPECT_EQ(app->m_strHistoryPath, folder);
    EXPECT_EQ(app->m_bRunOnStart, 1);
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(IsStampedLine(lines[0], "HistoryPath = " + ToUtf8(folder)));
    EXPECT_TRUE(IsStampedLine(lines[1], "RunOnStart = 1"));
}

TEST_F(SettingsTest, DeletedHistoryFolderIsLoggedAndEmptiedInMemoryOnly)
{
    const std::string folder = (m_dir / "gone").string();
    const std::string conf = "[BaseInfo]\nHistory=" + folder + "\nNickname=Hero\nRunOnStart=1\n";
    auto app = Load(conf);
    EXPECT_EQ(app->m_strHistoryPath, L"");
    EXPECT_EQ(app->m_strNickname, L"Hero");
    EXPECT_EQ(app->m_bRunOnStart, 1);
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(IsStampedLine(lines[0], "HistoryPath = " + folder));
    EXPECT_TRUE(IsStampedLine(lines[1], "HistoryPath = " + folder + " is not found!"));
    EXPECT_TRUE(IsStampedLine(lines[2], "RunOnStart = 1"));
    EXPECT_EQ(ReadFile(ConfPath()), conf);
}

TEST_F(SettingsTest, FileInPlaceOfTheHistoryFolderIsNotAFolder)
{
    const std::wstring file = Existing("history.txt");
    auto app = Load("[BaseInfo]\nHistory=" + ToUtf8(file) + "\n");
    EXPECT_EQ(app->m_strHistoryPath, L"");
    const auto lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_TRUE(IsStampedLine(lines[1], "HistoryPath = " + ToUtf8(file) + " is not found!"));
}

TEST_F(SettingsTest, TextWhereANumberBelongsGivesTheDefault)
{
    auto app = Load("[BaseInfo]\nRunOnStart=yes\n"
                    "[View]\nColorBg=abc\nColorText=12abc\nColorText2=0x10\nColorText3=4294967296\n"
                    "Opacity=\"\"\nSize=large\n");
    EXPECT_EQ(app->m_bRunOnStart, 0);
    EXPECT_EQ(app->m_crColorBg, 0x37323Du);
    EXPECT_EQ(app->m_crColorText, 0xFFFFFFu);
    EXPECT_EQ(app->m_crColorText2, 0x00C313u);
    EXPECT_EQ(app->m_crColorText3, 0x00C0FFu);
    EXPECT_EQ(app->m_nOpacity, 100);
    EXPECT_EQ(app->ReadViewSize(), 0);
    EXPECT_TRUE(IsStampedLine(LogLines().back(), "RunOnStart = 0"));
}

TEST_F(SettingsTest, OutOfRangeValuesAreHandedOnUnchanged)
{
    auto app = Load("[BaseInfo]\nRunOnStart=7\n"
                    "[View]\nOpacity=0\nSize=5\nColorText=-1\nColorBg= 42 \n");
    EXPECT_EQ(app->m_bRunOnStart, 7);
    EXPECT_EQ(app->m_nOpacity, 0);
    EXPECT_EQ(app->ReadViewSize(), 5);
    EXPECT_EQ(app->m_crColorText, 0xFFFFFFFFu);
    EXPECT_EQ(app->m_crColorBg, 42u);
    EXPECT_TRUE(IsStampedLine(LogLines().back(), "RunOnStart = 7"));
}

TEST_F(SettingsTest, HandWrittenTextWithCommasIsOneText)
{
    auto app = Load("[BaseInfo]\nNickname=Smith,John\n");
    EXPECT_EQ(app->m_strNickname, L"Smith,John");
}

TEST_F(SettingsTest, WindowPositionAndSizeAreKeptInView)
{
    auto app = MakeApp();
    app->WriteWindowPos(L"10:20:110:-220");
    app->WriteViewSize(2);
    EXPECT_EQ(app->ReadWindowPos(), L"10:20:110:-220");
    EXPECT_EQ(app->ReadViewSize(), 2);
    const auto conf = ParseConf(ReadFile(ConfPath()));
    EXPECT_EQ(conf.at("View").at("wndPos"), "10:20:110:-220");
    EXPECT_EQ(conf.at("View").at("Size"), "2");
    // Loading does not touch them: they are the window's own. Storing keeps the position.
    app->LoadSettings();
    EXPECT_EQ(app->m_nSize, 0);
    app->StoreSettings();
    EXPECT_EQ(ParseConf(ReadFile(ConfPath())).at("View").at("wndPos"), "10:20:110:-220");
}

} // namespace
