// The application layer: the log (stamped UTF-8 lines on disk at once, raw writes, trimming
// before it is opened, no log and no crash where none can be made), the settings in the per-user
// store (every test has a configuration folder of its own, see the test main), and CIni.

#include "app/DesktopSession.h"
#include "app/Executable.h"
#include "app/Ini.h"
#include "app/SessionsFile.h"
#include "app/WideText.h"
#include "app/ZellwickApp.h"
#include "tests/support/TestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zellwick::test;
using Texts = std::vector<std::string>;
using Fields = std::map<std::string, std::string>;

namespace {

// The texts of a log's lines without their stamps "dd.mm.yyyy  hh:mm:ss  "; a line without
// one is marked.
std::vector<std::string> LogTexts(const std::filesystem::path& log)
{
    static const std::regex stamp(R"(\d{2}\.\d{2}\.\d{4}  \d{2}:\d{2}:\d{2}  )");
    std::vector<std::string> texts;
    std::istringstream in(ReadFile(log));
    for (std::string line; std::getline(in, line);) {
        const bool stamped = line.size() >= 22 && std::regex_match(line.substr(0, 22), stamp);
        texts.push_back(stamped ? line.substr(22) : "unstamped: " + line);
    }
    return texts;
}

TEST(Log, LinesAreStampedUtf8OnDiskAtOnceAndRawWritesAreAddedAsTheyAre)
{
    TempDir dir;
    auto app = std::make_unique<CZellwickApp>(dir.wpath(), L"LogTest");
    ASSERT_TRUE(app->m_bLogOpen);
    EXPECT_EQ(app->m_strLogPath, dir.wpath() + L"/Zellwick.log");
    EXPECT_TRUE(std::regex_match(app->m_strBuildDate,
                                 std::wregex(LR"(Version build data:  \d{2}\.\d{2}\.\d{4})")));
    EXPECT_EQ(ReadFile(dir / "Zellwick.log"), "") << "construction writes nothing";
    app->WriteLog(L"Nickname = J\u00fcrgen \u20ac \U0001F0A1");
    // A leading line feed leaves the stamp alone on its line.
    app->WriteLog(L"\nVersion number v2.7\n");
    // Two objects append to one log; a code point that is no character is written as U+FFFD.
    CZellwickApp(dir.wpath(), L"LogTest").WriteLog({L'a', wchar_t(0xD800), wchar_t(0x110000)});
    const std::wstring longText(70000, L'\u20ac');
    app->WriteLog(FormatW(L"%ls %d:%02d", longText.c_str(), -2147483647 - 1, 5));
    EXPECT_EQ(LogTexts(dir / "Zellwick.log"),
              (Texts{"Nickname = J\xC3\xBCrgen \xE2\x82\xAC \xF0\x9F\x82\xA1", "",
                     "unstamped: Version number v2.7", "unstamped: ", "a\xEF\xBF\xBD\xEF\xBF\xBD",
                     ToUtf8(longText) + " -2147483648:05"}));
    app->WriteRaw(L"GetTypeTable unrecognized string: <");
    app->WriteRaw(L"PokerStars Game #1>\nno line end");
    app.reset();
    EXPECT_TRUE(ReadFile(dir / "Zellwick.log")
                    .ends_with("\nGetTypeTable unrecognized string: <PokerStars Game #1>\n"
                               "no line end"));
}

TEST(Log, AnOverlongLogIsShortenedToWholeLinesBeforeItIsOpenedAShortOneKeptWhole)
{
    TempDir dir;
    const std::string shortLog = "old line 1\n" + std::string(190000, 'x') + "\n";
    WriteFile(dir / "Zellwick.log", shortLog);
    CZellwickApp(dir.wpath(), L"LogTest").WriteLog(L"second run");
    EXPECT_TRUE(ReadFile(dir / "Zellwick.log").starts_with(shortLog));
    std::string old;
    int count = 0;
    while (old.size() <= 250000)
        old += "old line " + std::to_string(++count) + " of an earlier run\n";
    WriteFile(dir / "Zellwick.log", old);
    CZellwickApp(dir.wpath(), L"LogTest").WriteLog(L"after the trim");
    EXPECT_LE(fs::file_size(dir / "Zellwick.log"), CZellwickApp::kLogKeepBytes + 100);
    const Texts texts = LogTexts(dir / "Zellwick.log");
    ASSERT_GE(texts.size(), 2u);
    EXPECT_TRUE(
        std::regex_match(texts[0], std::regex("unstamped: old line \\d+ of an earlier run")))
        << texts[0];
    EXPECT_EQ(texts[texts.size() - 2],
              "unstamped: old line " + std::to_string(count) + " of an earlier run");
    EXPECT_EQ(texts.back(), "after the trim");
}

TEST(Log, NoLogWhereItCannotBeCreatedAndNoCrash)
{
    TempDir dir;
    WriteFile(dir / "not-a-folder", "keep");
    WriteFile(dir / "Zellwick.log" / "inside", "untouched");
    // A file as the folder, a missing folder, a folder named like the log, no folder at all.
    for (const fs::path& folder : {dir / "not-a-folder", dir / "missing", dir.path(), fs::path()}) {
        CZellwickApp app(folder.wstring(), L"LogTest");
        EXPECT_FALSE(app.m_bLogOpen) << folder;
        app.WriteLog(L"dropped");
        app.WriteRaw(L"dropped too");
    }
    EXPECT_EQ(ReadFile(dir / "not-a-folder"), "keep");
    EXPECT_FALSE(fs::exists(dir / "missing"));
    EXPECT_EQ(ReadFile(dir / "Zellwick.log" / "inside"), "untouched");
}

TEST(Log, TheBuildDateIsTheCompilersAsDayMonthYearAndTheProgramKnowsItsName)
{
    // clang-format off
    const std::pair<const char*, std::wstring> cases[] = {{"Nov 24 2016", L"24.11.2016"},
        {"Feb  3 2025", L"03.02.2025"}, {"Dec  1 2030", L"01.12.2030"}, {"??? ?? ????", L""}, {"", L""},
        {nullptr, L""}};
    // clang-format on
    for (const auto& [date, expected] : cases)
        EXPECT_EQ(CZellwickApp::BuildDateFromCompilerDate(date), expected) << (date ? date : "");
    EXPECT_EQ(ExecutableBaseName(), L"app_tests");
    EXPECT_TRUE(ExecutablePath().ends_with(L"/app_tests"));
}

// The settings file as sections of key=value lines, exactly as written.
std::map<std::string, Fields> ParseConf(const fs::path& file)
{
    std::map<std::string, Fields> sections;
    std::string section;
    std::istringstream in(ReadFile(file));
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with('['))
            section = line.substr(1, line.find(']') - 1);
        else if (const std::size_t equals = line.find('='); equals != std::string::npos)
            sections[section][line.substr(0, equals)] = line.substr(equals + 1);
    }
    return sections;
}

