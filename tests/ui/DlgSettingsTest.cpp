// The settings dialog driven as a user drives it: typing, clicking, browsing, picking colours,
// OK and Cancel, with the settings file, the log and the application object checked after.

#include "ui/DlgSettings.h"

#include "ui/AutoDetect.h"

#include "app/WideText.h"
#include "app/ZellwickApp.h"
#include "tests/ui/SettingsTestSupport.h"
#include "ui/CxSkinButton.h"
#include "ui/SettingsControls.h"

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
    static void Check(const CDlgSettings& dialog, int id, bool on)
    {
        if (Item<QCheckBox>(dialog, id)->isChecked() != on)
            Click(dialog, id);
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
    m_app.m_nAppliedSize = 2;
    m_app.m_nOpacity = 60;
    auto dialog = Open();
    auto* size = Item<QComboBox>(*dialog, Id::IDC_SIZE);
    EXPECT_EQ(size->currentText(), "Large") << "the size the window has now";
    EXPECT_EQ(Item<QLabel>(*dialog, Id::IDC_OPACITY_LABEL)->text(), "60%");
    Type(*dialog, Id::IDC_NICKNAME, QStringLiteral("Hero"));
    m_prompts.folders.push_back(QString::fromStdString(Hands()));
    Item<CBrowseEdit>(*dialog, Id::IDC_HISTORY)->BrowseButton()->click();
    Check(*dialog, Id::IDC_HANDS_ON, true);
    Type(*dialog, Id::IDC_HANDS, QStringLiteral("-7a9x9")); // digits only
    QTest::keyClick(EditOf(*dialog, Id::IDC_HANDS), Qt::Key_Up);
    m_prompts.files.push_back(QString::fromStdString(Hands() + "/hands.wav"));
    Item<CBrowseEdit>(*dialog, Id::IDC_HANDS_SOUND)->BrowseButton()->click();
    EXPECT_EQ(m_prompts.lastFilter, QStringLiteral("Wave Files (*.wav)"));
    Check(*dialog, Id::IDC_VPP_ON, true);
    Type(*dialog, Id::IDC_VPP, QStringLiteral("25"));
    Type(*dialog, Id::IDC_VPP_SOUND, QStringLiteral("/sounds/vpp.wav"));
    Check(*dialog, Id::IDC_VPP_ON, false); // off again: its sound is not checked
    Check(*dialog, Id::IDC_TIME_ON, true);
    Type(*dialog, Id::IDC_ALARM_TIME, QStringLiteral("0130"));
    Check(*dialog, Id::IDC_RUN_ON_START, true);
    size->setCurrentIndex(1);
    Item<QSlider>(*dialog, Id::IDC_OPACITY)->setValue(1000);
    EXPECT_EQ(Item<QLabel>(*dialog, Id::IDC_OPACITY_LABEL)->text(), "100%");
    EXPECT_EQ(m_app.m_nOpacity, 60) << "not before OK";
    PickColour(*dialog, Id::IDC_COLOR_BG, 0); // black, the palette's first
    m_prompts.colours.push_back(QColor(1, 2, 3));
    PickColour(*dialog, Id::IDC_COLOR_TIME, -2);
    m_app.m_crColorText2 = 0x123456;
    PickColour(*dialog, Id::IDC_COLOR_HANDS, -1);
    Click(*dialog, Id::IDOK);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(m_prompts.messages.empty());
    // clang-format off
    const Sections expected = {
        {"BaseInfo", {{"Nickname", "Hero"}, {"History", Hands() + "/Hero"}, {"RunOnStart", "1"}}},
        {"View", {{"ColorBg", "0"}, {"ColorText", "197121"}, {"ColorText2", "49939"}, {"ColorText3", "49407"},
                  {"Size", "1"}, {"Opacity", "100"}}},
        {"Alarm", {{"Param", "1:800"}, {"Sound", Hands() + "/hands.wav"}}},
        {"Alarm2", {{"Param", "0:25"}, {"Sound", "/sounds/vpp.wav"}}},
        {"Alarm3", {{"Param", "1:90"}, {"Sound", ""}}}};
    // clang-format on
    EXPECT_EQ(Stored(), expected);
    EXPECT_EQ(m_app.m_strAlarmTime, L"01:30");
    const std::string path = " Path = " + Hands();
    EXPECT_EQ(SettingsLog(),
              (std::vector<std::string>{
                  "Settings_1: NickName = Hero" + path, "Settings_2: NickName = Hero" + path,
                  "Settings_3: NickName = Hero" + path + " k = 1", "Settings_4: RunOnStart = 1"}));
}

