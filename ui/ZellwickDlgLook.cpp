// The timer window's look: its three sizes, fonts, colours, opacity, rounded shape, dragging
// and its place on the screen.

#include "ui/ZellwickDlg.h"

#include "app/WideText.h"
#include "app/ZellwickApp.h"
#include "ui/CxSkinButton.h"
#include "ui/DialogPrompts.h"
#include "ui/WindowLook.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cwchar>

namespace {

// The start-up window at 96 dpi; the template's layout is kept in it.
constexpr int kStartupWidth = 140;
constexpr int kStartupHeight = 80;
constexpr int kStartupCorner = 15;

// Per size: how far the window grows to each side and upwards (at 96 dpi, scaled across),
// the base of its fonts in pixels, the buttons' pictures (normal, down, over, disabled for
// Start, Stop and Pause; one mask) and the corner of the window's shape.
struct SizeLook
{
    int growth;
    int fontBase;
    int start[4];
    int stop[4];
    int pause[4];
    int mask;
    int corner;
};

constexpr SizeLook kLooks[] = {
    {0, 14, {133, 134, 134, 135}, {137, 138, 138, 139}, {144, 145, 145, 146}, 136, 15},
    {40, 20, {180, 181, 181, 182}, {184, 185, 185, 186}, {177, 178, 178, 179}, 183, 25},
    {80, 28, {167, 169, 169, 168}, {174, 175, 175, 176}, {171, 173, 173, 172}, 170, 35},
};

constexpr const char* kLabelFace = "Arial";
constexpr int kBold = 700;
constexpr int kNormal = 400;

void SetTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// Halfway to the background: still readable, plainly not the live look.
QColor Dimmed(const QColor& text, const QColor& background)
{
    return QColor((text.red() + background.red()) / 2, (text.green() + background.green()) / 2,
                  (text.blue() + background.blue()) / 2);
}

// As wide as the text needs, at least as wide as its place: a right-aligned label grows to the
// left, any other to the right. Bold glyphs may stand a pixel past their advance.
void WidenToText(QLabel* label)
{
    const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2;
    QRect box = label->geometry();
    if (needed <= box.width())
        return;
    if (label->alignment() & Qt::AlignRight)
        box.setLeft(box.right() - needed + 1);
    else
        box.setWidth(needed);
    label->setGeometry(box);
}

void LoadSkin(CxSkinButton* button, const int (&pictures)[4], int mask)
{
    button->LoadSkin(pictures[0], pictures[1], pictures[2], pictures[3], mask);
}

} // namespace

void CZellwickDlg::ApplyStartupLook()
{
    ApplyBackground();
    setFixedSize(m_scale.ScaleX(kStartupWidth), m_scale.ScaleY(kStartupHeight));
    m_rgnWindow =
        RoundRectRegion(1, 1, m_scale.ScaleX(kStartupWidth - 1), m_scale.ScaleY(kStartupHeight - 1),
                        kStartupCorner, kStartupCorner);
    setMask(m_rgnWindow);

    const QString face = QString::fromLatin1(kReadoutFace);
    m_stTime->setFont(CellFont(face, m_scale.ScaleY(kTimeFontHeight), kBold));
    m_stHands->setFont(CellFont(face, m_scale.ScaleY(kHandsFontHeight), kBold));
    m_stVpp->setFont(CellFont(face, m_scale.ScaleY(m_nVppFontHeight), kBold));
    ApplyTextColours();

    RestoreSavedPosition();
    ApplyStartupSize();
    PlaceAlarmIcons();
    ShowAlarmIndicators();
    Redraw();
}

void CZellwickDlg::RestoreSavedPosition()
{
    const std::wstring saved = m_app.ReadWindowPos();
    if (saved.empty()) {
        // Centred, where Qt would put it when shown, but decided now: every later layout
        // starts from this place.
        if (const QScreen* display = screen()) {
            QRect centred(QPoint(), size());
            centred.moveCenter(display->availableGeometry().center());
            move(centred.topLeft());
        }
        return;
    }
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    // Fields that do not parse stay 0; right and bottom are not used.
    std::swscanf(saved.c_str(), L"%d:%d:%d:%d", &left, &top, &right, &bottom);
    move(left, top);
}

