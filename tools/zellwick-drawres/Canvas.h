#pragma once

// Small drawing helpers shared by the button and icon art.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

namespace drawres {

// A transparent picture to draw on.
QImage NewCanvas(int width, int height);

// A painter with antialiasing on, the way every picture here is drawn.
void PrepareSmooth(QPainter& painter);

// Colour arithmetic in straight RGB, so results do not depend on Qt's HSV rounding.
QColor Mix(const QColor& a, const QColor& b, double t);
QColor Shade(const QColor& c, double factor); // < 1 darker, > 1 lighter (towards white)
QColor WithAlpha(const QColor& c, int alpha);
QColor Grey(const QColor& c); // the colour's luminance as a grey

// Writes the picture as a PNG (non-premultiplied, so the file is the same on every machine).
bool SavePng(const QImage& image, const QString& file);

} // namespace drawres