// What a load gave, field by field.
Fields Loaded(const CZellwickApp& app)
{
    const auto pair = [](int on, int number) {
        return std::to_string(on) + ':' + std::to_string(number);
    };
    std::ostringstream colours;
    colours << std::hex << app.m_crColorText << ' ' << app.m_crColorText2 << ' '
            << app.m_crColorText3 << ' ' << app.m_crColorBg << ' ' << std::dec << app.m_nOpacity;
    // clang-format off
    return {{"nick", ToUtf8(app.m_strNickname)}, {"history", ToUtf8(app.m_strHistoryPath)},
            {"run", std::to_string(app.m_bRunOnStart)}, {"colours", colours.str()},
            {"hands", pair(app.m_bHandsAlarm, app.m_nHandsAlarm)}, {"vpp", pair(app.m_bVppAlarm, app.m_nVppAlarm)},
            {"time", pair(app.m_bTimeAlarm, app.m_nTimeAlarmMinutes) + " " + ToUtf8(app.m_strAlarmTime)},
            {"sounds", ToUtf8(app.m_strHandsSound + L"|" + app.m_strVppSound + L"|" + app.m_strTimeSound)}};
}

// The defaults of a fresh user, with some fields changed.
Fields With(Fields changed)
{
    changed.merge(Fields{{"nick", ""}, {"history", ""}, {"run", "0"}, {"colours", "ffffff c313 c0ff 37323d 100"},
                         {"hands", "0:700"}, {"vpp", "0:10"}, {"time", "0:60 01:00"}, {"sounds", "||"}});
    // clang-format on
    return changed;
}

