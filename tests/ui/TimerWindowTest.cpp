// The timer window as the player meets it: the play period, what it shows and how, its three
// sizes, its commands, and the program's start-up around it.

#include "app/SessionsFile.h"
#include "app/SettingsStore.h"
#include "app/WideText.h"
#include "tests/support/SampleHand.h"
#include "tests/ui/UiTestSupport.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/AboutDlg.h"
#include "ui/QuitSignals.h"
#include "ui/SessionsDlg.h"
#include "ui/SettingsControls.h"
#include "ui/StartUp.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QScreen>
#include <QSlider>
#include <QStandardItemModel>

#include <sys/time.h>
#include <sys/wait.h>

#include <csignal>

namespace zellwick::test {
namespace {

using Settings = CDlgSettings;

class TimerWindowTest : public WindowTest
{
protected:
    bool Checked(int id) const { return qobject_cast<QAbstractButton*>(Item(id))->isChecked(); }
    bool Shows(int id) const { return Item(id)->isVisible(); }
    QRect Rect(int id) const { return Item(id)->geometry(); }
    int Cell(int id) const
    {
        const QFontMetrics metrics(Item(id)->font());
        return metrics.ascent() + metrics.descent();
    }
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
    static std::vector<QString> Played(std::initializer_list<const char*> sounds)
    {
        return std::vector<QString>(sounds.begin(), sounds.end());
    }
    void ChooseSize(int size) // as the settings dialog's OK leaves it
    {
        m_app->m_nSize = size;
        m_dlg->ApplySize(size);
    }
    void SaveStart(const std::wstring& wndPos, int size)
    {
        m_app->WriteWindowPos(wndPos);
        m_app->WriteViewSize(size);
    }
    QMenu* Menu() const { return m_dlg->ContextMenu(); }
    QAction* MenuItem(int index) const { return Menu()->actions().at(index); }
    // A right click as the window system delivers it: to the window, at the control's place.
    bool MenuOpensOn(QWidget* target, QPoint at)
    {
        const QPoint inWindow = target->mapTo(m_dlg.get(), at);
        QTest::mouseClick(m_dlg->windowHandle(), Qt::RightButton, {}, inWindow);
        const bool open = Menu()->isVisible();
        EXPECT_TRUE(!open || Menu()->pos() == m_dlg->mapToGlobal(inWindow));
        Menu()->hide();
        return open;
    }
    static void Choose(CDlgSettings& dialog, int size, int opacity)
    {
        qobject_cast<QComboBox*>(dialog.GetDlgItem(Settings::IDC_SIZE))->setCurrentIndex(size);
        qobject_cast<QSlider*>(dialog.GetDlgItem(Settings::IDC_OPACITY))->setValue(opacity);
    }
    static void PickOther(CDlgSettings& dialog, int id)
    {
        auto* button = qobject_cast<CColorButton*>(dialog.GetDlgItem(id));
        button->ShowPopup();
        button->Popup()->OtherButton()->click();
    }
    // The start-up sequence with a window that closes itself once its modal run begins; says
    // whether it was running and Start was enabled then.
    std::pair<bool, bool> RunProgram(CZellwickApp& app)
    {
        std::pair<bool, bool> opened;
        EXPECT_FALSE(InitInstance(app, m_clock, [&] {
            CZellwickDlg dlg(app, m_clock, m_sound, ScreenScale(), m_prompts, m_translucency);
            opened = {dlg.IsRunning(), dlg.GetDlgItem(Dlg::IDC_START)->isEnabled()};
            QTimer::singleShot(0, &dlg, [&dlg] { dlg.close(); });
            dlg.exec();
        }));
        return opened;
    }
    void Store(const wchar_t* key, const std::wstring& value)
    {
        CSettingsStore(CZellwickApp::kCompanyName, m_app->m_strAppName)
            .WriteString(L"BaseInfo", key, value);
    }
};

TEST_F(TimerWindowTest, StartPauseAndStopMoveBetweenIdleRunningAndPaused)
{
    MakeWindow();
    EXPECT_TRUE(Shows(Dlg::IDC_START) && !Shows(Dlg::IDC_STOP) && !Shows(Dlg::IDC_PAUSE));
    Click(Dlg::IDC_START);
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
    EXPECT_EQ(Text(Dlg::IDC_TIME) + Text(Dlg::IDC_HANDS) + Text(Dlg::IDC_VPP), "0:0000.00");
    EXPECT_EQ(m_app->m_nHandCount + m_app->m_dVpp, 4) << "Stop leaves the hands to Start";
    EXPECT_TRUE(Shows(Dlg::IDC_START) && !Shows(Dlg::IDC_STOP) && !Shows(Dlg::IDC_PAUSE));
    Click(Dlg::IDC_START);
    EXPECT_EQ(Text(Dlg::IDC_TIME) + QString::number(m_app->m_nHandCount), "00:000");
    m_dlg->reject(); // however the window ends, the period ends with it
    EXPECT_FALSE(m_dlg->IsRunning() || m_dlg->PlayTimerId() != 0);
    EXPECT_TRUE(Item(Dlg::IDC_START)->isEnabled());
}

TEST_F(TimerWindowTest, TheTimeCountsHoursAndMinutesOfPlayWithoutPauses)
{
    MakeWindow();
    Click(Dlg::IDC_START);
    // clang-format off
    const std::pair<std::time_t, const char*> steps[] = {
        {5, "00:00"}, {59, "00:01"}, {65 * 60, "01:06"}, {98 * 3600 + 53 * 60 + 55, "99:59"}, {1, "100:00"}};
    // clang-format on
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

TEST_F(TimerWindowTest, ThePausedTimeIsDrawnDimmed)
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

TEST_F(TimerWindowTest, WithoutNicknameOrFolderStartIsGreyedAndSaysWhereToSetThem)
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
TEST_F(TimerWindowTest, StartFollowsRecentHistoryFilesFromTheirEndAndNewFilesWhole)
{
    for (const auto& [name, age] :
         {std::pair{"HH1 Una.txt", 60}, {"sub/HH2.txt", 60}, {"HH4.txt", 21 * 3600}}) {
        WriteFile(m_history / name, SampleCashHand(1));
        const timeval times[2] = {{m_clock.m_now - age, 0}, {m_clock.m_now - age, 0}};
        ::utimes((m_history / name).c_str(), times);
    }
    m_app->m_strHistoryPath += L"/"; // the same keys with a trailing separator
    MakeWindow();
    Click(Dlg::IDC_START);
    FileOffsetMap expected;
    for (const char* name : {"HH1 Una.txt", "sub/HH2.txt"})
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

TEST_F(TimerWindowTest, AFolderMissingAtStartIsShownUntilItComesAndThenCounted)
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
TEST_F(TimerWindowTest, EachAlarmRingsOnceWhenDueAndStartArmsThemAgain)
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
TEST_F(TimerWindowTest, AnAlarmSoundThatCannotPlayRingsTheBuiltInOneAndIsLogged)
{
    const auto good = m_history / "good.wav";
    const auto cut = m_history / "cut.wav";
    WriteFile(good, WaveBytes());
    WriteFile(cut, WaveBytes().substr(0, 60));
    Arm(1, 1, nullptr);
    m_app->m_strHandsSound = good.wstring();
    m_app->m_strVppSound = cut.wstring();
    MakeWindow();
    Click(Dlg::IDC_START);
    Show(1, 1.0);
    EXPECT_EQ(m_sound.played, (std::vector<QString>{QString::fromStdString(good), "#157"}));
    const auto log = Log();
    EXPECT_TRUE(log.back().find("not a playable WAV") != std::string::npos &&
                log.back().find(cut.string()) != std::string::npos);
}

TEST_F(TimerWindowTest, TheSmallWindowHasTheTemplatesPlacesFontsAndRoundedShape)
{
    MakeWindow();
    EXPECT_EQ(m_dlg->size(), QSize(140, 80));
    EXPECT_TRUE(m_dlg->windowFlags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
    EXPECT_EQ(m_dlg->mask().boundingRect(), QRect(QPoint(1, 1), QPoint(138, 78)));
    EXPECT_FALSE(m_dlg->mask().contains(QPoint(5, 1)) || !m_dlg->mask().contains({6, 1}));
    EXPECT_EQ(Rect(Dlg::IDC_TIME), QRect(77, 3, 54, 20));
    EXPECT_EQ(Rect(Dlg::IDC_HANDS), QRect(62, 24, 69, 20));
    EXPECT_EQ(Rect(Dlg::IDC_VPP), QRect(56, 44, 76, 37));
    EXPECT_EQ(Item(Dlg::IDC_VPP_LABEL)->pos(), QPoint(33, 50));
    EXPECT_EQ(Rect(Dlg::IDC_START), QRect(6, 50, 22, 22));
    EXPECT_EQ(Rect(Dlg::IDC_PAUSE), QRect(6, 26, 22, 22));
    EXPECT_EQ(Item(Dlg::IDC_PAUSE)->toolTip(), "Pause timer");
    EXPECT_EQ(Item(Dlg::IDC_TIME)->font().weight(), QFont::Bold);
    EXPECT_NEAR(Cell(Dlg::IDC_TIME), 18, 1);
    EXPECT_NEAR(Cell(Dlg::IDC_HANDS), 22, 1);
    EXPECT_EQ(Item(Dlg::IDC_HANDS_LABEL)->font().pixelSize(), 11);
}

// VPP to the hundredth, to the tenth from 100000, a smaller font for each power of ten from
// 1000, and the readouts touched only when the hand count changed.
TEST_F(TimerWindowTest, TheVppShowsItsDecimalsInAFontOfItsTier)
{
    const std::tuple<double, const char*, int> rows[] = {
        {0.3, "0.30", 28},          {999.994, "999.99", 28},    {1000.0, "1000.00", 24},
        {10000.0, "10000.00", 22},  {99999.99, "99999.99", 22}, {100000.0, "100000.0", 20},
        {123456.78, "123456.8", 20}};
    MakeWindow();
    Click(Dlg::IDC_START);
    std::int32_t hands = 0;
    for (const auto& [vpp, text, height] : rows) {
        Show(++hands, vpp);
        EXPECT_EQ(Text(Dlg::IDC_VPP), text);
        EXPECT_EQ(Text(Dlg::IDC_HANDS), QString::number(hands));
        EXPECT_EQ(m_dlg->VppFontHeight(), height) << text;
        EXPECT_NEAR(Cell(Dlg::IDC_VPP), height, 1) << text;
        const auto* readout = qobject_cast<QLabel*>(Item(Dlg::IDC_VPP));
        EXPECT_LE(readout->fontMetrics().horizontalAdvance(readout->text()), readout->width());
    }
    m_app->m_dVpp = 5.0;
    Tick(5);
    EXPECT_EQ(Text(Dlg::IDC_VPP), "123456.8") << "no new hand, no new VPP";
}

TEST_F(TimerWindowTest, AfterASizeRoundTripTheNextUpdateChoosesTheVppFontAfresh)
{
    MakeWindow();
    Click(Dlg::IDC_START);
    Show(1, 1000.0);
    ASSERT_NEAR(Cell(Dlg::IDC_VPP), 24, 1);
    for (int size : {Dlg::kMedium, Dlg::kLarge, Dlg::kSmall})
        ChooseSize(size);
    Tick(5);
    EXPECT_NEAR(Cell(Dlg::IDC_VPP), 24, 1) << "not the 30 pixels of the Small layout";
    Show(2, 1000.3);
    EXPECT_NEAR(Cell(Dlg::IDC_VPP), 24, 1);
}

TEST_F(TimerWindowTest, ColoursIndicatorsAndOpacityFollowTheSettings)
{
    m_app->m_crColorBg = 0x00302010; // red in the low byte
    m_app->m_crColorText = 0x000000FF;
    m_app->m_crColorText2 = 0x0000FF00;
    m_app->m_crColorText3 = 0x00FF0000;
    m_app->m_bHandsAlarm = m_app->m_bTimeAlarm = 1;
    MakeWindow();
    EXPECT_EQ(TextColour(Dlg::IDC_TIME), QColor(255, 0, 0));
    EXPECT_EQ(TextColour(Dlg::IDC_HANDS), QColor(0, 255, 0));
    EXPECT_EQ(TextColour(Dlg::IDC_VPP), QColor(0, 0, 255));
    EXPECT_EQ(TextColour(Dlg::IDC_VPP_LABEL), QColor(0, 0, 255));
    EXPECT_EQ(ShownAt(m_dlg.get(), {45, 74}), QColor(0x10, 0x20, 0x30));
    // The indicators of the alarms that are on, in a row: time, hands, VPP.
    EXPECT_TRUE(Item(Dlg::IDC_TIME_ALARM)->isVisible() && Item(Dlg::IDC_HANDS_ALARM)->isVisible());
    EXPECT_FALSE(Item(Dlg::IDC_VPP_ALARM)->isVisible());
    EXPECT_EQ(Item(Dlg::IDC_HANDS_ALARM)->pos(), QPoint(26, 5));
    EXPECT_EQ(Item(Dlg::IDC_VPP_ALARM)->pos(), QPoint(44, 5));
    EXPECT_EQ(qobject_cast<QLabel*>(Item(Dlg::IDC_VPP_ALARM))->pixmap().size(), QSize(16, 16));
    // 0 counts as 1; no setting may make the window invisible by wrapping around.
    for (const auto& [percent, alpha] : {std::pair{50, 127}, {100, 254}, {0, 2}, {356, 254}}) {
        m_app->m_nOpacity = percent;
        MakeWindow();
        EXPECT_NEAR(m_dlg->windowOpacity(), alpha / 255.0, 0.002) << percent;
    }
}

// By size: the window from its Small place (200, 150), the readouts and buttons, the font
// cells of time, labels, hands and VPP, the indicators' size and the VPP indicator's x.
TEST_F(TimerWindowTest, EachSizeLaysOutItsControlsFontsAndShape)
{
    struct Layout
    {
        int size;
        QRect window, time, hands, vpp, start, pause;
        QPoint handsLabel;
        int timeCell, labelCell, handsCell, vppCell, icon, vppIconX, corner;
    };
    // clang-format off
    const Layout layouts[] = {
        {Dlg::kLarge, {120, 70, 301, 168}, {150, 3, 145, 42}, {150, 45, 145, 42}, {150, 94, 145, 84},
         {3, 112, 44, 44}, {3, 64, 44, 44}, {75, 55}, 34, 28, 38, 44, 24, 60, 14},
        {Dlg::kMedium, {160, 110, 221, 128}, {110, 3, 105, 32}, {110, 35, 105, 32}, {110, 74, 105, 64},
         {3, 84, 33, 33}, {3, 50, 33, 33}, {55, 41}, 26, 20, 30, 36, 24, 60, 10},
        {Dlg::kSmall, {200, 150, 141, 88}, {70, 3, 65, 22}, {70, 25, 65, 22}, {70, 54, 65, 44},
         {3, 58, 22, 22}, {3, 37, 22, 22}, {35, 28}, 20, 14, 24, 30, 16, 44, 6},
    };
    // clang-format on
    SaveStart(L"200:150:340:230", Dlg::kSmall);
    MakeWindow();
    for (const Layout& l : layouts) {
        SCOPED_TRACE(l.size);
        ChooseSize(l.size);
        EXPECT_EQ(m_app->m_nAppliedSize, l.size);
        EXPECT_EQ(m_dlg->geometry(), l.window);
        EXPECT_EQ(Rect(Dlg::IDC_TIME), l.time);
        EXPECT_EQ(Rect(Dlg::IDC_HANDS), l.hands);
        EXPECT_EQ(Rect(Dlg::IDC_VPP), l.vpp);
        EXPECT_EQ(Rect(Dlg::IDC_START), l.start);
        EXPECT_EQ(Rect(Dlg::IDC_STOP), l.start);
        EXPECT_EQ(Rect(Dlg::IDC_PAUSE), l.pause);
        EXPECT_EQ(Item(Dlg::IDC_HANDS_LABEL)->pos(), l.handsLabel);
        EXPECT_NEAR(Cell(Dlg::IDC_TIME), l.timeCell, 1);
        EXPECT_NEAR(Cell(Dlg::IDC_VPP_LABEL), l.labelCell, 1);
        EXPECT_NEAR(Cell(Dlg::IDC_HANDS), l.handsCell, 1);
        EXPECT_NEAR(Cell(Dlg::IDC_VPP), l.vppCell, 1);
        EXPECT_EQ(qobject_cast<QLabel*>(Item(Dlg::IDC_HANDS_ALARM))->pixmap().width(), l.icon);
        EXPECT_EQ(Item(Dlg::IDC_VPP_ALARM)->x(), l.vppIconX);
        const QRegion shape = m_dlg->mask();
        EXPECT_EQ(shape.boundingRect(), QRect(1, 1, l.window.width() - 2, l.window.height() - 2));
        EXPECT_FALSE(shape.contains(QPoint(l.corner - 1, 1))) << "the corner's curve";
        EXPECT_TRUE(shape.contains(QPoint(l.corner, 1)));
    }
}

TEST_F(TimerWindowTest, ALargerStartKeepsTheSavedCornerAndTheAppliedSizeChangesNothing)
{
    SaveStart(L"500:300:640:380", Dlg::kLarge);
    MakeWindow();
    EXPECT_EQ(m_dlg->geometry(), QRect(500, 300, 301, 168));
    m_dlg->move(20, 30);
    const QRect vpp = Rect(Dlg::IDC_VPP);
    ChooseSize(Dlg::kLarge);
    EXPECT_EQ(m_dlg->pos(), QPoint(20, 30));
    EXPECT_EQ(Rect(Dlg::IDC_VPP), vpp) << "not even the fonts or places";
    m_dlg->close();
    EXPECT_EQ(m_app->ReadWindowPos(), L"20:30:321:198") << "the grown rectangle is kept";
    SaveStart(L"250:x", 5); // unread fields count as 0; an unknown size keeps Small
    MakeWindow();
    EXPECT_EQ(m_dlg->geometry(), QRect(250, 0, 140, 80));
    ChooseSize(-1);
    EXPECT_EQ(m_dlg->geometry(), QRect(250, 0, 140, 80));
}

TEST_F(TimerWindowTest, TheBodyDragsTheWindowAndSizesGrowWhereItStands)
{
    SaveStart(L"200:150:340:230", Dlg::kSmall);
    MakeWindow();
    Press(m_dlg.get(), {40, 76});
    Move(m_dlg.get(), {240, 346}, Qt::LeftButton);
    Release(m_dlg.get(), {240, 346});
    EXPECT_EQ(m_dlg->pos(), QPoint(400, 420));
    ChooseSize(Dlg::kMedium);
    EXPECT_EQ(m_dlg->pos(), QPoint(360, 380));
    ChooseSize(Dlg::kSmall);
    EXPECT_EQ(m_dlg->pos(), QPoint(400, 420));
    m_app->WriteWindowPos(L""); // no saved place: centred, and grown from there
    MakeWindow();
    const QPoint centre = m_dlg->screen()->availableGeometry().center();
    EXPECT_LE((m_dlg->geometry().center() - centre).manhattanLength(), 2);
    const QPoint startup = m_dlg->pos();
    ChooseSize(Dlg::kMedium);
    EXPECT_EQ(m_dlg->pos(), startup - QPoint(40, 40));
}

TEST_F(TimerWindowTest, ARightClickOnTheBodyOpensSettingsSessionsAboutAndExitButNotOnAButton)
{
    m_app->m_bTimeAlarm = 1;
    MakeWindow();
    ASSERT_EQ(Menu()->actions().size(), 5);
    EXPECT_EQ(MenuItem(0)->text() + MenuItem(1)->text() + MenuItem(2)->text() + MenuItem(4)->text(),
              "SettingsSessions...About...Exit");
    EXPECT_TRUE(MenuItem(3)->isSeparator());
    EXPECT_EQ(MenuItem(4)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
    EXPECT_TRUE(MenuItem(4)->isShortcutVisibleInContextMenu());
    EXPECT_TRUE(MenuOpensOn(Item(Dlg::IDC_VPP), {40, 10}));
    EXPECT_TRUE(MenuOpensOn(Item(Dlg::IDC_HANDS_LABEL), {3, 3}));
    EXPECT_TRUE(MenuOpensOn(Item(Dlg::IDC_TIME_ALARM), {8, 8}));
    EXPECT_TRUE(MenuOpensOn(m_dlg.get(), {40, 76}));
    EXPECT_FALSE(MenuOpensOn(Item(Dlg::IDC_START), {11, 11}));
    Click(Dlg::IDC_START);
    EXPECT_FALSE(MenuOpensOn(Item(Dlg::IDC_PAUSE), {11, 11}));
    EXPECT_FALSE(m_dlg->IsPaused()) << "a right click presses no button either";
    for (QAction* item : Menu()->actions())
        EXPECT_TRUE(item->isEnabled()) << "while a period runs too";
}

TEST_F(TimerWindowTest, ExitAndAltF4SaveThePlaceEscapeDoesNotAndAboutNamesTheVersionAndLog)
{
    MakeWindow();
    m_dlg->move(300, 200);
    MenuItem(4)->trigger();
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_app->ReadWindowPos(), L"300:200:440:280");
    MakeWindow();
    m_dlg->move(310, 210);
    m_dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dlg.get()));
    QTest::keyClick(m_dlg.get(), Qt::Key_F4, Qt::AltModifier);
    EXPECT_EQ(m_app->ReadWindowPos(), L"310:210:450:290");
    MakeWindow();
    m_dlg->move(20, 20);
    QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_app->ReadWindowPos(), L"310:210:450:290");
    MakeWindow();
    QStringList lines;
    WhenModalOpens<CAboutDlg>([&](CAboutDlg& about) {
        lines = about.Lines() << about.windowTitle();
        QTest::keyClick(&about, Qt::Key_Return);
    });
    MenuItem(2)->trigger();
    EXPECT_EQ(lines.value(0) + lines.value(4), "Zellwick v2.7About Zellwick");
    EXPECT_EQ(lines.value(3), "Log: " + QString::fromStdWString(m_app->m_strLogPath));
}

TEST_F(TimerWindowTest, OkReappliesIndicatorsColoursOpacitySizeAndStart)
{
    m_app->m_strNickname.clear();
    MakeWindow();
    m_prompts.colours.push_back(QColor(0x10, 0x20, 0x30));
    Settings([](CDlgSettings& dialog) {
        Type(dialog, Settings::IDC_NICKNAME, "Hero");
        QTest::mouseClick(dialog.GetDlgItem(Settings::IDC_HANDS_ON), Qt::LeftButton);
        Choose(dialog, Dlg::kLarge, 60);
        PickOther(dialog, Settings::IDC_COLOR_TIME);
    });
    EXPECT_TRUE(Item(Dlg::IDC_HANDS_ALARM)->isVisible());
    EXPECT_FALSE(Item(Dlg::IDC_VPP_ALARM)->isVisible());
    EXPECT_NEAR(m_dlg->windowOpacity(), 153 / 255.0, 0.002);
    EXPECT_EQ(m_dlg->size(), QSize(301, 168));
    EXPECT_EQ(m_app->ReadViewSize(), Dlg::kLarge);
    EXPECT_EQ(TextColour(Dlg::IDC_TIME), QColor(0x10, 0x20, 0x30));
    EXPECT_TRUE(Item(Dlg::IDC_START)->isEnabled()) << "without a restart";
    EXPECT_EQ(Item(Dlg::IDC_START)->toolTip(), "Start timer");
    EXPECT_TRUE(m_prompts.messages.empty());
}

// A colour picked and then cancelled is in the colour members: it shows over the whole window,
// not only where something happens to repaint; size, opacity and the store stay as they were.
TEST_F(TimerWindowTest, AfterCancelEveryPartOfTheWindowShowsTheSameColours)
{
    m_app->m_nOpacity = 80;
    MakeWindow();
    const QRect before = m_dlg->geometry();
    m_prompts.colours = {QColor(200, 0, 0), QColor(0xA0, 0xB0, 0xC0)};
    Settings(
        [](CDlgSettings& dialog) {
            Choose(dialog, Dlg::kMedium, 30);
            PickOther(dialog, Settings::IDC_COLOR_BG);
            PickOther(dialog, Settings::IDC_COLOR_VPP);
        },
        false);
    Item(Dlg::IDC_START)->update(); // the button repaints with its edge over the window
    QApplication::processEvents();
    const QImage screen = m_dlg->screen()->grabWindow(m_dlg->winId()).toImage();
    for (QPoint at : {QPoint(45, 74), QPoint(100, 40), QPoint(30, 61)})
        EXPECT_EQ(screen.pixelColor(at), QColor(200, 0, 0)) << at.x() << "," << at.y();
    EXPECT_EQ(TextColour(Dlg::IDC_VPP_LABEL), QColor(0xA0, 0xB0, 0xC0));
    EXPECT_EQ(m_dlg->geometry(), before);
    EXPECT_NEAR(m_dlg->windowOpacity(), 204 / 255.0, 0.002);
    m_app->LoadSettings();
    EXPECT_EQ(m_app->m_crColorBg, 0x37323Du) << "Cancel stores nothing";
}

TEST_F(TimerWindowTest, SettingsDuringAPeriodKeepItsReadoutsAlarmsAndFolder)
{
    TempDir other;
    m_app->m_bHandsAlarm = 1;
    m_app->m_nHandsAlarm = 2;
    MakeWindow();
    Click(Dlg::IDC_START);
    Tick(10 * 60);
    Show(2, 0.6);
    ASSERT_EQ(m_sound.played.size(), 1u);
    Settings([&other](CDlgSettings& dialog) {
        Type(dialog, Settings::IDC_HANDS, "4"); // raised: rings once more
        Type(dialog, Settings::IDC_HISTORY, QString::fromStdWString(other.wpath()));
        Choose(dialog, Dlg::kMedium, 100);
    });
    EXPECT_EQ(Text(Dlg::IDC_TIME) + Text(Dlg::IDC_HANDS) + Text(Dlg::IDC_VPP), "00:1020.60");
    EXPECT_TRUE(m_dlg->IsRunning() && Item(Dlg::IDC_STOP)->isVisible());
    EXPECT_TRUE(m_dlg->IsWatchingFolder(m_history.wpath())) << "until Stop or the next Start";
    Show(4, 1.2);
    EXPECT_EQ(m_sound.played.size(), 2u);
    Settings([](CDlgSettings& dialog) { Type(dialog, Settings::IDC_HANDS, "1"); });
    Show(5, 1.5);
    EXPECT_EQ(m_sound.played.size(), 2u) << "a lowered threshold stays quiet";
    Click(Dlg::IDC_STOP);
    EXPECT_FALSE(m_dlg->IsWatchingFolder(m_history.wpath()));
}

TEST_F(TimerWindowTest, WithoutTranslucencyTheDesktopMessageShowsOnceARun)
{
    EXPECT_EQ(DesktopTranslucency(), Translucency::Unsupported) << "offscreen";
    m_translucency = Translucency::Unsupported;
    MakeWindow(); // opaque: nothing to say
    EXPECT_TRUE(m_prompts.messages.empty());
    Settings([](CDlgSettings& dialog) { Choose(dialog, Dlg::kSmall, 60); });
    ASSERT_EQ(m_prompts.messages.size(), 1u);
    EXPECT_EQ(m_prompts.messages[0],
              "The desktop cannot show translucent windows: a compositing manager is needed");
    EXPECT_EQ(m_prompts.icons[0], DialogPrompts::Icon::Warning);
    EXPECT_NEAR(m_dlg->windowOpacity(), 153 / 255.0, 0.002) << "asked for all the same";
    Settings([](CDlgSettings& dialog) { Choose(dialog, Dlg::kSmall, 40); });
    EXPECT_EQ(m_prompts.messages.size(), 1u);
}

TEST_F(TimerWindowTest, StartUpOpensTheWindowIdleOrCountingFromTheSettingsFile)
{
    CZellwickApp app(m_logDir.wpath(), m_app->m_strAppName);
    Store(L"Nickname", L"Hero");
    Store(L"History", m_history.wpath());
    EXPECT_EQ(RunProgram(app), std::make_pair(false, true));
    EXPECT_TRUE(Logged("Zellwick start") && Logged("Version number v2.7"));
    CSettingsStore(CZellwickApp::kCompanyName, app.m_strAppName)
        .WriteInt(L"BaseInfo", L"RunOnStart", 1);
    EXPECT_EQ(RunProgram(app), std::make_pair(true, true));
    Store(L"History", (m_history / "gone").wstring()); // emptied at loading: no start
    EXPECT_EQ(RunProgram(app), std::make_pair(false, false));
}

// The sessions file of the tests below, in the test's own data folder.
class SessionsTest : public TimerWindowTest
{
protected:
    SessionsTest() { ::setenv("XDG_DATA_HOME", m_data.path().c_str(), 1); }
    ~SessionsTest() override { ::unsetenv("XDG_DATA_HOME"); }
    std::vector<SessionRecord> Kept() const { return ReadSessions(SessionsFile()).sessions; }
    // A period that counted hands and VPP until its end.
    void Count(std::int32_t hands, std::int32_t vppCents)
    {
        m_app->m_nHandCount = hands;
        m_app->m_nVppCents = vppCents;
    }

