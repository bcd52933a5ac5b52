// The timer window's commands: the context menu on a right click, the settings round trip,
// About, Exit and Alt+F4, and the layering message where the desktop cannot show translucency.

#include "tests/ui/WindowTestSupport.h"
#include "ui/AboutDlg.h"
#include "ui/DlgSettings.h"
#include "ui/SettingsControls.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>

namespace zellwick::test {
namespace {

using Dlg = CZellwickDlg;
using Settings = CDlgSettings;

class WindowCommandsTest : public WindowTest
{
protected:
    QMenu* Menu() const { return m_dlg->ContextMenu(); }

    // A right click as the window system delivers it: to the window, at the control's place.
    void RightClick(QWidget* target, QPoint at)
    {
        QWindow* window = m_dlg->windowHandle();
        ASSERT_NE(window, nullptr);
        const QPoint inWindow = target->mapTo(m_dlg.get(), at);
        QTest::mousePress(window, Qt::RightButton, {}, inWindow);
        QTest::mouseRelease(window, Qt::RightButton, {}, inWindow);
    }

    bool MenuOpensOn(QWidget* target, QPoint at)
    {
        RightClick(target, at);
        const bool open = Menu()->isVisible();
        Menu()->hide();
        return open;
    }

    QAction* MenuItem(const QString& text) const
    {
        for (QAction* action : Menu()->actions()) {
            if (action->text() == text)
                return action;
        }
        ADD_FAILURE() << "no menu item " << text.toStdString();
        return nullptr;
    }

    // Opens the settings from the menu; edit runs in the open dialog, then OK or Cancel.
    void Settings(const std::function<void(CDlgSettings&)>& edit, bool ok = true)
    {
        WhenModalOpens<CDlgSettings>([edit, ok](CDlgSettings& dialog) {
            edit(dialog);
            const int button = ok ? Settings::IDOK : Settings::IDCANCEL;
            QTest::mouseClick(dialog.GetDlgItem(button), Qt::LeftButton);
            if (dialog.isVisible()) {
                ADD_FAILURE() << "the settings dialog refused its entries";
                dialog.reject();
            }
        });
        MenuItem(QStringLiteral("Settings"))->trigger();
    }

    static void Type(CDlgSettings& dialog, int id, const QString& text)
    {
        QWidget* control = dialog.GetDlgItem(id);
        auto* browse = qobject_cast<CBrowseEdit*>(control);
        QLineEdit* edit = browse ? browse->Edit() : qobject_cast<QLineEdit*>(control);
        ASSERT_NE(edit, nullptr) << id;
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    static void ChooseSize(CDlgSettings& dialog, int size)
    {
        qobject_cast<QComboBox*>(dialog.GetDlgItem(Settings::IDC_SIZE))->setCurrentIndex(size);
    }

    static void ChooseOpacity(CDlgSettings& dialog, int percent)
    {
        qobject_cast<QSlider*>(dialog.GetDlgItem(Settings::IDC_OPACITY))->setValue(percent);
    }

    void ShowHands(std::int32_t hands)
    {
        m_app->m_nHandCount = hands;
        m_app->m_dVpp = hands * 0.3;
        Tick(5);
    }

    std::size_t Rung(const std::string& sound) const
    {
        return static_cast<std::size_t>(
            std::count(m_sound.m_played.begin(), m_sound.m_played.end(), sound));
    }
};

TEST_F(WindowCommandsTest, TheMenuHoldsSettingsAboutAndExitWithAltF4)
{
    MakeWindow();
    const QList<QAction*> items = Menu()->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0]->text(), "Settings");
    EXPECT_EQ(items[1]->text(), "About...");
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3]->text(), "Exit");
    EXPECT_EQ(items[3]->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
    EXPECT_TRUE(items[3]->isShortcutVisibleInContextMenu());
    Click(Dlg::IDC_START);
    for (QAction* item : items)
        EXPECT_TRUE(item->isEnabled()) << "available while a period runs too";
}

