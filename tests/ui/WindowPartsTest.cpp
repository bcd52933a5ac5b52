// The window's small parts: MulDiv's rounding, the rounded shape, the WAV check and the sound
// player.

#include "tests/support/TestSupport.h"
#include "ui/QtSoundPlayer.h"
#include "ui/ScreenScale.h"
#include "ui/WaveFile.h"
#include "ui/WindowLook.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

using namespace zellwick::test;

TEST(WindowPartsTest, MulDivRoundsHalfAwayFromZeroAndTheShapeIsRoundedAndSymmetric)
{
    EXPECT_EQ(MulDiv(139, 120, 96), 174); // 173.75
    EXPECT_EQ(MulDiv(-5, 3, 2), -8);
    EXPECT_EQ(MulDiv(7, 1, 3), 2);
    EXPECT_EQ(MulDiv(5, 1, 0), -1);
    EXPECT_EQ(MulDiv(2'000'000'000, 4, 2), -1) << "a result beyond int";
    EXPECT_EQ(MulDiv(2'000'000'000, 2, 4), 1'000'000'000);

    const QRegion shape = RoundRectRegion(1, 1, 139, 79, 15, 15);
    EXPECT_EQ(shape.boundingRect(), QRect(QPoint(1, 1), QPoint(138, 78)));
    for (int y = 1; y < 79; ++y) {
        for (int x = 1; x < 70; ++x) {
            ASSERT_EQ(shape.contains({x, y}), shape.contains({139 - x, y})) << x << "," << y;
            ASSERT_EQ(shape.contains({x, y}), shape.contains({x, 79 - y})) << x << "," << y;
        }
    }
    EXPECT_FALSE(shape.contains(QPoint(2, 2)));
    EXPECT_TRUE(shape.contains(QPoint(8, 1)) && shape.contains(QPoint(5, 5)));
    EXPECT_TRUE(RoundRectRegion(5, 5, 5, 10, 15, 15).isEmpty());
}

std::string Le(std::uint32_t value, int width)
{
    std::string bytes;
    for (int i = 0; i < width; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

// A RIFF WAVE of one format chunk (format, channels, bits) and one data chunk.
std::string Wave(int format, int channels, int bits, std::uint32_t dataLength, int dataBytes)
{
    const int align = channels * bits / 8;
    const std::string fmt = Le(format, 2) + Le(channels, 2) + Le(44100, 4) + Le(44100 * align, 4) +
                            Le(align, 2) + Le(bits, 2);
    const std::string body =
        "WAVEfmt " + Le(16, 4) + fmt + "data" + Le(dataLength, 4) + std::string(dataBytes, '\0');
    return "RIFF" + Le(body.size(), 4) + body;
}

TEST(WindowPartsTest, OnlyWellFormedWavesReachTheSoundLibrary)
{
    TempDir dir;
    const std::pair<std::string, bool> files[] = {
        {Wave(1, 1, 16, 200, 200), true},    {Wave(3, 2, 32, 800, 800), true},
        {Wave(1, 2, 8, 200, 200), true},     {"", false},
        {Wave(1, 1, 16, 0, 0), false},       {Wave(1, 1, 16, 4000, 200), false},
        {Wave(2, 1, 4, 200, 200), false},    {Wave(1, 0, 16, 200, 200), false},
        {Wave(1, 1, 16, 201, 201), false},   {std::string("RIFF\x04\0\0\0WAVE", 12), false},
        {"not a sound, named .wav\n", false}};
    int n = 0;
    for (const auto& [bytes, playable] : files) {
        const std::string name = std::to_string(++n) + ".wav";
        WriteFile(dir / name, bytes);
        EXPECT_EQ(WaveProblem(QString::fromStdString((dir / name).string())).isEmpty(), playable)
            << name;
    }
    ASSERT_EQ(::mkfifo((dir / "fifo.wav").c_str(), 0600), 0);
    EXPECT_FALSE(WaveProblem(QString::fromStdString((dir / "fifo.wav").string())).isEmpty());
    EXPECT_FALSE(WaveProblem(QString::fromStdString(dir.path().string())).isEmpty());

    QtSoundPlayer player;
    player.PlayResource(156);
    EXPECT_EQ(player.Source(), QUrl("qrc:/sounds/156.wav"));
    player.PlayFile(QString::fromStdString((dir / "4.wav").string())); // empty: not passed on
    player.PlayFile(QString::fromStdString((dir / "fifo.wav").string()));
    EXPECT_EQ(player.Source(), QUrl("qrc:/sounds/156.wav"));
    player.PlayFile(QString::fromStdString((dir / "1.wav").string()));
    EXPECT_EQ(player.Source(),
              QUrl::fromLocalFile(QString::fromStdString((dir / "1.wav").string())));
}

} // namespace
