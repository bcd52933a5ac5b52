#include "app/Ini.h"
#include "tests/corvask/OtherUser.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace zellwick::test;

namespace {

const std::string kUserIni = "[User]\nName=Hero\n[Options]\nSaveMyHandsPath=D:\\Hands\\\n";
const std::string kBlanks = "  [  Options  ]  \n\t SaveMyHandsPath \t=  D:\\My Hands\\ \t\n";
const std::string kQuotes =
    "[q]\ndouble=\"  spaced  \"\nsingle='it'\nmixed=\"it'\nopen=\"unclosed\n"
    "inner=a \"b\" c\nlone=\"\nempty=\"\"\n";
const std::string kRepeated = "[User]\nName=First\nName=Second\n[Other]\nName=Other\n"
                              "[user]\nName=Third\nOnlyHere=found\n";
const std::string kTopKeys = "SaveMyHandsPath=C:\\Top\\\n[Options]\nSaveMyHandsPath=C:\\Options\\\n"
                             "Other=1\n[PipeOption]\nSaveMyHandsPath=C:\\Pipe\\\n";
const std::string kStray = "; comment=1\n# comment=2\n[User]\n  ; Name=Commented\n"
                           "just some words\n[broken header\nName=Hero\n";
const std::string kWindows = "\xEF\xBB\xBFTop=1\r\n[User]\r\nName=Hero\r\n\r\n[Options]\r"
                             "SaveMyHandsPath=D:\\\r\n";
const std::string kEncodings = "[User]\nName=J\xC3\xBCrgen\nLegacy=Caf\xE9 \x80 5\n"
                               "[Opt\xEF\xBF\xBDons]\nPath=C:\\\xE2\x82\xAC\n";
const std::string kBinary = std::string("\x00\x01\xFF\xFE garbage \x00=\x00\n[User]\n", 24) +
                            std::string("Blob=\x01\x02\x00\x7F\nName=Hero\n", 20);

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

class IniTest : public ::testing::Test
{
protected:
    // The value a CIni over a file with these bytes finds.
    std::wstring Get(const std::string& bytes, const wchar_t* section, const wchar_t* key)
    {
        WriteFile(m_dir / "user.ini", bytes);
        return CIni((m_dir / "user.ini").wstring().c_str()).GetString(section, key);
    }

