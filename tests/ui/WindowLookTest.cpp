// How the timer window looks: its start-up layout, the readouts' numbers and fonts, colours,
// indicators and opacity, its three sizes, dragging and its saved place.

#include "tests/ui/UiTestSupport.h"
#include "tests/ui/WindowTestSupport.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QScreen>

namespace zellwick::test {
namespace {

class WindowLookTest : public WindowTest
{
protected:
    int Cell(int id) const
    {
        const QFontMetrics metrics(Item(id)->font());
        return metrics.ascent() + metrics.descent();
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
    QRect Rect(int id) const { return Item(id)->geometry(); }
};

TEST_F(WindowLookTest, TheSmallWindowHasTheTemplatesPlacesFontsAndRoundedShape)
{
    MakeWindow();
    EXPECT_EQ(m_dlg->size(), QSize(140, 80));
    EXPECT_TRUE(m_dlg->windowFlags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
    EXPECT_EQ(m_dlg->mask().boundingRect(), QRect(QPoint(1, 1), QPoint(138, 78)));
    EXPECT_FALSE(m_dlg->mask().contains(QPoint(1, 1)) || m_dlg->mask().contains({138, 78}));
    EXPECT_TRUE(m_dlg->mask().contains(QPoint(70, 1)) && m_dlg->mask().contains({1, 40}));
    EXPECT_EQ(Rect(Dlg::IDC_TIME), QRect(77, 3, 54, 20));
    EXPECT_EQ(Rect(Dlg::IDC_HANDS), QRect(62, 24, 69, 20));
    EXPECT_EQ(Rect(Dlg::IDC_VPP), QRect(56, 44, 76, 37));
    EXPECT_EQ(Item(Dlg::IDC_HANDS_LABEL)->pos(), QPoint(33, 26));
    EXPECT_EQ(Item(Dlg::IDC_VPP_LABEL)->pos(), QPoint(33, 50));
    EXPECT_EQ(Rect(Dlg::IDC_START), QRect(6, 50, 22, 22));
    EXPECT_EQ(Rect(Dlg::IDC_STOP), QRect(6, 49, 22, 22));
    EXPECT_EQ(Rect(Dlg::IDC_PAUSE), QRect(6, 26, 22, 22));
    EXPECT_EQ(Item(Dlg::IDC_START)->toolTip() + Item(Dlg::IDC_STOP)->toolTip() +
                  Item(Dlg::IDC_PAUSE)->toolTip(),
              "Start timerStop timerPause timer");
    const QString face = QFontInfo(Item(Dlg::IDC_TIME)->font()).family();
    EXPECT_TRUE(face == "Times New Roman" || face == "Liberation Serif") << face.toStdString();
    EXPECT_EQ(Item(Dlg::IDC_TIME)->font().weight(), QFont::Bold);
    EXPECT_NEAR(Cell(Dlg::IDC_TIME), 18, 1);
    EXPECT_NEAR(Cell(Dlg::IDC_HANDS), 22, 1);
    EXPECT_NEAR(Cell(Dlg::IDC_VPP), 28, 1);
    EXPECT_EQ(Item(Dlg::IDC_HANDS_LABEL)->font().pixelSize(), 11);
    EXPECT_EQ(Item(Dlg::IDC_HANDS_LABEL)->font().weight(), QFont::Normal);
}

TEST_F(WindowLookTest, At120DpiEverythingScales)
{
    MakeWindow(ScreenScale(120, 120));
    EXPECT_EQ(m_dlg->size(), QSize(175, 100));
    EXPECT_EQ(m_dlg->mask().boundingRect(), QRect(QPoint(1, 1), QPoint(173, 98)));
    EXPECT_EQ(Rect(Dlg::IDC_TIME).left(), 96);
    EXPECT_NEAR(Cell(Dlg::IDC_VPP), 35, 1);
    Click(Dlg::IDC_START);
    Show(1, 1000.0);
    EXPECT_NEAR(Cell(Dlg::IDC_VPP), 30, 1);
}

// VPP to the hundredth, to the tenth from 100000, a smaller font for each power of ten from
// 1000, and the readouts touched only when the hand count changed.
TEST_F(WindowLookTest, TheVppShowsItsDecimalsInAFontOfItsTier)
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

TEST_F(WindowLookTest, AfterASizeRoundTripTheNextUpdateChoosesTheVppFontAfresh)
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

TEST_F(WindowLookTest, ColoursIndicatorsAndOpacityFollowTheSettings)
{
    m_app->m_crColorBg = 0x00302010; // red in the low byte
    m_app->m_crColorText = 0x000000FF;
    m_app->m_crColorText2 = 0x0000FF00;
    m_app->m_crColorText3 = 0x00FF0000;
    m_app->m_bHandsAlarm = m_app->m_bTimeAlarm = 1;
    MakeWindow();
    EXPECT_EQ(TextColour(Dlg::IDC_TIME), QColor(255, 0, 0));
    EXPECT_EQ(TextColour(Dlg::IDC_HANDS), QColor(0, 255, 0));
    EXPECT_EQ(TextColour(Dlg::IDC_HANDS_LABEL), QColor(0, 255, 0));
    EXPECT_EQ(TextColour(Dlg::IDC_VPP), QColor(0, 0, 255));
    EXPECT_EQ(TextColour(Dlg::IDC_VPP_LABEL), QColor(0, 0, 255));
    EXPECT_EQ(ShownAt(m_dlg.get(), {45, 74}), QColor(0x10, 0x20, 0x30));

    // The indicators of the alarms that are on, in a row: time, hands, VPP.
    EXPECT_TRUE(Item(Dlg::IDC_TIME_ALARM)->isVisible() && Item(Dlg::IDC_HANDS_ALARM)->isVisible());
    EXPECT_FALSE(Item(Dlg::IDC_VPP_ALARM)->isVisible());
    EXPECT_EQ(Item(Dlg::IDC_TIME_ALARM)->pos(), QPoint(6, 5));
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
TEST_F(WindowLookTest, EachSizeLaysOutItsControlsFontsAndShape)
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

TEST_F(WindowLookTest, ALargerStartKeepsTheSavedCornerAndTheAppliedSizeChangesNothing)
{
    for (int dpi : {120, 96}) {
        SaveStart(L"500:300:640:380", Dlg::kLarge);
        MakeWindow(ScreenScale(dpi, dpi));
        const ScreenScale& scale = m_dlg->Scale();
        EXPECT_EQ(m_dlg->pos(), QPoint(500, 300));
        EXPECT_EQ(m_dlg->size(), QSize(scale.ScaleX(141) + 2 * scale.ScaleX(80),
                                       scale.ScaleY(88) + scale.ScaleX(80)));
    }
    m_dlg->move(20, 30);
    const QRect vpp = Rect(Dlg::IDC_VPP);
    ChooseSize(Dlg::kLarge);
    EXPECT_EQ(m_dlg->pos(), QPoint(20, 30));
    EXPECT_EQ(Rect(Dlg::IDC_VPP), vpp);
    m_dlg->close();
    EXPECT_EQ(m_app->ReadWindowPos(), L"20:30:321:198") << "the grown rectangle is kept";

    SaveStart(L"250:x", 5); // unread fields count as 0; an unknown size keeps Small
    MakeWindow();
    EXPECT_EQ(m_dlg->geometry(), QRect(250, 0, 140, 80));
    ChooseSize(-1);
    EXPECT_EQ(m_dlg->geometry(), QRect(250, 0, 140, 80));
}

TEST_F(WindowLookTest, TheBodyDragsTheWindowAndSizesGrowWhereItStands)
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

} // namespace
} // namespace zellwick::test
