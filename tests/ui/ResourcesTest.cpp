// The pictures and sounds compiled into the program: every number the windows ask for is
// there at its size, pictures stay inside their masks, and the sounds are WAV files that pass
// the program's own check and Qt's player.

#include "ui/Resources.h"

#include "tests/support/TestSupport.h"
#include "ui/WaveFile.h"

#include <QFile>
#include <QSoundEffect>

#include <gtest/gtest.h>
#include <set>

namespace {

TEST(ResourcesTest, ButtonPicturesFitTheirRoundMasksAndEveryPictureIsThere)
{
    // normal, down, disabled, mask, size: the window's three sizes and the dialog's play button
    const int skins[][5] = {{133, 134, 135, 136, 22}, {137, 138, 139, 136, 22},
                            {144, 145, 146, 136, 22}, {180, 181, 182, 183, 33},
                            {184, 185, 186, 183, 33}, {177, 178, 179, 183, 33},
                            {167, 169, 168, 170, 44}, {174, 175, 176, 170, 44},
                            {171, 173, 172, 170, 44}, {140, 141, 142, 143, 24}};
    for (const auto& skin : skins) {
        SCOPED_TRACE(skin[0]);
        const QImage mask = Resources::LoadBitmap(skin[3]).convertToFormat(QImage::Format_RGB32);
        std::set<QByteArray> looks;
        for (int i = 0; i < 3; ++i) {
            const QImage look =
                Resources::LoadBitmap(skin[i]).convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(look.size(), QSize(skin[4], skin[4]));
            looks.insert(
                QByteArray(reinterpret_cast<const char*>(look.constBits()), look.sizeInBytes()));
            for (int y = 0; y < skin[4]; ++y) {
                for (int x = 0; x < skin[4]; ++x) {
                    const bool cut = (mask.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
                    ASSERT_FALSE(cut && qAlpha(look.pixel(x, y)) != 0) << x << "," << y;
                }
            }
        }
        EXPECT_EQ(looks.size(), 3u) << "three looks that differ";
        EXPECT_EQ(mask.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(mask.pixel(skin[4] / 2, skin[4] / 2) & 0xFFFFFF, 0u);
    }
    for (int id : {132, 187})
        EXPECT_GE(Resources::LoadBitmap(id).width(), 16) << id;
    EXPECT_TRUE(Resources::LoadBitmap(0).isNull() && Resources::LoadBitmap(999).isNull());
    for (int id : {128, 129, 153, 154}) {
        for (int size : {16, 24})
            EXPECT_EQ(Resources::LoadIconImage(id, size).size(), QSize(size, size)) << id;
    }
    EXPECT_TRUE(Resources::LoadIcon(128).availableSizes().contains(QSize(256, 256)));
}

TEST(ResourcesTest, TheBuiltInSoundsAreDistinctWavesTheProgramAndQtPlay)
{
    std::set<QByteArray> distinct;
    for (int id : {156, 157, 169}) {
        const QString path = Resources::SoundUrl(id).toString().replace("qrc:", ":");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << id;
        distinct.insert(file.readAll());
        EXPECT_EQ(WaveProblem(path), "") << id;
        QSoundEffect effect;
        effect.setSource(Resources::SoundUrl(id));
        ASSERT_TRUE(zellwick::test::WaitFor([&effect] {
            return effect.status() == QSoundEffect::Ready || effect.status() == QSoundEffect::Error;
        }));
        EXPECT_EQ(effect.status(), QSoundEffect::Ready) << id;
    }
    EXPECT_EQ(distinct.size(), 3u);
}

} // namespace
