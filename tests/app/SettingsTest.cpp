#include "app/WideText.h"
#include "app/ZellwickApp.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

namespace fs = std::filesystem;
using namespace zellwick::test;
using Texts = std::vector<std::string>;
using Fields = std::map<std::string, std::string>;

namespace {

// The settings file as sections of key=value lines, exactly as written.
std::map<std::string, Fields> ParseConf(const std::string& text)
{
    std::map<std::string, Fields> sections;
    std::string section;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with('[')) {
            section = line.substr(1, line.find(']') - 1);
            sections[section];
        } else if (!line.empty()) {
            const std::size_t equals = line.find('=');
            sections[section][line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return sections;
}

// What a load gave, field by field.
Fields Loaded(const CZellwickApp& app)
{
    const auto param = [](int on, int number) {
        return std::to_string(on) + ':' + std::to_string(number);
    };
    std::ostringstream colours;
    colours << std::hex << app.m_crColorText << ' ' << app.m_crColorText2 << ' '
            << app.m_crColorText3 << ' ' << app.m_crColorBg;
    return {{"nick", ToUtf8(app.m_strNickname)},
            {"history", ToUtf8(app.m_strHistoryPath)},
            {"run", std::to_string(app.m_bRunOnStart)},
            {"colours", colours.str()},
            {"opacity", std::to_string(app.m_nOpacity)},
            {"size", std::to_string(app.ReadViewSize())},
            {"hands", param(app.m_bHandsAlarm, app.m_nHandsAlarm)},
            {"vpp", param(app.m_bVppAlarm, app.m_nVppAlarm)},
            {"time", param(app.m_bTimeAlarm, app.m_nTimeAlarmMinutes)},
            {"alarm time", ToUtf8(app.m_strAlarmTime)},
            {"sounds",
             ToUtf8(app.m_strHandsSound + L"|" + app.m_strVppSound + L"|" + app.m_strTimeSound)}};
}

// The defaults of a fresh user, with some fields changed.
Fields With(Fields changed)
{
    changed.merge(Fields{{"nick", ""},
                         {"history", ""},
                         {"run", "0"},
                         {"colours", "ffffff c313 c0ff 37323d"},
                         {"opacity", "100"},
                         {"size", "0"},
                         {"hands", "0:700"},
                         {"vpp", "0:10"},
                         {"time", "0:60"},
                         {"alarm time", "01:00"},
                         {"sounds", "||"}});
    return changed;
}

const Texts kNoHistoryLog = {"HistoryPath = ", "HistoryPath =  is not found!", "RunOnStart = 0"};

// Settings of their own in the private configuration folder the test main set up.
class SettingsTest : public ::testing::Test
{
protected:
    SettingsTest() { fs::remove(ConfPath()); } // also when the tests are repeated

    std::unique_ptr<CZellwickApp> MakeApp()
    {
        return std::make_unique<CZellwickApp>(m_dir.wpath(), m_appName);
    }
    fs::path ConfPath() const
    {
        return fs::path(std::getenv("XDG_CONFIG_HOME")) / "Tervalon" /
               (fs::path(m_appName).string() + ".conf");
    }
    // Loads under a name not read before (the settings library caches what it has read), into
    // a fresh log.
    std::unique_ptr<CZellwickApp> Load(const std::optional<std::string>& conf)
    {
        m_appName = L"ZellwickTest_Load" + std::to_wstring(++m_loads);
        fs::remove(ConfPath());
        if (conf)
            WriteFile(ConfPath(), *conf);
        fs::remove(m_dir / "Zellwick.log");
        auto app = MakeApp();
        app->LoadSettings();
        return app;
    }
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
    std::wstring m_appName =
        L"ZellwickTest_" +
        fs::path(::testing::UnitTest::GetInstance()->current_test_info()->name()).wstring();
    int m_loads = 0;
};

TEST_F(SettingsTest, LoadTakesWhatIsStoredAndLogsTheHistoryFolder)
{
    const std::string folder = ToUtf8(Existing("HandHistory/Hero", true));
    const std::string file = ToUtf8(Existing("history.txt"));
    const std::string gone = (m_dir / "gone").string();
    // Company-wide values are no fallback for the application's own.
    const fs::path companyWide = ConfPath().parent_path().parent_path() / "Tervalon.conf";
    WriteFile(companyWide, "[BaseInfo]\nNickname=company-wide\n[View]\nOpacity=7\n");
    const struct
    {
        const char* what;
        std::optional<std::string> conf;
        Fields loaded;
        Texts log;
    } cases[] = {
        {"fresh user", std::nullopt, With({}), kNoHistoryLog},
        {"text where a number belongs gives the default",
         "[BaseInfo]\nRunOnStart=yes\n[View]\nColorBg=abc\nColorText=12abc\nColorText2=0x10\n"
         "ColorText3=4294967296\nOpacity=\"\"\nSize=large\n",
         With({}), kNoHistoryLog},
        {"numbers out of range are handed on",
         "[BaseInfo]\nRunOnStart=7\n[View]\nOpacity=0\nSize=5\nColorText=-1\nColorBg= 42 \n",
         With(
             {{"run", "7"}, {"opacity", "0"}, {"size", "5"}, {"colours", "ffffffff c313 c0ff 2a"}}),
         {"HistoryPath = ", "HistoryPath =  is not found!", "RunOnStart = 7"}},
        {"commas in a hand-written text", "[BaseInfo]\nNickname=Smith,John\n",
         With({{"nick", "Smith,John"}}), kNoHistoryLog},
        {"existing history folder",
         "[BaseInfo]\nHistory=" + folder + "\nRunOnStart=1\n",
         With({{"history", folder}, {"run", "1"}}),
         {"HistoryPath = " + folder, "RunOnStart = 1"}},
        {"deleted history folder",
         "[BaseInfo]\nHistory=" + gone + "\nNickname=Hero\nRunOnStart=1\n",
         With({{"nick", "Hero"}, {"run", "1"}}),
         {"HistoryPath = " + gone, "HistoryPath = " + gone + " is not found!", "RunOnStart = 1"}},
        {"a file is no history folder",
         "[BaseInfo]\nHistory=" + file + "\n",
         With({}),
         {"HistoryPath = " + file, "HistoryPath = " + file + " is not found!", "RunOnStart = 0"}},
        {"time alarm in minutes; a hands Param that does not scan stays",
         "[Alarm]\nParam=on\n[Alarm3]\nParam=1:95\n",
         With({{"time", "1:95"}, {"alarm time", "01:35"}}), kNoHistoryLog},
        // A Param is scanned as "%d:%d": where nothing scans, the value before loading stays.
        {"Param 1:95", "[Alarm2]\nParam=1:95\n", With({{"vpp", "1:95"}}), kNoHistoryLog},
        {"Param abc", "[Alarm2]\nParam=abc\n", With({{"vpp", "0:50"}}), kNoHistoryLog},
        {"Param empty", "[Alarm2]\nParam=\n", With({{"vpp", "0:50"}}), kNoHistoryLog},
        {"Param 1", "[Alarm2]\nParam=1\n", With({{"vpp", "1:50"}}), kNoHistoryLog},
        {"Param 1:", "[Alarm2]\nParam=1:\n", With({{"vpp", "1:50"}}), kNoHistoryLog},
        {"Param 1 : 30", "[Alarm2]\nParam=1 : 30\n", With({{"vpp", "1:50"}}), kNoHistoryLog},
        {"Param 1: 25 hands", "[Alarm2]\nParam= 1: 25 hands\n", With({{"vpp", "1:25"}}),
         kNoHistoryLog},
        {"Param +0:-5", "[Alarm2]\nParam=+0:-5\n", With({{"vpp", "0:-5"}}), kNoHistoryLog},
        {"Param beyond int", "[Alarm2]\nParam=-1:99999999999\n", With({{"vpp", "-1:2147483647"}}),
         kNoHistoryLog},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Loaded(*Load(c.conf)), c.loaded);
        EXPECT_EQ(LogTexts(m_dir / "Zellwick.log"), c.log);
        // Loading writes nothing: a fresh user stays fresh, a value that is gone stays stored.
        EXPECT_EQ(fs::exists(ConfPath()) ? ReadFile(ConfPath()) : "none", c.conf.value_or("none"));
    }
    fs::remove(companyWide);
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
    app->m_nVppAlarm = 12;
    app->m_bTimeAlarm = 1;
    app->m_nTimeAlarmMinutes = 95;
    app->m_strTimeSound = L"/sounds/time.wav";
    app->StoreSettings();

    const std::map<std::string, Fields> expected = {
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

TEST_F(SettingsTest, StoredSettingsComeBackOnTheNextRunExceptSoundsThatAreGone)
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
    app->m_strHandsSound = Existing("hands.wav");
    app->m_bVppAlarm = 1;
    app->m_nVppAlarm = 33;
    app->m_strVppSound = Existing("vpp;1,#2.wav");
    app->m_bTimeAlarm = 1;
    app->m_nTimeAlarmMinutes = 6039;
    app->m_strTimeSound = Existing("time.wav", true); // a folder is no sound file
    app->StoreSettings();
    fs::remove(ToNativePath(app->m_strHandsSound));

    auto next = MakeApp();
    next->LoadSettings();
    Fields expected = Loaded(*app);
    expected["alarm time"] = "100:39";
    expected["sounds"] = "|" + ToUtf8(app->m_strVppSound) + "|"; // forgotten in memory only
    EXPECT_EQ(Loaded(*next), expected);
    EXPECT_EQ(ParseConf(ReadFile(ConfPath()))["Alarm"]["Sound"], ToUtf8(app->m_strHandsSound));
}

TEST_F(SettingsTest, WindowPositionAndSizeAreKeptInView)
{
    auto app = MakeApp();
    EXPECT_EQ(fs::path(app->SettingsLocation()), ConfPath());
    EXPECT_EQ(app->ReadWindowPos(), L"");
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
