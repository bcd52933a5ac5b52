#include "tools/zellwick-drawres/ResourceTable.h"

#include "tools/zellwick-drawres/IconArt.h"

namespace drawres {

namespace {

const QColor kStartGreen(36, 168, 84);
const QColor kStopRed(222, 66, 58);
const QColor kPauseAmber(230, 146, 20);
const QColor kSoundBlue(44, 128, 214);

} // namespace

const std::vector<SkinSet>& SkinSets()
{
    static const std::vector<SkinSet> sets = {
        {"Start", Glyph::Play, kStartGreen, 22, 133, 134, 135, 136},
        {"Stop", Glyph::Stop, kStopRed, 22, 137, 138, 139, 136},
        {"Pause", Glyph::Pause, kPauseAmber, 22, 144, 145, 146, 136},
        {"Start", Glyph::Play, kStartGreen, 33, 180, 181, 182, 183},
        {"Stop", Glyph::Stop, kStopRed, 33, 184, 185, 186, 183},
        {"Pause", Glyph::Pause, kPauseAmber, 33, 177, 178, 179, 183},
        {"Start", Glyph::Play, kStartGreen, 44, 167, 169, 168, 170},
        {"Stop", Glyph::Stop, kStopRed, 44, 174, 175, 176, 170},
        {"Pause", Glyph::Pause, kPauseAmber, 44, 171, 173, 172, 170},
        {"Play sound", Glyph::Play, kSoundBlue, 24, 140, 141, 142, 143},
    };
    return sets;
}

const std::vector<PictureSpec>& Pictures()
{
    static const std::vector<PictureSpec> pictures = {
        {"Program", 128, PictureKind::Icon, {16, 24, 32, 48, 64, 256}, &DrawProgramIcon},
        {"Hands alarm", 129, PictureKind::Icon, {16, 24}, &DrawHandsAlarmIcon},
        {"VPP alarm", 153, PictureKind::Icon, {16, 24}, &DrawVppAlarmIcon},
        {"Time alarm", 154, PictureKind::Icon, {16, 24}, &DrawTimeAlarmIcon},
        {"Player", 132, PictureKind::Bitmap, {48}, &DrawPlayerPicture},
        {"Auto", 187, PictureKind::Bitmap, {24}, &DrawAutoPicture},
    };
    return pictures;
}

const std::vector<SoundSpec>& Sounds()
{
    static const std::vector<SoundSpec> sounds = {
        {"Hands alarm", 156, &SynthHandsAlarm},
        {"VPP alarm", 157, &SynthVppAlarm},
        {"Time alarm", 169, &SynthTimeAlarm},
    };
    return sounds;
}

QColor DarkBackground()
{
    return QColor(61, 50, 55);
}

QColor LightBackground()
{
    return QColor(239, 239, 239);
}

} // namespace drawres
