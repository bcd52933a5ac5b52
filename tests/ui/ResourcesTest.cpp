// The pictures and sounds compiled into the program: every number the windows ask for is
// there, at its size, masks and pictures agree, and the sounds are short, clean WAV files.

#include "ui/Resources.h"

#include "tests/support/TestSupport.h"

#include <QFile>
#include <QSoundEffect>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <vector>

namespace {

struct SkinNumbers
{
    const char* name;
    int normal;
    int down;
    int disabled;
    int mask;
    int size;
};

// The timer window's three sizes and the settings dialog's play button.
const SkinNumbers kSkins[] = {
    {"small Start", 133, 134, 135, 136, 22}, {"small Stop", 137, 138, 139, 136, 22},
    {"small Pause", 144, 145, 146, 136, 22}, {"medium Start", 180, 181, 182, 183, 33},
    {"medium Stop", 184, 185, 186, 183, 33}, {"medium Pause", 177, 178, 179, 183, 33},
    {"large Start", 167, 169, 168, 170, 44}, {"large Stop", 174, 175, 176, 170, 44},
    {"large Pause", 171, 173, 172, 170, 44}, {"settings play", 140, 141, 142, 143, 24},
};

bool IsPureBlack(QRgb pixel)
{
    return (pixel & 0xFFFFFF) == 0;
}

bool IsPureWhite(QRgb pixel)
{
    return (pixel & 0xFFFFFF) == 0xFFFFFF;
}

// Every picture at its size; masks round, black on white; nothing of a picture where the mask
// cuts the button away (it would be lost); the three looks of a button differ.
TEST(ResourcePictures, ButtonPicturesFitTheirRoundMask)
{
    for (const SkinNumbers& skin : kSkins) {
        SCOPED_TRACE(skin.name);
        for (int id : {skin.normal, skin.down, skin.disabled, skin.mask}) {
            const QImage picture = Resources::LoadBitmap(id);
            ASSERT_FALSE(picture.isNull()) << "bitmap " << id;
            EXPECT_EQ(picture.size(), QSize(skin.size, skin.size)) << "bitmap " << id;
        }
        const QImage mask = Resources::LoadBitmap(skin.mask).convertToFormat(QImage::Format_RGB32);
        const int last = skin.size - 1;
        const int middle = skin.size / 2;
        for (QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)})
            EXPECT_TRUE(IsPureWhite(mask.pixel(corner)));
        for (QPoint inside : {QPoint(middle, middle), QPoint(middle, 0), QPoint(0, middle),
                              QPoint(middle, last), QPoint(last, middle)})
            EXPECT_TRUE(IsPureBlack(mask.pixel(inside)));
        std::vector<QImage> looks;
        for (int id : {skin.normal, skin.down, skin.disabled})
            looks.push_back(Resources::LoadBitmap(id).convertToFormat(QImage::Format_ARGB32));
        for (int y = 0; y < skin.size; ++y) {
            for (int x = 0; x < skin.size; ++x) {
                const QRgb pixel = mask.pixel(x, y);
                ASSERT_TRUE(IsPureBlack(pixel) || IsPureWhite(pixel));
                for (const QImage& look : looks)
                    ASSERT_FALSE(IsPureWhite(pixel) && qAlpha(look.pixel(x, y)) != 0)
                        << x << "," << y;
            }
        }
        EXPECT_NE(looks[0], looks[1]);
        EXPECT_NE(looks[0], looks[2]);
        EXPECT_NE(looks[1], looks[2]);
    }
}

TEST(ResourcePictures, SettingsPicturesAreThereAndUnknownNumbersGiveNone)
{
    for (int id : {132, 187}) {
        const QImage picture = Resources::LoadBitmap(id);
        ASSERT_FALSE(picture.isNull()) << "bitmap " << id;
        EXPECT_GE(picture.width(), 16);
        EXPECT_GE(picture.height(), 16);
    }
    EXPECT_TRUE(Resources::LoadBitmap(0).isNull());
    EXPECT_TRUE(Resources::LoadBitmap(999).isNull());
    EXPECT_TRUE(Resources::LoadIcon(999).isNull());
}