class Settings : public ::testing::Test
{
protected:
    // Each under a name not read before: the settings library caches what it has read.
    std::unique_ptr<CZellwickApp> MakeApp()
    {
        m_appName = L"ZellwickTest" + std::to_wstring(++m_apps);
        fs::remove(Conf());
        return std::make_unique<CZellwickApp>(m_dir.wpath(), m_appName);
    }
    fs::path Conf() const
    {
        return fs::path(std::getenv("XDG_CONFIG_HOME")) / "Tervalon" /
               (fs::path(m_appName).string() + ".conf");
    }
    std::wstring Existing(const std::string& name, bool folder = false)
    {
        if (folder)
            fs::create_directories(m_dir / name);
        else
            WriteFile(m_dir / name, "RIFF");
        return FromUtf8((m_dir / name).native()); // the C locale cannot widen UTF-8 names
    }

    TempDir m_dir;
    std::wstring m_appName;
    int m_apps = 0;
};

TEST_F(Settings, LoadTakesWhatIsStoredWithTheDescribedQuirksAndLogsTheHistoryFolder)
{
    const std::string folder = ToUtf8(Existing("HandHistory/Hero", true));
    const std::string file = ToUtf8(Existing("history.txt"));
    // Company-wide values are no fallback for the application's own.
    const fs::path company = fs::path(std::getenv("XDG_CONFIG_HOME")) / "Tervalon.conf";
    WriteFile(company, "[BaseInfo]\nNickname=company-wide\n[View]\nOpacity=7\n");
    const auto notFound = [](const std::string& path, const char* run = "0") {
        return Texts{"HistoryPath = " + path, "HistoryPath = " + path + " is not found!",
                     std::string("RunOnStart = ") + run};
    };
    const struct
    {
        std::optional<std::string> conf;
        Fields loaded;
        Texts log;
    } cases[] = {
        {std::nullopt, With({}), notFound("")},
        // Text where a number belongs gives the default; numbers out of range are handed on.
        {"[BaseInfo]\nRunOnStart=yes\n[View]\nColorBg=abc\nColorText=12abc\nColorText2=0x10\n"
         "ColorText3=4294967296\nOpacity=\"\"\n",
         With({}), notFound("")},
        {"[BaseInfo]\nRunOnStart=7\n[View]\nOpacity=0\nColorText=-1\nColorBg= 42 \n",
         With({{"run", "7"}, {"colours", "ffffffff c313 c0ff 2a 0"}}), notFound("", "7")},
        {"[BaseInfo]\nNickname=Smith,John\nHistory=" + folder + "\nRunOnStart=1\n",
         With({{"nick", "Smith,John"}, {"history", folder}, {"run", "1"}}),
         {"HistoryPath = " + folder, "RunOnStart = 1"}},
        {"[BaseInfo]\nHistory=" + file + "\n", With({}), notFound(file)}, // a file is no folder
        {"[BaseInfo]\nHistory=/gone\n", With({}), notFound("/gone")},
        // A Param is scanned as "%d:%d": what does not scan keeps the value it had.
        {"[Alarm]\nParam=on\n[Alarm2]\nParam=1 : 30\n[Alarm3]\nParam=1:95\n",
         With({{"vpp", "1:50"}, {"time", "1:95 01:35"}}), notFound("")},
        {"[Alarm]\nParam=1\n[Alarm2]\nParam= 1: 25 hands\n[Alarm3]\nParam=1:\n",
         With({{"hands", "1:700"}, {"vpp", "1:25"}, {"time", "1:60 01:00"}}), notFound("")},
        {"[Alarm]\nParam=+0:-5\n[Alarm2]\nParam=-1:99999999999\n[Alarm3]\nParam=abc\n",
         With({{"hands", "0:-5"}, {"vpp", "-1:2147483647"}}), notFound("")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.conf.value_or("fresh user"));
        fs::remove(m_dir / "Zellwick.log");
        auto app = MakeApp();
        if (c.conf)
            WriteFile(Conf(), *c.conf);
        app->LoadSettings();
        EXPECT_EQ(Loaded(*app), c.loaded);
        EXPECT_EQ(LogTexts(m_dir / "Zellwick.log"), c.log);
        // Loading writes nothing: a fresh user stays fresh, a value that is gone stays stored.
        EXPECT_EQ(fs::exists(Conf()) ? ReadFile(Conf()) : "none", c.conf.value_or("none"));
    }
    fs::remove(company);
}

