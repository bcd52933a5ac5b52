// The timer window's commands (the context menu, Settings, About, Exit) and the program's
// start-up around the window.

#include "app/SettingsStore.h"
#include "app/WideText.h"
#include "tests/ui/UiTestSupport.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/AboutDlg.h"
#include "ui/SettingsControls.h"
#include "ui/StartUp.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QScreen>
#include <QSlider>
#include <QTest>

namespace zellwick::test {
namespace {

using Settings = CDlgSettings;

class WindowCommandsTest : public WindowTest
{
protected:
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

TEST_F(WindowCommandsTest, ARightClickOnTheBodyOpensSettingsAboutAndExitButNotOnAButton)
{
    m_app->m_bTimeAlarm = 1;
    MakeWindow();
    ASSERT_EQ(Menu()->actions().size(), 4);
    EXPECT_EQ(MenuItem(0)->text() + MenuItem(1)->text() + MenuItem(3)->text(),
              "SettingsAbout...Exit");
    EXPECT_TRUE(MenuItem(2)->isSeparator());
    EXPECT_EQ(MenuItem(3)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
    EXPECT_TRUE(MenuItem(3)->isShortcutVisibleInContextMenu());
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

TEST_F(WindowCommandsTest, ExitAndAltF4SaveThePlaceEscapeDoesNotAndAboutNamesTheVersion)
{
    MakeWindow();
    m_dlg->move(300, 200);
    MenuItem(3)->trigger();
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
    MenuItem(1)->trigger();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "Zellwick v2.7");
    EXPECT_EQ(lines[1], QString::fromStdWString(m_app->m_strBuildDate));
    EXPECT_EQ(lines[3], "About Zellwick");
}

TEST_F(WindowCommandsTest, OkReappliesIndicatorsColoursOpacitySizeAndStart)
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
TEST_F(WindowCommandsTest, AfterCancelEveryPartOfTheWindowShowsTheSameColours)
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

TEST_F(WindowCommandsTest, SettingsDuringAPeriodKeepItsReadoutsAlarmsAndFolder)
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

TEST_F(WindowCommandsTest, WithoutTranslucencyTheDesktopMessageShowsOnceARun)
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

TEST_F(WindowCommandsTest, StartUpLogsItsHeaderAndOpensIdleOrCountingFromTheSettingsFile)
{
    CZellwickApp app(m_logDir.wpath(), m_app->m_strAppName);
    Store(L"Nickname", L"Hero");
    Store(L"History", m_history.wpath());
    EXPECT_EQ(RunProgram(app), std::make_pair(false, true));
    auto lines = Log();
    lines.erase(lines.begin(),
                std::find(lines.begin(), lines.end(), "================================") - 1);
    ASSERT_GE(lines.size(), 12u);
    char time[64];
    std::tm local{};
    ::localtime_r(&m_clock.m_now, &local);
    std::strftime(time, sizeof time, "%d.%m.%Y  %H:%M:%S", &local);
    const std::vector<std::string> head = {"",
                                           "================================",
                                           "Zellwick start",
                                           "Zellwick InitInstance()",
                                           "Zellwick SetAppID",
                                           time,
                                           std::filesystem::read_symlink("/proc/self/exe"),
                                           "",
                                           ToUtf8(app.m_strBuildDate),
                                           "Version number v2.7",
                                           ""};
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 11), head);
    EXPECT_TRUE(Logged("HistoryPath = " + m_history.path().string()));

    CSettingsStore(CZellwickApp::kCompanyName, app.m_strAppName)
        .WriteInt(L"BaseInfo", L"RunOnStart", 1);
    EXPECT_EQ(RunProgram(app), std::make_pair(true, true));
    Store(L"History", (m_history / "gone").wstring()); // emptied at loading: no start
    EXPECT_EQ(RunProgram(app), std::make_pair(false, false));
    EXPECT_TRUE(Logged("HistoryPath = " + (m_history / "gone").string() + " is not found!"));
    CZellwickApp noLog(L"", app.m_strAppName);
    Store(L"History", m_history.wpath());
    EXPECT_EQ(RunProgram(noLog), std::make_pair(true, true)) << "no log, the same window";
}

} // namespace
} // namespace zellwick::test
