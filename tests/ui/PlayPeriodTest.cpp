// The play period as the player meets it: Start, Pause and Stop, the play time, the history
// files followed, what the window says when nothing can be counted, and the alarms.

#include "tests/support/SampleHand.h"
#include "tests/ui/WindowTestSupport.h"

#include <QAbstractButton>
#include <QLabel>

#include <sys/time.h>

namespace zellwick::test {
namespace {

class PlayPeriodTest : public WindowTest
{
protected:
    bool Checked(int id) const { return qobject_cast<QAbstractButton*>(Item(id))->isChecked(); }
    bool Shows(int id) const { return Item(id)->isVisible(); }
    // Enables the alarms given: a zero threshold or a null time leaves that one off.
    void Arm(std::int32_t hands, std::int32_t vpp, const wchar_t* time)
    {
        m_app->m_bHandsAlarm = hands != 0;
        m_app->m_nHandsAlarm = hands;
        m_app->m_bVppAlarm = vpp != 0;
        m_app->m_nVppAlarm = vpp;
        m_app->m_bTimeAlarm = time != nullptr;
        m_app->m_strAlarmTime = time ? time : L"";
    }
    std::vector<QString> Played(std::initializer_list<const char*> sounds) const
    {
        return std::vector<QString>(sounds.begin(), sounds.end());
    }
};

TEST_F(PlayPeriodTest, StartPauseAndStopMoveBetweenIdleRunningAndPaused)
{
    MakeWindow();
    EXPECT_EQ(m_dlg->PlayTimerId(), 0);
    EXPECT_EQ(Text(Dlg::IDC_TIME) + Text(Dlg::IDC_HANDS) + Text(Dlg::IDC_VPP), "00:0000.00");
    EXPECT_TRUE(Shows(Dlg::IDC_START) && Item(Dlg::IDC_START)->isEnabled());
    EXPECT_FALSE(Shows(Dlg::IDC_STOP) || Shows(Dlg::IDC_PAUSE));

    Click(Dlg::IDC_START);
    EXPECT_TRUE(m_dlg->IsRunning());
    EXPECT_NE(m_dlg->PlayTimerId(), 0);
    EXPECT_FALSE(Shows(Dlg::IDC_START) || Checked(Dlg::IDC_START) || Checked(Dlg::IDC_STOP));
    EXPECT_TRUE(Shows(Dlg::IDC_STOP) && Shows(Dlg::IDC_PAUSE));
    EXPECT_TRUE(Logged("Nickname = Hero") && Logged("Path = " + m_history.path().string()));

    Click(Dlg::IDC_PAUSE);
    EXPECT_TRUE(m_dlg->IsPaused() && Checked(Dlg::IDC_PAUSE));
    Show(4, 1.2); // the watch counts on while paused; the readouts wait
    EXPECT_EQ(Text(Dlg::IDC_HANDS), "0");
    Click(Dlg::IDC_STOP); // stopped while paused: Pause lets go for the next period
    EXPECT_FALSE(m_dlg->IsRunning() || m_dlg->IsPaused() || Checked(Dlg::IDC_PAUSE));
    EXPECT_EQ(m_dlg->PlayTimerId(), 0);
    EXPECT_EQ(Text(Dlg::IDC_TIME) + Text(Dlg::IDC_HANDS) + Text(Dlg::IDC_VPP), "0:0000.00");
    EXPECT_EQ(m_app->m_nHandCount, 4) << "Stop leaves the hand total to the next Start";
    EXPECT_EQ(m_app->m_dVpp, 0.0);
    EXPECT_TRUE(Shows(Dlg::IDC_START) && !Shows(Dlg::IDC_STOP) && !Shows(Dlg::IDC_PAUSE));

    Click(Dlg::IDC_START);
    EXPECT_EQ(m_app->m_nHandCount, 0);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "00:00");
    Click(Dlg::IDC_PAUSE);
    EXPECT_TRUE(m_dlg->IsPaused() && Checked(Dlg::IDC_PAUSE));
    m_dlg->reject(); // however the window ends, the period ends with it
    EXPECT_FALSE(m_dlg->IsRunning() || m_dlg->IsPaused());
    EXPECT_EQ(m_dlg->PlayTimerId(), 0);
    EXPECT_TRUE(Item(Dlg::IDC_START)->isEnabled());
}

TEST_F(PlayPeriodTest, TheTimeCountsHoursAndMinutesOfPlayWithoutPauses)
{
    MakeWindow();
    Click(Dlg::IDC_START);
    const std::pair<std::time_t, const char*> steps[] = {{5, "00:00"},
                                                         {59, "00:01"},
                                                         {65 * 60, "01:06"},
                                                         {98 * 3600 + 53 * 60 + 55, "99:59"},
                                                         {1, "100:00"}};
    for (const auto& [seconds, shown] : steps) {
        Tick(seconds);
        EXPECT_EQ(Text(Dlg::IDC_TIME), shown);
    }
    Click(Dlg::IDC_PAUSE);
    Tick(3 * 3600);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "100:00");
    Click(Dlg::IDC_PAUSE);
    Tick(2 * 60);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "100:02");
    m_clock.m_now += 60;
    m_dlg->OnTimer(m_dlg->PlayTimerId() + 1); // not the play timer
    EXPECT_EQ(Text(Dlg::IDC_TIME), "100:02");
}

