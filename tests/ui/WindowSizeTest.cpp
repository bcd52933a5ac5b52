// The timer window's three sizes: where the window stands and how large it is, the controls'
// places, fonts, buttons, indicators and shape of each size, and the saved place.

#include "tests/ui/WindowTestSupport.h"

#include <QFontMetrics>
#include <QLabel>
#include <QScreen>

namespace zellwick::test {
namespace {

using Dlg = CZellwickDlg;

// The window as made from its template at 96 dpi: 94 x 54 dialog units.
constexpr QSize kTemplate(141, 88);

// What each size lays out at 96 dpi, worked out by hand from the window's width and height:
// time, hands, VPP, Start, Stop, VPP label, Pause, hands label; the font cell heights of time,
// labels, hands and VPP; the indicator size; the hands and VPP indicators' x.
struct Layout
{
    QRect time, hands, vpp, start, stop, vppLabel, pause, handsLabel;
    int timeCell, labelCell, handsCell, vppCell, icon, handsIconX, vppIconX;
};

// By size: Small, Medium, Large.
const Layout kLayouts[] = {
    {QRect(70, 3, 65, 22), QRect(70, 25, 65, 22), QRect(70, 54, 65, 44), QRect(3, 58, 22, 22),
     QRect(3, 58, 22, 22), QRect(35, 56, 35, 29), QRect(3, 37, 22, 22), QRect(35, 28, 35, 29), 20,
     14, 24, 30, 16, 26, 44},
    {QRect(110, 3, 105, 32), QRect(110, 35, 105, 32), QRect(110, 74, 105, 64), QRect(3, 84, 33, 33),
     QRect(3, 84, 33, 33), QRect(55, 82, 55, 42), QRect(3, 50, 33, 33), QRect(55, 41, 55, 42), 26,
     20, 30, 36, 24, 34, 60},
    {QRect(150, 3, 145, 42), QRect(150, 45, 145, 42), QRect(150, 94, 145, 84),
     QRect(3, 112, 44, 44), QRect(3, 112, 44, 44), QRect(75, 110, 75, 56), QRect(3, 64, 44, 44),
     QRect(75, 55, 75, 56), 34, 28, 38, 44, 24, 34, 60},
};

class WindowSizeTest : public WindowTest
{
protected:
    void SaveStart(const std::wstring& wndPos, int size)
    {
        m_app->WriteWindowPos(wndPos);
        m_app->WriteViewSize(size);
    }

    // As the settings dialog leaves it, then the window's own step.
    void ChooseSize(int size)
    {
        m_app->m_nSize = size;
        m_dlg->ApplySize(size);
    }

    int Cell(int id) const
    {
        const QFontMetrics metrics(Item(id)->font());
        return metrics.ascent() + metrics.descent();
    }

    void ExpectLayout(const Layout& layout)
    {
        EXPECT_EQ(Item(Dlg::IDC_TIME)->geometry(), layout.time);
        EXPECT_EQ(Item(Dlg::IDC_HANDS)->geometry(), layout.hands);
        EXPECT_EQ(Item(Dlg::IDC_VPP)->geometry(), layout.vpp);
        EXPECT_EQ(Item(Dlg::IDC_START)->geometry(), layout.start);
        EXPECT_EQ(Item(Dlg::IDC_STOP)->geometry(), layout.stop);
        EXPECT_EQ(Item(Dlg::IDC_PAUSE)->geometry(), layout.pause);
        // A label wider than its place (Small's "Hands") grows to the right to show it all.
        for (const auto& [id, place] : {std::pair{Dlg::IDC_VPP_LABEL, layout.vppLabel},
                                        std::pair{Dlg::IDC_HANDS_LABEL, layout.handsLabel}}) {
            const QRect shown = Item(id)->geometry();
            EXPECT_EQ(shown.topLeft(), place.topLeft()) << id;
            EXPECT_EQ(shown.height(), place.height()) << id;
            EXPECT_GE(shown.width(), place.width()) << id;
            EXPECT_LE(shown.right(), layout.time.left() + 5) << id;
        }

        EXPECT_NEAR(Cell(Dlg::IDC_TIME), layout.timeCell, 1);
        EXPECT_NEAR(Cell(Dlg::IDC_HANDS_LABEL), layout.labelCell, 1);
        EXPECT_NEAR(Cell(Dlg::IDC_VPP_LABEL), layout.labelCell, 1);
        EXPECT_NEAR(Cell(Dlg::IDC_HANDS), layout.handsCell, 1);
        EXPECT_NEAR(Cell(Dlg::IDC_VPP), layout.vppCell, 1);
        EXPECT_EQ(Item(Dlg::IDC_HANDS_LABEL)->font().family(), "Arial");
        EXPECT_EQ(Item(Dlg::IDC_HANDS_LABEL)->font().weight(), QFont::Normal);
        EXPECT_EQ(Item(Dlg::IDC_VPP)->font().weight(), QFont::Bold);

        // The time indicator stays; the other two line up to its right.
        EXPECT_EQ(Item(Dlg::IDC_TIME_ALARM)->pos(), QPoint(6, 5));
        EXPECT_EQ(Item(Dlg::IDC_HANDS_ALARM)->pos(), QPoint(layout.handsIconX, 5));
        EXPECT_EQ(Item(Dlg::IDC_VPP_ALARM)->pos(), QPoint(layout.vppIconX, 5));
        for (int id : {Dlg::IDC_TIME_ALARM, Dlg::IDC_HANDS_ALARM, Dlg::IDC_VPP_ALARM}) {
            const auto* indicator = qobject_cast<QLabel*>(Item(id));
            EXPECT_EQ(indicator->pixmap().size(), QSize(layout.icon, layout.icon)) << id;
        }
    }

