// The three alarms: when each rings, that it rings once, what Start re-arms, and which sound
// plays.

#include "tests/ui/WindowTestSupport.h"

namespace zellwick::test {
namespace {

using Dlg = CZellwickDlg;
using Played = std::vector<std::string>;

class AlarmTest : public WindowTest
{
protected:
    void Hands(std::int32_t hands, double vpp = 0.0)
    {
        m_app->m_nHandCount = hands;
        m_app->m_dVpp = vpp;
        Tick(5);
    }

    // Enables the alarms given; a zero threshold or a null time leaves that alarm off.
    void Arm(std::int32_t hands, std::int32_t vpp = 0, const wchar_t* time = nullptr)
    {
        m_app->m_bHandsAlarm = hands != 0;
        m_app->m_nHandsAlarm = hands;
        m_app->m_bVppAlarm = vpp != 0;
        m_app->m_nVppAlarm = vpp;
        m_app->m_bTimeAlarm = time != nullptr;
        if (time)
            m_app->m_strAlarmTime = time;
    }

    void StartPeriod()
    {
        MakeWindow();
        Click(Dlg::IDC_START);
    }

    const Played& played() const { return m_sound.m_played; }
};

TEST_F(AlarmTest, HandsAlarmRingsOnceAtItsThreshold)
{
    Arm(700);
    StartPeriod();
    Hands(698);
    EXPECT_TRUE(played().empty());
    Hands(700);
    EXPECT_EQ(played(), Played{"resource:156"});
    Hands(701);
    Hands(702);
    EXPECT_EQ(played(), Played{"resource:156"}) << "701 and 702 stay quiet";
}

TEST_F(AlarmTest, DisabledAlarmsStayQuiet)
{
    m_app->m_nHandsAlarm = 1;
    m_app->m_nVppAlarm = 1;
    m_app->m_strAlarmTime = L"00:01";
    StartPeriod();
    Hands(5, 50.0);
    Tick(60);
    EXPECT_TRUE(played().empty());
}

TEST_F(AlarmTest, AChosenSoundFilePlaysInsteadOfTheBuiltInOne)
{
    Arm(1);
    m_app->m_strHandsSound = L"/music/gong.wav";
    StartPeriod();
    Hands(1);
    EXPECT_EQ(played(), Played{"file:/music/gong.wav"});
}

TEST_F(AlarmTest, VppAlarmComparesTheUnroundedValue)
{
    Arm(0, 10);
    StartPeriod();
    Hands(1, 9.996); // shown as 10.00, still below 10
    EXPECT_EQ(Text(Dlg::IDC_VPP), "10.00");
    EXPECT_TRUE(played().empty());
    Hands(2, 10.0);
    EXPECT_EQ(played(), Played{"resource:157"});
    Hands(3, 12.5);
    EXPECT_EQ(played(), Played{"resource:157"});
}

TEST_F(AlarmTest, HandsAndVppAlarmsDueTogetherEndWithTheVppSound)
{
    Arm(10, 3);
    StartPeriod();
    Hands(10, 3.0);
    EXPECT_EQ(played(), (Played{"resource:156", "resource:157"}));
    EXPECT_EQ(played().back(), "resource:157") << "the last sound started is the one heard";
}

TEST_F(AlarmTest, ATimeAlarmDueInTheSameUpdateIsPlayedLast)
{
    Arm(1, 1, L"00:02");
    StartPeriod();
    m_clock.Advance(115);
    Hands(1, 1.0);
    EXPECT_EQ(played(), (Played{"resource:156", "resource:157", "resource:169"}));
}

TEST_F(AlarmTest, HandsAndVppAreTestedOnlyWhenTheCountChanges)
{
    StartPeriod();
    Hands(750, 20.0);
    Arm(700, 10); // enabled below the count already shown
    Tick(5);
    EXPECT_TRUE(played().empty()) << "not at once";
    Hands(751, 20.3);
    EXPECT_EQ(played(), (Played{"resource:156", "resource:157"}));
}

TEST_F(AlarmTest, StartReArmsAllThree)
{
    Arm(1, 1, L"00:01");
    StartPeriod();
    Hands(1, 1.0);
    Tick(60);
    ASSERT_EQ(played().size(), 3u);

    Click(Dlg::IDC_STOP);
    EXPECT_EQ(m_app->m_bHandsAlarmRung, 1) << "Stop re-arms nothing";
    Click(Dlg::IDC_START);
    EXPECT_EQ(m_app->m_bHandsAlarmRung, 0);
    EXPECT_EQ(m_app->m_bVppAlarmRung, 0);
    EXPECT_EQ(m_app->m_bTimeAlarmRung, 0);
    Hands(1, 1.0);
    Tick(60);
    EXPECT_EQ(played(), (Played{"resource:156", "resource:157", "resource:169", "resource:156",
                                "resource:157", "resource:169"}));
}

TEST_F(AlarmTest, TimeAlarmCountsPlayTimeWithoutPauses)
{
    Arm(0, 0, L"01:00");
    StartPeriod();
    Tick(30 * 60);
    Click(Dlg::IDC_PAUSE);
    Tick(40 * 60); // an hour and ten minutes since Start, but paused
    EXPECT_TRUE(played().empty());
    Click(Dlg::IDC_PAUSE);
    Tick(29 * 60);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "00:59");
    EXPECT_TRUE(played().empty());
    Tick(60);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "01:00");
    EXPECT_EQ(played(), Played{"resource:169"});
    Tick(5);
    EXPECT_EQ(played(), Played{"resource:169"}) << "once";
}

TEST_F(AlarmTest, ATimeTheReadoutHasPassedDoesNotRing)
{
    Arm(0, 0, L"00:10");
    StartPeriod();
    Tick(9 * 60);
    Tick(2 * 60); // the readout jumps from 00:09 to 00:11
    Tick(60);
    EXPECT_TRUE(played().empty());
}

TEST_F(AlarmTest, NoAlarmIsTestedWhilePaused)
{
    Arm(1);
    StartPeriod();
    Click(Dlg::IDC_PAUSE);
    Hands(5);
    EXPECT_TRUE(played().empty());
    Click(Dlg::IDC_PAUSE);
    Tick(5);
    EXPECT_EQ(played(), Played{"resource:156"});
}

} // namespace
} // namespace zellwick::test
