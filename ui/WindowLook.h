#pragma once

// Drawing helpers shared by the program's windows: Windows colour values, fonts given by their
// cell height, and the rounded window shape.

#include <QColor>
#include <QFont>
#include <QRegion>
#include <QString>

#include <cstdint>

// A Windows colour value 0x00BBGGRR: red is the low byte.
QColor FromColorRef(std::uint32_t colorRef);

// A font whose cell (ascent plus descent) is cellHeight pixels, the way a positive font height
// is meant on Windows; weight on the 100 to 900 scale (400 normal, 700 bold). Sans-serif is
// the fallback when the face is missing.
QFont CellFont(const QString& face, int cellHeight, int weight);

// The rounded rectangle from (left, top) up to but excluding (right, bottom), with corner
// ellipses ellipseWidth x ellipseHeight, made of whole pixels.
QRegion RoundRectRegion(int left, int top, int right, int bottom, int ellipseWidth,
                        int ellipseHeight);
