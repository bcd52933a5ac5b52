// The settings dialog driven as a user drives it: typing, clicking, browsing, picking colours,
// OK and Cancel, with the settings file, the log and the application object checked after.

#include "ui/DlgSettings.h"

#include "app/WideText.h"
#include "app/ZellwickApp.h"
#include "tests/ui/SettingsTestSupport.h"
#include "ui/CxSkinButton.h"
#include "ui/SettingsControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace zellwick::test;
using Id = CDlgSettings::ControlId;

using Sections = std::map<std::string, std::map<std::string, std::string>>;

class DlgSettingsTest : public ::testing::Test
{
protected:
    DlgSettingsTest() : m_app(m_logDir.wpath(), AppName())
    {
        fs::remove(ConfPath()); // left by an earlier run of the same test (--gtest_repeat)
        m_app.LoadSettings();   // a fresh user's values
        fs::create_directories(m_hands.path());
    }

    static std::wstring AppName()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        return L"ZellwickTest_" + FromUtf8(info->name());
    }

    std::unique_ptr<CDlgSettings> Open()
    {
        auto dialog = std::make_unique<CDlgSettings>(m_app, m_sound, nullptr, &m_prompts);
        dialog->show();
        return dialog;
    }

    static QLineEdit* Edit(const CDlgSettings& dialog, int id)
    {
        QWidget* control = dialog.GetDlgItem(id);
        if (auto* browse = qobject_cast<CBrowseEdit*>(control))
            return browse->Edit();
        return qobject_cast<QLineEdit*>(control);
    }
    template <typename T>
    static T* Item(const CDlgSettings& dialog, int id)
    {
        return qobject_cast<T*>(dialog.GetDlgItem(id));
    }

    // Replaces the field's text by typing, as the keyboard does.
    static void Type(const CDlgSettings& dialog, int id, const QString& text)
    {
        QLineEdit* edit = Edit(dialog, id);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        edit->home(false);
        QTest::keyClicks(edit, text);
    }
    static void Click(const CDlgSettings& dialog, int id)
    {
        QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
    }
    // Nickname and folder filled in, so that OK gets past its own checks.
    void FillPlayer(const CDlgSettings& dialog)
    {
        Type(dialog, Id::IDC_NICKNAME, QStringLiteral("Hero"));
        Type(dialog, Id::IDC_HISTORY, QString::fromStdWString(Wide(m_hands.path())));
    }

    fs::path ConfPath() const
    {
        return fs::path(std::getenv("XDG_CONFIG_HOME")) / "Tervalon" /
               (ToNativePath(AppName()).string() + ".conf");
    }
    Sections Stored() const
    {
        Sections sections;
        if (!fs::exists(ConfPath()))
            return sections;
        std::istringstream in(ReadFile(ConfPath()));
        std::string section;
        for (std::string line; std::getline(in, line);) {
            if (line.empty())
                continue;
            if (line.front() == '[') {
                section = line.substr(1, line.find(']') - 1);
                continue;
            }
            const auto equals = line.find('=');
            sections[section][line.substr(0, equals)] = line.substr(equals + 1);
        }
        return sections;
    }
    // The "Settings_" lines of the log without their time stamps.
    std::vector<std::string> SettingsLog() const
    {
        std::vector<std::string> lines;
        std::istringstream in(ReadFile(m_logDir / "Zellwick.log"));
        for (std::string line; std::getline(in, line);) {
            const auto at = line.find("Settings_");
            if (at != std::string::npos)
                lines.push_back(line.substr(at));
        }
        return lines;
    }
    std::vector<QString> Messages() const
    {
        std::vector<QString> texts;
        for (const auto& shown : m_prompts.messages)
            texts.push_back(shown.text);
        return texts;
    }
    std::string HandsPath() const { return m_hands.path().string(); }

    TempWinePrefix m_wine;
    TempDir m_logDir;
    TempDir m_hands;
    CZellwickApp m_app;
    FakePrompts m_prompts;
    FakeSoundPlayer m_sound;
};

// ---- OK and Cancel