TEST_F(Settings, StoreWritesEveryKeyInItsSectionAndTheNextRunReadsThemBack)
{
    auto app = MakeApp();
    // clang-format off
    app->m_strNickname = L"J\u00fcrgen, \"the\" = Hero ";
    app->m_strHistoryPath = Existing("hand history/J\u00fcrgen", true);
    app->m_bRunOnStart = app->m_bHandsAlarm = app->m_bTimeAlarm = 1;
    app->m_crColorText = 0x112233; app->m_crColorText2 = 0x445566; app->m_crColorText3 = 0x778899;
    app->m_crColorBg = 0xFFFFFFFF;
    app->m_nOpacity = 55; app->m_nSize = 2; app->m_nHandsAlarm = 250; app->m_nVppAlarm = 12;
    app->m_nTimeAlarmMinutes = 6039;
    app->m_strHandsSound = Existing("hands.wav");
    app->m_strVppSound = Existing("vpp;1,#2.wav");
    app->m_strTimeSound = Existing("time.wav", true); // a folder is no sound file
    app->StoreSettings();
    const std::string hands = ToUtf8(app->m_strHandsSound), time = ToUtf8(app->m_strTimeSound);
    const std::map<std::string, Fields> expected = {
        {"BaseInfo", {{"History", ToUtf8(app->m_strHistoryPath)}, {"RunOnStart", "1"}}},
        {"View", {{"ColorText", "1122867"}, {"ColorText2", "4478310"}, {"ColorText3", "7833753"},
                  {"ColorBg", "4294967295"}, {"Opacity", "55"}, {"Size", "2"}}},
        {"Alarm", {{"Param", "1:250"}, {"Sound", hands}}}, {"Alarm2", {{"Param", "0:12"}}},
        {"Alarm3", {{"Param", "1:6039"}, {"Sound", time}}}};
    // clang-format on
    auto written = ParseConf(Conf());
    // The texts with quotes and commas are written in the store's own quoting; read back below.
    EXPECT_EQ(written["BaseInfo"].erase("Nickname") + written["Alarm2"].erase("Sound"), 2u);
    EXPECT_EQ(written, expected) << ReadFile(Conf());
    // The window's position and size are its own: no load or store touches them.
    app->WriteWindowPos(L"10:20:110:-220");
    app->StoreSettings();
    app->WriteViewSize(1);
    EXPECT_EQ(ParseConf(Conf())["View"]["wndPos"], "10:20:110:-220");
    EXPECT_EQ(fs::path(app->SettingsLocation()), Conf());

    fs::remove(ToNativePath(app->m_strHandsSound));
    CZellwickApp next(m_dir.wpath(), m_appName);
    next.LoadSettings();
    Fields back = Loaded(*app);
    back["time"] = "1:6039 100:39";
    back["sounds"] = "|" + ToUtf8(app->m_strVppSound) + "|"; // gone: forgotten in memory only
    EXPECT_EQ(Loaded(next), back);
    EXPECT_EQ(ParseConf(Conf())["Alarm"]["Sound"], hands);
    EXPECT_EQ(next.ReadWindowPos(), L"10:20:110:-220");
    EXPECT_EQ(next.ReadViewSize(), 1);
    EXPECT_EQ(next.m_nSize, 0);
}

const std::string kUserIni = "[User]\nName=Hero\n[Options]\nSaveMyHandsPath=D:\\Hands\\\n";
const std::string kMixed = "Top=1\n; Name=comment\n# comment=2\n[ uSeR ]\n  ; Name=Commented\n"
                           "just some words\n[broken header\n\t nAmE \t= Hero \t\nName=Second\n"
                           "formula=a=b; c#d\nMixed=MiXeD\n[Options]\nName=Other\n[user]\n"
                           "OnlyHere=found\n[\xC3\x84rger]\n\xC3\x9C"
                           "ber=yes\n";
