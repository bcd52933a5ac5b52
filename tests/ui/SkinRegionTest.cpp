// The shape a skinned button takes from its mask picture.

#include "ui/CxSkinButton.h"

#include "tests/ui/UiTestSupport.h"
#include "ui/Resources.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Dot
{
    int x, y;
    QRgb colour;
};

struct MaskCase
{
    const char* name;
    QSize size;
    std::vector<Dot> dots; // on pure white
    QRegion expected;
};

QImage Draw(const MaskCase& c)
{
    QImage mask(c.size, QImage::Format_RGB32);
    mask.fill(Qt::white);
    for (const Dot& dot : c.dots)
        mask.setPixel(dot.x, dot.y, dot.colour);
    return mask;
}

TEST(SkinRegion, RunsOfNonWhitePixelsRowByRow)
{
    const QRgb black = qRgb(0, 0, 0);
    const MaskCase cases[] = {
        {"run ending before the last column",
         {6, 3},
         {{1, 1, black}, {2, 1, black}, {3, 1, black}, {4, 1, black}},
         QRegion(1, 1, 4, 1)},
        {"one pixel in the last column", {5, 4}, {{4, 2, black}}, QRegion(4, 2, 1, 1)},
        {"run to the right edge does not wrap",
         {4, 2},
         {{2, 0, black}, {3, 0, black}, {0, 1, black}},
         QRegion(2, 0, 2, 1).united(QRegion(0, 1, 1, 1))},
        {"any colour but pure white",
         {5, 1},
         {{0, 0, qRgb(254, 255, 255)}, {2, 0, qRgb(255, 255, 254)}, {4, 0, qRgb(128, 0, 200)}},
         QRegion(0, 0, 1, 1).united(QRegion(2, 0, 1, 1)).united(QRegion(4, 0, 1, 1))},
        {"all white", {8, 8}, {}, QRegion()},
    };
    for (const MaskCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CxSkinButton::RegionFromMask(Draw(c)), c.expected);
    }
    EXPECT_TRUE(CxSkinButton::RegionFromMask(QImage()).isEmpty());

    QImage transparent(3, 1, QImage::Format_ARGB32);
    transparent.fill(Qt::transparent);
    transparent.setPixel(1, 0, qRgba(0, 0, 0, 255));
    EXPECT_EQ(CxSkinButton::RegionFromMask(transparent), QRegion(1, 0, 1, 1));
}

TEST(SkinRegion, RoundMasksGiveExactlyTheirNonWhitePixels)
{
    std::vector<std::pair<int, QImage>> masks = {{0, zellwick::test::DiscMask(22)}};
    for (int id : {136, 183, 170, 143})
        masks.emplace_back(id, Resources::LoadBitmap(id));
    for (const auto& [id, mask] : masks) {
        SCOPED_TRACE(id);
        ASSERT_FALSE(mask.isNull());
        const QRegion region = CxSkinButton::RegionFromMask(mask);
        for (int y = 0; y < mask.height(); ++y) {
            for (int x = 0; x < mask.width(); ++x) {
                const bool white = (mask.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
                EXPECT_EQ(region.contains(QPoint(x, y)), !white) << x << "," << y;
            }
        }
    }
}

} // namespace