TEST_F(DlgSettingsTest, CancelEscapeAndEnterStoreNothing)
{
    for (const bool escape : {false, true}) {
        auto dialog = Open();
        FillPlayer(*dialog);
        Check(*dialog, Id::IDC_HANDS_ON, true);
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
    EXPECT_EQ(m_app.m_strNickname + std::to_wstring(m_app.m_bHandsAlarm), L"0");
}

// Each refusal: its message, the dialog stays open (at the field, for the number checks and
// the sounds), nothing is stored.
TEST_F(DlgSettingsTest, RefusedEntriesKeepTheDialogOpenAndStoreNothing)
{
    WriteFile(m_hands / "cut.wav", WaveBytes().substr(0, 100));
    const std::string cut = Hands() + "/cut.wav";
    const std::tuple<int, std::string, std::string, bool> refusals[] = {
        {Id::IDC_HANDS, "", "Enter an integer.", true},
        {Id::IDC_HANDS, "0", "Enter an integer between 1 and 9999.", true},
        {Id::IDC_HANDS, "10000", "Enter an integer between 1 and 9999.", true},
        {Id::IDC_VPP, "99999999999", "Enter an integer.", true},
        {Id::IDC_ALARM_TIME, "123", "Alarm time format 00:00 !", false},
        {Id::IDC_TIME_SOUND, cut, "Sound file is not a playable WAV: " + cut, true},
        {Id::IDC_VPP_SOUND, "/no/such.wav", "Sound file is not a playable WAV: /no/such.wav", true},
        {Id::IDC_NICKNAME, "", "Enter nickname!", false}, // no client file to find it in
        {Id::IDC_HISTORY, "", "Enter history path!", false},
    };
    for (const auto& [field, typed, message, focused] : refusals) {
        m_prompts.messages.clear();
        m_app.m_bHandsAlarm = m_app.m_bVppAlarm = m_app.m_bTimeAlarm = 1;
        auto dialog = Open();
        FillPlayer(*dialog);
        Type(*dialog, field, QString::fromStdString(typed));
        EditOf(*dialog, Id::IDC_NICKNAME)->setFocus();
        Click(*dialog, Id::IDOK);
        EXPECT_EQ(m_prompts.messages, std::vector<QString>{QString::fromStdString(message)});
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->focusWidget() == EditOf(*dialog, field), focused) << message;
    }
    EXPECT_EQ(m_prompts.icons.back(), DialogPrompts::Icon::Information);
    EXPECT_FALSE(fs::exists(ConfPath()));
    EXPECT_EQ(m_app.m_strHistoryPath, L"") << "no \"/Hero\" made of an empty folder";
}

// Picking a colour and "Auto" leave what was typed elsewhere alone; a switch turns its
// alarm's controls on and off.
TEST_F(DlgSettingsTest, TypedValuesSurviveColoursAutoAndTheAlarmSwitches)
{
    m_wine.WriteUserIni(ClientIni("Hero", "D:\\Hands"));
    auto dialog = Open();
    Check(*dialog, Id::IDC_HANDS_ON, true);
    for (int id : {Id::IDC_HANDS_SPIN, Id::IDC_PLAY_HANDS, Id::IDC_VPP_SPIN, Id::IDC_PLAY_TIME})
        EXPECT_EQ(dialog->GetDlgItem(id)->isEnabled(),
                  id == Id::IDC_HANDS_SPIN || id == Id::IDC_PLAY_HANDS);
    Type(*dialog, Id::IDC_HANDS, QStringLiteral("850"));
    PickColour(*dialog, Id::IDC_COLOR_VPP, 6);
    EXPECT_EQ(m_app.m_crColorText3, 0x0000FFu) << "red, at once";
    Click(*dialog, Id::IDC_AUTO);
    EXPECT_EQ(EditOf(*dialog, Id::IDC_NICKNAME)->text() + EditOf(*dialog, Id::IDC_HANDS)->text(),
              "Hero850");
    EXPECT_EQ(EditOf(*dialog, Id::IDC_HISTORY)->text(),
              QString::fromStdWString(Wide(m_wine.DriveD())) + "/Hands/Hero");
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
    EXPECT_FALSE(fs::exists(ConfPath()));
    Click(*dialog, Id::IDOK); // Yes: the client makes it with the first hand
    EXPECT_EQ(Stored()["BaseInfo"]["History"], joined);
    WriteFile(m_hands / "HH20261207 Una.txt", "");
    dialog = Open();
    FillPlayer(*dialog);
    Click(*dialog, Id::IDOK);
    ASSERT_EQ(m_prompts.questions.size(), 3u);
    EXPECT_TRUE(m_prompts.questions[2].contains("holds hand histories"));
    EXPECT_EQ(Stored()["BaseInfo"]["History"], Hands());
    Click(*Open(), Id::IDOK); // the same folder again: nothing more to ask
    fs::create_directories(joined);
    dialog = Open();
    Type(*dialog, Id::IDC_HISTORY, QString::fromStdString(joined));
    Click(*dialog, Id::IDOK); // it is there: no question, nor a second nickname
    EXPECT_EQ(m_prompts.questions.size(), 3u);
    EXPECT_EQ(SettingsLog().end()[-2], "Settings_3: NickName = Hero Path = " + joined + " k = 0");
}