const std::string kQuotes = "[q]\ndouble=\"  spaced  \"\nsingle='it'\nmixed=\"it'\n"
                            "inner=a \"b\" c\nlone=\"\nempty=\"\"\n";
const std::string kWindows = "\xEF\xBB\xBFTop=1\r\n[User]\r\nName=Hero\r\n\r\n[Options]\r"
                             "Path=D:\\\r\nLegacy=Caf\xE9 \x80 5\r\n[Opt\xEF\xBF\xBDons]\r\n"
                             "Path=C:\\\xE2\x82\xAC\r\nEnd=CR\r";
const std::string kBinary = std::string("\x00\x01\xFF\xFE garbage \x00=\x00\n[User]\n", 24) +
                            std::string("Blob=\x01\x02\x00\x7F\nName=Hero", 19);

TEST(Ini, ReadsValuesByTheRulesOfTheWindowsProfileFunctions)
{
    const std::string noise(1 << 20, 'n');
    const struct
    {
        std::string file;
        const wchar_t* section;
        const wchar_t* key;
        std::wstring value;
    } cases[] = {
        // clang-format off
        {kUserIni, L"Options", L"SaveMyHandsPath", L"D:\\Hands\\"},
        {kUserIni, L"Nowhere", L"Name", L""}, {kUserIni, L"User", L"Nobody", L""},
        {kUserIni, L"Options", L"Name", L""}, {kUserIni, nullptr, L"Name", L""},
        {kUserIni, L"User", nullptr, L""},
        // Names without regard to case or blanks, the first key of the first section wins,
        // a section of that name further down adds keys, and values keep their case.
        {kMixed, L" USER ", L"name ", L"Hero"}, {kMixed, L"User", L"OnlyHere", L"found"},
        {kMixed, L"User", L"formula", L"a=b; c#d"}, {kMixed, L"User", L"Mixed", L"MiXeD"},
        {kMixed, L"\u00e4RGER", L"\u00fcBER", L"yes"}, {kMixed, L"User", L"just some words", L""},
        {kMixed, L"", L"; Name", L""},
        {kMixed, L"", L"Top", L"1"}, // an empty section: the keys before the first header
        {kMixed, L"", L"Name", L""}, {kQuotes, L"q", L"double", L"  spaced  "},
        {kQuotes, L"q", L"single", L"it"}, {kQuotes, L"q", L"mixed", L"\"it'"},
        {kQuotes, L"q", L"inner", L"a \"b\" c"}, {kQuotes, L"q", L"lone", L"\""},
        {kQuotes, L"q", L"empty", L""},
        // A byte-order mark, CRLF, lone CR, bytes that are no UTF-8 read as Windows-1252.
        {kWindows, L"", L"Top", L"1"}, {kWindows, L"User", L"Name", L"Hero"},
        {kWindows, L"Options", L"Path", L"D:\\"},
        {kWindows, L"Options", L"Legacy", L"Caf\u00e9 \u20ac 5"},
        {kWindows, L"Opt\uFFFDons", L"Path", L"C:\\\u20ac"},
        {kWindows, L"Opt\uFFFDons", L"End", L"CR"}, {kBinary, L"User", L"Name", L"Hero"},
        {kBinary, L"User", L"Blob", std::wstring(L"\x01\x02\0\x7F", 4)},
        {std::string("\xFF\xFE[\0u\0]\0\n\0k\0=\0\xFC\0", 16), L"u", L"k", L"\u00fc"}, // UTF-16
        {std::string("\xFE\xFF\0[\0u\0]\0\n\0k\0=\0\xFC", 16), L"u", L"k", L"\u00fc"},
        {"[s]\nk=" + noise + "\n", L"s", L"k", std::wstring(1 << 20, L'n')},
        {noise + "\n[" + noise + "]\nName=Noise\n" + noise + "=x\n" + kUserIni, L"User", L"Name",
        L"Hero"},
        // clang-format on
    };
    TempDir dir;
    // The path is copied: the caller's text may change or go.
    std::wstring path = dir.wpath() + L"/J\u00fcrgen/user.ini";
    for (const auto& c : cases) {
        WriteFile(dir / "J\xC3\xBCrgen" / "user.ini", c.file);
        EXPECT_EQ(CIni(path.c_str()).GetString(c.section, c.key), c.value)
            << c.file.substr(0, 80) << " " << (c.key ? c.key : L"null");
    }
    for (const std::size_t length : {511u, 512u, 513u, 1024u}) {
        WriteFile(dir / "J\xC3\xBCrgen" / "user.ini", "[s]\nk=" + std::string(length, 'v'));
        EXPECT_EQ(CIni(path.c_str()).GetString(L"s", L"k").size(), length);
    }
    const CIni ini(path.c_str());
    path.assign(path.size(), L'x');
    EXPECT_EQ(ini.GetString(L"s", L"k").size(), 1024u);
}