TEST_F(DlgSettingsTest, OkStoresEveryValueInItsStoredForm)
{
    auto dialog = Open();
    Type(*dialog, Id::IDC_NICKNAME, QStringLiteral("Hero"));
    m_prompts.folders.push_back(QString::fromStdString(HandsPath()));
    QTest::mouseClick(Item<CBrowseEdit>(*dialog, Id::IDC_HISTORY)->BrowseButton(), Qt::LeftButton);
    Click(*dialog, Id::IDC_HANDS_ON);
    Type(*dialog, Id::IDC_HANDS, QStringLiteral("800"));
    m_prompts.files.push_back(QStringLiteral("/sounds/hands.wav"));
    QTest::mouseClick(Item<CBrowseEdit>(*dialog, Id::IDC_HANDS_SOUND)->BrowseButton(),
                      Qt::LeftButton);
    Click(*dialog, Id::IDC_VPP_ON);
    Type(*dialog, Id::IDC_VPP, QStringLiteral("25"));
    Type(*dialog, Id::IDC_VPP_SOUND, QStringLiteral("/sounds/vpp.wav"));
    Click(*dialog, Id::IDC_TIME_ON);
    Type(*dialog, Id::IDC_ALARM_TIME, QStringLiteral("0130"));
    Type(*dialog, Id::IDC_TIME_SOUND, QStringLiteral("/sounds/time.wav"));
    Click(*dialog, Id::IDC_RUN_ON_START);
    Item<QComboBox>(*dialog, Id::IDC_SIZE)->setCurrentIndex(1);
    Item<QSlider>(*dialog, Id::IDC_OPACITY)->setValue(60);
    // Background from the palette (black), time from "Other", hand back to its default.
    auto* background = Item<CColorButton>(*dialog, Id::IDC_COLOR_BG);
    background->ShowPopup();
    background->Popup()->PaletteButtons().front()->click();
    m_prompts.colours.push_back(QColor(1, 2, 3));
    auto* time = Item<CColorButton>(*dialog, Id::IDC_COLOR_TIME);
    time->ShowPopup();
    time->Popup()->OtherButton()->click();
    m_app.m_crColorText2 = 0x123456;
    auto* hand = Item<CColorButton>(*dialog, Id::IDC_COLOR_HANDS);
    hand->ShowPopup();
    hand->Popup()->DefaultButton()->click();

    Click(*dialog, Id::IDOK);

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(Messages().empty());
    const Sections expected = {
        {"BaseInfo",
         {{"Nickname", "Hero"}, {"History", HandsPath() + "/Hero"}, {"RunOnStart", "1"}}},
        {"View",
         {{"ColorBg", "0"},
          {"ColorText", "197121"},
          {"ColorText2", "49939"},
          {"ColorText3", "49407"},
          {"Size", "1"},
          {"Opacity", "60"}}},
        {"Alarm", {{"Param", "1:800"}, {"Sound", "/sounds/hands.wav"}}},
        {"Alarm2", {{"Param", "1:25"}, {"Sound", "/sounds/vpp.wav"}}},
        {"Alarm3", {{"Param", "1:90"}, {"Sound", "/sounds/time.wav"}}},
    };
    EXPECT_EQ(Stored(), expected);
    EXPECT_EQ(m_app.m_strAlarmTime, L"01:30");
    EXPECT_EQ(m_app.m_nSize, 1);
    EXPECT_EQ(SettingsLog(), (std::vector<std::string>{
                                 "Settings_1: NickName = Hero Path = " + HandsPath(),
                                 "Settings_2: NickName = Hero Path = " + HandsPath(),
                                 "Settings_3: NickName = Hero Path = " + HandsPath() + " k = 1",
                                 "Settings_4: RunOnStart = 1",
                             }));
}

TEST_F(DlgSettingsTest, OkAgainDoesNotAddTheNicknameTwice)
{
    m_app.m_strNickname = L"Hero";
    m_app.m_strHistoryPath = Wide(m_hands.path() / "Hero");
    auto dialog = Open();

    Click(*dialog, Id::IDOK);

    EXPECT_EQ(Stored()["BaseInfo"]["History"], HandsPath() + "/Hero");
    EXPECT_EQ(SettingsLog().at(2),
              "Settings_3: NickName = Hero Path = " + HandsPath() + "/Hero k = 0");
}

TEST_F(DlgSettingsTest, CancelAndEscapeStoreNothingAndChangeNothing)
{
    for (const bool escape : {false, true}) {
        auto dialog = Open();
        FillPlayer(*dialog);
        Click(*dialog, Id::IDC_HANDS_ON);
        Type(*dialog, Id::IDC_HANDS, QStringLiteral("800"));
        Item<QSlider>(*dialog, Id::IDC_OPACITY)->setValue(20);

        if (escape)
            QTest::keyClick(Edit(*dialog, Id::IDC_HANDS), Qt::Key_Escape);
        else
            Click(*dialog, Id::IDCANCEL);

        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
    }
    EXPECT_FALSE(fs::exists(ConfPath()));
    EXPECT_TRUE(SettingsLog().empty());
    EXPECT_EQ(m_app.m_strNickname, L"");
    EXPECT_EQ(m_app.m_bHandsAlarm, 0);
    EXPECT_EQ(m_app.m_nHandsAlarm, 700);
    EXPECT_EQ(m_app.m_nOpacity, 100);
}