TEST_F(WindowCommandsTest, ARightClickOnTheBodyOpensTheMenuAtTheCursorButNotOnAButton)
{
    m_app->m_bTimeAlarm = 1;
    MakeWindow();
    EXPECT_TRUE(MenuOpensOn(Item(Dlg::IDC_VPP), QPoint(40, 10)));
    EXPECT_TRUE(MenuOpensOn(Item(Dlg::IDC_HANDS_LABEL), QPoint(3, 3)));
    EXPECT_TRUE(MenuOpensOn(Item(Dlg::IDC_TIME_ALARM), QPoint(8, 8)));
    EXPECT_TRUE(MenuOpensOn(m_dlg.get(), QPoint(40, 76))) << "the bare background";

    const QPoint at = Item(Dlg::IDC_TIME)->mapToGlobal(QPoint(10, 5));
    RightClick(Item(Dlg::IDC_TIME), QPoint(10, 5));
    ASSERT_TRUE(Menu()->isVisible());
    EXPECT_EQ(Menu()->pos(), at);
    Menu()->hide();

    QWidget* start = Item(Dlg::IDC_START);
    EXPECT_FALSE(MenuOpensOn(start, start->rect().center()));
    Click(Dlg::IDC_START);
    QWidget* pause = Item(Dlg::IDC_PAUSE);
    EXPECT_FALSE(MenuOpensOn(pause, pause->rect().center()));
    EXPECT_FALSE(m_dlg->IsPaused()) << "a right click does not press a button either";
}

TEST_F(WindowCommandsTest, ExitAndAltF4SaveThePlaceEscapeDoesNot)
{
    MakeWindow();
    m_dlg->move(300, 200);
    MenuItem(QStringLiteral("Exit"))->trigger();
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_app->ReadWindowPos(), L"300:200:440:280");

    MakeWindow();
    m_dlg->move(310, 210);
    m_dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dlg.get()));
    QTest::keyClick(m_dlg.get(), Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_app->ReadWindowPos(), L"310:210:450:290");

    MakeWindow();
    m_dlg->move(20, 20);
    QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_dlg->result(), QDialog::Rejected);
    EXPECT_EQ(m_app->ReadWindowPos(), L"310:210:450:290");
}

TEST_F(WindowCommandsTest, AboutShowsTheNameVersionAndBuildDate)
{
    MakeWindow();
    QStringList lines;
    QString title;
    WhenModalOpens<CAboutDlg>([&](CAboutDlg& about) {
        lines = about.Lines();
        title = about.windowTitle();
        QTest::keyClick(&about, Qt::Key_Return);
    });
    MenuItem(QStringLiteral("About..."))->trigger();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "Zellwick v2.7");
    EXPECT_EQ(lines[1], QString::fromStdWString(m_app->m_strBuildDate));
    EXPECT_TRUE(lines[1].startsWith("Version build data:  ")) << lines[1].toStdString();
    EXPECT_FALSE(lines[2].isEmpty());
    EXPECT_EQ(lines[3], "Log: " + QString::fromStdWString(m_app->m_strLogPath));
    EXPECT_EQ(title, "About Zellwick");
    EXPECT_TRUE(m_dlg->isVisible());
}

TEST_F(WindowCommandsTest, OkReappliesIndicatorsColoursOpacityAndSize)
{
    MakeWindow();
    m_prompts.colours.push_back(QColor(0x10, 0x20, 0x30));
    Settings([](CDlgSettings& dialog) {
        QTest::mouseClick(dialog.GetDlgItem(Settings::IDC_HANDS_ON), Qt::LeftButton);
        ChooseSize(dialog, Dlg::kLarge);
        ChooseOpacity(dialog, 60);
        auto* time = qobject_cast<CColorButton*>(dialog.GetDlgItem(Settings::IDC_COLOR_TIME));
        time->ShowPopup();
        time->Popup()->OtherButton()->click();
    });
    EXPECT_TRUE(Item(Dlg::IDC_HANDS_ALARM)->isVisible());
    EXPECT_FALSE(Item(Dlg::IDC_VPP_ALARM)->isVisible());
    EXPECT_NEAR(m_dlg->windowOpacity(), 153 / 255.0, 0.002);
    EXPECT_EQ(m_app->m_nAppliedSize, Dlg::kLarge);
    EXPECT_EQ(m_dlg->size(), QSize(301, 168));
    EXPECT_EQ(Item(Dlg::IDC_TIME)->palette().color(QPalette::WindowText), QColor(0x10, 0x20, 0x30));
    // Stored by the dialog, read by the next start-up.
    EXPECT_EQ(m_app->ReadViewSize(), Dlg::kLarge);
    EXPECT_TRUE(m_prompts.messages.empty());
}

