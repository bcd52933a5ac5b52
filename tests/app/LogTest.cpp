// The application object's log: stamped UTF-8 lines on disk at once, raw writes, trimming
// before it is opened, and no log (and no crash) where none can be made.

#include "app/Executable.h"
#include "app/WideText.h"
#include "app/ZellwickApp.h"
#include "tests/app/AppTestSupport.h"

#include <gtest/gtest.h>
#include <regex>

namespace fs = std::filesystem;
using namespace zellwick::test;
using Texts = std::vector<std::string>;

namespace {

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
    EXPECT_EQ(
        LogTexts(dir / "Zellwick.log"),
        (Texts{"Nickname = J\xC3\xBCrgen \xE2\x82\xAC \xF0\x9F\x82\xA1", "",
               "unstamped: Version number v2.7", "unstamped: ", "a\xEF\xBF\xBD\xEF\xBF\xBD"}));
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
    fs::permissions(dir.path(), fs::perms(0755));
    fs::create_directory(dir / "readonly");
    fs::permissions(dir / "readonly", fs::perms(0555));
    const int opened = RunAsOtherUser([&] {
        CZellwickApp app((dir / "readonly").wstring(), L"LogTest");
        app.WriteLog(L"dropped");
        return app.m_bLogOpen;
    });
    if (opened < 0)
        GTEST_SKIP() << "cannot run a check as user 65534 here";
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(fs::exists(dir / "readonly" / "Zellwick.log"));
}

TEST(Log, TheBuildDateIsTheCompilersAsDayMonthYearAndTheProgramKnowsItsName)
{
    const std::pair<const char*, std::wstring> cases[] = {{"Nov 24 2016", L"24.11.2016"},
                                                          {"Feb  3 2025", L"03.02.2025"},
                                                          {"Dec  1 2030", L"01.12.2030"},
                                                          {"??? ?? ????", L""},
                                                          {"", L""},
                                                          {nullptr, L""}};
    for (const auto& [date, expected] : cases)
        EXPECT_EQ(CZellwickApp::BuildDateFromCompilerDate(date), expected) << (date ? date : "");
    EXPECT_EQ(ExecutableBaseName(), L"app_tests");
    EXPECT_TRUE(ExecutablePath().ends_with(L"/app_tests"));
}

TEST(WideText, FormatsAnyLengthAndReadsBytesThatAreNoUtf8AsWindows1252)
{
    const std::wstring longText(70000, L'\u20ac');
    EXPECT_EQ(FormatW(L"<%ls> %d:%02d 100%%", longText.c_str(), -2147483647 - 1, 5),
              L"<" + longText + L"> -2147483648:05 100%");
    EXPECT_EQ(FormatW(nullptr), L"");
    EXPECT_EQ(
        FromUtf8("\x80 \xE9 \x9F\x81 \xE2\x82 \xC0\xAF \xED\xA0\x80 \xE2\x82\xAC\xFF\xC3\xBC" +
                 std::string("\0b", 2)),
        L"\u20ac \u00e9 \u0178\u0081 \u00e2\u201a \u00c0\u00af \u00ed\u00a0\u20ac "
        L"\u20ac\u00ff\u00fc" +
            std::wstring(L"\0b", 2));
    EXPECT_EQ(ToNativePath(L"/tmp/j\u00fcrgen \U0001D11E").native(),
              "/tmp/j\xC3\xBCrgen \xF0\x9D\x84\x9E");
}

} // namespace