TEST_F(PlayPeriodTest, ThePausedTimeIsDrawnDimmed)
{
    MakeWindow();
    const QColor live = TextColour(Dlg::IDC_TIME);
    Click(Dlg::IDC_START);
    Click(Dlg::IDC_PAUSE);
    const QColor paused = TextColour(Dlg::IDC_TIME);
    const QColor background(0x3D, 0x32, 0x37);
    EXPECT_NEAR(paused.red(), (live.red() + background.red()) / 2, 1);
    EXPECT_NEAR(paused.blue(), (live.blue() + background.blue()) / 2, 1);
    m_dlg->update();
    EXPECT_EQ(TextColour(Dlg::IDC_TIME), paused) << "and stays so at the next paint";
    Click(Dlg::IDC_PAUSE);
    EXPECT_EQ(TextColour(Dlg::IDC_TIME), live);
}

TEST_F(PlayPeriodTest, WithoutNicknameOrFolderStartIsGreyedAndSaysWhereToSetThem)
{
    for (const bool nickname : {true, false}) {
        m_app->m_strNickname = nickname ? L"" : L"Hero";
        m_app->m_strHistoryPath = nickname ? m_history.wpath() : L"";
        m_app->m_bRunOnStart = 1;
        MakeWindow();
        EXPECT_FALSE(Item(Dlg::IDC_START)->isEnabled() || m_dlg->IsRunning());
        EXPECT_EQ(Item(Dlg::IDC_START)->toolTip(), Dlg::kStartNeedsSettingsTip);
        EXPECT_EQ(m_app->m_bRunOnStart, 0);
    }
    EXPECT_TRUE(Logged("NickName is empty!") && Logged("HistoryPath is empty!"));
}

// Which files a period follows and from where: recent "HH*.txt" files at any depth from their
// end at Start, files made later from their start.
TEST_F(PlayPeriodTest, StartFollowsRecentHistoryFilesFromTheirEndAndNewFilesWhole)
{
    const std::pair<const char*, std::time_t> files[] = {{"HH1 Una.txt", 60},
                                                         {"sub/2020/HH2 deep.txt", 60},
                                                         {"HH3.txt", 20 * 3600 + 3540},
                                                         {"HH4.txt", 21 * 3600},
                                                         {"hH5.txt", 60},
                                                         {"HH6.TXT", 60},
                                                         {"notes.txt", 60}};
    for (const auto& [name, age] : files) {
        WriteFile(m_history / name, SampleCashHand(1));
        const timeval times[2] = {{m_clock.m_now - age, 0}, {m_clock.m_now - age, 0}};
        ::utimes((m_history / name).c_str(), times);
    }
    m_app->m_strHistoryPath += L"/"; // the same keys with a trailing separator
    MakeWindow();
    Click(Dlg::IDC_START);
    FileOffsetMap expected;
    for (const char* name : {"HH1 Una.txt", "sub/2020/HH2 deep.txt", "HH3.txt"})
        expected[(m_history / name).wstring()] =
            static_cast<std::int64_t>(SampleCashHand(1).size());
    EXPECT_EQ(m_dlg->FileOffsets(), expected);

    AppendFile(m_history / "HH1 Una.txt", SampleCashHand(2));
    WriteFile(m_history / "HH7 new.txt", SampleCashHand(3) + SampleCashHand(4));
    ASSERT_TRUE(WaitFor([&] { return m_app->m_nHandCount == 3; })) << m_app->m_nHandCount;
    Tick(5);
    EXPECT_EQ(Text(Dlg::IDC_HANDS), "3");
    EXPECT_EQ(Text(Dlg::IDC_VPP), "0.90");
}

