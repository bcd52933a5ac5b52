// The program's start-up: the log lines in their order, the settings from a real settings
// file, and the window that opens idle or starts by itself.

#include "ui/StartUp.h"
#include "app/SettingsStore.h"
#include "app/WideText.h"
#include "tests/ui/WindowTestSupport.h"

#include <QAbstractButton>
#include <QTimer>

namespace zellwick::test {
namespace {

using Dlg = CZellwickDlg;

// What the window looked like when it had opened.
struct Opened
{
    bool ran = false;
    bool running = false;
    bool startEnabled = false;
};

class StartUpTest : public WindowTest
{
protected:
    // A fresh application object: the constructor's values, nothing loaded, nothing logged.
    StartUpTest() : WindowTest(Prepare::Nothing) {}

    void Store(const wchar_t* key, const std::wstring& value)
    {
        CSettingsStore(CZellwickApp::kCompanyName, SettingsName())
            .WriteString(L"BaseInfo", key, value);
    }
    void StoreInt(const wchar_t* key, int value)
    {
        CSettingsStore(CZellwickApp::kCompanyName, SettingsName())
            .WriteInt(L"BaseInfo", key, value);
    }

    // The start-up sequence with a window that closes itself as soon as its modal run begins.
    Opened Run(CZellwickApp& app)
    {
        Opened opened;
        const bool result = InitInstanceForTest(app, opened);
        EXPECT_FALSE(result);
        return opened;
    }

    bool InitInstanceForTest(CZellwickApp& app, Opened& opened)
    {
        return InitInstance(app, m_clock, [&] {
            CZellwickDlg dlg(app, m_clock, m_sound, ScreenScale(), m_prompts, m_translucency);
            opened.ran = true;
            opened.running = dlg.IsRunning();
            opened.startEnabled = dlg.GetDlgItem(Dlg::IDC_START)->isEnabled();
            QTimer::singleShot(0, &dlg, [&dlg] { dlg.close(); });
            dlg.exec();
        });
    }

    std::vector<std::string> Log() const { return LogLines(m_logDir / "Zellwick.log"); }
};

TEST_F(StartUpTest, WritesItsLinesInOrder)
{
    Store(L"Nickname", L"Hero");
    Store(L"History", m_history.wpath());
    const Opened opened = Run(*m_app);
    ASSERT_TRUE(opened.ran);
    EXPECT_FALSE(opened.running);
    EXPECT_TRUE(opened.startEnabled);

    const auto lines = Log();
    ASSERT_GE(lines.size(), 12u);
    EXPECT_EQ(lines[0], "") << "the separator's line feed leaves the stamp alone";
    EXPECT_EQ(lines[1], "================================");
    EXPECT_EQ(lines[2], "Zellwick start");
    EXPECT_EQ(lines[3], "Zellwick InitInstance()");
    EXPECT_EQ(lines[4], "Zellwick SetAppID");
    // The header block: the time and the executable without stamps, then the version lines.
    char expectedTime[64];
    std::tm local{};
    ::localtime_r(&m_clock.m_now, &local);
    std::strftime(expectedTime, sizeof expectedTime, "%d.%m.%Y  %H:%M:%S", &local);
    EXPECT_EQ(lines[5], expectedTime);
    EXPECT_EQ(lines[6], std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[8], ToUtf8(m_app->m_strBuildDate));
    EXPECT_EQ(lines[9], "Version number v2.7");
    EXPECT_EQ(lines[10], "");

    const int history = FindLine(lines, "HistoryPath = " + m_history.path().string(), 11);
    const int runOnStart = FindLine(lines, "RunOnStart = 0", 11);
    ASSERT_GT(history, 11) << "the system facts come between the header and the settings";
    EXPECT_GT(runOnStart, history);
    EXPECT_EQ(FindLine(lines, "NickName is empty!"), -1);
    EXPECT_EQ(FindLine(lines, "HistoryPath is empty!"), -1);
}

TEST_F(StartUpTest, AHistoryFolderThatIsGoneLeavesStartDisabled)
{
    const std::string gone = (m_history / "gone").string();
    Store(L"Nickname", L"Hero");
    Store(L"History", (m_history / "gone").wstring());
    StoreInt(L"RunOnStart", 1);
    const Opened opened = Run(*m_app);
    EXPECT_FALSE(opened.running);
    EXPECT_FALSE(opened.startEnabled);

    const auto lines = Log();
    const int named = FindLine(lines, "HistoryPath = " + gone);
    const int missing = FindLine(lines, "HistoryPath = " + gone + " is not found!");
    const int runOnStart = FindLine(lines, "RunOnStart = 1");
    const int empty = FindLine(lines, "HistoryPath is empty!");
    ASSERT_GE(named, 0);
    EXPECT_EQ(missing, named + 1);
    EXPECT_GT(runOnStart, missing);
    EXPECT_GT(empty, runOnStart);
}

TEST_F(StartUpTest, RunOnStartWithAnEmptyNicknameStaysIdle)
{
    Store(L"History", m_history.wpath());
    StoreInt(L"RunOnStart", 1);
    const Opened opened = Run(*m_app);
    EXPECT_FALSE(opened.running);
    EXPECT_FALSE(opened.startEnabled);
    EXPECT_GT(FindLine(Log(), "NickName is empty!"), FindLine(Log(), "RunOnStart = 1"));
    EXPECT_EQ(CSettingsStore(CZellwickApp::kCompanyName, SettingsName())
                  .GetInt(L"BaseInfo", L"RunOnStart", 0),
              1)
        << "the stored setting stays";
}

TEST_F(StartUpTest, RunOnStartWithNicknameAndFolderStartsCounting)
{
    Store(L"Nickname", L"Hero");
    Store(L"History", m_history.wpath());
    StoreInt(L"RunOnStart", 1);
    const Opened opened = Run(*m_app);
    EXPECT_TRUE(opened.running);
    const auto lines = Log();
    EXPECT_GT(FindLine(lines, "Nickname = Hero"), FindLine(lines, "RunOnStart = 1"));
}

TEST_F(StartUpTest, WithoutALogTheWindowStillOpens)
{
    CZellwickApp noLog(L"", SettingsName());
    ASSERT_FALSE(noLog.m_bLogOpen);
    Store(L"Nickname", L"Hero");
    Store(L"History", m_history.wpath());
    const Opened opened = Run(noLog);
    EXPECT_TRUE(opened.ran);
    EXPECT_TRUE(opened.startEnabled);
    EXPECT_EQ(noLog.m_strNickname, L"Hero");
}

} // namespace
} // namespace zellwick::test
