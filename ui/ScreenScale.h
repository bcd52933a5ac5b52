#pragma once

// Lengths drawn for a screen of 96 dots per inch, scaled to the screen in use, and dialog units
// turned into pixels.

#include <QRect>

// number * numerator / denominator with a 64-bit product, rounded half away from zero; -1 when
// the denominator is 0 or the result does not fit, as the Windows function of that name does.
int MulDiv(int number, int numerator, int denominator);

class ScreenScale
{
public:
    static constexpr int kBaseDpi = 96;

    explicit ScreenScale(int dpiX = kBaseDpi, int dpiY = kBaseDpi);
    // The primary screen's logical resolution; 96 in both directions without a screen.
    static ScreenScale FromScreen();

    int DpiX() const { return m_dpiX; }
    int DpiY() const { return m_dpiY; }
    int ScaleX(int value) const { return MulDiv(value, m_dpiX, kBaseDpi); }
    int ScaleY(int value) const { return MulDiv(value, m_dpiY, kBaseDpi); }

    // A rectangle in dialog units (x, y, width, height) as pixels: one unit is 6/4 pixel across
    // and 13/8 pixel down at 96 dots per inch. Edges are converted, so neighbours stay flush.
    QRect MapDialogRect(int x, int y, int width, int height) const;

private:
    int m_dpiX;
    int m_dpiY;
};
