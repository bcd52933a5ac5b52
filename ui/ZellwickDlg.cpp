// The timer window's construction, start-up and look.

#include "ui/ZellwickDlg.h"

#include "app/WideText.h"
#include "app/ZellwickApp.h"
#include "ui/Clock.h"
#include "ui/CxSkinButton.h"
#include "ui/Resources.h"
#include "ui/SoundPlayer.h"
#include "ui/WindowLook.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>
#include <cwchar>

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

// The Small look: window size and shape at 96 dpi, the buttons' pictures.
constexpr int kSmallWidth = 140;
constexpr int kSmallHeight = 80;
constexpr int kSmallCorner = 15;
constexpr int kSmallMask = 136;
constexpr int kLabelFontHeight = 11; // the dialog font, 8 points
constexpr const char* kLabelFace = "Arial";

QRect PlaceOf(int id, const ScreenScale& scale)
{
    const auto* place = std::find_if(std::begin(kPlaces), std::end(kPlaces),
                                     [id](const ControlPlace& p) { return p.id == id; });
    return scale.MapDialogRect(place->x, place->y, place->width, place->height);
}

void SetTextColour(QWidget* widget, std::uint32_t colorRef)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, FromColorRef(colorRef));
    widget->setPalette(palette);
}

} // namespace

CZellwickDlg::CZellwickDlg(CZellwickApp& app, Clock& clock, SoundPlayer& sound, ScreenScale scale,
                           QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_app(app),
      m_clock(clock), m_sound(sound), m_scale(scale), m_hIcon(Resources::LoadIcon(128)),
      m_historyLog(app),
      m_parser(app.m_strNickname, RunningTotals{app.m_nHandCount, app.m_nVppCents, app.m_dVpp},
               &m_historyLog),
      m_watcher(true), m_handler(&m_mapFileOffsets, m_parser, m_historyLog)
{
    m_app.m_bHandsAlarmRung = 0;
    setWindowTitle(QStringLiteral("Zellwick"));
    CreateControls();
    OnInitDialog();
}

CZellwickDlg::~CZellwickDlg()
{
    // Stop here, while every member is whole: the watch's last reports are delivered during
    // the stop, and no play-timer event may reach a window that is half gone.
    KillPlayTimer();
    m_watcher.UnwatchAll();
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
    m_btnStart->LoadSkin(133, 134, 134, 135, kSmallMask);
    m_btnStop->LoadSkin(137, 138, 138, 139, kSmallMask);
    m_btnPause->LoadSkin(144, 145, 145, 146, kSmallMask);
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
    if (!m_app.m_strNickname.empty() && !m_app.m_strHistoryPath.empty() && m_app.m_bRunOnStart)
        OnStart();
}

void CZellwickDlg::ApplyStartupLook()
{
    update(); // the background colour is painted from the application object's member
    setFixedSize(m_scale.ScaleX(kSmallWidth), m_scale.ScaleY(kSmallHeight));
    m_rgnWindow = RoundRectRegion(1, 1, m_scale.ScaleX(kSmallWidth - 1),
                                  m_scale.ScaleY(kSmallHeight - 1), kSmallCorner, kSmallCorner);
    setMask(m_rgnWindow);

    const QString face = QString::fromLatin1(kReadoutFace);
    m_stTime->setFont(CellFont(face, m_scale.ScaleY(kTimeFontHeight), 700));
    m_stHands->setFont(CellFont(face, m_scale.ScaleY(kHandsFontHeight), 700));
    m_stVpp->setFont(CellFont(face, m_scale.ScaleY(m_nVppFontHeight), 700));
    ApplyTextColours();

    RestoreSavedPosition();
    PlaceAlarmIcons();
    ShowAlarmIndicators();
    update();
}

void CZellwickDlg::ApplyTextColours()
{
    SetTextColour(m_stTime, m_app.m_crColorText);
    SetTextColour(m_stHands, m_app.m_crColorText2);
    SetTextColour(m_stHandsLabel, m_app.m_crColorText2);
    SetTextColour(m_stVpp, m_app.m_crColorText3);
    SetTextColour(m_stVppLabel, m_app.m_crColorText3);
}

void CZellwickDlg::SetOpacity(int percent)
{
    // Out-of-range settings are held to 1..100 %, so no value can make the window invisible.
    percent = std::clamp(percent, 1, 100);
    const int alpha = static_cast<int>(percent * 2.55);
    setWindowOpacity(alpha / 255.0);
    update();
}

void CZellwickDlg::RestoreSavedPosition()
{
    const std::wstring saved = m_app.ReadWindowPos();
    if (saved.empty())
        return;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    // Fields that do not parse stay 0; right and bottom are not used.
    std::swscanf(saved.c_str(), L"%d:%d:%d:%d", &left, &top, &right, &bottom);
    move(left, top);
}

void CZellwickDlg::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), FromColorRef(m_app.m_crColorBg));
}

void CZellwickDlg::closeEvent(QCloseEvent* event)
{
    const QRect frame = frameGeometry();
    m_app.WriteWindowPos(FormatW(L"%d:%d:%d:%d", frame.left(), frame.top(),
                                 frame.left() + frame.width(), frame.top() + frame.height()));
    QDialog::closeEvent(event);
}

void CZellwickDlg::mousePressEvent(QMouseEvent* event)
{
    // The window has no caption: it is dragged by its body.
    if (event->button() == Qt::LeftButton && windowHandle() && windowHandle()->startSystemMove()) {
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}
