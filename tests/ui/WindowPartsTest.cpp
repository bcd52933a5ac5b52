// The windows' parts: the skinned button (its shape, looks, toggling, clicks and hover, driven
// by synthetic input on real widgets), the pictures and sounds compiled into the program, the
// program's own WAV check and sound player, and MulDiv's rounding.

#include "ui/CxSkinButton.h"

#include "tests/support/TestSupport.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/QtSoundPlayer.h"
#include "ui/Resources.h"
#include "ui/ScreenScale.h"
#include "ui/WaveFile.h"
#include "ui/WindowLook.h"

#include <QFile>
#include <QSoundEffect>
#include <QTest>

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <set>

namespace {

using namespace zellwick::test;

constexpr int kSize = 30;
const QColor kNormal(200, 40, 40), kDown(40, 160, 40), kOver(40, 40, 200), kDisabled(9, 9, 9);
const QPoint kCentre(kSize / 2, kSize / 2);

class SkinButtonTest : public ::testing::Test
{
protected:
    SkinButtonTest() { m_parent.show(); }
    CxSkinButton* Make(CxSkinButton::Kind kind)
    {
        auto* button = new CxSkinButton(&m_parent, kind);
        button->LoadSkin(Solid(kNormal, kSize), Solid(kDown, kSize), Solid(kOver, kSize),
                         Solid(kDisabled, kSize), DiscMask(kSize));
        button->show();
        // The check state the parent sees in the click.
        QObject::connect(button, &QAbstractButton::clicked, button,
                         [this, button] { m_clicks.push_back(button->isChecked()); });
        return button;
    }
    static QColor Shown(CxSkinButton* button) { return ShownAt(button, kCentre); }
    QWidget m_parent;
    std::vector<bool> m_clicks;
};

TEST_F(SkinButtonTest, TheShapeIsExactlyTheMasksNonWhitePixels)
{
    QImage mask(6, 3, QImage::Format_RGB32);
    mask.fill(Qt::white);
    for (int x : {1, 2, 3, 4})
        mask.setPixel(x, 0, qRgb(0, 0, 0));   // a run ending before the last column
    mask.setPixel(5, 1, qRgb(254, 255, 255)); // the last column, not pure white
    mask.setPixel(0, 2, qRgb(0, 0, 0));       // no run wraps into the next row
    EXPECT_EQ(CxSkinButton::RegionFromMask(mask),
              QRegion(1, 0, 4, 1).united(QRegion(5, 1, 1, 1)).united(QRegion(0, 2, 1, 1)));
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
    EXPECT_EQ(button->size(), QSize(kSize, kSize));
    button->LoadSkin(Solid(kNormal, 20), QImage(), QImage(), QImage(), QImage());
    EXPECT_EQ(button->size(), QSize(20, 20)) << "without a mask, the normal picture's size";
    EXPECT_TRUE(button->mask().isEmpty());
}

TEST_F(SkinButtonTest, AToggleFlipsOnClickSpaceAndEachHalfOfADoubleClick)
{
    CxSkinButton* button = Make(CxSkinButton::Kind::Toggle);
    Click(button, kCentre);
    EXPECT_EQ(Shown(button), kDown);
    QTest::keyClick(button, Qt::Key_Space);
    Click(button, kCentre);
    Mouse(button, QEvent::MouseButtonDblClick, kCentre);
    Release(button, kCentre);
    EXPECT_EQ(m_clicks, (std::vector<bool>{true, false, true, false}));
    // Released outside the button or over a corner it cut away: no toggle and no click.
    for (QPoint away : {QPoint(kSize + 10, 5), QPoint(0, 0)}) {
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
    CxSkinButton* plain = Make(CxSkinButton::Kind::Plain);
    Press(plain, kCentre);
    EXPECT_EQ(Shown(plain), kDown);
    Release(plain, kCentre);
    plain->setChecked(true);
    EXPECT_EQ(m_clicks.back(), false);
    EXPECT_EQ(Shown(plain), kNormal) << "a plain button never stays checked";
    button->setChecked(true);
    button->SetKind(CxSkinButton::Kind::Plain);
    EXPECT_FALSE(button->isChecked());
}

TEST_F(SkinButtonTest, LooksDisabledOverCheckedOverHoverAndFallBackWhenMissing)
{
    CxSkinButton* button = Make(CxSkinButton::Kind::Toggle);
    Enter(button, kCentre);
    EXPECT_EQ(Shown(button), kOver);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
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

TEST(ResourcesTest, EveryPictureTheWindowsAskForIsThereAtItsSize)
{
    // normal, down, disabled, mask and their size: the window's three sizes and the dialog's
    // play button; masks and pictures round, their corners cut away.
    // clang-format off
    const int skins[][5] = {{133, 134, 135, 136, 22}, {137, 138, 139, 136, 22}, {144, 145, 146, 136, 22},
                            {180, 181, 182, 183, 33}, {184, 185, 186, 183, 33}, {177, 178, 179, 183, 33},
                            {167, 169, 168, 170, 44}, {174, 175, 176, 170, 44}, {171, 173, 172, 170, 44},
                            {140, 141, 142, 143, 24}};
    // clang-format on
    for (const auto& skin : skins) {
        for (int i = 0; i < 4; ++i) {
            const QImage picture = Resources::LoadBitmap(skin[i]);
            EXPECT_EQ(picture.size(), QSize(skin[4], skin[4])) << skin[i];
            EXPECT_EQ(i == 3 ? picture.pixel(0, 0) & 0xFFFFFF : qAlpha(picture.pixel(0, 0)),
                      i == 3 ? 0xFFFFFFu : 0u)
                << skin[i];
        }
        EXPECT_NE(Resources::LoadBitmap(skin[0]), Resources::LoadBitmap(skin[2]));
    }
    EXPECT_GE(Resources::LoadBitmap(132).width() + Resources::LoadBitmap(187).width(), 32);
    EXPECT_TRUE(Resources::LoadBitmap(0).isNull() && Resources::LoadBitmap(999).isNull());
    for (int id : {128, 129, 153, 154}) {
        for (int size : {16, 24})
            EXPECT_EQ(Resources::LoadIconImage(id, size).size(), QSize(size, size)) << id;
    }
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

TEST(WindowPartsTest, MulDivRoundsHalfAwayFromZeroAndFailsAsWindowsDoes)
{
    EXPECT_EQ(MulDiv(139, 120, 96), 174); // 173.75
    EXPECT_EQ(MulDiv(-5, 3, 2), -8);
    EXPECT_EQ(MulDiv(7, 1, 3), 2);
    EXPECT_EQ(MulDiv(5, 1, 0), -1);
    EXPECT_EQ(MulDiv(2'000'000'000, 4, 2), -1) << "a result beyond int";
    EXPECT_EQ(MulDiv(2'000'000'000, 2, 4), 1'000'000'000);
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
    // The library loads each sound once, in the background; a load still running when the
    // test program ends would be reported as a leak.
    for (const QUrl& source : {QUrl("qrc:/sounds/156.wav"), player.Source()}) {
        QSoundEffect loaded;
        loaded.setSource(source);
        EXPECT_TRUE(WaitFor([&] {
            return loaded.status() == QSoundEffect::Ready || loaded.status() == QSoundEffect::Error;
        }));
    }
}

} // namespace
