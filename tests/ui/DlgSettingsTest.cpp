// The settings dialog driven as a user drives it: typing, clicking, browsing, picking colours,
// OK and Cancel, with the settings file, the log and the application object checked after.

#include "ui/DlgSettings.h"

#include "app/WideText.h"
#include "app/ZellwickApp.h"
#include "tests/ui/SettingsTestSupport.h"
#include "ui/CxSkinButton.h"
#include "ui/SettingsControls.h"
#include "ui/WindowLook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace zellwick::test;
using Id = CDlgSettings::ControlId;
using Sections = std::map<std::string, std::map<std::string, std::string>>;

class DlgSettingsTest : public ::testing::Test
{
protected:
    DlgSettingsTest() : m_app(m_logDir.wpath(), L"ZellwickTest_Settings") { m_app.LoadSettings(); }
    ~DlgSettingsTest() override { fs::remove(ConfPath()); }

    std::unique_ptr<CDlgSettings> Open()
    {
        auto dialog = std::make_unique<CDlgSettings>(m_app, m_sound, nullptr, &m_prompts);
        dialog->show();
        return dialog;
    }
    template <typename T>
    static T* Item(const CDlgSettings& dialog, int id)
    {
        return qobject_cast<T*>(dialog.GetDlgItem(id));
    }
    static void Click(const CDlgSettings& dialog, int id)
    {
        QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton, {},
                          dialog.GetDlgItem(id)->rect().center());
    }
    void FillPlayer(const CDlgSettings& dialog) const
    {
        Type(dialog, Id::IDC_NICKNAME, QStringLiteral("Hero"));
        Type(dialog, Id::IDC_HISTORY, QString::fromStdString(Hands()));
    }
    static void PickColour(const CDlgSettings& dialog, int id, int entry) // -1 Default, -2 Other
    {
        auto* button = Item<CColorButton>(dialog, id);
        button->ShowPopup();
        CColorPopup* popup = button->Popup();
        (entry == -1   ? popup->DefaultButton()
         : entry == -2 ? popup->OtherButton()
                       : popup->PaletteButtons().at(static_cast<std::size_t>(entry)))
            ->click();
    }
    fs::path ConfPath() const
    {
        return fs::path(std::getenv("XDG_CONFIG_HOME")) / "Tervalon" / "ZellwickTest_Settings.conf";
    }
    Sections Stored() const
    {
        Sections sections;
        std::istringstream in(fs::exists(ConfPath()) ? ReadFile(ConfPath()) : "");
        std::string section;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.front() == '[')
                section = line.substr(1, line.find(']') - 1);
            else if (const auto equals = line.find('='); equals != std::string::npos)
                sections[section][line.substr(0, equals)] = line.substr(equals + 1);
        }
        return sections;
    }
    std::vector<std::string> SettingsLog() const
    {
        std::vector<std::string> lines;
        std::istringstream in(ReadFile(m_logDir / "Zellwick.log"));
        for (std::string line; std::getline(in, line);) {
            if (const auto at = line.find("Settings_"); at != std::string::npos)
                lines.push_back(line.substr(at));
        }
        return lines;
    }
    std::string Hands() const { return m_hands.path().string(); }

    TempWinePrefix m_wine;
    TempDir m_logDir;
    TempDir m_hands;
    CZellwickApp m_app;
    FakePrompts m_prompts;
    FakeSoundPlayer m_sound;
};

