#pragma once

// Every picture and sound the program uses, by its resource number.

#include "tools/zellwick-drawres/ButtonArt.h"
#include "tools/zellwick-drawres/SoundArt.h"

#include <QColor>
#include <QImage>

#include <vector>

namespace drawres {

// One skinned button at one size: its three pictures and the mask its size shares.
struct SkinSet
{
    const char* name;
    Glyph glyph;
    QColor base;
    int size;
    int normal;
    int down;
    int disabled;
    int mask;
};

enum class PictureKind
{
    Bitmap, // res/bitmaps/NNN.png, one size
    Icon    // res/icons/NNN-SIZE.png, one file per size
};

struct PictureSpec
{
    const char* name;
    int id;
    PictureKind kind;
    std::vector<int> sizes;
    QImage (*draw)(int size);
};

struct SoundSpec
{
    const char* name;
    int id;
    Samples (*make)();
};

const std::vector<SkinSet>& SkinSets();
const std::vector<PictureSpec>& Pictures();
const std::vector<SoundSpec>& Sounds();

// The dark background the timer window has by default, and a light dialog background.
QColor DarkBackground();
QColor LightBackground();

} // namespace drawres