void CZellwickDlg::ApplyStartupSize()
{
    m_app.m_nSize = m_app.ReadViewSize();
    // A larger window grows left and up by its growth: moving the window the other way first
    // keeps the saved top-left corner where it was.
    if (m_app.m_nSize == kMedium || m_app.m_nSize == kLarge) {
        const int shift = m_scale.ScaleX(kLooks[m_app.m_nSize].growth);
        move(pos() + QPoint(shift, shift));
    }
    ApplySize(m_app.m_nSize);
}

void CZellwickDlg::ApplySize(int size)
{
    if (size < kSmall || size > kLarge)
        return;
    LayoutForSize(m_scale.ScaleX(kLooks[size].growth), kLooks[size].fontBase, size);
}

void CZellwickDlg::LayoutForSize(int growth, int fontBase, int size)
{
    if (size == m_app.m_nAppliedSize)
        return;
    // Around where the window stands now: from the corner the Small window would have there.
    const int applied = m_app.m_nAppliedSize == kMedium || m_app.m_nAppliedSize == kLarge
                            ? m_scale.ScaleX(kLooks[m_app.m_nAppliedSize].growth)
                            : 0;
    QRect window(pos() + QPoint(applied, applied), m_rcTemplate.size());
    if (size == kMedium || size == kLarge)
        window.adjust(-growth, -growth, growth, 0);
    setFixedSize(window.size());
    move(window.topLeft());

    PlaceControls(window.width(), window.height());
    SetLayoutFonts(fontBase);
    FitTextsToTheirPlaces();
    LoadSkins(size);

    const int corner = kLooks[size].corner;
    m_rgnWindow = RoundRectRegion(1, 1, width() - 1, height() - 1, corner, corner);
    PlaceAlarmIcons();
    setMask(m_rgnWindow);
    m_app.m_nAppliedSize = size;
    m_bVppFontStale = true;
}

void CZellwickDlg::PlaceControls(int w, int h)
{
    m_stTime->setGeometry(w / 2, 3, w / 2 - 5, h / 4);
    m_stHands->setGeometry(w / 2, h / 4 + 3, w / 2 - 5, h / 4);
    m_stVpp->setGeometry(w / 2, h / 2 + 10, w / 2 - 5, h / 2);
    m_btnStart->setGeometry(3, 2 * (h / 3), w / 4, h / 3);
    m_btnStop->setGeometry(3, 2 * (h / 3), w / 4, h / 3);
    m_stVppLabel->setGeometry(w / 4, 2 * (h / 3) - 2, w / 4, h / 3);
    m_btnPause->setGeometry(3, h / 3 + 8, w / 4, h / 3);
    m_stHandsLabel->setGeometry(w / 4, h / 3 - 1, w / 4, h / 3);
}

void CZellwickDlg::FitTextsToTheirPlaces()
{
    // The places of the smaller layouts are narrower than their fonts' widest numbers (the
    // Small one after a larger size clips "999.99" and "Hands"); nothing is cut off instead.
    for (QLabel* label : {m_stTime, m_stHands, m_stVpp, m_stHandsLabel, m_stVppLabel})
        WidenToText(label);
}

void CZellwickDlg::SetLayoutFonts(int fontBase)
{
    // Pixel heights as they are: the sizes are meant for the screen's pixels.
    const QString times = QString::fromLatin1(kReadoutFace);
    const QString arial = QString::fromLatin1(kLabelFace);
    m_stTime->setFont(CellFont(times, fontBase + 6, kBold));
    m_stHandsLabel->setFont(CellFont(arial, fontBase, kNormal));
    m_stVppLabel->setFont(CellFont(arial, fontBase, kNormal));
    QFont hands = CellFont(times, fontBase + 10, kBold);
    hands.setStrikeOut(m_bCountingWarning);
    m_stHands->setFont(hands);
    m_stVpp->setFont(CellFont(times, fontBase + 16, kBold));
}

