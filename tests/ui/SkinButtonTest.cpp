// The skinned button as the timer window and the settings dialog use it: looks, toggling,
// clicks, hover, shape and tooltips, driven by synthetic input on real widgets.

#include "ui/CxSkinButton.h"

#include "tests/support/TestSupport.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/Resources.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace zellwick::test;

constexpr int kSize = 30;
const QColor kNormal(200, 40, 40);
const QColor kDown(40, 160, 40);
const QColor kOver(40, 40, 200);
const QColor kDisabled(128, 128, 128);
const QPoint kCentre(kSize / 2, kSize / 2);
const QPoint kCorner(0, 0); // inside the rectangle, outside the round shape
const QPoint kOutside(kSize + 10, kSize + 10);

struct ClickSeen
{
    bool argument;
    bool checkedThen;
};

class SkinButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_parent.resize(120, 120);
        m_parent.show();
    }

    CxSkinButton* Make(CxSkinButton::Kind kind)
    {
        auto* button = new CxSkinButton(&m_parent, kind);
        button->LoadSkin(Solid(kNormal, kSize), Solid(kDown, kSize), Solid(kOver, kSize),
                         Solid(kDisabled, kSize), DiscMask(kSize));
        button->move(10, 10);
        button->show();
        QObject::connect(button, &QAbstractButton::clicked, button, [this, button](bool checked) {
            m_clicks.push_back({checked, button->isChecked()});
        });
        return button;
    }

    QWidget m_parent;
    std::vector<ClickSeen> m_clicks;
};

TEST_F(SkinButtonTest, ClickLeavesToggleCheckedAndTheClickSeesTheNewState)
{
    CxSkinButton* button = Make(CxSkinButton::Kind::Toggle);

    Click(button, kCentre);

    EXPECT_TRUE(button->isChecked());
    ASSERT_EQ(m_clicks.size(), 1u);
    EXPECT_TRUE(m_clicks[0].argument);
    EXPECT_TRUE(m_clicks[0].checkedThen);
    EXPECT_EQ(ShownAt(button, kCentre), kDown);

    Click(button, kCentre);

    EXPECT_FALSE(button->isChecked());
    ASSERT_EQ(m_clicks.size(), 2u);
    EXPECT_FALSE(m_clicks[1].checkedThen);

    // The space key toggles too.
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_TRUE(button->isChecked());
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(m_clicks.size(), 4u);
}

TEST_F(SkinButtonTest, ReleaseOutsideOrOverTheCutAwayCornerNeitherTogglesNorClicks)
{
    CxSkinButton* button = Make(CxSkinButton::Kind::Toggle);
    for (QPoint away : {kOutside, kCorner}) {
        Press(button, kCentre);
        Move(button, away, Qt::LeftButton);
        Release(button, away);
    }
    EXPECT_FALSE(button->isChecked());
    EXPECT_TRUE(m_clicks.empty());
}

TEST_F(SkinButtonTest, PressedLookFollowsThePointerOffAndBack)
{
    CxSkinButton* button = Make(CxSkinButton::Kind::Plain);

    Press(button, kCentre);
    EXPECT_EQ(ShownAt(button, kCentre), kDown);
    Move(button, kOutside, Qt::LeftButton);
    EXPECT_EQ(ShownAt(button, kCentre), kNormal);
    Move(button, kCentre, Qt::LeftButton);
    EXPECT_EQ(ShownAt(button, kCentre), kDown);
    Release(button, kCentre);

    EXPECT_EQ(m_clicks.size(), 1u);
    EXPECT_EQ(ShownAt(button, kCentre), kNormal);
}

TEST_F(SkinButtonTest, DoubleClickIsTwoPressesSoAToggleEndsAsItWas)
{
    CxSkinButton* toggle = Make(CxSkinButton::Kind::Toggle);

    DoubleClick(toggle, kCentre);

    EXPECT_FALSE(toggle->isChecked());
    ASSERT_EQ(m_clicks.size(), 2u);
    EXPECT_TRUE(m_clicks[0].checkedThen);
    EXPECT_FALSE(m_clicks[1].checkedThen);

    toggle->setChecked(true);
    DoubleClick(toggle, kCentre);
    EXPECT_TRUE(toggle->isChecked());
}