// A sound that cannot play rings the built-in one here too; pickers start at the field.
TEST_F(DlgSettingsTest, PlayButtonsAndPickersWorkOnTheirFields)
{
    WriteFile(m_hands / "vpp.wav", WaveBytes());
    m_app.m_bHandsAlarm = m_app.m_bVppAlarm = m_app.m_bTimeAlarm = 1;
    auto dialog = Open();
    Type(*dialog, Id::IDC_VPP_SOUND, QString::fromStdString(Hands() + "/vpp.wav"));
    Type(*dialog, Id::IDC_TIME_SOUND, QStringLiteral("/no/such.wav"));
    for (int id : {Id::IDC_PLAY_HANDS, Id::IDC_PLAY_VPP, Id::IDC_PLAY_TIME})
        Click(*dialog, id);
    EXPECT_EQ(m_sound.played,
              (std::vector<QString>{"#156", QString::fromStdString(Hands() + "/vpp.wav"), "#169"}));
    EXPECT_EQ(Item<CxSkinButton>(*dialog, Id::IDC_PLAY_HANDS)->size(), QSize(24, 24));
    Item<CBrowseEdit>(*dialog, Id::IDC_TIME_SOUND)->BrowseButton()->click(); // cancelled
    EXPECT_EQ(m_prompts.lastStart, "/no/such.wav");
    EXPECT_EQ(EditOf(*dialog, Id::IDC_TIME_SOUND)->text(), "/no/such.wav");
    m_prompts.colours.clear(); // "Other" cancelled: the colour stays
    PickColour(*dialog, Id::IDC_COLOR_TIME, -2);
    EXPECT_EQ(m_prompts.lastInitialColour, QColor(255, 255, 255));
    EXPECT_EQ(m_app.m_crColorText, 0xFFFFFFu);
}

TEST(DlgSettingsHelpersTest, HistoryPathsAlarmTimesAndFileFilters)
{
    // clang-format off
    const std::tuple<const wchar_t*, const wchar_t*, int> paths[] = {
        {L"/hh", L"/hh/Hero", 1}, {L"/hh/", L"/hh/Hero", 1}, {L"/hh/Hero", L"/hh/Hero", 0},
        {L"/hh/hero", L"/hh/hero/Hero", 1}, {L"/hh/SuperHero", L"/hh/SuperHero/Hero", 1}, {L"", L"", 0}};
    // clang-format on
    for (const auto& [folder, result, k] : paths) {
        int made = -1;
        const std::wstring path = CDlgSettings::MakeHistoryPath(L"Hero", folder, made);
        EXPECT_EQ(path + std::to_wstring(made), result + std::to_wstring(k));
    }
    // Stored as 6039 minutes, "100:39" is more than the time field holds.
    EXPECT_EQ(CDlgSettings::AlarmTimeFieldText(L"100:39", 6039), "99:99");
    EXPECT_EQ(CDlgSettings::AlarmTimeFieldText(L"01:35", 95), "01:35");
}