    TempDir m_data;
};

// Stop, closing the window and a signal each keep the running period as one line, its pauses
// left out; a period without hands that lasted under a minute leaves none.
TEST_F(SessionsTest, EveryWayAPeriodEndsKeepsItAsOneRecord)
{
    MakeWindow();
    Click(Dlg::IDC_START);
    Tick(59);
    Click(Dlg::IDC_STOP);
    const std::time_t start = m_clock.m_now;
    Click(Dlg::IDC_START);
    Count(3, 42);
    Tick(5);
    Click(Dlg::IDC_PAUSE);
    Tick(600);
    Click(Dlg::IDC_PAUSE);
    Tick(25);
    const CSessionsDlg* sessions = m_dlg->OnSessions();
    Click(Dlg::IDC_STOP);
    EXPECT_TRUE(Logged("Session kept: 3 hands, 0.42 VPP, 0:00 played"));
    EXPECT_EQ(sessions->Model()->rowCount(), 1) << "an open Sessions window shows it at once";
    Click(Dlg::IDC_START);
    Tick(3600);
    m_dlg->close();
    MakeWindow();
    Click(Dlg::IDC_START);
    Count(7, 1234);
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::Received, m_dlg.get(), &Dlg::EndBySignal);
    // The signal comes while the settings dialog is open: it is cancelled, and the window ends.
    WhenModalOpens<CDlgSettings>([](CDlgSettings& dialog) {
        std::raise(SIGTERM);
        QTimer::singleShot(2000, &dialog, [&dialog] {
            ADD_FAILURE() << "the signal left the settings dialog open";
            dialog.reject();
        });
    });
    MenuItem(0)->trigger();
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_TRUE(Logged("Ending on signal SIGTERM"));