TEST(Ini, NoReadableFileGivesEmptyText)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "folder.ini");
    // Nobody writes to the pipe: reading it would never end.
    ASSERT_EQ(::mkfifo((dir / "pipe.ini").c_str(), 0600), 0);
    for (const char* name : {"missing.ini", "folder.ini", "pipe.ini"})
        EXPECT_EQ(CIni((dir / name).wstring().c_str()).GetString(L"User", L"Name"), L"") << name;
    EXPECT_EQ(CIni(nullptr).GetString(L"User", L"Name"), L"");
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    WriteFile(dir / "user.ini", kUserIni);
    std::filesystem::permissions(dir / "user.ini", std::filesystem::perms(0600));
    const std::wstring path = (dir / "user.ini").wstring();
    EXPECT_EQ(CIni(path.c_str()).GetString(L"User", L"Name"), L"Hero");
    const int empty =
        RunAsOtherUser([&] { return CIni(path.c_str()).GetString(L"User", L"Name").empty(); });
    if (empty < 0)
        GTEST_SKIP() << "cannot run a check as user 65534 here";
    EXPECT_EQ(empty, 1);
}

// A record is one CSV line that reads back as written. Lines a crash, a spreadsheet or a hand
// left behind are read where they can be and otherwise skipped and named; the rest is kept, and
// a record added after an unfinished line stays whole.
TEST(SessionsFile, RecordsReadBackAndDamagedLinesAreSkippedAndNamed)
{
    const TempDir dir;
    const fs::path file = dir / "data" / "Zellwick" / "sessions.csv";
    SessionRecord odd;
    odd.start = *LocalTime::FromIso("2026-12-07T23:30:00-05:00");
    odd.end = *LocalTime::FromIso("2026-12-08T01:00:05-05:00");
    odd.playSeconds = 5405;
    odd.hands = 250;
    odd.vppCents = 3107;
    odd.nickname = "Mc\"Hero\", Jr";
    odd.historyFolder = "/h/a,\nb";
    std::string error;
    ASSERT_TRUE(AppendSession(file, odd, error)) << error;
    const std::string oddLine = "2026-12-07T23:30:00-05:00,2026-12-08T01:00:05-05:00,5405,250,"
                                "3107,\"Mc\"\"Hero\"\", Jr\",\"/h/a, b\"\n";
    EXPECT_EQ(ReadFile(file), std::string(kSessionsHeader) + "\n" + oddLine);
    AppendFile(file, std::string(kSessionsHeader) + "\r\n" +
                         "2026-12-06 20:00:00Z,2026-12-06T21:00:00+0000,3600,100,1500,Hero,/h\r\n"
                         "2026-02-30T20:00:00+00:00,2026-03-01T21:00:00+00:00,1,1,1,Hero,/h\n"
                         "2026-12-06T20:00:00+00:00,2026-12-06T21:00:00+00:00,-1,1,1,Hero,/h\n"
                         "2026-12-06T20:00:00+00:00,2026-12-06T21:00:00+00:00,60,1,1,Hero\n"
                         "\"unclosed,2026-12-06T21:00:00+00:00,60,1,1,Hero,/h\n"
                         "2026-12-06T20:00:00+00:00,2026-12-06T2");
    ASSERT_TRUE(AppendSession(file, odd, error)) << error;

    const SessionsRead read = ReadSessions(file);
    EXPECT_EQ(read.damagedLines, (std::vector<int>{5, 6, 7, 8, 9}));
    EXPECT_EQ(DamagedLinesText(read, file),
              "Skipped damaged lines 5, 6, 7, 8, 9 of " + file.string());
    ASSERT_EQ(read.sessions.size(), 3u);
    EXPECT_EQ(SessionCsvLine(read.sessions[0]), oddLine);
    EXPECT_EQ(SessionCsvLine(read.sessions[2]), oddLine);
    EXPECT_EQ(read.sessions[0].start.Date() + read.sessions[0].start.Month(), "2026-12-072026-12")
        << "the day in the record's own offset, not in UTC";
    EXPECT_EQ(read.sessions[1].start.Iso(), "2026-12-06T20:00:00+00:00");
    EXPECT_TRUE(ReadSessions(dir / "none.csv").missing);
    EXPECT_FALSE(AppendSession(dir / "data" / "Zellwick" / "sessions.csv" / "x", odd, error));
}

