// The shape a skinned button takes from its mask picture.

#include "ui/CxSkinButton.h"

#include "tests/ui/UiTestSupport.h"
#include "ui/Resources.h"

#include <gtest/gtest.h>

namespace {

using zellwick::test::DiscMask;

QImage White(int width, int height)
{
    QImage mask(width, height, QImage::Format_RGB32);
    mask.fill(Qt::white);
    return mask;
}

// Every pixel of the picture is in the region exactly when it is not pure white.
void ExpectRegionIsNonWhitePixels(const QImage& mask, const QRegion& region)
{
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            const bool white = (mask.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
            EXPECT_EQ(region.contains(QPoint(x, y)), !white) << "pixel " << x << "," << y;
        }
    }
}

TEST(SkinRegion, RunEndingBeforeTheLastColumnLeavesTheLastColumnOut)
{
    QImage mask = White(6, 3);
    for (int x = 1; x <= 4; ++x)
        mask.setPixel(x, 1, qRgb(0, 0, 0));

    const QRegion region = CxSkinButton::RegionFromMask(mask);

    EXPECT_EQ(region, QRegion(1, 1, 4, 1));
    EXPECT_FALSE(region.contains(QPoint(5, 1)));
}

TEST(SkinRegion, SingleBlackPixelInTheLastColumnIsOnePixelInThatRowOnly)
{
    QImage mask = White(5, 4);
    mask.setPixel(4, 2, qRgb(0, 0, 0));

    const QRegion region = CxSkinButton::RegionFromMask(mask);

    EXPECT_EQ(region, QRegion(4, 2, 1, 1));
    EXPECT_EQ(region.rectCount(), 1);
}

TEST(SkinRegion, RunReachingTheRightEdgeDoesNotWrapIntoTheNextRow)
{
    QImage mask = White(4, 2);
    mask.setPixel(2, 0, qRgb(0, 0, 0));
    mask.setPixel(3, 0, qRgb(0, 0, 0));
    mask.setPixel(0, 1, qRgb(0, 0, 0));

    const QRegion region = CxSkinButton::RegionFromMask(mask);

    EXPECT_EQ(region, QRegion(2, 0, 2, 1).united(QRegion(0, 1, 1, 1)));
}

TEST(SkinRegion, RoundMaskGivesExactlyItsNonWhitePixels)
{
    const QImage mask = DiscMask(22);
    ExpectRegionIsNonWhitePixels(mask, CxSkinButton::RegionFromMask(mask));
}

TEST(SkinRegion, EveryButtonMaskOfTheProgramGivesExactlyItsNonWhitePixels)
{
    for (int id : {136, 183, 170, 143}) {
        SCOPED_TRACE(id);
        const QImage mask = Resources::LoadBitmap(id);
        ASSERT_FALSE(mask.isNull());
        ExpectRegionIsNonWhitePixels(mask, CxSkinButton::RegionFromMask(mask));
    }
}

TEST(SkinRegion, AnyColourButPureWhiteBelongsToTheButton)
{
    QImage mask = White(5, 1);
    mask.setPixel(0, 0, qRgb(254, 255, 255));
    mask.setPixel(2, 0, qRgb(255, 255, 254));
    mask.setPixel(4, 0, qRgb(128, 0, 200));

    const QRegion region = CxSkinButton::RegionFromMask(mask);

    EXPECT_EQ(region, QRegion(0, 0, 1, 1).united(QRegion(2, 0, 1, 1)).united(QRegion(4, 0, 1, 1)));
}

TEST(SkinRegion, TransparentPixelsAreOutside)
{
    QImage mask(3, 1, QImage::Format_ARGB32);
    mask.fill(Qt::transparent);
    mask.setPixel(1, 0, qRgba(0, 0, 0, 255));

    EXPECT_EQ(CxSkinButton::RegionFromMask(mask), QRegion(1, 0, 1, 1));
}

TEST(SkinRegion, AllWhiteOrMissingMaskGivesNoShape)
{
    EXPECT_TRUE(CxSkinButton::RegionFromMask(White(8, 8)).isEmpty());
    EXPECT_TRUE(CxSkinButton::RegionFromMask(QImage()).isEmpty());
}

} // namespace