TEST_F(DlgSettingsTest, OkStoresEveryValueInItsStoredFormAndLogsIt)
{
    WriteFile(m_hands / "hands.wav", WaveBytes());
    auto dialog = Open();
    Type(*dialog, Id::IDC_NICKNAME, QStringLiteral("Hero"));
    m_prompts.folders.push_back(QString::fromStdString(Hands()));
    Item<CBrowseEdit>(*dialog, Id::IDC_HISTORY)->BrowseButton()->click();
    Click(*dialog, Id::IDC_HANDS_ON);
    Type(*dialog, Id::IDC_HANDS, QStringLiteral("800"));
    m_prompts.files.push_back(QString::fromStdString(Hands() + "/hands.wav"));
    Item<CBrowseEdit>(*dialog, Id::IDC_HANDS_SOUND)->BrowseButton()->click();
    EXPECT_EQ(m_prompts.lastFilter, QStringLiteral("Wave Files (*.wav)"));
    Click(*dialog, Id::IDC_VPP_ON);
    Type(*dialog, Id::IDC_VPP, QStringLiteral("25"));
    Type(*dialog, Id::IDC_VPP_SOUND, QStringLiteral("/sounds/vpp.wav"));
    Click(*dialog, Id::IDC_VPP_ON); // off again: its sound is not checked
    Click(*dialog, Id::IDC_TIME_ON);
    Type(*dialog, Id::IDC_ALARM_TIME, QStringLiteral("0130"));
    Click(*dialog, Id::IDC_RUN_ON_START);
    Item<QComboBox>(*dialog, Id::IDC_SIZE)->setCurrentIndex(1);
    Item<QSlider>(*dialog, Id::IDC_OPACITY)->setValue(60);
    PickColour(*dialog, Id::IDC_COLOR_BG, 0); // black, the palette's first
    m_prompts.colours.push_back(QColor(1, 2, 3));
    PickColour(*dialog, Id::IDC_COLOR_TIME, -2);
    m_app.m_crColorText2 = 0x123456;
    PickColour(*dialog, Id::IDC_COLOR_HANDS, -1);

    Click(*dialog, Id::IDOK);

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(m_prompts.messages.empty());
    const Sections expected = {
        {"BaseInfo", {{"Nickname", "Hero"}, {"History", Hands() + "/Hero"}, {"RunOnStart", "1"}}},
        {"View",
         {{"ColorBg", "0"},
          {"ColorText", "197121"},
          {"ColorText2", "49939"},
          {"ColorText3", "49407"},
          {"Size", "1"},
          {"Opacity", "60"}}},
        {"Alarm", {{"Param", "1:800"}, {"Sound", Hands() + "/hands.wav"}}},
        {"Alarm2", {{"Param", "0:25"}, {"Sound", "/sounds/vpp.wav"}}},
        {"Alarm3", {{"Param", "1:90"}, {"Sound", ""}}},
    };
    EXPECT_EQ(Stored(), expected);
    EXPECT_EQ(m_app.m_strAlarmTime, L"01:30");
    EXPECT_EQ(SettingsLog(),
              (std::vector<std::string>{"Settings_1: NickName = Hero Path = " + Hands(),
                                        "Settings_2: NickName = Hero Path = " + Hands(),
                                        "Settings_3: NickName = Hero Path = " + Hands() + " k = 1",
                                        "Settings_4: RunOnStart = 1"}));
}

TEST_F(DlgSettingsTest, CancelEscapeAndEnterStoreNothing)
{
    for (const bool escape : {false, true}) {
        auto dialog = Open();
        FillPlayer(*dialog);
        Click(*dialog, Id::IDC_HANDS_ON);
        for (int id : {Id::IDC_NICKNAME, Id::IDC_HANDS, Id::IDC_ALARM_TIME})
            QTest::keyClick(EditOf(*dialog, id), Qt::Key_Return);
        dialog->GetDlgItem(Id::IDOK)->setFocus();
        QTest::keyClick(dialog->GetDlgItem(Id::IDOK), Qt::Key_Enter);
        EXPECT_TRUE(dialog->isVisible()) << "Enter never closes it";
        if (escape)
            QTest::keyClick(EditOf(*dialog, Id::IDC_HANDS), Qt::Key_Escape);
        else
            Click(*dialog, Id::IDCANCEL);
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        EXPECT_FALSE(dialog->isVisible());
    }
    EXPECT_FALSE(fs::exists(ConfPath()));
    EXPECT_TRUE(SettingsLog().empty());
    EXPECT_EQ(m_app.m_strNickname, L"");
    EXPECT_EQ(m_app.m_bHandsAlarm, 0);
}

