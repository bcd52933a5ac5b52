// Start, Pause and Stop as the player uses them: the readouts, the buttons and the play time.

#include "tests/ui/WindowTestSupport.h"
#include "ui/CxSkinButton.h"

#include <QAbstractButton>

namespace zellwick::test {
namespace {

using Dlg = CZellwickDlg;

class PlayPeriodTest : public WindowTest
{
protected:
    QAbstractButton* Button(int id) const { return qobject_cast<QAbstractButton*>(Item(id)); }
};

TEST_F(PlayPeriodTest, OpensIdleWithOnlyStartAndStartShowsStopAndPause)
{
    MakeWindow();
    EXPECT_FALSE(m_dlg->IsRunning());
    EXPECT_EQ(m_dlg->PlayTimerId(), 0);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "00:00");
    EXPECT_EQ(Text(Dlg::IDC_HANDS), "0");
    EXPECT_EQ(Text(Dlg::IDC_VPP), "0.00");
    EXPECT_TRUE(Item(Dlg::IDC_START)->isVisible());
    EXPECT_TRUE(Item(Dlg::IDC_START)->isEnabled());
    EXPECT_FALSE(Item(Dlg::IDC_STOP)->isVisible());
    EXPECT_FALSE(Item(Dlg::IDC_PAUSE)->isVisible());

    Click(Dlg::IDC_START);

    EXPECT_TRUE(m_dlg->IsRunning());
    EXPECT_FALSE(m_dlg->IsPaused());
    EXPECT_NE(m_dlg->PlayTimerId(), 0);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "00:00");
    EXPECT_EQ(Text(Dlg::IDC_HANDS), "0");
    EXPECT_EQ(Text(Dlg::IDC_VPP), "0.00");
    EXPECT_FALSE(Item(Dlg::IDC_START)->isVisible());
    EXPECT_TRUE(Item(Dlg::IDC_STOP)->isVisible());
    EXPECT_TRUE(Item(Dlg::IDC_PAUSE)->isVisible());
    EXPECT_FALSE(Button(Dlg::IDC_START)->isChecked()) << "Start's click must not stay pressed";
    EXPECT_FALSE(Button(Dlg::IDC_STOP)->isChecked());

    const auto lines = LogLines(m_logDir / "Zellwick.log");
    EXPECT_GE(FindLine(lines, "Nickname = Hero"), 0);
    EXPECT_GE(FindLine(lines, "Path = " + m_history.path().string()), 0);
}

TEST_F(PlayPeriodTest, TheReadoutShowsHoursAndMinutesOfPlayPastHundredHours)
{
    const std::pair<std::time_t, const char*> steps[] = {
        {5, "00:00"},       {59, "00:01"},
        {65 * 60, "01:06"}, {98 * 3600 + 53 * 60 + 55, "99:59"},
        {1, "100:00"},      {23 * 3600 + 7 * 60, "123:07"},
    };
    MakeWindow();
    Click(Dlg::IDC_START);
    for (const auto& [seconds, shown] : steps) {
        Tick(seconds);
        EXPECT_EQ(Text(Dlg::IDC_TIME), QString(shown));
    }
}

TEST_F(PlayPeriodTest, PausedTimeIsLeftOutAndTheReadoutFreezes)
{
    MakeWindow();
    Click(Dlg::IDC_START);
    Tick(5 * 60);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "00:05");

    Click(Dlg::IDC_PAUSE);
    EXPECT_TRUE(m_dlg->IsPaused());
    EXPECT_TRUE(Button(Dlg::IDC_PAUSE)->isChecked()) << "Pause is drawn pressed while paused";
    Tick(10 * 60);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "00:05") << "the readout must freeze while paused";

    Click(Dlg::IDC_PAUSE);
    EXPECT_FALSE(m_dlg->IsPaused());
    EXPECT_FALSE(Button(Dlg::IDC_PAUSE)->isChecked());
    Tick(60);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "00:06");

    // A second pause is left out as well.
    Click(Dlg::IDC_PAUSE);
    Tick(3 * 3600);
    Click(Dlg::IDC_PAUSE);
    Tick(2 * 60);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "00:08");
}

TEST_F(PlayPeriodTest, HandsPlayedWhilePausedShowAfterResuming)
{
    MakeWindow();
    Click(Dlg::IDC_START);
    Click(Dlg::IDC_PAUSE);
    m_app->m_nHandCount = 3; // the watch keeps counting during a pause
    m_app->m_dVpp = 0.9;
    Tick(5);
    EXPECT_EQ(Text(Dlg::IDC_HANDS), "0");
    Click(Dlg::IDC_PAUSE);
    Tick(5);
    EXPECT_EQ(Text(Dlg::IDC_HANDS), "3");
    EXPECT_EQ(Text(Dlg::IDC_VPP), "0.90");
}