    const auto kept = Kept();
    ASSERT_EQ(kept.size(), 3u);
    const auto Summary = [](const SessionRecord& r) {
        return std::vector<std::int64_t>{r.playSeconds, r.hands, r.vppCents};
    };
    EXPECT_EQ(Summary(kept[0]), (std::vector<std::int64_t>{30, 3, 42}));
    EXPECT_EQ(Summary(kept[1]), (std::vector<std::int64_t>{3600, 0, 0}));
    EXPECT_EQ(Summary(kept[2]), (std::vector<std::int64_t>{0, 7, 1234}));
    EXPECT_EQ(kept[0].start.utc, start);
    EXPECT_EQ(kept[0].end.utc, start + 630);
    EXPECT_EQ(kept[0].nickname + kept[0].historyFolder, "Hero" + m_history.path().string());
}

// A session that cannot be written says so at Stop, and in the log.
TEST_F(SessionsTest, StopSaysWhenTheSessionCannotBeKept)
{
    WriteFile(m_data / "Zellwick", "a file where the folder should be");
    MakeWindow();
    Click(Dlg::IDC_START);
    Count(1, 10);
    Click(Dlg::IDC_STOP);
    const std::string text = "Cannot keep the session in " +
                             (m_data / "Zellwick" / "sessions.csv").string() + ": cannot make " +
                             (m_data / "Zellwick").string();
    ASSERT_EQ(m_prompts.messages.size(), 1u);
    EXPECT_EQ(m_prompts.messages[0].toStdString().substr(0, text.size()), text);
    EXPECT_EQ(m_prompts.icons[0], DialogPrompts::Icon::Warning);
    EXPECT_TRUE(Logged(m_prompts.messages[0].toStdString()));
}

// Stands in for a player's program in the case below. "kill": ends a period with Stop, says so
// on the descriptor it is given and waits to be killed. "exit": ends through exit() in the
// middle of a period, as the program does when the X server goes away.
TEST_F(SessionsTest, EndAsTheParentSays)
{
    const char* end = std::getenv("ZELLWICK_CHILD_END");
    if (!end)
        GTEST_SKIP() << "run by AKillRightAfterStopOrAnExitWithoutStopKeepsThePeriod";
    ::setenv("XDG_DATA_HOME", std::getenv("ZELLWICK_DATA"), 1);
    MakeWindow();
    Dlg::KeepPeriodAtExit(m_dlg.get());
    Click(Dlg::IDC_START);
    Count(2, 57);
    if (std::string(end) == "exit")
        std::exit(1);
    Click(Dlg::IDC_STOP);
    [[maybe_unused]] const ssize_t said =
        ::write(std::atoi(std::getenv("ZELLWICK_FD")), "stopped", 7);
    for (;;)
        ::pause();
}

TEST_F(SessionsTest, AKillRightAfterStopOrAnExitWithoutStopKeepsThePeriod)
{
    for (const std::string end : {"kill", "exit"}) {
        int pipe[2];
        ASSERT_EQ(::pipe(pipe), 0);
        // Everything the child makes lands in this test's folder, which goes with the test.
        const std::string added[] = {
            "TMPDIR=" + m_data.path().string(), "ZELLWICK_DATA=" + m_data.path().string(),
            "ZELLWICK_FD=" + std::to_string(pipe[1]), "ZELLWICK_CHILD_END=" + end};
        const std::string filter = "--gtest_filter=SessionsTest.EndAsTheParentSays";
        std::vector<char*> env;
        for (char** e = environ; *e; ++e)
            env.push_back(*e);
        for (const std::string& variable : added)
            env.push_back(const_cast<char*>(variable.c_str()));
        env.push_back(nullptr);
        char* argv[] = {const_cast<char*>("child"), const_cast<char*>(filter.c_str()), nullptr};
        const pid_t child = ::fork();
        if (child == 0) {
            ::execve("/proc/self/exe", argv, env.data());
            ::_exit(127);
        }
        ::close(pipe[1]);
        char said[8] = {};
        const ssize_t got = ::read(pipe[0], said, 7);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(pipe[0]);
        EXPECT_EQ(std::string(said, got > 0 ? static_cast<size_t>(got) : 0),
                  end == "kill" ? "stopped" : "");
        const auto kept = Kept();
        ASSERT_EQ(kept.size(), end == "kill" ? 1u : 2u) << end;
        EXPECT_EQ(kept.back().hands * 100 + kept.back().vppCents, 257) << end;
    }
}

} // namespace
} // namespace zellwick::test