// Each refusal: its message, the dialog stays open (at the field, for the framework's number
// checks and the sound), nothing is stored.
TEST_F(DlgSettingsTest, RefusedEntriesKeepTheDialogOpenAndStoreNothing)
{
    WriteFile(m_hands / "cut.wav", WaveBytes().substr(0, 100));
    const std::string cut = Hands() + "/cut.wav";
    const std::tuple<int, std::string, std::string, bool> refusals[] = {
        {Id::IDC_HANDS, "", "Enter an integer.", true},
        {Id::IDC_HANDS, "0", "Enter an integer between 1 and 9999.", true},
        {Id::IDC_HANDS, "10000", "Enter an integer between 1 and 9999.", true},
        {Id::IDC_VPP, "", "Enter an integer.", true},
        {Id::IDC_VPP, "99999999999", "Enter an integer.", true},
        {Id::IDC_ALARM_TIME, "123", "Alarm time format 00:00 !", false},
        {Id::IDC_TIME_SOUND, cut, "Sound file is not a playable WAV: " + cut, true},
        {Id::IDC_VPP_SOUND, "/no/such.wav", "Sound file is not a playable WAV: /no/such.wav", true},
        {Id::IDC_NICKNAME, "", "Enter nickname!", false}, // no client file to find it in
        {Id::IDC_HISTORY, "", "Enter history path!", false},
    };
    for (const auto& [field, typed, message, focused] : refusals) {
        SCOPED_TRACE(message);
        m_prompts.messages.clear();
        m_app.m_bHandsAlarm = m_app.m_bVppAlarm = m_app.m_bTimeAlarm = 1;
        auto dialog = Open();
        FillPlayer(*dialog);
        Type(*dialog, field, QString::fromStdString(typed));
        EditOf(*dialog, Id::IDC_NICKNAME)->setFocus();
        Click(*dialog, Id::IDOK);
        EXPECT_EQ(m_prompts.messages, std::vector<QString>{QString::fromStdString(message)});
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->focusWidget() == EditOf(*dialog, field), focused);
    }
    EXPECT_EQ(m_prompts.icons.back(), DialogPrompts::Icon::Information);
    EXPECT_FALSE(fs::exists(ConfPath()));
    EXPECT_EQ(m_app.m_strHistoryPath, L"") << "no \"/Hero\" made of an empty folder";
}

TEST_F(DlgSettingsTest, NumbersAndTimeTakeOnlyDigitsAndAnyTwoDigitPairs)
{
    m_app.m_bHandsAlarm = m_app.m_bVppAlarm = m_app.m_bTimeAlarm = 1;
    m_app.m_strAlarmTime = L"100:39"; // stored as 6039 minutes: more than the field holds
    m_app.m_nTimeAlarmMinutes = 6039;
    auto dialog = Open();
    EXPECT_EQ(EditOf(*dialog, Id::IDC_ALARM_TIME)->displayText(), "99:99");
    FillPlayer(*dialog);
    Type(*dialog, Id::IDC_HANDS, QStringLiteral("-8a0x0"));
    Type(*dialog, Id::IDC_VPP, QStringLiteral("0"));
    Type(*dialog, Id::IDC_ALARM_TIME, QStringLiteral("9x9:98"));
    EXPECT_EQ(EditOf(*dialog, Id::IDC_HANDS)->text(), "800");
    EXPECT_EQ(EditOf(*dialog, Id::IDC_ALARM_TIME)->displayText(), "99:98");
    QTest::keyClick(EditOf(*dialog, Id::IDC_HANDS), Qt::Key_Up);
    EXPECT_EQ(EditOf(*dialog, Id::IDC_HANDS)->text(), "801");
    Type(*dialog, Id::IDC_HANDS, QStringLiteral("9999"));
    Item<CSpinButton>(*dialog, Id::IDC_HANDS_SPIN)->StepBy(1);
    EXPECT_EQ(EditOf(*dialog, Id::IDC_HANDS)->text(), "9999") << "within 1 to 9999";
    Click(*dialog, Id::IDOK);
    EXPECT_TRUE(m_prompts.messages.empty());
    EXPECT_EQ(Stored()["Alarm"]["Param"], "1:9999");
    EXPECT_EQ(Stored()["Alarm2"]["Param"], "1:0");
    EXPECT_EQ(Stored()["Alarm3"]["Param"], "1:6038");
    EXPECT_EQ(m_app.m_strAlarmTime, L"99:98");
}