void CZellwickDlg::LoadSkins(int size)
{
    // The buttons take the size of their pictures.
    const SizeLook& look = kLooks[size];
    LoadSkin(m_btnStart, look.start, look.mask);
    LoadSkin(m_btnStop, look.stop, look.mask);
    LoadSkin(m_btnPause, look.pause, look.mask);
}

void CZellwickDlg::ApplyTextColours()
{
    // A paused period's time and hands that are not being counted are drawn dimmed.
    const QColor background = FromColorRef(m_app.m_crColorBg);
    const QColor time = FromColorRef(m_app.m_crColorText);
    const QColor hands = FromColorRef(m_app.m_crColorText2);
    SetTextColour(m_stTime, m_bPaused ? Dimmed(time, background) : time);
    SetTextColour(m_stHands, m_bCountingWarning ? Dimmed(hands, background) : hands);
    SetTextColour(m_stHandsLabel, hands);
    SetTextColour(m_stVpp, FromColorRef(m_app.m_crColorText3));
    SetTextColour(m_stVppLabel, FromColorRef(m_app.m_crColorText3));
}

void CZellwickDlg::ApplyBackground()
{
    // Painted from the application object's member (paintEvent); now, not at the next paint.
    Redraw();
}

void CZellwickDlg::SetOpacity(int percent)
{
    // Held to 1..100 %: 0 counts as 1, and no stored value can make the window invisible or
    // wrap round past 255.
    percent = std::clamp(percent, 1, 100);
    const int alpha = static_cast<int>(percent * 2.55);
    // Asked for even where it does not show: an X server shows it once a compositing manager
    // starts.
    setWindowOpacity(alpha / 255.0);
    // Only when translucency is wanted (100 % is opaque to the eye), and once a run: it would
    // not change before the next one.
    if (m_translucency == Translucency::Unsupported && percent < 100 && !m_bLayeringReported) {
        m_bLayeringReported = true;
        // At start-up the window is not placed yet: then the message stands on its own.
        m_prompts.Message(isVisible() ? this : nullptr, QString::fromLatin1(kLayeringMessage),
                          DialogPrompts::Icon::Warning);
    }
    Redraw();
}

void CZellwickDlg::Redraw()
{
    repaint();
}

void CZellwickDlg::paintEvent(QPaintEvent* /*event*/)
{
    // Background and texts show the colour members as they are now: a colour picked in a
    // settings dialog that was then cancelled is in them too. The labels paint after this,
    // and setting a palette they already have costs nothing.
    ApplyTextColours();
    QPainter painter(this);
    painter.fillRect(rect(), FromColorRef(m_app.m_crColorBg));
}

void CZellwickDlg::closeEvent(QCloseEvent* event)
{
    // Closing through the window system, the menu's Exit or Alt+F4 keeps the place for the
    // next run; Escape does not come here.
    const QRect frame = frameGeometry();
    m_app.WriteWindowPos(FormatW(L"%d:%d:%d:%d", frame.left(), frame.top(),
                                 frame.left() + frame.width(), frame.top() + frame.height()));
    QDialog::closeEvent(event);
}

void CZellwickDlg::mousePressEvent(QMouseEvent* event)
{
    // The window has no caption: it is dragged by its body. Buttons take their own presses.
    // The window system moves it where it can; elsewhere the window follows the mouse itself.
    if (event->button() == Qt::LeftButton) {
        if (!windowHandle() || !windowHandle()->startSystemMove())
            m_dragOffset = event->globalPosition().toPoint() - pos();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CZellwickDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragOffset && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - *m_dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CZellwickDlg::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragOffset.reset();
    QDialog::mouseReleaseEvent(event);
}