TEST_F(DlgSettingsTest, EnterNeverClosesTheDialog)
{
    auto dialog = Open();
    FillPlayer(*dialog);

    for (int id : {int(Id::IDC_NICKNAME), int(Id::IDC_HANDS), int(Id::IDC_ALARM_TIME)}) {
        QTest::keyClick(Edit(*dialog, id), Qt::Key_Return);
        QTest::keyClick(Edit(*dialog, id), Qt::Key_Enter);
    }
    for (int id : {int(Id::IDOK), int(Id::IDCANCEL), int(Id::IDC_AUTO), int(Id::IDC_SIZE)}) {
        dialog->GetDlgItem(id)->setFocus();
        QTest::keyClick(dialog->GetDlgItem(id), Qt::Key_Return);
    }
    QTest::keyClick(dialog.get(), Qt::Key_Enter);

    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(fs::exists(ConfPath()));
    EXPECT_EQ(Edit(*dialog, Id::IDC_NICKNAME)->text(), QStringLiteral("Hero"));
}

// ---- Refusals

struct Refusal
{
    int field;
    const char* typed;
    const char* message;
};

TEST_F(DlgSettingsTest, ThresholdsThatAreNoWholeNumberInRangeAreRefusedAtTheirField)
{
    const Refusal refusals[] = {
        {Id::IDC_HANDS, "", "Enter an integer."},
        {Id::IDC_HANDS, "0", "Enter an integer between 1 and 9999."},
        {Id::IDC_HANDS, "10000", "Enter an integer between 1 and 9999."},
        {Id::IDC_HANDS, "99999999999999999999", "Enter an integer between 1 and 9999."},
        {Id::IDC_VPP, "", "Enter an integer."},
        {Id::IDC_VPP, "99999999999", "Enter an integer."},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.typed);
        m_prompts.messages.clear();
        auto dialog = Open();
        FillPlayer(*dialog);
        Click(*dialog, Id::IDC_HANDS_ON);
        Click(*dialog, Id::IDC_VPP_ON);
        Type(*dialog, refusal.field, QString::fromLatin1(refusal.typed));
        Edit(*dialog, Id::IDC_NICKNAME)->setFocus();

        Click(*dialog, Id::IDOK);

        ASSERT_EQ(Messages(), std::vector<QString>{QString::fromLatin1(refusal.message)});
        EXPECT_EQ(m_prompts.messages[0].icon, DialogPrompts::Icon::Warning);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->focusWidget(), Edit(*dialog, refusal.field));
        EXPECT_EQ(Edit(*dialog, refusal.field)->selectedText(),
                  Edit(*dialog, refusal.field)->text());
    }
    EXPECT_FALSE(fs::exists(ConfPath()));
    EXPECT_TRUE(SettingsLog().empty());
    EXPECT_EQ(m_app.m_bHandsAlarm, 0); // nothing taken over from a refused entry
}

TEST_F(DlgSettingsTest, LettersCannotBeTypedIntoThresholdsAndVppHasNoRange)
{
    m_app.m_bHandsAlarm = m_app.m_bVppAlarm = 1;
    auto dialog = Open();
    FillPlayer(*dialog);
    Type(*dialog, Id::IDC_HANDS, QStringLiteral("-8a0x0"));
    Type(*dialog, Id::IDC_VPP, QStringLiteral("0"));
    EXPECT_EQ(Edit(*dialog, Id::IDC_HANDS)->text(), QStringLiteral("800"));

    Click(*dialog, Id::IDOK);

    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Stored()["Alarm"]["Param"], "1:800");
    EXPECT_EQ(Stored()["Alarm2"]["Param"], "1:0");
}