TEST_F(DlgSettingsTest, RaisingAThresholdRearmsItsAlarmAndLoweringDoesNot)
{
    // From 700 hands, 10 VPP and 01:00: kept, lowered, raised.
    const std::tuple<const char*, const char*, const char*, int> steps[] = {
        {"700", "10", "0100", 1}, {"600", "5", "0030", 1}, {"800", "6", "0045", 0}};
    m_app.m_bHandsAlarm = m_app.m_bVppAlarm = m_app.m_bTimeAlarm = 1;
    for (const auto& [hands, vpp, time, rung] : steps) {
        m_app.m_bHandsAlarmRung = m_app.m_bVppAlarmRung = m_app.m_bTimeAlarmRung = 1;
        auto dialog = Open();
        FillPlayer(*dialog);
        Type(*dialog, Id::IDC_HANDS, hands);
        Type(*dialog, Id::IDC_VPP, vpp);
        Type(*dialog, Id::IDC_ALARM_TIME, time);
        Click(*dialog, Id::IDOK);
        ASSERT_FALSE(dialog->isVisible());
        EXPECT_EQ(m_app.m_bHandsAlarmRung + m_app.m_bVppAlarmRung + m_app.m_bTimeAlarmRung,
                  3 * rung)
            << hands;
    }
}

TEST_F(DlgSettingsTest, TypedValuesSurviveColoursAutoAndTheAlarmSwitches)
{
    m_wine.WriteUserIni(ClientIni("Hero", "D:\\Hands"));
    m_app.m_bVppAlarm = 1;
    auto dialog = Open();
    const std::vector<int> hands = {Id::IDC_HANDS, Id::IDC_HANDS_SPIN, Id::IDC_HANDS_SOUND,
                                    Id::IDC_PLAY_HANDS};
    const auto enabled = [&dialog](std::initializer_list<int> ids) {
        return std::all_of(ids.begin(), ids.end(),
                           [&dialog](int id) { return dialog->GetDlgItem(id)->isEnabled(); });
    };
    EXPECT_FALSE(enabled({Id::IDC_HANDS}) || enabled({Id::IDC_PLAY_HANDS}));
    EXPECT_TRUE(enabled({Id::IDC_VPP, Id::IDC_VPP_SPIN, Id::IDC_VPP_SOUND, Id::IDC_PLAY_VPP}));
    EXPECT_FALSE(enabled({Id::IDC_ALARM_TIME}) || enabled({Id::IDC_PLAY_TIME}));
    Click(*dialog, Id::IDC_HANDS_ON);
    EXPECT_TRUE(
        enabled({Id::IDC_HANDS, Id::IDC_HANDS_SPIN, Id::IDC_HANDS_SOUND, Id::IDC_PLAY_HANDS}));
    Type(*dialog, Id::IDC_NICKNAME, QStringLiteral("Typed"));
    Type(*dialog, Id::IDC_HANDS, QStringLiteral("850"));
    Click(*dialog, Id::IDC_VPP_ON);
    EXPECT_FALSE(Item<CBrowseEdit>(*dialog, Id::IDC_VPP_SOUND)->BrowseButton()->isEnabled());
    PickColour(*dialog, Id::IDC_COLOR_VPP, 6);
    EXPECT_EQ(m_app.m_crColorText3, 0x0000FFu) << "red, at once";
    EXPECT_EQ(EditOf(*dialog, Id::IDC_NICKNAME)->text(), "Typed");
    Click(*dialog, Id::IDC_AUTO);
    EXPECT_EQ(EditOf(*dialog, Id::IDC_NICKNAME)->text(), "Hero");
    EXPECT_EQ(EditOf(*dialog, Id::IDC_HISTORY)->text(),
              QString::fromStdWString(Wide(m_wine.DriveD())) + "/Hands/Hero");
    EXPECT_EQ(EditOf(*dialog, Id::IDC_HANDS)->text(), "850");
    EXPECT_FALSE(fs::exists(ConfPath()));
}