void SetEnv(const char* name, const char* value)
{
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
}

TEST(DesktopSessionTest, LogGoesToTheStateFolderWhenTheProgramFolderIsReadOnly)
{
    const TempDir dir;
    const fs::path program = dir / "bin";
    const fs::path state = dir / "state";
    fs::create_directories(program);
    fs::create_directories(state);
    ASSERT_EQ(::chown(state.c_str(), 65534, 65534), 0);
    ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    const int opened = RunAsOtherUser([&] {
        CZellwickApp app(program.wstring(), L"DesktopSessionTest", StateFolder());
        app.WriteLog(L"Zellwick start");
        return app.m_strLogPath == (state / "Zellwick/Zellwick.log").wstring() ? 1 : 0;
    });
    if (opened < 0)
        GTEST_SKIP() << "cannot run a check as user 65534 here";
    EXPECT_EQ(opened, 1) << "the About box names where the log is";
    EXPECT_EQ(LogTexts(state / "Zellwick/Zellwick.log"),
              std::vector<std::string>{"Zellwick start"});
    EXPECT_FALSE(fs::exists(program / "Zellwick.log"));
    EXPECT_EQ(fs::status(state / "Zellwick").permissions(), fs::perms::owner_all)
        << "the state folder is the user's own";

    // A program folder that can be written keeps the log, as before.
    const CZellwickApp beside(program.wstring(), L"DesktopSessionTest", (dir / "other").wstring());
    EXPECT_EQ(beside.m_strLogPath, (program / "Zellwick.log").wstring());
    EXPECT_FALSE(fs::exists(dir / "other"));

    ::unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(StateFolder(), fs::path(std::getenv("HOME")).wstring() + L"/.local/state/Zellwick");
}

TEST(DesktopSessionTest, X11IsChosenInAWaylandSessionWithAnXServerUnlessTheUserChose)
{
    struct Case
    {
        const char *wayland, *session, *display, *platform, *argument, *expected;
    } const cases[] = {
        {"wayland-0", nullptr, ":0", nullptr, nullptr, "xcb;wayland"},
        {nullptr, "wayland", ":0", "", nullptr, "xcb;wayland"},
        {"wayland-0", "wayland", nullptr, nullptr, nullptr, nullptr}, // no XWayland
        {nullptr, "x11", ":0", nullptr, nullptr, nullptr},
        {"wayland-0", "wayland", ":0", "wayland", nullptr, "wayland"},
        {"wayland-0", "wayland", ":0", nullptr, "-platform", nullptr},
    };
    const std::string saved = std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
    for (const Case& c : cases) {
        SetEnv("WAYLAND_DISPLAY", c.wayland);
        SetEnv("XDG_SESSION_TYPE", c.session);
        SetEnv("DISPLAY", c.display);
        SetEnv("QT_QPA_PLATFORM", c.platform);
        const char* argv[] = {"Zellwick", c.argument ? c.argument : "", "wayland"};
        const std::wstring note = PreferX11UnderWayland(c.argument ? 3 : 1, argv);
        const char* now = std::getenv("QT_QPA_PLATFORM");
        const std::string expected = c.expected ? c.expected : "-";
        EXPECT_EQ(std::string(now ? now : "-"), expected);
        EXPECT_EQ(note.empty(), expected != "xcb;wayland") << "one log line says so";
    }
    ::setenv("QT_QPA_PLATFORM", saved.c_str(), 1);
}

} // namespace
