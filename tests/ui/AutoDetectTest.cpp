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

TEST_F(AutoDetectTest, BothFromOptionsWithTrailingSeparatorJoinTheNickname)
{
    m_wine.WriteUserIni(ClientIni().Options("D:\\Hands\\").Text());

    const auto [nickname, folder] = DetectBoth();

    EXPECT_EQ(nickname, L"Hero");
    EXPECT_EQ(folder, Wide(m_wine.DriveD()) + L"/Hands/Hero");
}

TEST_F(AutoDetectTest, FolderWithoutTrailingSeparatorGetsOneBeforeTheNickname)
{
    m_wine.WriteUserIni(ClientIni().Options("D:\\Hands").Text());

    const auto [nickname, folder] = DetectBoth();

    // Not ".../HandsHero", a folder the client never writes to.
    EXPECT_EQ(folder, Wide(m_wine.DriveD()) + L"/Hands/Hero");
}

TEST_F(AutoDetectTest, PipeOptionWinsOverOptions)
{
    m_wine.WriteUserIni(ClientIni().Options("D:\\Old\\").PipeOption("C:\\New\\").Text());

    const auto [nickname, folder] = DetectBoth();

    EXPECT_EQ(folder, Wide(m_wine.DriveC()) + L"/New/Hero");
}

TEST_F(AutoDetectTest, KeyBeforeAnySectionWinsOverBothSections)
{
    m_wine.WriteUserIni(
        ClientIni().NoSection("C:\\Top").Options("D:\\Old\\").PipeOption("D:\\Pipe\\").Text());

    const auto [nickname, folder] = DetectBoth();

    EXPECT_EQ(folder, Wide(m_wine.DriveC()) + L"/Top/Hero");
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

TEST_F(AutoDetectTest, MissingKeysGiveEmptyValuesAndNoSeparator)
{
    m_wine.WriteUserIni(ClientIni().Name("").Text());
    EXPECT_EQ(DetectBoth(), std::make_pair(std::wstring(), std::wstring()));

    m_wine.WriteUserIni(ClientIni().Name("").Options("D:\\Hands").Text());
    EXPECT_EQ(DetectBoth(), std::make_pair(std::wstring(), Wide(m_wine.DriveD()) + L"/Hands"));
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

TEST_F(AutoDetectTest, NonAsciiNicknameAndFolderComeThroughWhole)
{
    fs::create_directories(m_wine.DriveD() / "Hände");
    m_wine.WriteUserIni(ClientIni().Name("Jürgen").Options("D:\\HÄNDE\\").Text());

    const auto [nickname, folder] = DetectBoth();

    EXPECT_EQ(nickname, L"J\u00fcrgen");
    EXPECT_EQ(folder, Wide(m_wine.DriveD()) + L"/H\u00e4nde/J\u00fcrgen");
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

TEST_F(WindowsPathTest, DriveCGoesThroughItsLinkAndKeepsTheTrailingSeparator)
{
    const std::wstring driveC = Wide(m_wine.DriveC());

    EXPECT_EQ(Linux(L"C:\\Poker\\x\\Hands\\"), driveC + L"/Poker/x/Hands/");
    EXPECT_EQ(Linux(L"C:\\Poker\\x\\Hands"), driveC + L"/Poker/x/Hands");
    EXPECT_EQ(Linux(L"c:/Poker//x/Hands/"), driveC + L"/Poker/x/Hands/");
    EXPECT_EQ(Linux(L"C:\\"), driveC + L"/");
}

TEST_F(WindowsPathTest, DriveCWithoutDosdevicesIsDriveC)
{
    fs::remove_all(m_wine.Prefix() / "dosdevices");

    EXPECT_EQ(Linux(L"C:\\Hands\\"), Wide(m_wine.DriveC()) + L"/Hands/");
    EXPECT_EQ(Linux(L"D:\\Hands\\"), L"");
}

TEST_F(WindowsPathTest, OtherDrivesFollowTheirLinks)
{
    EXPECT_EQ(Linux(L"D:\\Hands\\"), Wide(m_wine.DriveD()) + L"/Hands/");

    fs::create_directory_symlink("/", m_wine.Prefix() / "dosdevices" / "z:");
    EXPECT_EQ(Linux(L"Z:\\home\\x\\"), L"/home/x/");
}

TEST_F(WindowsPathTest, UnknownDanglingOrMissingDrivesGiveNothing)
{
    fs::create_directory_symlink(m_wine.Prefix() / "gone", m_wine.Prefix() / "dosdevices" / "e:");

    EXPECT_EQ(Linux(L"E:\\Hands\\"), L"");
    EXPECT_EQ(Linux(L"F:\\Hands\\"), L"");
    EXPECT_EQ(Linux(L"Hands\\"), L"");
    EXPECT_EQ(Linux(L"\\\\server\\share\\Hands"), L"");
    EXPECT_EQ(Linux(L""), L"");
}

TEST_F(WindowsPathTest, ComponentsMatchWhatExistsWithoutRegardToCase)
{
    fs::create_directories(m_wine.DriveC() / "Users" / "Hero" / "HandHistory");

    // Existing folders take their real spelling; the rest is kept as written.
    EXPECT_EQ(Linux(L"C:\\USERS\\hero\\handhistory\\New\\"),
              Wide(m_wine.DriveC()) + L"/Users/Hero/HandHistory/New/");
    EXPECT_EQ(Linux(L"C:\\users\\Nobody\\HANDS"), Wide(m_wine.DriveC()) + L"/users/Nobody/HANDS");
}

TEST_F(WindowsPathTest, ExactSpellingWinsOverAnotherCase)
{
    fs::create_directories(m_wine.DriveC() / "hands");
    fs::create_directories(m_wine.DriveC() / "Hands");

    EXPECT_EQ(Linux(L"C:\\Hands"), Wide(m_wine.DriveC()) + L"/Hands");
    EXPECT_EQ(Linux(L"C:\\hands"), Wide(m_wine.DriveC()) + L"/hands");
    // Neither spelled so: the first by name, whatever the directory's order.
    EXPECT_EQ(Linux(L"C:\\HANDS"), Wide(m_wine.DriveC()) + L"/Hands");
}

} // namespace