TEST(ResourceIcons, IconsComeAtTheIndicatorAndDesktopSizes)
{
    for (int id : {128, 129, 153, 154}) {
        for (int size : {16, 24}) {
            const QImage icon = Resources::LoadIconImage(id, size);
            ASSERT_FALSE(icon.isNull()) << "icon " << id << " at " << size;
            EXPECT_EQ(icon.size(), QSize(size, size));
            EXPECT_TRUE(icon.hasAlphaChannel());
        }
        const QIcon icon = Resources::LoadIcon(id);
        ASSERT_FALSE(icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        EXPECT_TRUE(sizes.contains(QSize(16, 16)));
        EXPECT_TRUE(sizes.contains(QSize(24, 24)));
    }
    // The program's icon also has the desktop's large sizes.
    const QList<QSize> sizes = Resources::LoadIcon(128).availableSizes();
    for (int size : {32, 48, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}

// A WAV file read by its chunks, as a player would.
struct Wave
{
    int format = 0;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<std::int16_t> samples;
};

std::uint32_t Le(const QByteArray& bytes, qsizetype at, int width)
{
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

std::optional<Wave> ReadWave(const QByteArray& bytes)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return std::nullopt;
    if (Le(bytes, 4, 4) != static_cast<std::uint32_t>(bytes.size() - 8))
        return std::nullopt;
    Wave wave;
    bool haveFormat = false;
    bool haveData = false;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const qsizetype length = Le(bytes, at + 4, 4);
        const qsizetype body = at + 8;
        if (body + length > bytes.size())
            return std::nullopt;
        if (id == "fmt " && length >= 16) {
            wave.format = static_cast<int>(Le(bytes, body, 2));
            wave.channels = static_cast<int>(Le(bytes, body + 2, 2));
            wave.rate = static_cast<int>(Le(bytes, body + 4, 4));
            wave.bits = static_cast<int>(Le(bytes, body + 14, 2));
            haveFormat = true;
        } else if (id == "data") {
            for (qsizetype i = 0; i + 1 < length; i += 2)
                wave.samples.push_back(static_cast<std::int16_t>(Le(bytes, body + i, 2)));
            haveData = true;
        }
        at = body + length + (length % 2);
    }
    if (!haveFormat || !haveData)
        return std::nullopt;
    return wave;
}

QByteArray SoundBytes(int id)
{
    QFile file(
        Resources::SoundUrl(id).toString().replace(QStringLiteral("qrc:"), QStringLiteral(":")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Short mono PCM, clearly audible with headroom, starting and ending in silence (a jump would
// click), the three different, and Qt's player takes them.
TEST(ResourceSounds, BuiltInSoundsAreShortCleanDistinctWaves)
{
    std::set<QByteArray> distinct;
    for (int id : {156, 157, 169}) {
        SCOPED_TRACE(id);
        distinct.insert(SoundBytes(id));
        const std::optional<Wave> wave = ReadWave(SoundBytes(id));
        ASSERT_TRUE(wave.has_value());
        EXPECT_EQ(wave->format, 1);
        EXPECT_EQ(wave->channels, 1);
        EXPECT_EQ(wave->rate, 44100);
        EXPECT_EQ(wave->bits, 16);
        const double seconds = static_cast<double>(wave->samples.size()) / wave->rate;
        EXPECT_GT(seconds, 0.2);
        EXPECT_LT(seconds, 1.5);
        ASSERT_GT(wave->samples.size(), 100u);
        int peak = 0;
        for (std::int16_t sample : wave->samples)
            peak = std::max(peak, std::abs(static_cast<int>(sample)));
        EXPECT_GT(peak, 32767 / 4);
        EXPECT_LT(peak, 32767 * 0.9);
        EXPECT_LT(std::abs(wave->samples.front()), 100);
        EXPECT_LT(std::abs(wave->samples.back()), 100);

        QSoundEffect effect;
        effect.setSource(Resources::SoundUrl(id));
        ASSERT_TRUE(zellwick::test::WaitFor([&effect] {
            return effect.status() == QSoundEffect::Ready || effect.status() == QSoundEffect::Error;
        }));
        EXPECT_EQ(effect.status(), QSoundEffect::Ready);
    }
    EXPECT_EQ(distinct.size(), 3u);
}

} // namespace