TEST_F(SkinButtonTest, PlainButtonIgnoresACheckAndSoDoesAToggleMadePlain)
{
    CxSkinButton* button = Make(CxSkinButton::Kind::Plain);

    button->setChecked(true);
    EXPECT_FALSE(button->isChecked());

    Click(button, kCentre);
    EXPECT_FALSE(button->isChecked());
    ASSERT_EQ(m_clicks.size(), 1u);
    EXPECT_FALSE(m_clicks[0].argument);
    EXPECT_EQ(ShownAt(button, kCentre), kNormal);

    // A checked toggle that becomes plain lets go of its check, and takes one again as a toggle.
    CxSkinButton* toggle = Make(CxSkinButton::Kind::Toggle);
    toggle->setChecked(true);
    toggle->SetKind(CxSkinButton::Kind::Plain);
    EXPECT_FALSE(toggle->isChecked());
    toggle->setChecked(true);
    EXPECT_FALSE(toggle->isChecked());
    toggle->SetKind(CxSkinButton::Kind::Toggle);
    toggle->setChecked(true);
    EXPECT_TRUE(toggle->isChecked());
}

TEST_F(SkinButtonTest, DisabledLookWinsOverCheckedAndHover)
{
    CxSkinButton* button = Make(CxSkinButton::Kind::Toggle);
    button->setChecked(true);
    Enter(button, kCentre);

    button->setEnabled(false);
    EXPECT_EQ(ShownAt(button, kCentre), kDisabled);

    button->setEnabled(true);
    EXPECT_EQ(ShownAt(button, kCentre), kDown);
}

TEST_F(SkinButtonTest, HoverShowsTheOverPictureUntilTheMouseLeavesOrPresses)
{
    CxSkinButton* button = Make(CxSkinButton::Kind::Plain);

    Enter(button, kCentre);
    EXPECT_TRUE(button->IsHovering());
    EXPECT_EQ(ShownAt(button, kCentre), kOver);

    Leave(button);
    EXPECT_FALSE(button->IsHovering());
    EXPECT_EQ(ShownAt(button, kCentre), kNormal);

    // A press ends hover until the mouse moves again.
    Enter(button, kCentre);
    Click(button, kCentre);
    EXPECT_FALSE(button->IsHovering());
    EXPECT_EQ(ShownAt(button, kCentre), kNormal);

    Move(button, kCentre + QPoint(1, 0));
    EXPECT_TRUE(button->IsHovering());
    EXPECT_EQ(ShownAt(button, kCentre), kOver);
}

TEST_F(SkinButtonTest, LosingFocusWhilePressedLetsGoWithoutAClick)
{
    CxSkinButton* button = Make(CxSkinButton::Kind::Toggle);

    Press(button, kCentre);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(button, &focusOut);
    EXPECT_EQ(ShownAt(button, kCentre), kNormal);
    Release(button, kCentre);

    EXPECT_FALSE(button->isChecked());
    EXPECT_TRUE(m_clicks.empty());
}

TEST_F(SkinButtonTest, MissingPicturesFallBackToNormalOrButtonFace)
{
    auto* button = new CxSkinButton(&m_parent, CxSkinButton::Kind::Toggle);
    button->LoadSkin(Solid(kNormal, kSize), QImage(), QImage(), QImage(), DiscMask(kSize));
    button->show();

    Enter(button, kCentre);
    EXPECT_EQ(ShownAt(button, kCentre), kNormal); // no over picture: the normal one

    button->setChecked(true);
    EXPECT_EQ(ShownAt(button, kCentre), m_parent.palette().color(QPalette::Button));
}

class Recorder : public QWidget
{
public:
    int m_nPresses = 0;
    int m_nMenus = 0;

protected:
    void mousePressEvent(QMouseEvent* /*event*/) override { ++m_nPresses; }
    void contextMenuEvent(QContextMenuEvent* /*event*/) override { ++m_nMenus; }
};

void RightClick(QWidget* widget, QPoint pos)
{
    Press(widget, pos, Qt::RightButton);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, pos, widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &menu);
    Release(widget, pos, Qt::RightButton);
}

