#pragma once

// The round skinned buttons: a coloured disc with a white symbol, in three looks, and the
// shared black-on-white mask that shapes them.

#include <QColor>
#include <QImage>

namespace drawres {

enum class Glyph
{
    Play,
    Stop,
    Pause
};

enum class Look
{
    Normal,
    Down, // pressed or checked; also shown while hovering
    Disabled
};

QImage DrawButton(int size, Glyph glyph, const QColor& base, Look look);

// Black wherever any button picture of this size covers a pixel, pure white elsewhere.
QImage DrawButtonMask(int size);

} // namespace drawres
