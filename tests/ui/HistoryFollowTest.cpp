// Which history files a play period follows and from where, through the window: the scan at
// Start, and hands appended to files in the watched folder while the period runs.

#include "tests/ui/WindowTestSupport.h"

#include <sys/stat.h>
#include <sys/time.h>

namespace zellwick::test {
namespace {

using Dlg = CZellwickDlg;

class HistoryFollowTest : public WindowTest
{
protected:
    // A history file of the given size, last written ageSeconds before the window's now.
    std::filesystem::path Write(const std::filesystem::path& file, std::size_t bytes,
                                std::time_t ageSeconds = 60)
    {
        WriteFile(file, std::string(bytes, 'x'));
        const std::time_t when = m_clock.Now() - ageSeconds;
        const timeval times[2] = {{when, 0}, {when, 0}};
        EXPECT_EQ(::utimes(file.c_str(), times), 0);
        return file;
    }

    static std::wstring Key(const std::filesystem::path& file) { return file.wstring(); }

    bool Follows(const std::filesystem::path& file) const
    {
        return m_dlg->FileOffsets().count(Key(file)) == 1;
    }
};

TEST_F(HistoryFollowTest, StartFollowsRecentHHFilesInAnySubfolderFromTheirEnd)
{
    struct Case
    {
        const char* name;
        std::size_t bytes;
        std::time_t age;
        bool followed;
    };
    const Case cases[] = {
        {"HH20200419 Una - $0.01-$0.02 - USD.txt", 120, 60, true},
        {"hH20200419 Una.txt", 50, 60, false},
        {"HH20200419 Una.TXT", 50, 60, false},
        {"notes.txt", 50, 60, false},
        {".txt", 50, 60, false},
        {"HH a.txt", 10, 20 * 3600 + 59 * 60, true}, // up to twenty whole hours is recent
        {"HH b.txt", 10, 21 * 3600, false},
        {"HH c.txt", 10, 400 * 24 * 3600, false},
        {"2020/04/19/HH deep.txt", 7, 60, true},
    };
    for (const Case& c : cases)
        Write(m_history / c.name, c.bytes, c.age);
    MakeWindow();
    Click(Dlg::IDC_START);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Follows(m_history / c.name), c.followed);
        if (c.followed) {
            EXPECT_EQ(m_dlg->FileOffsets().at(Key(m_history / c.name)),
                      static_cast<std::int64_t>(c.bytes));
        }
    }
    EXPECT_EQ(m_dlg->FileOffsets().size(), 3u);
}

TEST_F(HistoryFollowTest, AFolderWithATrailingSeparatorGivesTheSameKeys)
{
    Write(m_history / "HH top.txt", 1);
    Write(m_history / "sub" / "HH inner.txt", 2);
    MakeWindow();
    Click(Dlg::IDC_START);
    const FileOffsetMap plain = m_dlg->FileOffsets();
    Click(Dlg::IDC_STOP);

    m_app->m_strHistoryPath = m_history.wpath() + L"/";
    Click(Dlg::IDC_START);
    EXPECT_EQ(m_dlg->FileOffsets(), plain);
    EXPECT_EQ(plain.size(), 2u);
}

TEST_F(HistoryFollowTest, StartForgetsWhatThePreviousPeriodFollowed)
{
    const auto first = Write(m_history / "HH first.txt", 5);
    MakeWindow();
    Click(Dlg::IDC_START);
    ASSERT_TRUE(Follows(first));
    Click(Dlg::IDC_STOP);
    std::filesystem::remove(first);
    Click(Dlg::IDC_START);
    EXPECT_FALSE(Follows(first));
}

TEST_F(HistoryFollowTest, TextPresentAtStartIsNeverCountedTextAppendedLaterIs)
{
    const auto file = m_history / "HH20200419 Una - $0.01-$0.02 - USD.txt";
    WriteFile(file, HandText(1) + HandText(2));
    m_clock.m_now = std::time(nullptr); // the file was written just now
    MakeWindow();
    Click(Dlg::IDC_START);
    ASSERT_TRUE(Follows(file));

    AppendFile(file, HandText(3));
    ASSERT_TRUE(WaitFor([&] { return m_app->m_nHandCount == 1; }))
        << "hands counted: " << m_app->m_nHandCount;
    AppendFile(file, HandText(4));
    ASSERT_TRUE(WaitFor([&] { return m_app->m_nHandCount == 2; }))
        << "hands counted: " << m_app->m_nHandCount;
    EXPECT_EQ(m_app->m_nVppCents, 60);

    Tick(5);
    EXPECT_EQ(Text(Dlg::IDC_HANDS), "2");
    EXPECT_EQ(Text(Dlg::IDC_VPP), "0.60");
}

TEST_F(HistoryFollowTest, AFileCreatedDuringThePeriodIsCountedFromItsFirstByte)
{
    MakeWindow();
    Click(Dlg::IDC_START);
    const auto file = m_history / "HH20200419 Dora.txt";
    WriteFile(file, HandText(10) + HandText(11) + HandText(12));
    ASSERT_TRUE(WaitFor([&] { return m_app->m_nHandCount == 3; }))
        << "hands counted: " << m_app->m_nHandCount;
    EXPECT_EQ(m_app->m_nVppCents, 90);
}

} // namespace
} // namespace zellwick::test