TEST_F(PlayPeriodTest, AFolderMissingAtStartIsShownUntilItComesAndThenCounted)
{
    const std::filesystem::path folder = m_history / "Hero";
    m_app->m_strHistoryPath = folder.wstring();
    MakeWindow();
    Click(Dlg::IDC_START);
    const QString problem = "History folder not found: " + QString::fromStdString(folder);
    EXPECT_EQ(m_dlg->toolTip(), problem);
    EXPECT_TRUE(Item(Dlg::IDC_HANDS)->font().strikeOut());
    EXPECT_NE(TextColour(Dlg::IDC_HANDS), TextColour(Dlg::IDC_HANDS_LABEL));
    EXPECT_TRUE(Logged("Failed to start watch:"));
    Tick(60);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "00:01") << "the period runs all the same";
    EXPECT_EQ(m_dlg->toolTip(), problem);

    // The client makes the folder with the first hand of the period.
    WriteFile(folder / "HH20261207 Una.txt", SampleCashHand(1) + SampleCashHand(2));
    Tick(5);
    EXPECT_EQ(Text(Dlg::IDC_HANDS), "2");
    EXPECT_EQ(m_dlg->toolTip(), "");
    EXPECT_FALSE(Item(Dlg::IDC_HANDS)->font().strikeOut());
    EXPECT_EQ(TextColour(Dlg::IDC_HANDS), TextColour(Dlg::IDC_HANDS_LABEL));
    AppendFile(folder / "HH20261207 Una.txt", SampleCashHand(3));
    ASSERT_TRUE(WaitFor([&] { return m_app->m_nHandCount == 3; })) << "watched from now on";
}

// Each alarm rings once when first due, in the order hands, VPP, time (the last sound started
// is the one heard), only in updates, never while paused, and Start arms all three again.
TEST_F(PlayPeriodTest, EachAlarmRingsOnceWhenDueAndStartArmsThemAgain)
{
    Arm(700, 10, L"00:02");
    MakeWindow();
    Click(Dlg::IDC_START);
    Show(699, 9.996); // shown as 10.00, still below 10
    EXPECT_EQ(Text(Dlg::IDC_VPP), "10.00");
    EXPECT_TRUE(m_sound.played.empty());
    Click(Dlg::IDC_PAUSE);
    Show(700, 10.0);
    EXPECT_TRUE(m_sound.played.empty()) << "not while paused";
    Click(Dlg::IDC_PAUSE);
    m_clock.m_now += 110;
    Show(700, 10.0);
    EXPECT_EQ(m_sound.played, Played({"#156", "#157", "#169"}));
    Show(701, 11.0);
    Tick(60);
    EXPECT_EQ(m_sound.played.size(), 3u) << "once each";

    Click(Dlg::IDC_STOP);
    Click(Dlg::IDC_START);
    Arm(700, 10, L"00:01"); // a time the readout jumps past never rings
    Show(750, 20.0);
    Tick(2 * 60);
    EXPECT_EQ(m_sound.played, Played({"#156", "#157", "#169", "#156", "#157"}));

    Click(Dlg::IDC_STOP);
    Arm(0, 0, nullptr);
    Click(Dlg::IDC_START);
    Show(750, 20.0);
    Arm(700, 10, nullptr); // due already: they ring with the next counted hand, not at once
    Tick(5);
    EXPECT_EQ(m_sound.played.size(), 5u);
    Show(751, 20.0);
    EXPECT_EQ(m_sound.played.size(), 7u);
}

// A chosen file plays when the program's own check finds it a playable WAV; anything else
// rings the built-in sound and is named in the log.
TEST_F(PlayPeriodTest, AnAlarmSoundThatCannotPlayRingsTheBuiltInOneAndIsLogged)
{
    const std::string wave = WaveBytes();
    const std::pair<const char*, std::string> files[] = {
        {"good.wav", wave},
        {"empty.wav", ""},
        {"header only.wav", wave.substr(0, 44)},
        {"cut short.wav", wave.substr(0, 300)},
        {"text.wav", "not a sound\n"},
        {"missing.wav", ""},
    };
    Arm(1, 0, nullptr);
    MakeWindow();
    for (const auto& [name, bytes] : files) {
        const std::filesystem::path file = m_history / name;
        if (std::string(name) != "missing.wav")
            WriteFile(file, bytes);
        m_app->m_strHandsSound = file.wstring();
        m_sound.played.clear();
        Click(Dlg::IDC_START);
        Show(1, 0.3);
        const bool good = std::string(name) == "good.wav";
        EXPECT_EQ(m_sound.played,
                  std::vector<QString>{good ? QString::fromStdString(file) : "#156"})
            << name;
        const auto log = Log();
        const bool named = std::any_of(log.begin(), log.end(), [&](const std::string& line) {
            return line.find("not a playable WAV") != std::string::npos &&
                   line.find(file.string()) != std::string::npos;
        });
        EXPECT_EQ(named, !good) << name;
        Click(Dlg::IDC_STOP);
    }
}

} // namespace
} // namespace zellwick::test
