// The timer window's construction and start-up.

#include "ui/ZellwickDlg.h"

#include "app/ZellwickApp.h"
#include "ui/Clock.h"
#include "ui/CxSkinButton.h"
#include "ui/DialogPrompts.h"
#include "ui/Resources.h"
#include "ui/SoundPlayer.h"
#include "ui/WindowLook.h"

#include <QLabel>

#include <algorithm>

namespace {

// The template's size and its controls' places, in dialog units.
constexpr int kTemplateWidth = 94;
constexpr int kTemplateHeight = 54;

struct ControlPlace
{
    int id;
    int x, y, width, height;
};

constexpr ControlPlace kPlaces[] = {
    {CZellwickDlg::IDC_TIME, 51, 2, 36, 12},        // elapsed time, right-aligned
    {CZellwickDlg::IDC_HANDS, 41, 15, 46, 12},      // hand count, right-aligned
    {CZellwickDlg::IDC_VPP, 37, 27, 51, 23},        // VPP, right-aligned
    {CZellwickDlg::IDC_HANDS_LABEL, 22, 16, 21, 8}, // "Hands"
    {CZellwickDlg::IDC_VPP_LABEL, 22, 31, 19, 8},   // "VPP"
    {CZellwickDlg::IDC_TIME_ALARM, 4, 3, 21, 20},   // indicator, then at its icon's size
    {CZellwickDlg::IDC_HANDS_ALARM, 23, 3, 21, 20}, // moved next to the time indicator
    {CZellwickDlg::IDC_VPP_ALARM, 43, 3, 21, 20},   // moved next to the hands indicator
    {CZellwickDlg::IDC_START, 4, 31, 14, 12},       // button, then at its picture's size
    {CZellwickDlg::IDC_STOP, 4, 30, 14, 12},        // in Start's place; one of the two shows
    {CZellwickDlg::IDC_PAUSE, 4, 16, 14, 12},       // hidden until Start
};

constexpr int kLabelFontHeight = 11; // the dialog font, 8 points
constexpr const char* kLabelFace = "Arial";

QRect PlaceOf(int id, const ScreenScale& scale)
{
    const auto* place = std::find_if(std::begin(kPlaces), std::end(kPlaces),
                                     [id](const ControlPlace& p) { return p.id == id; });
    return scale.MapDialogRect(place->x, place->y, place->width, place->height);
}

} // namespace