TEST_F(DlgSettingsTest, TimeWithAnEmptyDigitPlaceIsRefusedAndAnyTwoDigitPairsTaken)
{
    auto dialog = Open();
    FillPlayer(*dialog);
    EXPECT_EQ(Edit(*dialog, Id::IDC_ALARM_TIME)->displayText(), QStringLiteral("01:00"));
    Click(*dialog, Id::IDC_TIME_ON);
    Type(*dialog, Id::IDC_ALARM_TIME, QStringLiteral("123"));
    EXPECT_EQ(Edit(*dialog, Id::IDC_ALARM_TIME)->displayText(), QStringLiteral("12:3_"));

    Click(*dialog, Id::IDOK);

    ASSERT_EQ(Messages(), std::vector<QString>{QStringLiteral("Alarm time format 00:00 !")});
    EXPECT_EQ(m_prompts.messages[0].icon, DialogPrompts::Icon::Information);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(fs::exists(ConfPath()));

    // Completed, it goes through.
    QLineEdit* time = Edit(*dialog, Id::IDC_ALARM_TIME);
    time->setFocus();
    time->setCursorPosition(4);
    QTest::keyClicks(time, QStringLiteral("5"));
    Click(*dialog, Id::IDOK);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Stored()["Alarm3"]["Param"], "1:755");

    // The colon stays where it is, and any two digit pairs are taken.
    dialog = Open();
    time = Edit(*dialog, Id::IDC_ALARM_TIME);
    EXPECT_EQ(time->displayText(), QStringLiteral("12:35"));
    Type(*dialog, Id::IDC_ALARM_TIME, QStringLiteral("9x9:99"));
    EXPECT_EQ(time->displayText(), QStringLiteral("99:99"));
    Click(*dialog, Id::IDOK);
    EXPECT_EQ(m_app.m_nTimeAlarmMinutes, 6039);
    EXPECT_EQ(m_app.m_strAlarmTime, L"99:99");
    EXPECT_EQ(Stored()["Alarm3"]["Param"], "1:6039");
}

TEST(AlarmTimeFieldTextTest, MinutesBeyondTwoDigitHoursStillFitTheField)
{
    EXPECT_EQ(CDlgSettings::AlarmTimeFieldText(L"01:35", 95), QStringLiteral("01:35"));
    // Loaded from the store, 6039 minutes read "100:39", which "__:__" cannot hold.
    EXPECT_EQ(CDlgSettings::AlarmTimeFieldText(L"100:39", 6039), QStringLiteral("99:99"));
    EXPECT_EQ(CDlgSettings::AlarmTimeFieldText(L"100:00", 6000), QStringLiteral("99:60"));
    EXPECT_EQ(CDlgSettings::AlarmTimeFieldText(L"200:00", 12000), QStringLiteral("99:99"));
    EXPECT_EQ(CDlgSettings::AlarmTimeFieldText(L"00:-5", -5), QStringLiteral("00:00"));
}

TEST_F(DlgSettingsTest, MissingNicknameWithoutClientFileIsRefused)
{
    auto dialog = Open();
    Type(*dialog, Id::IDC_HISTORY, QString::fromStdString(HandsPath()));

    Click(*dialog, Id::IDOK);

    ASSERT_EQ(Messages(), std::vector<QString>{QStringLiteral("Enter nickname!")});
    EXPECT_EQ(m_prompts.messages[0].icon, DialogPrompts::Icon::Information);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(fs::exists(ConfPath()));
    // What was typed stays, in the field and in the log.
    EXPECT_EQ(Edit(*dialog, Id::IDC_HISTORY)->text(), QString::fromStdString(HandsPath()));
    EXPECT_EQ(SettingsLog().at(1), "Settings_2: NickName =  Path = " + HandsPath());
}

TEST_F(DlgSettingsTest, MissingFolderWithoutClientFileIsRefusedAndTheNicknameKept)
{
    auto dialog = Open();
    Type(*dialog, Id::IDC_NICKNAME, QStringLiteral("Hero"));

    Click(*dialog, Id::IDOK);

    ASSERT_EQ(Messages(), std::vector<QString>{QStringLiteral("Enter history path!")});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(fs::exists(ConfPath()));
    EXPECT_EQ(m_app.m_strNickname, L"Hero");
    EXPECT_EQ(m_app.m_strHistoryPath, L""); // no "/Hero" made of an empty folder
    EXPECT_EQ(SettingsLog().at(2), "Settings_3: NickName = Hero Path =  k = 0");
}

// ---- Detection at OK

