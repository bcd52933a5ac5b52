// The skinned button as the windows use it: its shape from the mask, its looks, toggling,
// clicks, hover and tooltip, driven by synthetic input on real widgets.

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

class SkinButtonTest : public ::testing::Test
{
protected:
    SkinButtonTest()
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
        // What the parent sees: the check state in the click.
        QObject::connect(button, &QAbstractButton::clicked, button,
                         [this, button] { m_clicks.push_back(button->isChecked()); });
        return button;
    }
    QColor Shown(CxSkinButton* button) const { return ShownAt(button, kCentre); }

    QWidget m_parent;
    std::vector<bool> m_clicks;
};

TEST_F(SkinButtonTest, TheShapeIsExactlyTheMasksNonWhitePixelsRowByRow)
{
    QImage mask(6, 3, QImage::Format_RGB32);
    mask.fill(Qt::white);
    for (int x : {1, 2, 3, 4})
        mask.setPixel(x, 0, qRgb(0, 0, 0));   // a run ending before the last column
    mask.setPixel(5, 1, qRgb(254, 255, 255)); // one pixel in the last column, not pure white
    mask.setPixel(0, 2, qRgb(0, 0, 0));       // no run wraps into the next row
    EXPECT_EQ(CxSkinButton::RegionFromMask(mask),
              QRegion(1, 0, 4, 1).united(QRegion(5, 1, 1, 1)).united(QRegion(0, 2, 1, 1)));
    EXPECT_TRUE(CxSkinButton::RegionFromMask(QImage()).isEmpty());
    for (int id : {136, 183, 170, 143}) {
        const QImage picture = Resources::LoadBitmap(id);
        const QRegion region = CxSkinButton::RegionFromMask(picture);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x)
                ASSERT_EQ(region.contains({x, y}), (picture.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF);
        }
    }
    CxSkinButton* button = Make(CxSkinButton::Kind::Plain);
    EXPECT_EQ(button->mask(), CxSkinButton::RegionFromMask(DiscMask(kSize)));
    button->LoadSkin(Solid(kNormal, 20), QImage(), QImage(), QImage(), QImage());
    EXPECT_EQ(button->size(), QSize(20, 20)) << "without a mask, the normal picture's size";
    EXPECT_TRUE(button->mask().isEmpty());
}

TEST_F(SkinButtonTest, AToggleFlipsOnClickSpaceAndEachHalfOfADoubleClick)
{
    CxSkinButton* button = Make(CxSkinButton::Kind::Toggle);
    Click(button, kCentre);
    EXPECT_TRUE(button->isChecked());
    EXPECT_EQ(Shown(button), kDown);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_FALSE(button->isChecked());
    DoubleClick(button, kCentre);
    EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(m_clicks, (std::vector<bool>{true, false, true, false}));
    // Released outside the button or over a corner it cut away: no toggle and no click.
    for (QPoint away : {kOutside, kCorner}) {
        Press(button, kCentre);
        Move(button, away, Qt::LeftButton);
        EXPECT_EQ(Shown(button), kNormal) << "the pressed look follows the pointer";
        Release(button, away);
    }
    Press(button, kCentre);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(button, &focusOut);
    Release(button, kCentre);
    EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(m_clicks.size(), 4u);
}

TEST_F(SkinButtonTest, APlainButtonClicksButNeverStaysChecked)
{
    CxSkinButton* button = Make(CxSkinButton::Kind::Plain);
    Press(button, kCentre);
    EXPECT_EQ(Shown(button), kDown);
    Release(button, kCentre);
    button->setChecked(true);
    EXPECT_EQ(m_clicks, std::vector<bool>{false});
    EXPECT_EQ(Shown(button), kNormal);
    CxSkinButton* toggle = Make(CxSkinButton::Kind::Toggle);
    toggle->setChecked(true);
    toggle->SetKind(CxSkinButton::Kind::Plain);
    EXPECT_FALSE(toggle->isChecked());
}

TEST_F(SkinButtonTest, LooksDisabledOverCheckedOverHoverAndFallBackWhenMissing)
{
    CxSkinButton* button = Make(CxSkinButton::Kind::Toggle);
    Enter(button, kCentre);
    EXPECT_EQ(Shown(button), kOver);
    Leave(button);
    EXPECT_EQ(Shown(button), kNormal);
    Move(button, kCentre);
    EXPECT_TRUE(button->IsHovering());
    Click(button, kCentre); // a press ends hovering
    EXPECT_FALSE(button->IsHovering());
    button->setEnabled(false);
    EXPECT_EQ(Shown(button), kDisabled);
    button->setEnabled(true);
    EXPECT_EQ(Shown(button), kDown);

    button->LoadSkin(Solid(kNormal, kSize), QImage(), QImage(), QImage(), DiscMask(kSize));
    Enter(button, kCentre);
    EXPECT_EQ(Shown(button), m_parent.palette().color(QPalette::Button));
    button->setChecked(false);
    EXPECT_EQ(Shown(button), kNormal) << "no over picture: the normal one";
    button->LoadSkin(133, 134, 134, 0, 136); // disabled number 0: the normal picture
    button->setEnabled(false);
    EXPECT_EQ(ShownAt(button, {11, 4}), Resources::LoadBitmap(133).pixelColor(11, 4));
}

TEST_F(SkinButtonTest, ARightClickStaysWithTheButtonAndTheCaptionMovesWithThePress)
{
    struct Window : QWidget
    {
        int events = 0;
        void mousePressEvent(QMouseEvent*) override { ++events; }
        void contextMenuEvent(QContextMenuEvent*) override { ++events; }
    } window;
    auto* button = new CxSkinButton(&window, CxSkinButton::Kind::Toggle);
    button->LoadSkin(Solid(kNormal, 40), Solid(kNormal, 40), QImage(), QImage(), QImage());
    button->setText(QStringLiteral("OK"));
    button->SetTextColor(Qt::white);
    window.show();
    Press(button, kCentre, Qt::RightButton);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, kCentre, button->mapToGlobal(kCentre));
    QApplication::sendEvent(button, &menu);
    Release(button, kCentre, Qt::RightButton);
    EXPECT_EQ(window.events, 0);
    EXPECT_FALSE(button->isChecked());

    const auto ink = [button] {
        const QImage shown = button->grab().toImage();
        QRect box;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x)
                box |= shown.pixelColor(x, y).green() > 120 ? QRect(x, y, 1, 1) : QRect();
        }
        return box;
    };
    const QRect up = ink();
    EXPECT_NEAR(up.center().x(), 20, 2);
    EXPECT_NEAR(up.center().y(), 20, 3);
    Press(button, {20, 20});
    EXPECT_EQ(ink(), up.translated(1, 1));
    Release(button, {20, 20});

    button->SetTipText(QStringLiteral("Start timer"));
    button->SetTipText(QStringLiteral("Stop timer"));
    QHelpEvent help(QEvent::ToolTip, {11, 11}, button->mapToGlobal(QPoint(11, 11)));
    QApplication::sendEvent(button, &help);
    EXPECT_TRUE(WaitFor([] { return QToolTip::text() == "Stop timer"; }));
    QToolTip::hideText();
}

} // namespace