TEST(SkinButtonInput, RightClickOnAButtonDoesNotReachTheWindowBehindIt)
{
    Recorder window;
    window.resize(100, 60);
    auto* button = new CxSkinButton(&window, CxSkinButton::Kind::Toggle);
    button->LoadSkin(Solid(kNormal, kSize), Solid(kDown, kSize), QImage(), QImage(),
                     DiscMask(kSize));
    auto* label = new QWidget(&window); // any other child passes the click on
    label->setGeometry(50, 0, 40, 40);
    window.show();

    RightClick(button, kCentre);
    EXPECT_EQ(window.m_nPresses, 0);
    EXPECT_EQ(window.m_nMenus, 0);
    EXPECT_FALSE(button->isChecked());

    RightClick(label, QPoint(5, 5));
    EXPECT_EQ(window.m_nPresses, 1);
    EXPECT_EQ(window.m_nMenus, 1);
}

TEST(SkinButtonShape, TakesTheMasksShapeAndSizeOrWithoutOneTheNormalPicturesRectangle)
{
    QWidget parent;
    CxSkinButton button(&parent);
    button.LoadSkin(Solid(kNormal, 20), Solid(kDown, 20), QImage(), QImage(), DiscMask(kSize));
    EXPECT_EQ(button.size(), QSize(kSize, kSize));
    EXPECT_EQ(button.mask(), CxSkinButton::RegionFromMask(DiscMask(kSize)));
    EXPECT_FALSE(button.mask().contains(kCorner));

    button.LoadSkin(Solid(kNormal, 20), Solid(kDown, 20), QImage(), QImage(), QImage());
    EXPECT_EQ(button.size(), QSize(20, 20));
    EXPECT_TRUE(button.mask().isEmpty());
}

TEST(SkinButtonLooks, DisabledNumberZeroShowsTheNormalPicture)
{
    QWidget parent;
    auto* button = new CxSkinButton(&parent);
    button->LoadSkin(133, 134, 134, 0, 136);
    parent.show();
    const QPoint onTheDisc(11, 4); // above the symbol, where the looks differ in colour
    const QColor normal = Resources::LoadBitmap(133).pixelColor(onTheDisc);
    const QColor disabled = Resources::LoadBitmap(135).pixelColor(onTheDisc);
    ASSERT_NE(normal, disabled);

    button->setEnabled(false);
    EXPECT_EQ(ShownAt(button, onTheDisc), normal);

    button->LoadSkin(133, 134, 134, 135, 136);
    EXPECT_EQ(ShownAt(button, onTheDisc), disabled);
}

TEST(SkinButtonLooks, CaptionIsCentredAndMovesWithThePress)
{
    QWidget parent;
    auto* button = new CxSkinButton(&parent);
    button->LoadSkin(Solid(kNormal, 40), Solid(kNormal, 40), QImage(), QImage(), QImage());
    button->setText(QStringLiteral("OK"));
    button->SetTextColor(Qt::white);
    parent.show();

    const auto inkBox = [button] {
        const QImage shown = button->grab().toImage();
        QRect box;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                if (shown.pixelColor(x, y).green() > 120) // white ink over the red face
                    box |= QRect(x, y, 1, 1);
            }
        }
        return box;
    };
    const QRect up = inkBox();
    ASSERT_FALSE(up.isEmpty());
    EXPECT_NEAR(up.center().x(), 20, 2);
    EXPECT_NEAR(up.center().y(), 20, 3);

    Press(button, QPoint(20, 20));
    EXPECT_EQ(inkBox(), up.translated(1, 1));
    Release(button, QPoint(20, 20));
}

TEST(SkinButtonTips, SecondTipTextReplacesTheFirst)
{
    QWidget parent;
    auto* button = new CxSkinButton(&parent);
    button->LoadSkin(133, 134, 134, 135, 136);
    parent.show();

    button->SetTipText(QStringLiteral("Start timer"));
    EXPECT_EQ(button->toolTip(), QStringLiteral("Start timer"));
    button->SetTipText(QStringLiteral("Stop timer"));
    EXPECT_EQ(button->toolTip(), QStringLiteral("Stop timer"));

    const QPoint at(11, 11);
    QHelpEvent help(QEvent::ToolTip, at, button->mapToGlobal(at));
    QApplication::sendEvent(button, &help);
    EXPECT_TRUE(WaitFor([] { return QToolTip::isVisible(); }));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Stop timer"));
    QToolTip::hideText();
}

} // namespace
