#include "app/Ini.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace zellwick::test;

namespace {

class IniTest : public ::testing::Test
{
protected:
    // A CIni over a file with these bytes.
    CIni Ini(const std::string& bytes, const std::string& name = "user.ini")
    {
        WriteFile(m_dir / name, bytes);
        return CIni((m_dir / name).wstring().c_str());
    }

    TempDir m_dir;
};

const std::string kUserIni = "[User]\n"
                             "Name=Hero\n"
                             "[Options]\n"
                             "SaveMyHandsPath=D:\\Hands\\\n";

TEST_F(IniTest, ReadsKeysOfSections)
{
    const CIni ini = Ini(kUserIni);
    EXPECT_EQ(ini.GetString(L"User", L"Name"), L"Hero");
    EXPECT_EQ(ini.GetString(L"Options", L"SaveMyHandsPath"), L"D:\\Hands\\");
}

TEST_F(IniTest, KeepsItsOwnCopyOfThePath)
{
    std::wstring path = (m_dir / "user.ini").wstring();
    WriteFile(m_dir / "user.ini", kUserIni);
    const CIni ini(path.c_str());
    path.assign(path.size(), L'x');
    EXPECT_EQ(ini.GetString(L"User", L"Name"), L"Hero");
    EXPECT_EQ(std::wstring(ini.m_pszPath.get()), (m_dir / "user.ini").wstring());
}

TEST_F(IniTest, MissingThingsGiveEmptyText)
{
    const CIni ini = Ini(kUserIni);
    EXPECT_EQ(ini.GetString(L"Nowhere", L"Name"), L"");
    EXPECT_EQ(ini.GetString(L"User", L"Nobody"), L"");
    EXPECT_EQ(ini.GetString(L"Options", L"Name"), L"") << "keys belong to their own section";
    EXPECT_EQ(CIni((m_dir / "missing.ini").wstring().c_str()).GetString(L"User", L"Name"), L"");
    EXPECT_EQ(CIni().GetString(L"User", L"Name"), L"");
    EXPECT_EQ(CIni(nullptr).GetString(L"User", L"Name"), L"");
}

TEST_F(IniTest, NullSectionOrKeyGivesEmptyText)
{
    const CIni ini = Ini("Name=before any section\n" + kUserIni);
    EXPECT_EQ(ini.GetString(nullptr, L"Name"), L"");
    EXPECT_EQ(ini.GetString(L"User", nullptr), L"");
    EXPECT_EQ(ini.GetString(nullptr, nullptr), L"");
}

TEST_F(IniTest, NamesIgnoreCase)
{
    const CIni ini = Ini("[uSeR]\nnAmE=Hero\n[\u00c4rger]\n\u00dcber=yes\n");
    EXPECT_EQ(ini.GetString(L"USER", L"name"), L"Hero");
    EXPECT_EQ(ini.GetString(L"\u00e4RGER", L"\u00fcBER"), L"yes");
}

TEST_F(IniTest, ValuesKeepTheirCase)
{
    EXPECT_EQ(Ini("[a]\nk=MiXeD\n").GetString(L"A", L"K"), L"MiXeD");
}

TEST_F(IniTest, BlanksAroundNamesAndValuesAreTrimmed)
{
    const CIni ini = Ini("  [  Options  ]  \n\t SaveMyHandsPath \t=  D:\\My Hands\\ \t\n");
    EXPECT_EQ(ini.GetString(L"Options", L"SaveMyHandsPath"), L"D:\\My Hands\\");
    EXPECT_EQ(ini.GetString(L" Options ", L" SaveMyHandsPath "), L"D:\\My Hands\\");
}

TEST_F(IniTest, MatchingQuotesAreRemoved)
{
    const CIni ini = Ini("[q]\n"
                         "double=\"  spaced  \"\n"
                         "single='it'\n"
                         "mixed=\"it'\n"
                         "open=\"unclosed\n"
                         "inner=a \"b\" c\n"
                         "lone=\"\n"
                         "empty=\"\"\n");
    EXPECT_EQ(ini.GetString(L"q", L"double"), L"  spaced  ");
    EXPECT_EQ(ini.GetString(L"q", L"single"), L"it");
    EXPECT_EQ(ini.GetString(L"q", L"mixed"), L"\"it'");
    EXPECT_EQ(ini.GetString(L"q", L"open"), L"\"unclosed");
    EXPECT_EQ(ini.GetString(L"q", L"inner"), L"a \"b\" c");
    EXPECT_EQ(ini.GetString(L"q", L"lone"), L"\"");
    EXPECT_EQ(ini.GetString(L"q", L"empty"), L"");
}

TEST_F(IniTest, ValueRunsToTheLineEndAfterTheFirstEquals)
{
    const CIni ini = Ini("[s]\nformula=a=b; c#d\n");
    EXPECT_EQ(ini.GetString(L"s", L"formula"), L"a=b; c#d");
}

TEST_F(IniTest, FirstSectionAndFirstKeyWin)
{
    const CIni ini = Ini("[User]\nName=First\nName=Second\n"
                         "[Other]\nName=Other\n"
                         "[user]\nName=Third\nOnlyHere=found\n");
    EXPECT_EQ(ini.GetString(L"User", L"Name"), L"First");
    EXPECT_EQ(ini.GetString(L"User", L"OnlyHere"), L"found");
    EXPECT_EQ(ini.GetString(L"Other", L"Name"), L"Other");
}

TEST_F(IniTest, EmptySectionNameMeansTheKeysBeforeTheFirstHeader)
{
    const CIni ini = Ini("SaveMyHandsPath=C:\\Top\\\n"
                         "[Options]\nSaveMyHandsPath=C:\\Options\\\nOther=1\n"
                         "[PipeOption]\nSaveMyHandsPath=C:\\Pipe\\\n");
    EXPECT_EQ(ini.GetString(L"", L"SaveMyHandsPath"), L"C:\\Top\\");
    EXPECT_EQ(ini.GetString(L"", L"Other"), L"");
    EXPECT_EQ(ini.GetString(L"PipeOption", L"SaveMyHandsPath"), L"C:\\Pipe\\");
    EXPECT_EQ(Ini("[Options]\nSaveMyHandsPath=x\n", "b.ini").GetString(L"", L"SaveMyHandsPath"),
              L"");
}

TEST_F(IniTest, CommentsAndStrayLinesAreSkipped)
{
    const CIni ini = Ini("; comment=1\n"
                         "# comment=2\n"
                         "[User]\n"
                         "  ; Name=Commented\n"
                         "just some words\n"
                         "[broken header\n"
                         "Name=Hero\n");
    EXPECT_EQ(ini.GetString(L"User", L"Name"), L"Hero");
    EXPECT_EQ(ini.GetString(L"", L"; comment"), L"");
    EXPECT_EQ(ini.GetString(L"User", L"just some words"), L"");
}

TEST_F(IniTest, ByteOrderMarkAndWindowsLineEnds)
{
    const CIni ini = Ini("\xEF\xBB\xBF"
                         "Top=1\r\n[User]\r\nName=Hero\r\n\r\n[Options]\rSaveMyHandsPath=D:\\\r\n");
    EXPECT_EQ(ini.GetString(L"", L"Top"), L"1");
    EXPECT_EQ(ini.GetString(L"User", L"Name"), L"Hero");
    EXPECT_EQ(ini.GetString(L"Options", L"SaveMyHandsPath"), L"D:\\");
}

TEST_F(IniTest, LastLineWithoutLineEnd)
{
    EXPECT_EQ(Ini("[User]\nName=Hero").GetString(L"User", L"Name"), L"Hero");
    EXPECT_EQ(Ini("[User]\r\nName=Hero\r", "b.ini").GetString(L"User", L"Name"), L"Hero");
}

TEST_F(IniTest, Utf8TextAndWindows1252Bytes)
{
    const CIni ini = Ini("[User]\n"
                         "Name=J\xC3\xBCrgen\n"
                         "Legacy=Caf\xE9 \x80 5\n"
                         "[Opt\xEF\xBF\xBDons]\n"
                         "Path=C:\\\xE2\x82\xAC\n");
    EXPECT_EQ(ini.GetString(L"User", L"Name"), L"J\u00fcrgen");
    EXPECT_EQ(ini.GetString(L"User", L"Legacy"), L"Caf\u00e9 \u20ac 5");
    EXPECT_EQ(ini.GetString(L"Opt\uFFFDons", L"Path"), L"C:\\\u20ac");
}

TEST_F(IniTest, BinaryBytesDoNotDisturbTheRest)
{
    std::string bytes("\x00\x01\xFF\xFE garbage \x00=\x00\n", 17);
    bytes += "[User]\n";
    bytes += std::string("Blob=\x01\x02\x00\x7F", 9) + "\n";
    bytes += "Name=Hero\n";
    const CIni ini = Ini(bytes);
    EXPECT_EQ(ini.GetString(L"User", L"Name"), L"Hero");
    EXPECT_EQ(ini.GetString(L"User", L"Blob"), std::wstring(L"\x01\x02\0\x7F", 4));
}

TEST_F(IniTest, Utf16FileWithByteOrderMark)
{
    const std::u16string text = u"[User]\r\nName=J\u00fcrgen\r\n";
    std::string little = "\xFF\xFE";
    std::string big = "\xFE\xFF";
    for (const char16_t unit : text) {
        little += static_cast<char>(unit & 0xFF);
        little += static_cast<char>(unit >> 8);
        big += static_cast<char>(unit >> 8);
        big += static_cast<char>(unit & 0xFF);
    }
    EXPECT_EQ(Ini(little, "le.ini").GetString(L"User", L"Name"), L"J\u00fcrgen");
    EXPECT_EQ(Ini(big, "be.ini").GetString(L"User", L"Name"), L"J\u00fcrgen");
}

TEST_F(IniTest, LongValuesComeBackWhole)
{
    std::string value600;
    for (int i = 0; value600.size() < 600; ++i)
        value600 += std::to_string(i % 10);
    const std::string huge(200000, 'h');
    const CIni ini = Ini("[Options]\nSaveMyHandsPath=" + value600 + "\nHuge=" + huge + "\n");
    EXPECT_EQ(ini.GetString(L"Options", L"SaveMyHandsPath"),
              std::wstring(value600.begin(), value600.end()));
    EXPECT_EQ(ini.GetString(L"Options", L"Huge").size(), huge.size());
    for (const std::size_t length : {510u, 511u, 512u, 513u, 1023u, 1024u}) {
        const std::string value(length, 'v');
        EXPECT_EQ(Ini("[s]\nk=" + value + "\n", "len.ini").GetString(L"s", L"k").size(), length);
    }
}

TEST_F(IniTest, VeryLongLinesElsewhere)
{
    const std::string noise(1 << 20, 'n');
    const CIni ini = Ini(noise + "\n[" + noise + "]\nName=Noise\n" + noise + "=x\n" + kUserIni);
    EXPECT_EQ(ini.GetString(L"User", L"Name"), L"Hero");
}

TEST_F(IniTest, FileNameWithNonAsciiCharacters)
{
    WriteFile(m_dir / "J\xC3\xBCrgen" / "user.ini", kUserIni);
    const CIni ini((m_dir.wpath() + L"/J\u00fcrgen/user.ini").c_str());
    EXPECT_EQ(ini.GetString(L"User", L"Name"), L"Hero");
}

TEST_F(IniTest, FolderOrPipeInPlaceOfTheFile)
{
    fs::create_directory(m_dir / "folder.ini");
    EXPECT_EQ(CIni((m_dir / "folder.ini").wstring().c_str()).GetString(L"User", L"Name"), L"");
    const fs::path fifo = m_dir / "pipe.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Nobody writes to the pipe: reading it would never end.
    EXPECT_EQ(CIni(fifo.wstring().c_str()).GetString(L"User", L"Name"), L"");
}

TEST_F(IniTest, UnreadableFileGivesEmptyText)
{
    fs::permissions(m_dir.path(), fs::perms(0755));
    WriteFile(m_dir / "user.ini", kUserIni);
    fs::permissions(m_dir / "user.ini", fs::perms(0600));
    const std::wstring path = (m_dir / "user.ini").wstring();
    const auto empty =
        RunAsNobody([&] { return CIni(path.c_str()).GetString(L"User", L"Name").empty(); });
    if (!empty)
        GTEST_SKIP() << "cannot run a check as user 65534 here";
    EXPECT_TRUE(*empty);
}

} // namespace