CZellwickDlg::CZellwickDlg(CZellwickApp& app, Clock& clock, SoundPlayer& sound, ScreenScale scale,
                           DialogPrompts& prompts, Translucency translucency, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_app(app),
      m_clock(clock), m_sound(sound), m_scale(scale), m_prompts(prompts),
      m_translucency(translucency), m_hIcon(Resources::LoadIcon(128)), m_historyLog(app),
      m_parser(app.m_strNickname, RunningTotals{app.m_nHandCount, app.m_nVppCents, app.m_dVpp},
               &m_historyLog),
      m_watcher(true), m_handler(&m_mapFileOffsets, m_parser, m_historyLog)
{
    m_app.m_bHandsAlarmRung = 0;
    m_app.m_nAppliedSize = kSmall; // a new window has the template's layout
    setWindowTitle(QStringLiteral("Zellwick"));
    CreateControls();
    CreateContextMenu();
    OnInitDialog();
}

CZellwickDlg::~CZellwickDlg()
{
    // Stop here, while every member is whole: the watch's last reports are delivered during
    // the stop, and no play-timer event may reach a window that is half gone.
    KillPlayTimer();
    m_watcher.UnwatchAll();
    if (s_windowKeptAtExit == this)
        s_windowKeptAtExit = nullptr;
}

QWidget* CZellwickDlg::GetDlgItem(int id) const
{
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

void CZellwickDlg::CreateControls()
{
    const auto makeLabel = [this](int id, const QString& text, Qt::Alignment alignment) {
        auto* label = new QLabel(text, this);
        label->setAlignment(alignment);
        label->setGeometry(PlaceOf(id, m_scale));
        m_controls[id] = label;
        return label;
    };
    const Qt::Alignment readout = Qt::AlignRight | Qt::AlignTop;
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignTop;
    m_stTime = makeLabel(IDC_TIME, QStringLiteral("0:00"), readout);
    m_stHands = makeLabel(IDC_HANDS, QStringLiteral("0"), readout);
    m_stVpp = makeLabel(IDC_VPP, QStringLiteral("0"), readout);
    m_stHandsLabel = makeLabel(IDC_HANDS_LABEL, QStringLiteral("Hands"), left);
    m_stVppLabel = makeLabel(IDC_VPP_LABEL, QStringLiteral("VPP"), left);
    m_icoTimeAlarm = makeLabel(IDC_TIME_ALARM, QString(), left);
    m_icoHandsAlarm = makeLabel(IDC_HANDS_ALARM, QString(), left);
    m_icoVppAlarm = makeLabel(IDC_VPP_ALARM, QString(), left);

    const QFont labelFont = [this] {
        QFont font{QString::fromLatin1(kLabelFace)};
        font.setStyleHint(QFont::SansSerif);
        font.setPixelSize(m_scale.ScaleY(kLabelFontHeight));
        return font;
    }();
    m_stHandsLabel->setFont(labelFont);
    m_stVppLabel->setFont(labelFont);

    const auto makeButton = [this](int id, void (CZellwickDlg::*command)()) {
        // The template declares them owner-drawn, which makes them toggle buttons.
        auto* button = new CxSkinButton(this, CxSkinButton::Kind::Toggle);
        button->setGeometry(PlaceOf(id, m_scale));
        connect(button, &QAbstractButton::clicked, this, [this, command] { (this->*command)(); });
        m_controls[id] = button;
        return button;
    };
    m_btnStart = makeButton(IDC_START, &CZellwickDlg::OnStart);
    m_btnStop = makeButton(IDC_STOP, &CZellwickDlg::OnStop);
    m_btnPause = makeButton(IDC_PAUSE, &CZellwickDlg::OnPause);
    m_btnStop->hide();
}

void CZellwickDlg::OnInitDialog()
{
    resize(m_scale.MapDialogRect(0, 0, kTemplateWidth, kTemplateHeight).size());
    m_rcTemplate = geometry();
    SetOpacity(m_app.m_nOpacity);

    CreateButtons();
    CheckSettingsForStart();

    setWindowIcon(m_hIcon);
    ApplyStartupLook();
    RefreshReadouts();
}

void CZellwickDlg::CreateButtons()
{
    LoadSkins(kSmall);
    m_btnStart->SetTipText(QStringLiteral("Start timer"));
    m_btnStop->SetTipText(QStringLiteral("Stop timer"));
    m_btnPause->SetTipText(QStringLiteral("Pause timer"));
    m_btnStop->hide();
    m_btnPause->hide();
}

void CZellwickDlg::CheckSettingsForStart()
{
    // Only the flag in memory is cleared: the stored setting stays until the user saves.
    if (m_app.m_strNickname.empty()) {
        m_app.WriteLog(L"NickName is empty!");
        m_btnStart->setEnabled(false);
        m_app.m_bRunOnStart = 0;
    }
    if (m_app.m_strHistoryPath.empty()) {
        m_app.WriteLog(L"HistoryPath is empty!");
        m_btnStart->setEnabled(false);
        m_app.m_bRunOnStart = 0;
    }
    if (!m_btnStart->isEnabled())
        m_btnStart->SetTipText(QString::fromLatin1(kStartNeedsSettingsTip));
    if (!m_app.m_strNickname.empty() && !m_app.m_strHistoryPath.empty() && m_app.m_bRunOnStart)
        OnStart();
}