    TempDir m_dir;
};

TEST_F(IniTest, ReadsValuesByTheRulesOfTheWindowsProfileFunctions)
{
    const std::string noise(1 << 20, 'n');
    const struct
    {
        const char* what;
        std::string file;
        const wchar_t* section;
        const wchar_t* key;
        std::wstring value;
    } cases[] = {
        {"a key of a section", kUserIni, L"User", L"Name", L"Hero"},
        {"a path", kUserIni, L"Options", L"SaveMyHandsPath", L"D:\\Hands\\"},
        {"missing section", kUserIni, L"Nowhere", L"Name", L""},
        {"missing key", kUserIni, L"User", L"Nobody", L""},
        {"keys belong to their own section", kUserIni, L"Options", L"Name", L""},
        {"null section", "Name=top\n" + kUserIni, nullptr, L"Name", L""},
        {"null key", kUserIni, L"User", nullptr, L""},
        {"null section and key", kUserIni, nullptr, nullptr, L""},
        {"names ignore case", "[uSeR]\nnAmE=Hero\n", L"USER", L"name", L"Hero"},
        {"non-ASCII names too", "[\u00c4rger]\n\u00dcber=yes\n", L"\u00e4RGER", L"\u00fcBER",
         L"yes"},
        {"values keep their case", "[a]\nk=MiXeD\n", L"A", L"K", L"MiXeD"},
        {"blanks around names and values", kBlanks, L"Options", L"SaveMyHandsPath",
         L"D:\\My Hands\\"},
        {"blanks around the wanted names", kBlanks, L" Options ", L" SaveMyHandsPath ",
         L"D:\\My Hands\\"},
        {"double quotes", kQuotes, L"q", L"double", L"  spaced  "},
        {"single quotes", kQuotes, L"q", L"single", L"it"},
        {"quotes that differ", kQuotes, L"q", L"mixed", L"\"it'"},
        {"unclosed quote", kQuotes, L"q", L"open", L"\"unclosed"},
        {"quotes inside", kQuotes, L"q", L"inner", L"a \"b\" c"},
        {"a lone quote", kQuotes, L"q", L"lone", L"\""},
        {"empty quotes", kQuotes, L"q", L"empty", L""},
        {"after the first =", "[s]\nformula=a=b; c#d\n", L"s", L"formula", L"a=b; c#d"},
        {"first key wins", kRepeated, L"User", L"Name", L"First"},
        {"repeated section adds keys", kRepeated, L"User", L"OnlyHere", L"found"},
        {"other section", kRepeated, L"Other", L"Name", L"Other"},
        {"empty section: keys before any header", kTopKeys, L"", L"SaveMyHandsPath", L"C:\\Top\\"},
        {"empty section ends at a header", kTopKeys, L"", L"Other", L""},
        {"key after the top keys", kTopKeys, L"PipeOption", L"SaveMyHandsPath", L"C:\\Pipe\\"},
        {"no keys before the header", "[Options]\nSaveMyHandsPath=x\n", L"", L"SaveMyHandsPath",
         L""},
        {"comments and stray lines", kStray, L"User", L"Name", L"Hero"},
        {"a comment is no key", kStray, L"", L"; comment", L""},
        {"words are no key", kStray, L"User", L"just some words", L""},
        {"BOM and CRLF", kWindows, L"", L"Top", L"1"},
        {"CRLF", kWindows, L"User", L"Name", L"Hero"},
        {"lone CR", kWindows, L"Options", L"SaveMyHandsPath", L"D:\\"},
        {"last line without LF", "[User]\nName=Hero", L"User", L"Name", L"Hero"},
        {"last line ends in CR", "[User]\r\nName=Hero\r", L"User", L"Name", L"Hero"},
        {"UTF-8", kEncodings, L"User", L"Name", L"J\u00fcrgen"},
        {"Windows-1252", kEncodings, L"User", L"Legacy", L"Caf\u00e9 \u20ac 5"},
        {"U+FFFD in a name", kEncodings, L"Opt\uFFFDons", L"Path", L"C:\\\u20ac"},
        {"binary bytes", kBinary, L"User", L"Name", L"Hero"},
        {"binary value", kBinary, L"User", L"Blob", std::wstring(L"\x01\x02\0\x7F", 4)},
        {"UTF-16LE", Utf16(u"[User]\r\nName=J\u00fcrgen\r\n", false), L"User", L"Name",
         L"J\u00fcrgen"},
        {"UTF-16BE", Utf16(u"[User]\r\nName=J\u00fcrgen\r\n", true), L"User", L"Name",
         L"J\u00fcrgen"},
        {"long value", "[s]\nk=" + std::string(600, '6') + "\n", L"s", L"k",
         std::wstring(600, L'6')},
        {"huge value", "[s]\nk=" + noise + "\n", L"s", L"k", std::wstring(1 << 20, L'n')},
        {"long lines elsewhere",
         noise + "\n[" + noise + "]\nName=Noise\n" + noise + "=x\n" + kUserIni, L"User", L"Name",
         L"Hero"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Get(c.file, c.section, c.key), c.value) << c.what;
    for (const std::size_t length : {510u, 511u, 512u, 513u, 1023u, 1024u})
        EXPECT_EQ(Get("[s]\nk=" + std::string(length, 'v') + "\n", L"s", L"k").size(), length);
}

TEST_F(IniTest, KeepsItsOwnCopyOfANonAsciiPath)
{
    WriteFile(m_dir / "J\xC3\xBCrgen" / "user.ini", kUserIni);
    std::wstring path = m_dir.wpath() + L"/J\u00fcrgen/user.ini";
    const CIni ini(path.c_str());
    path.assign(path.size(), L'x');
    EXPECT_EQ(ini.GetString(L"User", L"Name"), L"Hero");
    EXPECT_EQ(std::wstring(ini.m_pszPath.get()), m_dir.wpath() + L"/J\u00fcrgen/user.ini");
}

TEST_F(IniTest, NoReadableFileGivesEmptyText)
{
    fs::create_directory(m_dir / "folder.ini");
    // Nobody writes to the pipe: reading it would never end.
    ASSERT_EQ(::mkfifo((m_dir / "pipe.ini").c_str(), 0600), 0);
    for (const char* name : {"missing.ini", "folder.ini", "pipe.ini"})
        EXPECT_EQ(CIni((m_dir / name).wstring().c_str()).GetString(L"User", L"Name"), L"") << name;
    EXPECT_EQ(CIni().GetString(L"User", L"Name"), L"");
    EXPECT_EQ(CIni(nullptr).GetString(L"User", L"Name"), L"");

    fs::permissions(m_dir.path(), fs::perms(0755));
    WriteFile(m_dir / "user.ini", kUserIni);
    fs::permissions(m_dir / "user.ini", fs::perms(0600));
    const std::wstring path = (m_dir / "user.ini").wstring();
    const int empty =
        RunAsOtherUser([&] { return CIni(path.c_str()).GetString(L"User", L"Name").empty(); });
    if (empty < 0)
        GTEST_SKIP() << "cannot run a check as user 65534 here";
    EXPECT_EQ(empty, 1);
}

} // namespace
