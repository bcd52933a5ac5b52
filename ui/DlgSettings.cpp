#include "ui/DlgSettings.h"

#include "app/WideText.h"
#include "app/ZellwickApp.h"
#include "ui/AlarmSound.h"
#include "ui/AutoDetect.h"
#include "ui/CxSkinButton.h"
#include "ui/DialogPrompts.h"
#include "ui/Resources.h"
#include "ui/SettingsControls.h"
#include "ui/SoundPlayer.h"
#include "ui/WaveFile.h"
#include "ui/WindowLook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSlider>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <vector>

namespace {

// Colours the "Default" entries stand for: the colours a fresh user starts with.
constexpr std::uint32_t kDefaultColorText = 0xFFFFFF;
constexpr std::uint32_t kDefaultColorText2 = 0x00C313;
constexpr std::uint32_t kDefaultColorText3 = 0x00C0FF;
constexpr std::uint32_t kDefaultColorBg = 0x37323D;

constexpr int kHandsSoundResource = 156;
constexpr int kVppSoundResource = 157;
constexpr int kTimeSoundResource = 169;
constexpr int kPlayBitmaps[] = {140, 141, 141, 142, 143}; // normal, down, over, disabled, mask
constexpr int kAutoBitmap = 187;
constexpr int kPlayerBitmap = 132;
constexpr const char* kWaveFilter = "Wave Files(*.wav)|*.wav||";

std::uint32_t ToColorRef(const QColor& color)
{
    return static_cast<std::uint32_t>(color.red()) |
           static_cast<std::uint32_t>(color.green()) << 8 |
           static_cast<std::uint32_t>(color.blue()) << 16;
}

QString FromWide(const std::wstring& text)
{
    return QString::fromStdWString(text);
}

// The look of "MS Shell Dlg" at 8 points, which the dialog units are measured in.
QFont DialogFont(QFont font)
{
    font.setFamilies({QStringLiteral("MS Shell Dlg 2"), QStringLiteral("Tahoma"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPointSize(8);
    return font;
}

} // namespace

CDlgSettings::CDlgSettings(CZellwickApp& app, SoundPlayer& sound, QWidget* parent,
                           DialogPrompts* prompts)
    : QDialog(parent), m_app(app), m_sound(sound),
      m_prompts(prompts ? *prompts : QtDialogPrompts::Instance()),
      m_scale(ScreenScale::FromScreen())
{
    setWindowTitle(QStringLiteral("Settings..."));
    setFont(DialogFont(font()));
    setFixedSize(m_scale.MapDialogRect(0, 0, kWidthDlu, kHeightDlu).size());
    CreateControls();
    InitControls();
    SwallowEnterEverywhere();
}

CDlgSettings::~CDlgSettings() = default;

QWidget* CDlgSettings::GetDlgItem(int id) const
{
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

// ---- Building the template

void CDlgSettings::Place(QWidget* widget, int id, int x, int y, int width, int height)
{
    widget->setGeometry(m_scale.MapDialogRect(x, y, width, height));
    if (id != 0)
        m_controls[id] = widget;
}

QLabel* CDlgSettings::AddLabel(const QString& text, int x, int y, int width, int height)
{
    auto* label = new QLabel(text, this);
    Place(label, 0, x, y, width, height);
    return label;
}

void CDlgSettings::CreateControls()
{
    // Each group box before its controls: later siblings are drawn above earlier ones.
    CreatePlayerGroup();
    CreateAlarmGroups();
    CreateAppearanceGroup();
    CreateButtons();
}

void CDlgSettings::CreatePlayerGroup()
{
    Place(new QGroupBox(QStringLiteral("Player"), this), 0, 7, 4, 192, 72);
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap::fromImage(Resources::LoadBitmap(kPlayerBitmap)));
    picture->setAlignment(Qt::AlignCenter);
    Place(picture, 0, 12, 22, 34, 32);

    AddLabel(QStringLiteral("Nickname"), 52, 20, 34, 8);
    m_editNickname = new QLineEdit(this);
    Place(m_editNickname, IDC_NICKNAME, 88, 17, 104, 14);
    AddLabel(QStringLiteral("History"), 52, 38, 34, 8);
    m_editHistory = new CBrowseEdit(m_prompts, this);
    Place(m_editHistory, IDC_HISTORY, 88, 35, 104, 14);
    m_btnAuto = new QPushButton(QStringLiteral("Auto"), this);
    Place(m_btnAuto, IDC_AUTO, 88, 53, 50, 18);
    connect(m_btnAuto, &QPushButton::clicked, this, [this] { OnAuto(); });
}

void CDlgSettings::CreateAlarmGroups()
{
    struct Alarm
    {
        int group, check, field, spin, sound, play;
        const char* title;
        const char* label;
        QCheckBox** checkBox;
        QLineEdit** edit;
        CSpinButton** spinButton;
        CBrowseEdit** soundEdit;
    };
    const Alarm alarms[] = {
        {IDC_HANDS_GROUP, IDC_HANDS_ON, IDC_HANDS, IDC_HANDS_SPIN, IDC_HANDS_SOUND, IDC_PLAY_HANDS,
         "Alarm Hands", "Hands", &m_chkHands, &m_editHands, &m_spinHands, &m_editHandsSound},
        {IDC_VPP_GROUP, IDC_VPP_ON, IDC_VPP, IDC_VPP_SPIN, IDC_VPP_SOUND, IDC_PLAY_VPP, "Alarm VPP",
         "VPP >=", &m_chkVpp, &m_editVpp, &m_spinVpp, &m_editVppSound},
        {IDC_TIME_GROUP, IDC_TIME_ON, IDC_ALARM_TIME, 0, IDC_TIME_SOUND, IDC_PLAY_TIME,
         "Alarm time", "Time", &m_chkTime, &m_editTime, nullptr, &m_editTimeSound},
    };
    int top = 4;
    for (const Alarm& alarm : alarms) {
        Place(new QGroupBox(this), alarm.group, 207, top + 4, 192, 52);
        // The check box is the group's title: it sits on the frame and covers the line.
        auto* check = new QCheckBox(QString::fromLatin1(alarm.title), this);
        check->setAutoFillBackground(true);
        Place(check, alarm.check, 213, top - 2, 60, 12);
        check->resize(check->sizeHint().width(), check->height());
        *alarm.checkBox = check;
        connect(check, &QCheckBox::clicked, this, [this, id = alarm.check] { OnAlarmCheck(id); });

        AddLabel(QString::fromLatin1(alarm.label), 215, top + 20, 40, 8);
        auto* edit = new QLineEdit(this);
        Place(edit, alarm.field, 258, top + 18, 44, 14);
        *alarm.edit = edit;
        if (alarm.spinButton) {
            auto* spin = new CSpinButton(this);
            Place(spin, alarm.spin, 302, top + 18, 9, 14);
            *alarm.spinButton = spin;
        }

        AddLabel(QStringLiteral("Sound file"), 215, top + 39, 40, 8);
        auto* sound = new CBrowseEdit(m_prompts, this);
        Place(sound, alarm.sound, 258, top + 37, 106, 14);
        *alarm.soundEdit = sound;
        auto* play = new CxSkinButton(this);
        Place(play, alarm.play, 370, top + 36, 16, 15);
        connect(play, &CxSkinButton::clicked, this, [this, id = alarm.play] { OnPlay(id); });
        top += 58;
    }
}

void CDlgSettings::CreateAppearanceGroup()
{
    Place(new QGroupBox(QStringLiteral("Appearance"), this), 0, 7, 80, 192, 96);
    struct Colour
    {
        int id;
        const char* label;
        int x, y;
    };
    const Colour colours[] = {
        {IDC_COLOR_BG, "Background", 14, 94},
        {IDC_COLOR_TIME, "Time", 106, 94},
        {IDC_COLOR_HANDS, "Hand", 14, 113},
        {IDC_COLOR_VPP, "VPP", 106, 113},
    };
    for (const Colour& colour : colours) {
        AddLabel(QString::fromLatin1(colour.label), colour.x, colour.y + 3, 40, 8);
        auto* button = new CColorButton(m_prompts, this);
        Place(button, colour.id, colour.x + 42, colour.y, 44, 14);
        connect(button, &CColorButton::colorChosen, this,
                [this, id = colour.id](const QColor& color) { OnColorChosen(id, color); });
    }

    AddLabel(QStringLiteral("Size"), 14, 136, 40, 8);
    m_cmbSize = new QComboBox(this);
    Place(m_cmbSize, IDC_SIZE, 56, 133, 64, 14);
    AddLabel(QStringLiteral("Opacity"), 14, 156, 40, 8);
    m_sldOpacity = new QSlider(Qt::Horizontal, this);
    Place(m_sldOpacity, IDC_OPACITY, 54, 153, 108, 14);
    m_stOpacity = new QLabel(QStringLiteral("100%"), this);
    Place(m_stOpacity, IDC_OPACITY_LABEL, 166, 156, 28, 8);
    connect(m_sldOpacity, &QSlider::valueChanged, this,
            [this](int position) { OnOpacityChanged(position); });
}

void CDlgSettings::CreateButtons()
{
    m_chkRunOnStart = new QCheckBox(QStringLiteral("Start at program startup"), this);
    Place(m_chkRunOnStart, IDC_RUN_ON_START, 9, 185, 140, 12);
    m_btnOk = new QPushButton(QStringLiteral("OK"), this);
    Place(m_btnOk, IDOK, 290, 184, 50, 14);
    m_btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    Place(m_btnCancel, IDCANCEL, 346, 184, 50, 14);
    connect(m_btnOk, &QPushButton::clicked, this, &CDlgSettings::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &CDlgSettings::reject);
}

// ---- Filling it

void CDlgSettings::InitControls()
{
    m_editNickname->setText(FromWide(m_app.m_strNickname));
    m_editHistory->setText(FromWide(m_app.m_strHistoryPath));
    m_editHistory->EnableFolderBrowse();

    const auto* digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    m_editHands->setValidator(digits);
    m_editVpp->setValidator(digits);
    m_editHands->setText(QString::number(m_app.m_nHandsAlarm));
    m_editVpp->setText(QString::number(m_app.m_nVppAlarm));
    for (CSpinButton* spin : {m_spinHands, m_spinVpp})
        spin->SetRange(kThresholdMin, kThresholdMax);
    m_spinHands->SetBuddy(m_editHands);
    m_spinVpp->SetBuddy(m_editVpp);

    // Blanks show as "_"; the colon stays where it is.
    m_editTime->setInputMask(QStringLiteral("99:99;_"));
    m_editTime->setText(AlarmTimeFieldText(m_app.m_strAlarmTime, m_app.m_nTimeAlarmMinutes));

    const QString waveFilter = QtFileFilter(QString::fromLatin1(kWaveFilter));
    const std::pair<CBrowseEdit*, const std::wstring*> sounds[] = {
        {m_editHandsSound, &m_app.m_strHandsSound},
        {m_editVppSound, &m_app.m_strVppSound},
        {m_editTimeSound, &m_app.m_strTimeSound},
    };
    for (const auto& [edit, path] : sounds) {
        edit->setText(FromWide(*path));
        edit->EnableFileBrowse(waveFilter);
    }
    for (int id : {IDC_PLAY_HANDS, IDC_PLAY_VPP, IDC_PLAY_TIME}) {
        auto* play = static_cast<CxSkinButton*>(GetDlgItem(id));
        play->LoadSkin(kPlayBitmaps[0], kPlayBitmaps[1], kPlayBitmaps[2], kPlayBitmaps[3],
                       kPlayBitmaps[4]);
        play->setCursor(Qt::PointingHandCursor);
    }

    const std::pair<int, std::uint32_t> colours[] = {
        {IDC_COLOR_TIME, kDefaultColorText},
        {IDC_COLOR_HANDS, kDefaultColorText2},
        {IDC_COLOR_VPP, kDefaultColorText3},
        {IDC_COLOR_BG, kDefaultColorBg},
    };
    const std::uint32_t current[] = {m_app.m_crColorText, m_app.m_crColorText2,
                                     m_app.m_crColorText3, m_app.m_crColorBg};
    for (std::size_t i = 0; i < std::size(colours); ++i) {
        auto* button = static_cast<CColorButton*>(GetDlgItem(colours[i].first));
        button->SetDefaultColor(FromColorRef(colours[i].second));
        button->SetColumnsNumber(5);
        button->SetColor(FromColorRef(current[i]));
    }

    m_chkHands->setChecked(m_app.m_bHandsAlarm != 0);
    m_chkVpp->setChecked(m_app.m_bVppAlarm != 0);
    m_chkTime->setChecked(m_app.m_bTimeAlarm != 0);
    for (int id : {IDC_HANDS_ON, IDC_VPP_ON, IDC_TIME_ON})
        OnAlarmCheck(id);
    m_chkRunOnStart->setChecked(m_app.m_bRunOnStart != 0);

    m_cmbSize->addItems(
        {QStringLiteral("Small"), QStringLiteral("Medium"), QStringLiteral("Large")});
    m_cmbSize->setCurrentIndex(
        m_app.m_nAppliedSize >= 0 && m_app.m_nAppliedSize <= 2 ? m_app.m_nAppliedSize : -1);
    m_sldOpacity->setRange(1, 100);
    m_sldOpacity->setValue(m_app.m_nOpacity);
    OnOpacityChanged(m_sldOpacity->value());

    m_btnAuto->setIcon(QPixmap::fromImage(Resources::LoadBitmap(kAutoBitmap)));
    m_btnAuto->setIconSize(QSize(24, 24));
    for (QPushButton* button : {m_btnAuto, m_btnOk, m_btnCancel}) {
        button->setCursor(Qt::PointingHandCursor);
        // No button is pressed by Enter: OK only by a click or its own space key.
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

void CDlgSettings::SwallowEnterEverywhere()
{
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

bool CDlgSettings::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CDlgSettings::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---- Handlers

void CDlgSettings::OnAlarmCheck(int checkId)
{
    // The alarm's number or time field, its spin, its sound field and its play button.
    static const std::map<int, std::vector<int>> controls = {
        {IDC_HANDS_ON, {IDC_HANDS, IDC_HANDS_SPIN, IDC_HANDS_SOUND, IDC_PLAY_HANDS}},
        {IDC_VPP_ON, {IDC_VPP, IDC_VPP_SPIN, IDC_VPP_SOUND, IDC_PLAY_VPP}},
        {IDC_TIME_ON, {IDC_ALARM_TIME, IDC_TIME_SOUND, IDC_PLAY_TIME}},
    };
    const bool on = static_cast<QCheckBox*>(GetDlgItem(checkId))->isChecked();
    for (int id : controls.at(checkId))
        GetDlgItem(id)->setEnabled(on);
}

void CDlgSettings::OnPlay(int playId)
{
    const CBrowseEdit* field = playId == IDC_PLAY_HANDS ? m_editHandsSound
                               : playId == IDC_PLAY_VPP ? m_editVppSound
                                                        : m_editTimeSound;
    const int builtIn = playId == IDC_PLAY_HANDS ? kHandsSoundResource
                        : playId == IDC_PLAY_VPP ? kVppSoundResource
                                                 : kTimeSoundResource;
    PlayAlarmSound(m_sound, m_app, field->text().toStdWString(), builtIn);
}

void CDlgSettings::OnOpacityChanged(int position)
{
    m_stOpacity->setText(QStringLiteral("%1%").arg(position));
}

void CDlgSettings::OnColorChosen(int buttonId, const QColor& color)
{
    // The colour takes effect at once; the other fields keep whatever has been typed.
    const std::uint32_t value = ToColorRef(color);
    switch (buttonId) {
    case IDC_COLOR_TIME:
        m_app.m_crColorText = value;
        break;
    case IDC_COLOR_HANDS:
        m_app.m_crColorText2 = value;
        break;
    case IDC_COLOR_VPP:
        m_app.m_crColorText3 = value;
        break;
    default:
        m_app.m_crColorBg = value;
        break;
    }
}

void CDlgSettings::OnAuto()
{
    std::wstring nickname = m_editNickname->text().toStdWString();
    std::wstring folder = m_editHistory->text().toStdWString();
    AutoDetect(nickname, true, folder, true);
    // Only the two fields asked for change; everything else stays as typed.
    m_editNickname->setText(FromWide(nickname));
    m_editHistory->setText(FromWide(folder));
}

void CDlgSettings::AutoDetect(std::wstring& nickname, bool wantNick, std::wstring& folder,
                              bool wantFolder) const
{
    ::AutoDetect(nickname, wantNick, folder, wantFolder);
}

// ---- OK

void CDlgSettings::accept()
{
    Data entered;
    if (!ReadData(entered))
        return;

    m_app.m_bHandsAlarm = entered.handsOn;
    m_app.m_bVppAlarm = entered.vppOn;
    m_app.m_bTimeAlarm = entered.timeOn;
    // A raised threshold may not have been reached yet in this play period: ring again.
    if (entered.hands > m_app.m_nHandsAlarm)
        m_app.m_bHandsAlarmRung = 0;
    m_app.m_nHandsAlarm = entered.hands;
    if (entered.vpp > m_app.m_nVppAlarm)
        m_app.m_bVppAlarmRung = 0;
    m_app.m_nVppAlarm = entered.vpp;

    int hours = 0;
    int minutes = 0;
    if (!ReadAlarmTime(hours, minutes)) {
        Refuse(QStringLiteral("Alarm time format 00:00 !"));
        return;
    }
    const int total = hours * 60 + minutes;
    if (total > m_app.m_nTimeAlarmMinutes)
        m_app.m_bTimeAlarmRung = 0;
    m_app.m_nTimeAlarmMinutes = total;
    m_app.m_strAlarmTime = FormatW(L"%02d:%02d", hours, minutes);

    if (!RefuseUnplayableSound(entered))
        return;
    m_app.m_strHandsSound = entered.handsSound.toStdWString();
    m_app.m_strVppSound = entered.vppSound.toStdWString();
    m_app.m_strTimeSound = entered.timeSound.toStdWString();

    std::wstring nickname = entered.nickname.toStdWString();
    std::wstring folder = entered.history.toStdWString();
    m_app.WriteLog(
        FormatW(L"Settings_1: NickName = %ls Path = %ls", nickname.c_str(), folder.c_str()));
    if (nickname.empty() || folder.empty())
        AutoDetect(nickname, nickname.empty(), folder, folder.empty());
    m_app.WriteLog(
        FormatW(L"Settings_2: NickName = %ls Path = %ls", nickname.c_str(), folder.c_str()));

    int k = 0;
    const std::wstring previousPath = m_app.m_strHistoryPath;
    m_app.m_strNickname = nickname;
    m_app.m_strHistoryPath = MakeHistoryPath(nickname, folder, k);
    m_app.WriteLog(FormatW(L"Settings_3: NickName = %ls Path = %ls k = %d", nickname.c_str(),
                           folder.c_str(), k));

    m_app.m_nOpacity = m_sldOpacity->value();
    if (m_cmbSize->currentIndex() >= 0)
        m_app.m_nSize = m_cmbSize->currentIndex();
    m_app.m_bRunOnStart = entered.runOnStart;
    m_app.WriteLog(FormatW(L"Settings_4: RunOnStart = %d", m_app.m_bRunOnStart));

    if (m_app.m_strNickname.empty()) {
        Refuse(QStringLiteral("Enter nickname!"));
        return;
    }
    if (folder.empty()) {
        Refuse(QStringLiteral("Enter history path!"));
        return;
    }
    if (!ConfirmHistoryFolder(folder, previousPath)) {
        m_app.m_strHistoryPath = previousPath;
        m_editHistory->Edit()->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_app.StoreSettings();
    QDialog::accept();
}

bool CDlgSettings::ReadData(Data& entered)
{
    entered.nickname = m_editNickname->text();
    entered.history = m_editHistory->text();
    entered.handsOn = m_chkHands->isChecked();
    if (!ReadThreshold(IDC_HANDS, true, entered.hands))
        return false;
    entered.handsSound = m_editHandsSound->text();
    entered.vppOn = m_chkVpp->isChecked();
    if (!ReadThreshold(IDC_VPP, false, entered.vpp))
        return false;
    entered.vppSound = m_editVppSound->text();
    entered.timeOn = m_chkTime->isChecked();
    entered.timeSound = m_editTimeSound->text();
    entered.runOnStart = m_chkRunOnStart->isChecked();
    return true;
}

bool CDlgSettings::ReadThreshold(int id, bool ranged, int& value)
{
    auto* edit = static_cast<QLineEdit*>(GetDlgItem(id));
    bool ok = false;
    const qlonglong number = edit->text().trimmed().toLongLong(&ok);
    const bool whole = ok && number >= std::numeric_limits<int>::min() &&
                       number <= std::numeric_limits<int>::max();
    QString problem;
    if (ranged && (!ok || number < kThresholdMin || number > kThresholdMax))
        problem = ok || !edit->text().trimmed().isEmpty()
                      ? QStringLiteral("Enter an integer between %1 and %2.")
                            .arg(kThresholdMin)
                            .arg(kThresholdMax)
                      : QStringLiteral("Enter an integer.");
    else if (!whole)
        problem = QStringLiteral("Enter an integer.");
    if (!problem.isEmpty()) {
        m_prompts.Message(this, problem, DialogPrompts::Icon::Warning);
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

bool CDlgSettings::ReadAlarmTime(int& hours, int& minutes) const
{
    // The four digit places of "__:__", blanks shown as "_".
    const QString shown = m_editTime->displayText();
    QString digits;
    for (int place : {0, 1, 3, 4}) {
        if (place < shown.size())
            digits += shown.at(place);
    }
    digits.remove(QLatin1Char('_'));
    digits = digits.trimmed();
    if (digits.size() != 4 || digits.contains(QRegularExpression(QStringLiteral("[^0-9]"))))
        return false;
    hours = digits.left(2).toInt();
    minutes = digits.right(2).toInt();
    return true;
}

void CDlgSettings::Refuse(const QString& text)
{
    m_prompts.Message(this, text, DialogPrompts::Icon::Information);
}

// A sound the player would refuse leaves its alarm with the built-in sound; the user learns it
// while choosing, not when the alarm rings. Only alarms that are on: a switched-off alarm's
// field cannot be edited.
bool CDlgSettings::RefuseUnplayableSound(const Data& entered)
{
    const std::pair<bool, CBrowseEdit*> sounds[] = {
        {entered.handsOn, m_editHandsSound},
        {entered.vppOn, m_editVppSound},
        {entered.timeOn, m_editTimeSound},
    };
    for (const auto& [on, edit] : sounds) {
        const QString path = edit->text();
        if (on && !path.isEmpty() && !WaveProblem(path).isEmpty()) {
            Refuse(QStringLiteral("Sound file is not a playable WAV: %1").arg(path));
            edit->Edit()->setFocus(Qt::OtherFocusReason);
            return false;
        }
    }
    return true;
}

// The client makes a player's folder only with the first hand, so a folder that is not there
// yet may be kept, but not without a word. A chosen folder that itself holds the hand
// histories is offered as it is: joined with the nickname it would count nothing.
bool CDlgSettings::ConfirmHistoryFolder(const std::wstring& chosen, const std::wstring& previous)
{
    const QString joined = FromWide(m_app.m_strHistoryPath);
    if (QFileInfo(joined).isDir())
        return true;
    const QString folder = FromWide(chosen);
    const bool holdsHands =
        !QDir(folder)
             .entryList({QStringLiteral("HH*.txt")}, QDir::Files | QDir::CaseSensitive)
             .isEmpty();
    if (joined != folder && holdsHands) {
        if (chosen == previous ||
            m_prompts.Question(this, QStringLiteral("The folder %1 does not exist, but %2 holds "
                                                    "hand histories. Use %2 as it is?")
                                         .arg(joined, folder))) {
            m_app.m_strHistoryPath = chosen;
            return true;
        }
    }
    return m_prompts.Question(this,
                              QStringLiteral("The folder %1 does not exist. Keep it?").arg(joined));
}

// ---- Helpers

std::wstring CDlgSettings::MakeHistoryPath(const std::wstring& nickname, const std::wstring& folder,
                                           int& k)
{
    k = 0;
    if (folder.empty())
        return folder;
    const std::wstring tail = L'/' + nickname;
    if (folder.size() >= tail.size() &&
        folder.compare(folder.size() - tail.size(), tail.size(), tail) == 0)
        return folder;
    k = 1;
    return folder.back() == L'/' ? folder + nickname : folder + L'/' + nickname;
}

QString CDlgSettings::AlarmTimeFieldText(const std::wstring& alarmTime, int minutes)
{
    const QString text = QString::fromStdWString(alarmTime);
    static const QRegularExpression fits(QStringLiteral("^[0-9]{2}:[0-9]{2}$"));
    if (fits.match(text).hasMatch())
        return text;
    // Two digits each way reach 99:99, which is 6039 minutes.
    const int bounded = std::clamp(minutes, 0, 99 * 60 + 99);
    const int hours = std::min(bounded / 60, 99);
    return QStringLiteral("%1:%2")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(bounded - hours * 60, 2, 10, QLatin1Char('0'));
}