TEST_F(PlayPeriodTest, StopShowsOneHourDigitAndLeavesTheHandTotal)
{
    MakeWindow();
    Click(Dlg::IDC_START);
    m_app->m_nHandCount = 4;
    m_app->m_nVppCents = 120;
    m_app->m_dVpp = 1.2;
    Tick(90 * 60);
    EXPECT_EQ(Text(Dlg::IDC_HANDS), "4");

    Click(Dlg::IDC_STOP);
    EXPECT_FALSE(m_dlg->IsRunning());
    EXPECT_EQ(m_dlg->PlayTimerId(), 0);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "0:00");
    EXPECT_EQ(Text(Dlg::IDC_HANDS), "0");
    EXPECT_EQ(Text(Dlg::IDC_VPP), "0.00");
    EXPECT_EQ(m_app->m_nHandCount, 4);
    EXPECT_EQ(m_app->m_nVppCents, 0);
    EXPECT_EQ(m_app->m_dVpp, 0.0);
    EXPECT_TRUE(Item(Dlg::IDC_START)->isVisible());
    EXPECT_TRUE(Item(Dlg::IDC_START)->isEnabled());
    EXPECT_FALSE(Item(Dlg::IDC_STOP)->isVisible());
    EXPECT_FALSE(Item(Dlg::IDC_PAUSE)->isVisible());

    // Start again: a new period from zero.
    Click(Dlg::IDC_START);
    EXPECT_EQ(m_app->m_nHandCount, 0);
    EXPECT_EQ(Text(Dlg::IDC_HANDS), "0");
    EXPECT_EQ(Text(Dlg::IDC_TIME), "00:00");
    EXPECT_FALSE(Button(Dlg::IDC_STOP)->isChecked()) << "Stop's earlier click must not show";
}

TEST_F(PlayPeriodTest, StopWhilePausedReleasesPauseForTheNextPeriod)
{
    MakeWindow();
    Click(Dlg::IDC_START);
    Click(Dlg::IDC_PAUSE);
    ASSERT_TRUE(m_dlg->IsPaused());
    Click(Dlg::IDC_STOP);
    EXPECT_FALSE(m_dlg->IsPaused());

    Click(Dlg::IDC_START);
    EXPECT_FALSE(Button(Dlg::IDC_PAUSE)->isChecked());
    Click(Dlg::IDC_PAUSE);
    EXPECT_TRUE(m_dlg->IsPaused());
    EXPECT_TRUE(Button(Dlg::IDC_PAUSE)->isChecked()) << "pressed look and pause state agree";
}

TEST_F(PlayPeriodTest, OnlyThePlayTimersEventsUpdate)
{
    MakeWindow();
    Click(Dlg::IDC_START);
    m_clock.Advance(2 * 60);
    m_dlg->OnTimer(m_dlg->PlayTimerId() + 1);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "00:00");
    m_dlg->OnTimer(m_dlg->PlayTimerId());
    EXPECT_EQ(Text(Dlg::IDC_TIME), "00:02");

    Click(Dlg::IDC_STOP);
    m_clock.Advance(60);
    m_dlg->OnTimer(0);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "0:00") << "no update without a running play timer";
}

TEST_F(PlayPeriodTest, EndingTheWindowStopsThePlayTimerAndReadiesStart)
{
    MakeWindow();
    Click(Dlg::IDC_START);
    ASSERT_NE(m_dlg->PlayTimerId(), 0);
    m_dlg->reject();
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_dlg->PlayTimerId(), 0);
    EXPECT_FALSE(m_dlg->IsRunning());
    EXPECT_FALSE(m_dlg->IsPaused());
    EXPECT_TRUE(Item(Dlg::IDC_START)->isEnabled());
    EXPECT_FALSE(Button(Dlg::IDC_START)->isChecked());
}

TEST_F(PlayPeriodTest, EmptyNicknameOrFolderLogsItAndLeavesStartDisabledDespiteRunOnStart)
{
    for (const bool nickname : {true, false}) {
        SCOPED_TRACE(nickname ? "nickname" : "folder");
        m_dlg.reset();
        const int seen = static_cast<int>(LogLines(m_logDir / "Zellwick.log").size());
        m_app->m_strNickname = nickname ? L"" : L"Hero";
        m_app->m_strHistoryPath = nickname ? m_history.wpath() : L"";
        m_app->m_bRunOnStart = 1;
        MakeWindow();
        EXPECT_FALSE(Item(Dlg::IDC_START)->isEnabled());
        EXPECT_FALSE(m_dlg->IsRunning());
        EXPECT_EQ(m_app->m_bRunOnStart, 0);
        const auto lines = LogLines(m_logDir / "Zellwick.log");
        EXPECT_EQ(FindLine(lines, "NickName is empty!", seen) >= 0, nickname);
        EXPECT_EQ(FindLine(lines, "HistoryPath is empty!", seen) >= 0, !nickname);
    }
}

TEST_F(PlayPeriodTest, AWatchThatCannotStartIsLoggedAndThePeriodRunsAnyway)
{
    m_app->m_strHistoryPath = (m_history / "gone").wstring();
    MakeWindow();
    Click(Dlg::IDC_START);
    EXPECT_TRUE(m_dlg->IsRunning());
    Tick(60);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "00:01");

    const auto lines = LogLines(m_logDir / "Zellwick.log");
    const int failed = FindLine(lines, "Failed to start watch:");
    ASSERT_GE(failed, 0);
    ASSERT_LT(failed + 1, static_cast<int>(lines.size()));
    EXPECT_FALSE(lines[failed + 1].empty()) << "the reason follows on the next line";
}

} // namespace
} // namespace zellwick::test
