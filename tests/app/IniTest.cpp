// CIni reads user.ini by the rules of the Windows profile functions.

#include "app/Ini.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace zellwick::test;

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

std::string Utf16(const std::u16string& text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

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
        {Utf16(u"[User]\r\nName=J\u00fcrgen\r\n", false), L"User", L"Name", L"J\u00fcrgen"},
        {Utf16(u"[User]\r\nName=J\u00fcrgen\r\n", true), L"User", L"Name", L"J\u00fcrgen"},
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

} // namespace
