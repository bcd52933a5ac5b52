// The window's small parts: MulDiv's rounding, the rounded shape and the sound player.

#include "ui/QtSoundPlayer.h"
#include "ui/ScreenScale.h"
#include "ui/WindowLook.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(ScreenScaleTest, MulDivRoundsHalfAwayFromZeroAndFailsAsWindowsDoes)
{
    EXPECT_EQ(MulDiv(139, 120, 96), 174); // 173.75
    EXPECT_EQ(MulDiv(5, 3, 2), 8);        // 7.5
    EXPECT_EQ(MulDiv(-5, 3, 2), -8);
    EXPECT_EQ(MulDiv(7, 1, 3), 2);
    EXPECT_EQ(MulDiv(5, 1, 0), -1);
    EXPECT_EQ(MulDiv(2'000'000'000, 4, 2), -1) << "a result beyond int";
    EXPECT_EQ(MulDiv(2'000'000'000, 2, 4), 1'000'000'000) << "the product may exceed int";
}

TEST(WindowLookTest, RoundedShapeIsSymmetricAndCutAtTheCorners)
{
    const QRegion shape = RoundRectRegion(1, 1, 139, 79, 15, 15);
    EXPECT_EQ(shape.boundingRect(), QRect(QPoint(1, 1), QPoint(138, 78)));
    for (int y = 1; y < 79; ++y) {
        for (int x = 1; x < 70; ++x) {
            const int mirrorX = 139 - (x - 1) - 1;
            const int mirrorY = 79 - (y - 1) - 1;
            ASSERT_EQ(shape.contains(QPoint(x, y)), shape.contains(QPoint(mirrorX, y)))
                << x << "," << y;
            ASSERT_EQ(shape.contains(QPoint(x, y)), shape.contains(QPoint(x, mirrorY)))
                << x << "," << y;
        }
    }
    EXPECT_FALSE(shape.contains(QPoint(2, 2)));
    EXPECT_TRUE(shape.contains(QPoint(8, 1)));
    EXPECT_TRUE(shape.contains(QPoint(1, 8)));
    EXPECT_TRUE(shape.contains(QPoint(5, 5)));
    EXPECT_TRUE(RoundRectRegion(5, 5, 5, 10, 15, 15).isEmpty());
}

TEST(SoundPlayerTest, TheBuiltInSoundsArePartOfTheProgram)
{
    for (int id : {156, 157, 169}) {
        QtSoundPlayer player;
        player.PlayResource(id);
        const QUrl source = player.Source();
        EXPECT_EQ(source.scheme(), "qrc");
        QFile file(":" + source.path());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << source.toString().toStdString();
        EXPECT_EQ(file.read(4), "RIFF");
    }
}

TEST(SoundPlayerTest, ANewSoundReplacesTheOneBefore)
{
    QtSoundPlayer player;
    player.PlayResource(156);
    player.PlayFile("/nowhere/alarm.wav"); // missing: silent, and nothing breaks
    EXPECT_EQ(player.Source(), QUrl::fromLocalFile("/nowhere/alarm.wav"));
    player.PlayResource(169);
    EXPECT_EQ(player.Source().path(), "/sounds/169.wav");
}

} // namespace