    // The shape runs from (1, 1) to one pixel short of the far edges.
    void ExpectShapeFits()
    {
        const QRegion shape = m_dlg->mask();
        EXPECT_EQ(shape.boundingRect(),
                  QRect(QPoint(1, 1), QPoint(m_dlg->width() - 2, m_dlg->height() - 2)));
        EXPECT_FALSE(shape.contains(QPoint(1, 1)));
        EXPECT_TRUE(shape.contains(QPoint(m_dlg->width() / 2, 1)));
    }
};

TEST_F(WindowSizeTest, LargeStartKeepsTheSavedCornerAndGrowsByTheScaledGrowth)
{
    for (int dpi : {96, 120}) {
        SCOPED_TRACE(dpi);
        SaveStart(L"500:300:640:380", Dlg::kLarge);
        MakeWindow(ScreenScale(dpi, dpi));
        const ScreenScale& scale = m_dlg->Scale();
        const QSize templ(scale.ScaleX(kTemplate.width()), scale.ScaleY(kTemplate.height()));
        EXPECT_EQ(m_dlg->pos(), QPoint(500, 300));
        EXPECT_EQ(m_dlg->size(), templ + QSize(2 * scale.ScaleX(80), scale.ScaleX(80)));
        EXPECT_EQ(m_app->m_nAppliedSize, Dlg::kLarge);
        EXPECT_EQ(m_app->m_nSize, Dlg::kLarge);
        ExpectShapeFits();
        m_dlg.reset();
    }
}

TEST_F(WindowSizeTest, MediumStartKeepsTheSavedCornerToo)
{
    SaveStart(L"500:300:640:380", Dlg::kMedium);
    MakeWindow();
    EXPECT_EQ(m_dlg->geometry(), QRect(QPoint(500, 300), kTemplate + QSize(80, 40)));
    ExpectLayout(kLayouts[Dlg::kMedium]);
    ExpectShapeFits();
}

TEST_F(WindowSizeTest, EachSizeLaysOutItsControlsItsFontsAndItsShape)
{
    SaveStart(L"200:150:340:230", Dlg::kSmall);
    MakeWindow();
    ChooseSize(Dlg::kLarge);
    EXPECT_EQ(m_dlg->geometry(), QRect(120, 70, 301, 168));
    ExpectLayout(kLayouts[Dlg::kLarge]);
    ExpectShapeFits();
    EXPECT_FALSE(m_dlg->mask().contains(QPoint(5, 5))) << "Large has the widest corners";

    ChooseSize(Dlg::kMedium);
    EXPECT_EQ(m_dlg->geometry(), QRect(160, 110, 221, 128));
    ExpectLayout(kLayouts[Dlg::kMedium]);
    ExpectShapeFits();

    // Back to Small: the template's size with the Small layout, not the start-up window.
    ChooseSize(Dlg::kSmall);
    EXPECT_EQ(m_dlg->geometry(), QRect(QPoint(200, 150), kTemplate));
    ExpectLayout(kLayouts[Dlg::kSmall]);
    ExpectShapeFits();
    EXPECT_TRUE(m_dlg->mask().contains(QPoint(5, 5)));
    EXPECT_EQ(m_app->m_nAppliedSize, Dlg::kSmall);
}

TEST_F(WindowSizeTest, ChoosingTheAppliedSizeChangesNothing)
{
    SaveStart(L"500:300:0:0", Dlg::kLarge);
    MakeWindow();
    Click(Dlg::IDC_START);
    m_app->m_nHandCount = 1;
    m_app->m_dVpp = 1000.0; // the display update picks a smaller VPP font of its own
    Tick(5);
    const int vppCell = Cell(Dlg::IDC_VPP);
    EXPECT_NEAR(vppCell, 40, 1);
    m_dlg->move(20, 30);
    std::map<int, QRect> before;
    for (int id : {Dlg::IDC_TIME, Dlg::IDC_HANDS, Dlg::IDC_VPP, Dlg::IDC_STOP, Dlg::IDC_PAUSE,
                   Dlg::IDC_HANDS_LABEL, Dlg::IDC_VPP_LABEL, Dlg::IDC_HANDS_ALARM})
        before[id] = Item(id)->geometry();
    const QRegion shape = m_dlg->mask();

    ChooseSize(Dlg::kLarge);

    EXPECT_EQ(m_dlg->pos(), QPoint(20, 30)) << "not even moved back";
    EXPECT_EQ(Cell(Dlg::IDC_VPP), vppCell) << "not even the fonts";
    for (const auto& [id, rect] : before)
        EXPECT_EQ(Item(id)->geometry(), rect) << id;
    EXPECT_EQ(m_dlg->mask(), shape);

    m_dlg.reset();
    m_app->WriteViewSize(Dlg::kSmall);
    MakeWindow();
    ChooseSize(Dlg::kSmall);
    EXPECT_EQ(m_dlg->size(), QSize(140, 80)) << "the start-up Small window stays as it is";
}

TEST_F(WindowSizeTest, OtherSizeNumbersLeaveTheLayoutAlone)
{
    SaveStart(L"200:150:0:0", 5);
    MakeWindow();
    EXPECT_EQ(m_dlg->geometry(), QRect(200, 150, 140, 80));
    EXPECT_EQ(m_app->m_nAppliedSize, Dlg::kSmall);
    ChooseSize(-1);
    EXPECT_EQ(m_dlg->geometry(), QRect(200, 150, 140, 80));
}

TEST_F(WindowSizeTest, ASizeChangeAfterDraggingJumpsBackToTheStartUpPlace)
{
    SaveStart(L"200:150:340:230", Dlg::kSmall);
    MakeWindow();
    m_dlg->move(400, 420);
    ChooseSize(Dlg::kMedium);
    EXPECT_EQ(m_dlg->pos(), QPoint(160, 110));
}

TEST_F(WindowSizeTest, WithoutASavedPlaceTheWindowIsCentredAndGrowsFromThere)
{
    MakeWindow();
    const QRect screen = m_dlg->screen()->availableGeometry();
    const QPoint centre = m_dlg->geometry().center();
    EXPECT_LE((centre - screen.center()).manhattanLength(), 2);
    const QPoint startup = m_dlg->pos();
    ChooseSize(Dlg::kMedium);
    EXPECT_EQ(m_dlg->pos(), startup - QPoint(40, 40));
}

TEST_F(WindowSizeTest, NoTextIsCutOffInAnySize)
{
    const auto expectAllFits = [this](const std::string& when) {
        for (int id : {Dlg::IDC_TIME, Dlg::IDC_HANDS, Dlg::IDC_VPP, Dlg::IDC_HANDS_LABEL,
                       Dlg::IDC_VPP_LABEL}) {
            const auto* label = qobject_cast<QLabel*>(Item(id));
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << when << ": " << label->text().toStdString();
            EXPECT_TRUE(m_dlg->rect().contains(label->geometry().topLeft())) << when << " " << id;
        }
    };
    MakeWindow();
    Click(Dlg::IDC_START);
    Tick(123 * 3600);
    std::int32_t hands = 99'990;
    for (int size : {Dlg::kLarge, Dlg::kMedium, Dlg::kSmall}) {
        m_app->m_nHandCount = ++hands;
        m_app->m_dVpp = 999.99;
        Tick(5);
        // The new size's own VPP font, until the next hand changes it.
        ChooseSize(size);
        expectAllFits("size " + std::to_string(size));
        for (double vpp : {999.99, 9999.99, 99999.99, 999999.9}) {
            m_app->m_nHandCount = ++hands;
            m_app->m_dVpp = vpp;
            Tick(5);
            expectAllFits("size " + std::to_string(size) + ", VPP " + std::to_string(vpp));
        }
    }
}

TEST_F(WindowSizeTest, ALargeWindowSavesItsGrownRectangleAndReturnsThere)
{
    SaveStart(L"500:300:640:380", Dlg::kLarge);
    MakeWindow();
    m_dlg->close();
    EXPECT_EQ(m_app->ReadWindowPos(), L"500:300:801:468");
    MakeWindow();
    EXPECT_EQ(m_dlg->geometry(), QRect(500, 300, 301, 168));
}

} // namespace
} // namespace zellwick::test
