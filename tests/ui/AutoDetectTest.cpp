// Finding the nickname and the hands folder in the poker client's user.ini inside a Wine
// prefix, and turning the client's Windows paths into the paths of this machine.

#include "ui/AutoDetect.h"

#include "app/WideText.h"
#include "tests/ui/SettingsTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <utility>

namespace {

namespace fs = std::filesystem;
using namespace zellwick::test;

class AutoDetectTest : public ::testing::Test
{
protected:
    // Detection of both values, as the "Auto" button asks for them.
    std::pair<std::wstring, std::wstring> DetectBoth(std::wstring nickname = L"Typed",
                                                     std::wstring folder = L"/typed")
    {
        AutoDetect(nickname, true, folder, true);
        return {nickname, folder};
    }

    TempWinePrefix m_wine;
};

// ---- Reading user.ini

TEST_F(AutoDetectTest, SectionsAreReadInOrderAndTheNicknameJoinedWithOneSeparator)
{
    struct Case
    {
        const char* name;
        ClientIni ini;
        std::wstring nickname, folder;
    };
    const std::wstring c = Wide(m_wine.DriveC());
    const std::wstring d = Wide(m_wine.DriveD());
    fs::create_directories(m_wine.DriveD() / "Hände");
    const Case cases[] = {
        {"Options with a trailing separator", ClientIni().Options("D:\\Hands\\"), L"Hero",
         d + L"/Hands/Hero"},
        // Not ".../HandsHero", a folder the client never writes to.
        {"Options without one", ClientIni().Options("D:\\Hands"), L"Hero", d + L"/Hands/Hero"},
        {"PipeOption wins over Options", ClientIni().Options("D:\\Old\\").PipeOption("C:\\New\\"),
         L"Hero", c + L"/New/Hero"},
        {"a key before any section wins over both",
         ClientIni().NoSection("C:\\Top").Options("D:\\Old\\").PipeOption("D:\\Pipe\\"), L"Hero",
         c + L"/Top/Hero"},
        {"non-ASCII comes through whole", ClientIni().Name("Jürgen").Options("D:\\HÄNDE\\"),
         L"J\u00fcrgen", d + L"/H\u00e4nde/J\u00fcrgen"},
        {"no keys: empty values and no separator", ClientIni().Name(""), L"", L""},
        {"no name: the folder alone", ClientIni().Name("").Options("D:\\Hands"), L"",
         d + L"/Hands"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        m_wine.WriteUserIni(row.ini.Text());
        EXPECT_EQ(DetectBoth(), std::make_pair(row.nickname, row.folder));
    }
}

TEST_F(AutoDetectTest, WhatIsNotAskedForIsLeftAlone)
{
    m_wine.WriteUserIni(ClientIni().Name("Someone").Options("D:\\Hands\\").Text());
    std::wstring nickname = L"Typed";
    std::wstring folder;
    AutoDetect(nickname, false, folder, true);
    EXPECT_EQ(nickname, L"Typed");
    EXPECT_EQ(folder, Wide(m_wine.DriveD()) + L"/Hands/"); // no nickname added

    nickname.clear();
    folder = L"/my/own";
    AutoDetect(nickname, true, folder, false);
    EXPECT_EQ(nickname, L"Someone");
    EXPECT_EQ(folder, L"/my/own");
}

TEST_F(AutoDetectTest, MissingFileEmptiesWhatWasAskedForAndKeepsWhatWasTyped)
{
    const auto [nickname, folder] = DetectBoth();
    EXPECT_EQ(nickname, L"");
    EXPECT_EQ(folder, L"");

    std::wstring typedNick = L"Hero";
    std::wstring emptyFolder;
    AutoDetect(typedNick, false, emptyFolder, true);
    EXPECT_EQ(typedNick, L"Hero");
    EXPECT_EQ(emptyFolder, L"");
}

TEST_F(AutoDetectTest, FileIsFoundWhateverTheCaseOfTheProfileFolders)
{
    const fs::path file = m_wine.DriveC() / "Users" / ToNativePath(LoginName()) / "appdata" /
                          "local" / "PokerStars" / "USER.INI";
    fs::remove(m_wine.DriveC() / "users");
    WriteFile(file, ClientIni().Options("D:\\H\\").Text());

    EXPECT_EQ(ClientIniPath(Wide(m_wine.Prefix()), LoginName()), Wide(file));
    EXPECT_EQ(DetectBoth().first, L"Hero");
}

// ---- Where to look

TEST(WineLocationTest, PrefixIsTheVariableOrDotWineInHome)
{
    const char* old = std::getenv("WINEPREFIX");
    const std::string saved = old ? old : "";

    ::setenv("WINEPREFIX", "/opt/wine-poker", 1);
    EXPECT_EQ(WinePrefixFolder(), L"/opt/wine-poker");
    ::setenv("WINEPREFIX", "", 1);
    EXPECT_EQ(WinePrefixFolder(), Wide(fs::path(std::getenv("HOME")) / ".wine"));
    ::unsetenv("WINEPREFIX");
    EXPECT_EQ(WinePrefixFolder(), Wide(fs::path(std::getenv("HOME")) / ".wine"));

    if (old)
        ::setenv("WINEPREFIX", saved.c_str(), 1);
}

// ---- Windows paths inside the prefix

class WindowsPathTest : public ::testing::Test
{
protected:
    std::wstring Linux(const std::wstring& windowsPath)
    {
        return LinuxPathInPrefix(Wide(m_wine.Prefix()), windowsPath);
    }

    TempWinePrefix m_wine;
};

TEST_F(WindowsPathTest, DriveCWithoutDosdevicesIsDriveC)
{
    fs::remove_all(m_wine.Prefix() / "dosdevices");

    EXPECT_EQ(Linux(L"C:\\Hands\\"), Wide(m_wine.DriveC()) + L"/Hands/");
    EXPECT_EQ(Linux(L"D:\\Hands\\"), L"");
}

TEST_F(WindowsPathTest, DrivesFollowTheirLinksAndComponentsMatchWithoutRegardToCase)
{
    const fs::path dosdevices = m_wine.Prefix() / "dosdevices";
    fs::create_directory_symlink("/", dosdevices / "z:");
    fs::create_directory_symlink(m_wine.Prefix() / "gone", dosdevices / "e:");
    fs::create_directories(m_wine.DriveC() / "Users" / "Hero" / "HandHistory");
    fs::create_directories(m_wine.DriveC() / "hands");
    fs::create_directories(m_wine.DriveC() / "Hands");
    const std::wstring c = Wide(m_wine.DriveC());
    const std::pair<const wchar_t*, std::wstring> cases[] = {
        // The trailing separator is kept.
        {L"C:\\Poker\\x\\Hands\\", c + L"/Poker/x/Hands/"},
        {L"C:\\Poker\\x\\Hands", c + L"/Poker/x/Hands"},
        {L"c:/Poker//x/Hands/", c + L"/Poker/x/Hands/"},
        {L"C:\\", c + L"/"},
        {L"D:\\Hands\\", Wide(m_wine.DriveD()) + L"/Hands/"},
        {L"Z:\\home\\x\\", L"/home/x/"},
        // Unknown, dangling or missing drives give nothing.
        {L"E:\\Hands\\", L""},
        {L"F:\\Hands\\", L""},
        {L"Hands\\", L""},
        {L"\\\\server\\share\\Hands", L""},
        {L"", L""},
        // Existing folders take their real spelling; the rest is kept as written.
        {L"C:\\USERS\\hero\\handhistory\\New\\", c + L"/Users/Hero/HandHistory/New/"},
        {L"C:\\users\\Nobody\\HANDS", c + L"/users/Nobody/HANDS"},
        // The exact spelling wins; neither spelled so, the first by name, whatever the order.
        {L"C:\\Hands", c + L"/Hands"},
        {L"C:\\hands", c + L"/hands"},
        {L"C:\\HANDS", c + L"/Hands"},
    };
    for (const auto& [windows, expected] : cases)
        EXPECT_EQ(Linux(windows), expected) << ToUtf8(windows);
}

} // namespace