// Found at OK: the folder (typed nickname), the nickname (typed folder), or both.
TEST_F(DlgSettingsTest, AnEmptyNicknameOrFolderIsFoundInTheClientFileAtOk)
{
    const std::string d = m_wine.DriveD().string() + "/Hands";
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        {ClientIni("Other", "D:\\Hands\\"), "Hero", "", d + "/Hero"},
        {ClientIni("Hero", "D:\\Hands\\"), "", Hands(), Hands() + "/Hero"},
        {ClientIni("Hero", "D:\\Hands"), "", "", d + "/Hero"}};
    for (const auto& [ini, nickname, folder, history] : cases) {
        m_wine.WriteUserIni(ini);
        auto dialog = Open();
        Type(*dialog, Id::IDC_NICKNAME, QString::fromStdString(nickname));
        Type(*dialog, Id::IDC_HISTORY, QString::fromStdString(folder));
        Click(*dialog, Id::IDOK);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(Stored()["BaseInfo"]["Nickname"], "Hero");
        EXPECT_EQ(Stored()["BaseInfo"]["History"], history);
    }
    EXPECT_EQ(SettingsLog().at(1), "Settings_2: NickName = Hero Path = " + d + "/");
    EXPECT_EQ(SettingsLog().back(), "Settings_4: RunOnStart = 0");
    EXPECT_EQ(SettingsLog().end()[-2], "Settings_3: NickName = Hero Path = " + d + "/Hero k = 0");
}

TEST_F(DlgSettingsTest, AFolderThatIsNotThereIsAskedAboutAndOneOfHistoriesOfferedAsItIs)
{
    const std::string joined = Hands() + "/Hero";
    auto dialog = Open();
    FillPlayer(*dialog);
    m_prompts.answers = {false};
    Click(*dialog, Id::IDOK);
    EXPECT_EQ(m_prompts.questions, std::vector<QString>{QString::fromStdString(
                                       "The folder " + joined + " does not exist. Keep it?")});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(fs::exists(ConfPath()));
    Click(*dialog, Id::IDOK); // Yes: the client makes it with the first hand
    EXPECT_EQ(Stored()["BaseInfo"]["History"], joined);

    WriteFile(m_hands / "HH20261207 Una.txt", "");
    dialog = Open();
    FillPlayer(*dialog);
    m_prompts.questions.clear();
    Click(*dialog, Id::IDOK);
    ASSERT_EQ(m_prompts.questions.size(), 1u);
    EXPECT_TRUE(m_prompts.questions[0].contains("holds hand histories"));
    EXPECT_EQ(Stored()["BaseInfo"]["History"], Hands());
    dialog = Open(); // the same folder again: nothing more to ask
    Click(*dialog, Id::IDOK);
    EXPECT_EQ(m_prompts.questions.size(), 1u);

    fs::create_directories(joined); // an existing folder: no question, nor a second nickname
    dialog = Open();
    Type(*dialog, Id::IDC_HISTORY, QString::fromStdString(joined));
    Click(*dialog, Id::IDOK);
    EXPECT_EQ(m_prompts.questions.size(), 1u);
    EXPECT_EQ(SettingsLog().end()[-2], "Settings_3: NickName = Hero Path = " + joined + " k = 0");
}