// Finding the nickname and the hands folder in the poker client's user.ini inside a Wine
// prefix, and turning the client's Windows paths into paths of this machine.
TEST(AutoDetectTest, SectionsAreReadInOrderAndOnlyWhatIsAskedForChanges)
{
    TempWinePrefix wine;
    const std::wstring c = Wide(wine.DriveC());
    const std::wstring d = Wide(wine.DriveD());
    fs::create_directories(wine.DriveD() / "Hände");
    // clang-format off
    const std::tuple<std::string, std::wstring, std::wstring> rows[] = {
        {ClientIni("Hero", "D:\\Hands\\"), L"Hero", d + L"/Hands/Hero"},
        {ClientIni("Hero", "D:\\Hands"), L"Hero", d + L"/Hands/Hero"},
        {ClientIni("Hero", "D:\\Old\\", "C:\\New\\"), L"Hero", c + L"/New/Hero"},
        {ClientIni("Hero", "D:\\Old\\", "D:\\Pipe\\", "C:\\Top"), L"Hero", c + L"/Top/Hero"},
        {ClientIni("Jürgen", "D:\\HÄNDE\\"), L"J\u00fcrgen", d + L"/H\u00e4nde/J\u00fcrgen"},
        {ClientIni("", ""), L"", L""}, {ClientIni("", "D:\\Hands"), L"", d + L"/Hands"}};
    // clang-format on
    for (const auto& [ini, nickname, folder] : rows) {
        wine.WriteUserIni(ini);
        std::wstring foundNick = L"Typed";
        std::wstring foundFolder = L"/typed";
        AutoDetect(foundNick, true, foundFolder, true);
        EXPECT_EQ(foundNick + L"|" + foundFolder, nickname + L"|" + folder);
    }
    std::wstring nickname = L"Typed";
    std::wstring folder;
    AutoDetect(nickname, false, folder, true);
    EXPECT_EQ(nickname + L"|" + folder, L"Typed|" + d + L"/Hands") << "no nickname added";
    fs::remove_all(wine.DriveC() / "users"); // no client file: what was asked for is emptied
    folder = L"/my/own";
    AutoDetect(nickname, true, folder, false);
    EXPECT_EQ(nickname + L"|" + folder, L"|/my/own");
    const fs::path file = wine.DriveC() / "Users" / ToNativePath(LoginName()) / "appdata" /
                          "local" / "PokerStars" / "USER.INI";
    WriteFile(file, ClientIni("Hero", "D:\\H\\"));
    EXPECT_EQ(ClientIniPath(Wide(wine.Prefix()), LoginName()), Wide(file)) << "any case";
    ::setenv("WINEPREFIX", "", 1);
    EXPECT_EQ(WinePrefixFolder(), Wide(fs::path(std::getenv("HOME")) / ".wine"));
}

TEST(AutoDetectTest, WindowsPathsBecomePathsInsideThePrefix)
{
    TempWinePrefix wine;
    const fs::path dosdevices = wine.Prefix() / "dosdevices";
    fs::create_directory_symlink("/", dosdevices / "z:");
    fs::create_directory_symlink(wine.Prefix() / "gone", dosdevices / "e:");
    fs::create_directories(wine.DriveC() / "Users" / "Hero" / "HandHistory");
    fs::create_directories(wine.DriveC() / "hands");
    fs::create_directories(wine.DriveC() / "Hands");
    const std::wstring c = Wide(wine.DriveC());
    // clang-format off
    const std::pair<const wchar_t*, std::wstring> cases[] = {
        {L"C:\\Poker\\x\\Hands\\", c + L"/Poker/x/Hands/"}, {L"c:/Poker//x/Hands", c + L"/Poker/x/Hands"},
        {L"D:\\Hands\\", Wide(wine.DriveD()) + L"/Hands/"}, {L"Z:\\home\\x\\", L"/home/x/"},
        {L"E:\\Hands\\", L""}, {L"F:\\Hands\\", L""}, {L"Hands\\", L""}, {L"\\\\server\\Hands", L""},
        {L"C:\\USERS\\hero\\handhistory\\New\\", c + L"/Users/Hero/HandHistory/New/"},
        {L"C:\\hands", c + L"/hands"}, {L"C:\\HANDS", c + L"/Hands"}};
    // clang-format on
    for (const auto& [windows, expected] : cases)
        EXPECT_EQ(LinuxPathInPrefix(Wide(wine.Prefix()), windows), expected) << ToUtf8(windows);
    fs::remove_all(dosdevices);
    EXPECT_EQ(LinuxPathInPrefix(Wide(wine.Prefix()), L"C:\\H\\"), c + L"/H/");
}

} // namespace
