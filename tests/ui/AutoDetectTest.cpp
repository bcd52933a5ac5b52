// Finding the nickname and the hands folder in the poker client's user.ini inside a Wine
// prefix, and turning the client's Windows paths into paths of this machine.

#include "ui/AutoDetect.h"

#include "app/WideText.h"
#include "tests/ui/SettingsTestSupport.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using namespace zellwick::test;

TEST(AutoDetectTest, SectionsAreReadInOrderAndOnlyWhatIsAskedForChanges)
{
    TempWinePrefix wine;
    const std::wstring c = Wide(wine.DriveC());
    const std::wstring d = Wide(wine.DriveD());
    fs::create_directories(wine.DriveD() / "Hände");
    const std::tuple<std::string, std::wstring, std::wstring> rows[] = {
        {ClientIni("Hero", "D:\\Hands\\"), L"Hero", d + L"/Hands/Hero"},
        {ClientIni("Hero", "D:\\Hands"), L"Hero", d + L"/Hands/Hero"},
        {ClientIni("Hero", "D:\\Old\\", "C:\\New\\"), L"Hero", c + L"/New/Hero"},
        {ClientIni("Hero", "D:\\Old\\", "D:\\Pipe\\", "C:\\Top"), L"Hero", c + L"/Top/Hero"},
        {ClientIni("Jürgen", "D:\\HÄNDE\\"), L"J\u00fcrgen", d + L"/H\u00e4nde/J\u00fcrgen"},
        {ClientIni("", ""), L"", L""},
        {ClientIni("", "D:\\Hands"), L"", d + L"/Hands"}};
    for (const auto& [ini, nickname, folder] : rows) {
        wine.WriteUserIni(ini);
        std::wstring foundNick = L"Typed";
        std::wstring foundFolder = L"/typed";
        AutoDetect(foundNick, true, foundFolder, true);
        EXPECT_EQ(foundNick, nickname);
        EXPECT_EQ(foundFolder, folder);
    }
    std::wstring nickname = L"Typed";
    std::wstring folder;
    AutoDetect(nickname, false, folder, true);
    EXPECT_EQ(nickname + L"|" + folder, L"Typed|" + d + L"/Hands") << "no nickname added";
    fs::remove_all(wine.DriveC() / "users"); // no client file: what was asked for is emptied
    folder = L"/my/own";
    AutoDetect(nickname, true, folder, false);
    EXPECT_EQ(nickname + L"|" + folder, L"|/my/own");

    const fs::path file = wine.DriveC() / "Users" / ToNativePath(LoginName()) / "appdata" /
                          "local" / "PokerStars" / "USER.INI";
    WriteFile(file, ClientIni("Hero", "D:\\H\\"));
    EXPECT_EQ(ClientIniPath(Wide(wine.Prefix()), LoginName()), Wide(file)) << "any case";
    ::setenv("WINEPREFIX", "", 1);
    EXPECT_EQ(WinePrefixFolder(), Wide(fs::path(std::getenv("HOME")) / ".wine"));
}

TEST(AutoDetectTest, WindowsPathsBecomePathsInsideThePrefix)
{
    TempWinePrefix wine;
    const fs::path dosdevices = wine.Prefix() / "dosdevices";
    fs::create_directory_symlink("/", dosdevices / "z:");
    fs::create_directory_symlink(wine.Prefix() / "gone", dosdevices / "e:");
    fs::create_directories(wine.DriveC() / "Users" / "Hero" / "HandHistory");
    fs::create_directories(wine.DriveC() / "hands");
    fs::create_directories(wine.DriveC() / "Hands");
    const std::wstring c = Wide(wine.DriveC());
    const std::pair<const wchar_t*, std::wstring> cases[] = {
        {L"C:\\Poker\\x\\Hands\\", c + L"/Poker/x/Hands/"},
        {L"c:/Poker//x/Hands", c + L"/Poker/x/Hands"},
        {L"C:\\", c + L"/"},
        {L"D:\\Hands\\", Wide(wine.DriveD()) + L"/Hands/"},
        {L"Z:\\home\\x\\", L"/home/x/"},
        {L"E:\\Hands\\", L""},
        {L"F:\\Hands\\", L""},
        {L"Hands\\", L""},
        {L"\\\\server\\share\\Hands", L""},
        {L"C:\\USERS\\hero\\handhistory\\New\\", c + L"/Users/Hero/HandHistory/New/"},
        {L"C:\\hands", c + L"/hands"},
        {L"C:\\HANDS", c + L"/Hands"}};
    for (const auto& [windows, expected] : cases)
        EXPECT_EQ(LinuxPathInPrefix(Wide(wine.Prefix()), windows), expected) << ToUtf8(windows);
    fs::remove_all(dosdevices);
    EXPECT_EQ(LinuxPathInPrefix(Wide(wine.Prefix()), L"C:\\H\\"), c + L"/H/");
}

} // namespace