TEST_F(WindowCommandsTest, CancelKeepsSizeAndOpacityAndAPickedColourShowsButIsNotStored)
{
    m_app->m_nOpacity = 80;
    MakeWindow();
    const QRect before = m_dlg->geometry();
    m_prompts.colours.push_back(QColor(0x10, 0x20, 0x30));
    m_prompts.colours.push_back(QColor(0xA0, 0xB0, 0xC0));
    Settings(
        [](CDlgSettings& dialog) {
            ChooseSize(dialog, Dlg::kMedium);
            ChooseOpacity(dialog, 30);
            for (int id : {Settings::IDC_COLOR_BG, Settings::IDC_COLOR_VPP}) {
                auto* button = qobject_cast<CColorButton*>(dialog.GetDlgItem(id));
                button->ShowPopup();
                button->Popup()->OtherButton()->click();
            }
        },
        false);
    EXPECT_EQ(m_dlg->geometry(), before);
    EXPECT_EQ(m_app->m_nAppliedSize, Dlg::kSmall);
    EXPECT_NEAR(m_dlg->windowOpacity(), 204 / 255.0, 0.002);
    EXPECT_EQ(m_app->m_nOpacity, 80);
    // The colours show at the next paint.
    const QImage shown = m_dlg->grab().toImage();
    EXPECT_EQ(shown.pixelColor(45, 74), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(Item(Dlg::IDC_VPP)->palette().color(QPalette::WindowText), QColor(0xA0, 0xB0, 0xC0));
    EXPECT_EQ(Item(Dlg::IDC_VPP_LABEL)->palette().color(QPalette::WindowText),
              QColor(0xA0, 0xB0, 0xC0));
    m_dlg.reset();
    m_app->LoadSettings();
    EXPECT_NE(m_app->m_crColorBg, 0x302010u) << "Cancel stores nothing";
}

TEST_F(WindowCommandsTest, FixingAnEmptyNicknameEnablesStartWithoutARestart)
{
    m_app->m_strNickname.clear();
    MakeWindow();
    ASSERT_FALSE(Item(Dlg::IDC_START)->isEnabled());
    Settings([](CDlgSettings& dialog) { Type(dialog, Settings::IDC_NICKNAME, "Hero"); });
    EXPECT_TRUE(Item(Dlg::IDC_START)->isEnabled());
    Click(Dlg::IDC_START);
    EXPECT_TRUE(m_dlg->IsRunning());
}

TEST_F(WindowCommandsTest, ASizeChangeWhileRunningKeepsTheReadoutsAndTheTimer)
{
    MakeWindow();
    Click(Dlg::IDC_START);
    Tick(10 * 60);
    ShowHands(3);
    Settings([](CDlgSettings& dialog) { ChooseSize(dialog, Dlg::kMedium); });
    EXPECT_EQ(m_app->m_nAppliedSize, Dlg::kMedium);
    EXPECT_EQ(Text(Dlg::IDC_TIME), "00:10");
    EXPECT_EQ(Text(Dlg::IDC_HANDS), "3");
    EXPECT_EQ(Text(Dlg::IDC_VPP), "0.90");
    EXPECT_TRUE(m_dlg->IsRunning());
    EXPECT_NE(m_dlg->PlayTimerId(), 0);
    EXPECT_TRUE(Item(Dlg::IDC_STOP)->isVisible());
    EXPECT_FALSE(Item(Dlg::IDC_START)->isEnabled() && Item(Dlg::IDC_START)->isVisible());
    ShowHands(4);
    EXPECT_EQ(Text(Dlg::IDC_HANDS), "4");
}

TEST_F(WindowCommandsTest, RaisingAThresholdReArmsItsAlarmAndLoweringDoesNot)
{
    m_app->m_bHandsAlarm = 1;
    m_app->m_nHandsAlarm = 2;
    MakeWindow();
    Click(Dlg::IDC_START);
    ShowHands(2);
    EXPECT_EQ(Rung("resource:156"), 1u);

    Settings([](CDlgSettings& dialog) { Type(dialog, Settings::IDC_HANDS, "4"); });
    ShowHands(3);
    EXPECT_EQ(Rung("resource:156"), 1u);
    ShowHands(4);
    EXPECT_EQ(Rung("resource:156"), 2u) << "the raised threshold rings once more";

    Settings([](CDlgSettings& dialog) { Type(dialog, Settings::IDC_HANDS, "1"); });
    ShowHands(5);
    EXPECT_EQ(Rung("resource:156"), 2u) << "a lowered threshold stays quiet";
}

TEST_F(WindowCommandsTest, StopEndsTheWatchOnTheFolderItStartedOnAfterTheFolderChanged)
{
    TempDir other;
    MakeWindow();
    const std::wstring first = m_app->m_strHistoryPath;
    Click(Dlg::IDC_START);
    ASSERT_TRUE(m_dlg->IsWatchingFolder(first));

    Settings([&other](CDlgSettings& dialog) {
        Type(dialog, Settings::IDC_HISTORY, QString::fromStdWString(other.wpath()));
    });
    ASSERT_NE(m_app->m_strHistoryPath, first);
    EXPECT_TRUE(m_dlg->IsWatchingFolder(first)) << "a running watch stays where it started";

    Click(Dlg::IDC_STOP);
    EXPECT_FALSE(m_dlg->IsWatchingFolder(first));
}

TEST_F(WindowCommandsTest, WithoutTranslucencyTheLayeringMessageShowsOnceARun)
{
    m_translucency = Translucency::Unsupported;
    m_app->m_nOpacity = 60;
    MakeWindow();
    ASSERT_EQ(m_prompts.messages.size(), 1u);
    EXPECT_EQ(m_prompts.messages[0].text, "Layering is not supported in this version of Windows");
    EXPECT_EQ(m_prompts.messages[0].icon, DialogPrompts::Icon::Warning);
    // Still asked for: an X server shows it once a compositing manager starts.
    EXPECT_NEAR(m_dlg->windowOpacity(), 153 / 255.0, 0.002);

    Settings([](CDlgSettings& dialog) { ChooseOpacity(dialog, 40); });
    EXPECT_EQ(m_prompts.messages.size(), 1u);
    EXPECT_NEAR(m_dlg->windowOpacity(), 102 / 255.0, 0.002);
}

TEST_F(WindowCommandsTest, AnOpaqueWindowNeedsNoLayeringMessageUntilTranslucencyIsChosen)
{
    m_translucency = Translucency::Unsupported;
    m_app->m_nOpacity = 100;
    MakeWindow();
    EXPECT_TRUE(m_prompts.messages.empty());
    Settings([](CDlgSettings& dialog) { ChooseOpacity(dialog, 100); });
    EXPECT_TRUE(m_prompts.messages.empty());
    Settings([](CDlgSettings& dialog) { ChooseOpacity(dialog, 90); });
    ASSERT_EQ(m_prompts.messages.size(), 1u);
    EXPECT_EQ(m_prompts.messages[0].text, "Layering is not supported in this version of Windows");
}

TEST_F(WindowCommandsTest, TheOffscreenPlatformCannotShowTranslucency)
{
    EXPECT_EQ(DesktopTranslucency(), Translucency::Unsupported);
}

} // namespace
} // namespace zellwick::test