TEST_F(DlgSettingsTest, EmptyNicknameOrFolderIsFoundInTheClientFile)
{
    struct Case
    {
        const char* name;
        std::string ini;
        std::string nickname, folder; // typed
        std::string history;          // stored
        std::string log2, log3;       // the second and third "Settings_" lines; empty: any
    };
    const std::string hands = m_wine.DriveD().string() + "/Hands";
    const Case cases[] = {
        {"folder found", ClientIni().Name("Other").Options("D:\\Hands\\").Text(), "Hero", "",
         hands + "/Hero", "Settings_2: NickName = Hero Path = " + hands + "/",
         "Settings_3: NickName = Hero Path = " + hands + "/ k = 1"},
        {"nickname found, typed folder kept", ClientIni().Options("D:\\Hands\\").Text(), "",
         HandsPath(), HandsPath() + "/Hero", "", ""},
        {"both found together", ClientIni().Options("D:\\Hands").Text(), "", "", hands + "/Hero",
         "", "Settings_3: NickName = Hero Path = " + hands + "/Hero k = 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_app.m_strNickname.clear();
        m_app.m_strHistoryPath.clear();
        m_wine.WriteUserIni(c.ini);
        const std::size_t seen = SettingsLog().size();
        auto dialog = Open();
        Type(*dialog, Id::IDC_NICKNAME, QString::fromStdString(c.nickname));
        Type(*dialog, Id::IDC_HISTORY, QString::fromStdString(c.folder));

        Click(*dialog, Id::IDOK);

        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(Stored()["BaseInfo"]["Nickname"], "Hero");
        EXPECT_EQ(Stored()["BaseInfo"]["History"], c.history);
        const std::vector<std::string> log = SettingsLog();
        ASSERT_GE(log.size(), seen + 3);
        if (!c.log2.empty()) {
            EXPECT_EQ(log[seen + 1], c.log2);
        }
        if (!c.log3.empty()) {
            EXPECT_EQ(log[seen + 2], c.log3);
        }
    }
}

// ---- Alarm state

TEST_F(DlgSettingsTest, RaisingAThresholdRearmsItsAlarmAndLoweringDoesNot)
{
    struct Step
    {
        const char* hands;
        const char* vpp;
        const char* time;
        int rungAfter;
    };
    // Thresholds start at 700 hands, 10 VPP and 01:00.
    const Step steps[] = {
        {"700", "10", "0100", 1}, // kept: still rung
        {"600", "5", "0030", 1},  // lowered: still rung
        {"800", "6", "0045", 0},  // raised from the last values: rings again
    };
    m_app.m_bHandsAlarm = m_app.m_bVppAlarm = m_app.m_bTimeAlarm = 1;
    for (const Step& step : steps) {
        m_app.m_bHandsAlarmRung = m_app.m_bVppAlarmRung = m_app.m_bTimeAlarmRung = 1;
        auto dialog = Open();
        FillPlayer(*dialog);
        Type(*dialog, Id::IDC_HANDS, QString::fromLatin1(step.hands));
        Type(*dialog, Id::IDC_VPP, QString::fromLatin1(step.vpp));
        Type(*dialog, Id::IDC_ALARM_TIME, QString::fromLatin1(step.time));

        Click(*dialog, Id::IDOK);

        ASSERT_FALSE(dialog->isVisible());
        EXPECT_EQ(m_app.m_bHandsAlarmRung, step.rungAfter) << step.hands;
        EXPECT_EQ(m_app.m_bVppAlarmRung, step.rungAfter) << step.vpp;
        EXPECT_EQ(m_app.m_bTimeAlarmRung, step.rungAfter) << step.time;
    }
    EXPECT_EQ(m_app.m_nHandsAlarm, 800);
    EXPECT_EQ(m_app.m_nVppAlarm, 6);
    EXPECT_EQ(m_app.m_nTimeAlarmMinutes, 45);
}

// ---- The two fields a reload would have undone

TEST_F(DlgSettingsTest, PickingAColourKeepsWhatWasTypedElsewhere)
{
    m_app.m_bHandsAlarm = m_app.m_bTimeAlarm = 1;
    auto dialog = Open();
    Type(*dialog, Id::IDC_NICKNAME, QStringLiteral("Typed"));
    Type(*dialog, Id::IDC_HANDS, QStringLiteral("800"));
    Type(*dialog, Id::IDC_ALARM_TIME, QStringLiteral("0215"));

    auto* vpp = Item<CColorButton>(*dialog, Id::IDC_COLOR_VPP);
    vpp->ShowPopup();
    vpp->Popup()->PaletteButtons().at(6)->click();

    EXPECT_EQ(m_app.m_crColorText3, 0x0000FFu); // red, at once
    EXPECT_EQ(vpp->GetColor(), QColor(255, 0, 0));
    EXPECT_EQ(Edit(*dialog, Id::IDC_NICKNAME)->text(), QStringLiteral("Typed"));
    EXPECT_EQ(Edit(*dialog, Id::IDC_HANDS)->text(), QStringLiteral("800"));
    EXPECT_EQ(Edit(*dialog, Id::IDC_ALARM_TIME)->displayText(), QStringLiteral("02:15"));
}

TEST_F(DlgSettingsTest, AutoFillsNicknameAndFolderAndKeepsTheRest)
{
    m_wine.WriteUserIni(ClientIni().Options("D:\\Hands").Text());
    m_app.m_bHandsAlarm = m_app.m_bVppAlarm = 1;
    auto dialog = Open();
    Type(*dialog, Id::IDC_NICKNAME, QStringLiteral("Typed"));
    Type(*dialog, Id::IDC_HANDS, QStringLiteral("800"));
    Type(*dialog, Id::IDC_VPP_SOUND, QStringLiteral("/typed.wav"));

    Click(*dialog, Id::IDC_AUTO);

    EXPECT_EQ(Edit(*dialog, Id::IDC_NICKNAME)->text(), QStringLiteral("Hero"));
    EXPECT_EQ(Edit(*dialog, Id::IDC_HISTORY)->text(),
              QString::fromStdWString(Wide(m_wine.DriveD())) + QStringLiteral("/Hands/Hero"));
    EXPECT_EQ(Edit(*dialog, Id::IDC_HANDS)->text(), QStringLiteral("800"));
    EXPECT_EQ(Edit(*dialog, Id::IDC_VPP_SOUND)->text(), QStringLiteral("/typed.wav"));
    EXPECT_TRUE(fs::exists(m_wine.DriveD()) && !fs::exists(ConfPath()));
}

// ---- Controls

TEST_F(DlgSettingsTest, AlarmCheckBoxesSwitchTheirControlsAndKeepTypedValues)
{
    m_app.m_bVppAlarm = 1;
    auto dialog = Open();
    const std::vector<int> hands = {Id::IDC_HANDS, Id::IDC_HANDS_SPIN, Id::IDC_HANDS_SOUND,
                                    Id::IDC_PLAY_HANDS};
    const std::vector<int> vpp = {Id::IDC_VPP, Id::IDC_VPP_SPIN, Id::IDC_VPP_SOUND,
                                  Id::IDC_PLAY_VPP};
    const std::vector<int> time = {Id::IDC_ALARM_TIME, Id::IDC_TIME_SOUND, Id::IDC_PLAY_TIME};
    const auto enabled = [&](const std::vector<int>& ids, bool expected) {
        for (int id : ids)
            EXPECT_EQ(dialog->GetDlgItem(id)->isEnabled(), expected) << id;
    };
    enabled(hands, false);
    enabled(vpp, true);
    enabled(time, false);

    Click(*dialog, Id::IDC_HANDS_ON);
    Type(*dialog, Id::IDC_HANDS, QStringLiteral("850"));
    Click(*dialog, Id::IDC_VPP_ON);
    Click(*dialog, Id::IDC_TIME_ON);

    enabled(hands, true);
    enabled(vpp, false);
    enabled(time, true);
    EXPECT_EQ(Edit(*dialog, Id::IDC_HANDS)->text(), QStringLiteral("850"));
    EXPECT_TRUE(Item<CBrowseEdit>(*dialog, Id::IDC_HANDS_SOUND)->BrowseButton()->isEnabled());
    EXPECT_FALSE(Item<CBrowseEdit>(*dialog, Id::IDC_VPP_SOUND)->BrowseButton()->isEnabled());
}

TEST_F(DlgSettingsTest, PlayButtonsPlayTheFileOrTheBuiltInSoundThroughTheOnePlayer)
{
    m_app.m_bHandsAlarm = m_app.m_bVppAlarm = m_app.m_bTimeAlarm = 1;
    auto dialog = Open();
    Type(*dialog, Id::IDC_VPP_SOUND, QStringLiteral("/sounds/my vpp.wav"));

    for (int id : {Id::IDC_PLAY_HANDS, Id::IDC_PLAY_VPP, Id::IDC_PLAY_TIME})
        QTest::mouseClick(dialog->GetDlgItem(id), Qt::LeftButton, {},
                          dialog->GetDlgItem(id)->rect().center());

    EXPECT_EQ(m_sound.played,
              (std::vector<QString>{QStringLiteral("#156"), QStringLiteral("/sounds/my vpp.wav"),
                                    QStringLiteral("#169")}));
    auto* play = Item<CxSkinButton>(*dialog, Id::IDC_PLAY_HANDS);
    EXPECT_EQ(play->size(), QSize(24, 24));
    EXPECT_EQ(play->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(DlgSettingsTest, BrowsingStartsAtTheFieldAndACancelChangesNothing)
{
    m_app.m_bHandsAlarm = 1;
    auto dialog = Open();
    Type(*dialog, Id::IDC_HANDS_SOUND, QStringLiteral("/old/hands.wav"));
    QToolButton* browse = Item<CBrowseEdit>(*dialog, Id::IDC_HANDS_SOUND)->BrowseButton();

    QTest::mouseClick(browse, Qt::LeftButton); // cancelled: no answer queued

    EXPECT_EQ(m_prompts.lastStart, QStringLiteral("/old/hands.wav"));
    EXPECT_EQ(m_prompts.lastFilter, QStringLiteral("Wave Files (*.wav)"));
    EXPECT_EQ(Edit(*dialog, Id::IDC_HANDS_SOUND)->text(), QStringLiteral("/old/hands.wav"));

    m_prompts.files.push_back(QStringLiteral("/new/hands.wav"));
    QTest::mouseClick(browse, Qt::LeftButton);
    EXPECT_EQ(Edit(*dialog, Id::IDC_HANDS_SOUND)->text(), QStringLiteral("/new/hands.wav"));
}

TEST(FileFilterTest, WindowsFiltersBecomeQtFilters)
{
    EXPECT_EQ(QtFileFilter(QStringLiteral("Wave Files(*.wav)|*.wav||")),
              QStringLiteral("Wave Files (*.wav)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("Logs|*.log;*.txt|All Files (*.*)|*.*||")),
              QStringLiteral("Logs (*.log *.txt);;All Files (*.*)"));
    EXPECT_EQ(QtFileFilter(QString()), QString());
}

TEST_F(DlgSettingsTest, ColourButtonsOfferTheirDefaultsAPaletteAndOther)
{
    m_app.m_crColorText = m_app.m_crColorText2 = m_app.m_crColorText3 = m_app.m_crColorBg = 0;
    auto dialog = Open();
    const std::pair<int, std::uint32_t CZellwickApp::*> buttons[] = {
        {Id::IDC_COLOR_TIME, &CZellwickApp::m_crColorText},
        {Id::IDC_COLOR_HANDS, &CZellwickApp::m_crColorText2},
        {Id::IDC_COLOR_VPP, &CZellwickApp::m_crColorText3},
        {Id::IDC_COLOR_BG, &CZellwickApp::m_crColorBg},
    };
    const std::uint32_t defaults[] = {0xFFFFFF, 0x00C313, 0x00C0FF, 0x37323D};
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        auto* button = Item<CColorButton>(*dialog, buttons[i].first);
        EXPECT_EQ(button->text(), QStringLiteral("Color"));
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_NE(button->Popup(), nullptr);
        EXPECT_TRUE(button->Popup()->isVisible());
        QTest::mouseClick(button->Popup()->DefaultButton(), Qt::LeftButton);
        EXPECT_EQ(m_app.*(buttons[i].second), defaults[i]);
        EXPECT_TRUE(WaitFor([&] { return button->Popup() == nullptr; }));
    }

    // Five columns: the sixth colour starts the second row.
    auto* time = Item<CColorButton>(*dialog, Id::IDC_COLOR_TIME);
    time->ShowPopup();
    const auto& palette = time->Popup()->PaletteButtons();
    ASSERT_GE(palette.size(), 10u);
    EXPECT_EQ(palette[5]->x(), palette[0]->x());
    EXPECT_GT(palette[5]->y(), palette[4]->y());

    // "Other" starts at the current colour; cancelled, the colour stays.
    time->Popup()->OtherButton()->click();
    EXPECT_EQ(m_prompts.lastInitialColour, QColor(255, 255, 255));
    EXPECT_EQ(m_app.m_crColorText, 0xFFFFFFu);
}

TEST_F(DlgSettingsTest, SizeListShowsTheAppliedSizeAndOpacityItsPercent)
{
    m_app.m_nSize = 0;
    m_app.m_nAppliedSize = 2;
    m_app.m_nOpacity = 60;
    auto dialog = Open();
    auto* size = Item<QComboBox>(*dialog, Id::IDC_SIZE);
    auto* opacity = Item<QSlider>(*dialog, Id::IDC_OPACITY);
    auto* percent = Item<QLabel>(*dialog, Id::IDC_OPACITY_LABEL);

    ASSERT_EQ(size->count(), 3);
    EXPECT_EQ(size->itemText(0), QStringLiteral("Small"));
    EXPECT_EQ(size->itemText(1), QStringLiteral("Medium"));
    EXPECT_EQ(size->itemText(2), QStringLiteral("Large"));
    EXPECT_EQ(size->currentIndex(), 2);
    EXPECT_EQ(opacity->minimum(), 1);
    EXPECT_EQ(opacity->maximum(), 100);
    EXPECT_EQ(percent->text(), QStringLiteral("60%"));

    opacity->setFocus();
    QTest::keyClick(opacity, Qt::Key_End);
    EXPECT_EQ(percent->text(), QStringLiteral("100%"));
    EXPECT_EQ(m_app.m_nOpacity, 60); // not before OK
}

TEST_F(DlgSettingsTest, SpinsStepTheirEditWithinOneTo9999)
{
    m_app.m_nHandsAlarm = 9998;
    m_app.m_bHandsAlarm = 1;
    auto dialog = Open();
    QLineEdit* hands = Edit(*dialog, Id::IDC_HANDS);
    auto* spin = Item<CSpinButton>(*dialog, Id::IDC_HANDS_SPIN);
    EXPECT_EQ(spin->Lower(), 1);
    EXPECT_EQ(spin->Upper(), 9999);

    QTest::keyClick(hands, Qt::Key_Up);
    QTest::keyClick(hands, Qt::Key_Up);
    EXPECT_EQ(hands->text(), QStringLiteral("9999"));
    Type(*dialog, Id::IDC_HANDS, QStringLiteral("0"));
    QTest::keyClick(hands, Qt::Key_Up);
    EXPECT_EQ(hands->text(), QStringLiteral("1"));
    QTest::keyClick(hands, Qt::Key_Down);
    EXPECT_EQ(hands->text(), QStringLiteral("1"));
    // An empty edit steps from the last good number.
    Type(*dialog, Id::IDC_HANDS, QStringLiteral("42"));
    Type(*dialog, Id::IDC_HANDS, QString());
    spin->StepBy(1);
    EXPECT_EQ(hands->text(), QStringLiteral("43"));
}

TEST_F(DlgSettingsTest, TemplateSizeTitleAndTidyControls)
{
    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Settings..."));
    const QScreen* screen = dialog->screen();
    if (qRound(screen->logicalDotsPerInchX()) == 96 &&
        qRound(screen->logicalDotsPerInchY()) == 96) {
        EXPECT_EQ(dialog->size(), QSize(609, 333)); // 406 x 205 dialog units
    }
    for (int id : {Id::IDOK, Id::IDCANCEL, Id::IDC_AUTO})
        EXPECT_EQ(dialog->GetDlgItem(id)->cursor().shape(), Qt::PointingHandCursor) << id;
    EXPECT_FALSE(Item<QPushButton>(*dialog, Id::IDC_AUTO)->icon().isNull());

    // Every control inside the dialog, and every caption fits its control.
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        if (!child->isWindow() && child->parentWidget() == dialog.get()) {
            EXPECT_TRUE(dialog->rect().contains(child->geometry()))
                << child->metaObject()->className();
        }
        if (auto* push = qobject_cast<QPushButton*>(child)) {
            // Push buttons ask for a minimum width of their own; their caption must fit.
            const int needed = push->fontMetrics().horizontalAdvance(push->text()) +
                               (push->icon().isNull() ? 0 : push->iconSize().width()) + 8;
            EXPECT_LE(needed, push->width()) << push->text().toStdString();
        } else if (qobject_cast<QLabel*>(child) || qobject_cast<QCheckBox*>(child)) {
            EXPECT_LE(child->sizeHint().width(), child->width())
                << child->objectName().toStdString();
            EXPECT_LE(child->sizeHint().height(), child->height() + 2);
        }
    }
}

// ---- The history folder

TEST(MakeHistoryPathTest, NicknameIsJoinedOnceWithOneSeparator)
{
    struct Case
    {
        const wchar_t* folder;
        const wchar_t* result;
        int k;
    };
    const Case cases[] = {
        {L"/hh", L"/hh/Hero", 1},
        {L"/hh/", L"/hh/Hero", 1},
        {L"/hh/Hero", L"/hh/Hero", 0},
        {L"/hh/hero", L"/hh/hero/Hero", 1}, // names differ in case on this file system
        {L"/hh/SuperHero", L"/hh/SuperHero/Hero", 1},
        {L"", L"", 0},
    };
    for (const Case& c : cases) {
        int k = -1;
        EXPECT_EQ(CDlgSettings::MakeHistoryPath(L"Hero", c.folder, k), c.result) << c.folder;
        EXPECT_EQ(k, c.k) << c.folder;
    }
}

} // namespace
