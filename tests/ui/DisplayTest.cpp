// What the window shows: number formats, the VPP font tiers, size, shape, colours, fonts and
// the indicators, at 96 dpi and scaled.

#include "app/SettingsStore.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/CxSkinButton.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QTest>

namespace zellwick::test {
namespace {

using Dlg = CZellwickDlg;

class DisplayTest : public WindowTest
{
protected:
    void Show(std::int32_t hands, double vpp)
    {
        m_app->m_nHandCount = hands;
        m_app->m_dVpp = vpp;
        Tick(5);
    }

    int VppCellHeight() const
    {
        const QFontMetrics metrics(Item(Dlg::IDC_VPP)->font());
        return metrics.ascent() + metrics.descent();
    }

    QColor TextColour(int id) const { return Item(id)->palette().color(QPalette::WindowText); }
};

TEST_F(DisplayTest, VppShowsTwoDecimalsAndOneFromHundredThousand)
{
    const std::pair<double, const char*> shown[] = {
        {0.3, "0.30"},          {999.994, "999.99"},    {1000.0, "1000.00"},
        {99999.99, "99999.99"}, {100000.0, "100000.0"}, {123456.78, "123456.8"},
    };
    MakeWindow();
    Click(Dlg::IDC_START);
    std::int32_t hands = 0;
    for (const auto& [vpp, text] : shown) {
        Show(++hands, vpp);
        EXPECT_EQ(Text(Dlg::IDC_VPP), QString(text));
        EXPECT_EQ(Text(Dlg::IDC_HANDS), QString::number(hands));
    }
}

TEST_F(DisplayTest, TheVppFontShrinksByTierAndTheWidestNumberFits)
{
    MakeWindow();
    Click(Dlg::IDC_START);
    EXPECT_EQ(m_dlg->VppFontHeight(), 28);
    const int startCell = VppCellHeight();

    Show(1, 999.99);
    EXPECT_EQ(m_dlg->VppFontHeight(), 28);
    Show(2, 1000.0);
    EXPECT_EQ(m_dlg->VppFontHeight(), 24) << "1000.00 belongs to the second tier";
    const int secondCell = VppCellHeight();
    Show(3, 10000.0);
    EXPECT_EQ(m_dlg->VppFontHeight(), 22);
    const int thirdCell = VppCellHeight();
    Show(4, 100000.0);
    EXPECT_EQ(m_dlg->VppFontHeight(), 20);
    const int topCell = VppCellHeight();

    EXPECT_GT(startCell, secondCell);
    EXPECT_GT(secondCell, thirdCell);
    EXPECT_GT(thirdCell, topCell);
    EXPECT_NEAR(startCell, 28, 1);
    EXPECT_NEAR(topCell, 20, 1);

    // The widest number of each tier fits the readout.
    std::int32_t hands = 10;
    for (double vpp : {999.99, 9999.99, 99999.99, 999999.9}) {
        Show(++hands, vpp);
        const auto* readout = qobject_cast<QLabel*>(Item(Dlg::IDC_VPP));
        EXPECT_LE(QFontMetrics(readout->font()).horizontalAdvance(readout->text()),
                  readout->width())
            << readout->text().toStdString();
    }
}

TEST_F(DisplayTest, HandsAndVppChangeOnlyWithTheHandCount)
{
    MakeWindow();
    Click(Dlg::IDC_START);
    Show(2, 0.6);
    m_app->m_dVpp = 5.0; // no new hand: the VPP readout is not touched
    Tick(5);
    EXPECT_EQ(Text(Dlg::IDC_VPP), "0.60");
    Show(3, 5.0);
    EXPECT_EQ(Text(Dlg::IDC_VPP), "5.00");
}

TEST_F(DisplayTest, SmallWindowIsFramelessOnTopAndRounded)
{
    MakeWindow();
    EXPECT_EQ(m_dlg->size(), QSize(140, 80));
    EXPECT_TRUE(m_dlg->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(m_dlg->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    const QRegion shape = m_dlg->mask();
    EXPECT_EQ(shape.boundingRect(), QRect(QPoint(1, 1), QPoint(138, 78)));
    EXPECT_FALSE(shape.contains(QPoint(1, 1))) << "corners are cut";
    EXPECT_FALSE(shape.contains(QPoint(138, 78)));
    EXPECT_TRUE(shape.contains(QPoint(70, 1)));
    EXPECT_TRUE(shape.contains(QPoint(1, 40)));
    EXPECT_TRUE(shape.contains(QPoint(138, 40)));
}

TEST_F(DisplayTest, At120DpiEverythingScales)
{
    MakeWindow(ScreenScale(120, 120));
    EXPECT_EQ(m_dlg->size(), QSize(175, 100));
    EXPECT_EQ(m_dlg->mask().boundingRect(), QRect(QPoint(1, 1), QPoint(173, 98)));
    EXPECT_NEAR(VppCellHeight(), 35, 1);                   // 28 at 96 dpi
    EXPECT_EQ(Item(Dlg::IDC_TIME)->geometry().left(), 96); // 51 dialog units
    Click(Dlg::IDC_START);
    Show(1, 1000.0);
    EXPECT_NEAR(VppCellHeight(), 30, 1); // 24 at 96 dpi
}

TEST_F(DisplayTest, ControlsStandAtTheirTemplatePlaces)
{
    MakeWindow();
    EXPECT_EQ(Item(Dlg::IDC_TIME)->geometry(), QRect(77, 3, 54, 20));
    EXPECT_EQ(Item(Dlg::IDC_HANDS)->geometry(), QRect(62, 24, 69, 20));
    EXPECT_EQ(Item(Dlg::IDC_VPP)->geometry(), QRect(56, 44, 76, 37));
    EXPECT_EQ(Item(Dlg::IDC_HANDS_LABEL)->pos(), QPoint(33, 26));
    EXPECT_EQ(Item(Dlg::IDC_VPP_LABEL)->pos(), QPoint(33, 50));
    // The buttons take the size of their 22-pixel pictures.
    EXPECT_EQ(Item(Dlg::IDC_START)->geometry(), QRect(6, 50, 22, 22));
    EXPECT_EQ(Item(Dlg::IDC_STOP)->geometry(), QRect(6, 49, 22, 22));
    EXPECT_EQ(Item(Dlg::IDC_PAUSE)->geometry(), QRect(6, 26, 22, 22));
    EXPECT_EQ(Item(Dlg::IDC_START)->toolTip(), "Start timer");
    EXPECT_EQ(Item(Dlg::IDC_STOP)->toolTip(), "Stop timer");
    EXPECT_EQ(Item(Dlg::IDC_PAUSE)->toolTip(), "Pause timer");
}

TEST_F(DisplayTest, ReadoutsUseTimesBoldAndLabelsTheDialogFont)
{
    MakeWindow();
    const QFontInfo time(Item(Dlg::IDC_TIME)->font());
    EXPECT_EQ(Item(Dlg::IDC_TIME)->font().weight(), QFont::Bold);
    EXPECT_TRUE(time.family() == "Times New Roman" || time.family() == "Liberation Serif")
        << time.family().toStdString();
    const QFontMetrics timeMetrics(Item(Dlg::IDC_TIME)->font());
    EXPECT_NEAR(timeMetrics.ascent() + timeMetrics.descent(), 18, 1);
    const QFontMetrics handsMetrics(Item(Dlg::IDC_HANDS)->font());
    EXPECT_NEAR(handsMetrics.ascent() + handsMetrics.descent(), 22, 1);

    const QFont label = Item(Dlg::IDC_HANDS_LABEL)->font();
    EXPECT_EQ(label.weight(), QFont::Normal);
    EXPECT_EQ(label.pixelSize(), 11);
    // Nothing of the labels' text is cut off.
    const QFontMetrics labelMetrics(label);
    EXPECT_LE(labelMetrics.horizontalAdvance("Hands"), Item(Dlg::IDC_HANDS_LABEL)->width());
}

TEST_F(DisplayTest, ColoursComeFromTheSettingsWithRedInTheLowByte)
{
    m_app->m_crColorBg = 0x00302010; // blue 0x30, green 0x20, red 0x10
    m_app->m_crColorText = 0x000000FF;
    m_app->m_crColorText2 = 0x0000FF00;
    m_app->m_crColorText3 = 0x00FF0000;
    MakeWindow();
    EXPECT_EQ(TextColour(Dlg::IDC_TIME), QColor(255, 0, 0));
    EXPECT_EQ(TextColour(Dlg::IDC_HANDS), QColor(0, 255, 0));
    EXPECT_EQ(TextColour(Dlg::IDC_HANDS_LABEL), QColor(0, 255, 0));
    EXPECT_EQ(TextColour(Dlg::IDC_VPP), QColor(0, 0, 255));
    EXPECT_EQ(TextColour(Dlg::IDC_VPP_LABEL), QColor(0, 0, 255));
    const QImage shown = m_dlg->grab().toImage();
    EXPECT_EQ(shown.pixelColor(45, 74), QColor(0x10, 0x20, 0x30)) << "the window's background";
}

TEST_F(DisplayTest, IndicatorsShowByTheirEnableFlagsInARow)
{
    m_app->m_bHandsAlarm = 1;
    m_app->m_bVppAlarm = 0;
    m_app->m_bTimeAlarm = 1;
    MakeWindow();
    QWidget* time = Item(Dlg::IDC_TIME_ALARM);
    QWidget* hands = Item(Dlg::IDC_HANDS_ALARM);
    QWidget* vpp = Item(Dlg::IDC_VPP_ALARM);
    EXPECT_TRUE(time->isVisible());
    EXPECT_TRUE(hands->isVisible());
    EXPECT_FALSE(vpp->isVisible());
    EXPECT_EQ(time->pos(), QPoint(6, 5));
    EXPECT_EQ(hands->pos(), QPoint(26, 5));
    EXPECT_EQ(vpp->pos(), QPoint(44, 5));
    for (QWidget* indicator : {time, hands, vpp}) {
        const auto* label = qobject_cast<QLabel*>(indicator);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->pixmap().size(), QSize(16, 16));
    }
}

TEST_F(DisplayTest, OpacityFollowsTheSettingAndNeverVanishes)
{
    // 0 counts as 1; no setting may make the window invisible by wrapping around.
    const std::pair<int, int> alphas[] = {{50, 127}, {100, 254}, {0, 2}, {356, 254}};
    for (const auto& [percent, alpha] : alphas) {
        SCOPED_TRACE(percent);
        m_app->m_nOpacity = percent;
        MakeWindow();
        EXPECT_NEAR(m_dlg->windowOpacity(), alpha / 255.0, 0.002);
    }
}

TEST_F(DisplayTest, AMalformedSavedPositionCountsItsUnreadFieldsAsZero)
{
    CSettingsStore(CZellwickApp::kCompanyName, SettingsName())
        .WriteString(L"View", L"wndPos", L"250:x");
    MakeWindow();
    EXPECT_EQ(m_dlg->pos(), QPoint(250, 0));
}

} // namespace
} // namespace zellwick::test