TEST_F(DlgSettingsTest, PlayButtonsAndPickersWorkOnTheirFields)
{
    WriteFile(m_hands / "vpp.wav", WaveBytes());
    m_app.m_bHandsAlarm = m_app.m_bVppAlarm = m_app.m_bTimeAlarm = 1;
    m_app.m_crColorText = 0;
    auto dialog = Open();
    Type(*dialog, Id::IDC_VPP_SOUND, QString::fromStdString(Hands() + "/vpp.wav"));
    Type(*dialog, Id::IDC_TIME_SOUND, QStringLiteral("/no/such.wav"));
    for (int id : {Id::IDC_PLAY_HANDS, Id::IDC_PLAY_VPP, Id::IDC_PLAY_TIME})
        Click(*dialog, id);
    EXPECT_EQ(m_sound.played,
              (std::vector<QString>{"#156", QString::fromStdString(Hands() + "/vpp.wav"), "#169"}));
    EXPECT_EQ(Item<CxSkinButton>(*dialog, Id::IDC_PLAY_HANDS)->size(), QSize(24, 24));

    QToolButton* browse = Item<CBrowseEdit>(*dialog, Id::IDC_TIME_SOUND)->BrowseButton();
    browse->click(); // cancelled: the field stays
    EXPECT_EQ(m_prompts.lastStart, "/no/such.wav");
    EXPECT_EQ(EditOf(*dialog, Id::IDC_TIME_SOUND)->text(), "/no/such.wav");

    auto* time = Item<CColorButton>(*dialog, Id::IDC_COLOR_TIME);
    EXPECT_EQ(time->text(), "Color");
    PickColour(*dialog, Id::IDC_COLOR_TIME, -1);
    EXPECT_EQ(m_app.m_crColorText, 0xFFFFFFu) << "its default";
    for (const auto& [id, colour] : {std::pair{Id::IDC_COLOR_HANDS, 0x00C313u},
                                     {Id::IDC_COLOR_VPP, 0x00C0FFu},
                                     {Id::IDC_COLOR_BG, 0x37323Du}})
        EXPECT_EQ(Item<CColorButton>(*dialog, id)->GetDefaultColor(), FromColorRef(colour));
    time->ShowPopup();
    const auto& palette = time->Popup()->PaletteButtons();
    EXPECT_TRUE(palette.at(5)->x() == palette[0]->x() && palette[5]->y() > palette[4]->y());
    time->Popup()->OtherButton()->click(); // cancelled: the colour stays
    EXPECT_EQ(m_prompts.lastInitialColour, QColor(255, 255, 255));
    EXPECT_EQ(m_app.m_crColorText, 0xFFFFFFu);
}

TEST_F(DlgSettingsTest, TheDialogShowsTheAppliedSizeAndOpacityAndItsControlsFit)
{
    m_app.m_nAppliedSize = 2;
    m_app.m_nOpacity = 60;
    auto dialog = Open();
    auto* size = Item<QComboBox>(*dialog, Id::IDC_SIZE);
    EXPECT_EQ(size->itemText(0) + size->itemText(1) + size->itemText(2), "SmallMediumLarge");
    EXPECT_EQ(size->currentIndex(), 2);
    auto* opacity = Item<QSlider>(*dialog, Id::IDC_OPACITY);
    EXPECT_EQ(Item<QLabel>(*dialog, Id::IDC_OPACITY_LABEL)->text(), "60%");
    opacity->setValue(1000);
    EXPECT_EQ(Item<QLabel>(*dialog, Id::IDC_OPACITY_LABEL)->text(), "100%");
    EXPECT_EQ(m_app.m_nOpacity, 60) << "not before OK";
    EXPECT_EQ(dialog->windowTitle(), "Settings...");
    EXPECT_EQ(dialog->GetDlgItem(Id::IDOK)->cursor().shape(), Qt::PointingHandCursor);
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        if (child->parentWidget() == dialog.get()) {
            EXPECT_TRUE(dialog->rect().contains(child->geometry()));
        }
        if (qobject_cast<QLabel*>(child) || qobject_cast<QCheckBox*>(child)) {
            EXPECT_LE(child->sizeHint().width(), child->width());
        }
    }
}

TEST(DlgSettingsHelpersTest, HistoryPathsAlarmTimesAndFileFilters)
{
    const std::tuple<const wchar_t*, const wchar_t*, int> paths[] = {
        {L"/hh", L"/hh/Hero", 1},
        {L"/hh/", L"/hh/Hero", 1},
        {L"/hh/Hero", L"/hh/Hero", 0},
        {L"/hh/hero", L"/hh/hero/Hero", 1},
        {L"/hh/SuperHero", L"/hh/SuperHero/Hero", 1},
        {L"", L"", 0}};
    for (const auto& [folder, result, k] : paths) {
        int made = -1;
        EXPECT_EQ(CDlgSettings::MakeHistoryPath(L"Hero", folder, made), result);
        EXPECT_EQ(made, k);
    }
    EXPECT_EQ(CDlgSettings::AlarmTimeFieldText(L"01:35", 95), "01:35");
    EXPECT_EQ(CDlgSettings::AlarmTimeFieldText(L"100:00", 6000), "99:60");
    EXPECT_EQ(CDlgSettings::AlarmTimeFieldText(L"00:-5", -5), "00:00");
    EXPECT_EQ(QtFileFilter("Logs|*.log;*.txt|All Files (*.*)|*.*||"),
              "Logs (*.log *.txt);;All Files (*.*)");
}

} // namespace
