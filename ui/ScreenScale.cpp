#include "ui/ScreenScale.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <cstdint>
#include <limits>

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    std::int64_t quotient = product / denominator;
    const std::int64_t remainder = product % denominator;
    // Round half away from zero: compare twice the remainder with the divisor.
    if (2 * std::llabs(remainder) >= std::llabs(static_cast<std::int64_t>(denominator)))
        quotient += ((product < 0) != (denominator < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(quotient);
}

ScreenScale::ScreenScale(int dpiX, int dpiY)
    : m_dpiX(dpiX > 0 ? dpiX : kBaseDpi), m_dpiY(dpiY > 0 ? dpiY : kBaseDpi)
{}

ScreenScale ScreenScale::FromScreen()
{
    const QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    if (!screen)
        return ScreenScale();
    return ScreenScale(static_cast<int>(std::lround(screen->logicalDotsPerInchX())),
                       static_cast<int>(std::lround(screen->logicalDotsPerInchY())));
}

QRect ScreenScale::MapDialogRect(int x, int y, int width, int height) const
{
    const int left = ScaleX(MulDiv(x, 6, 4));
    const int right = ScaleX(MulDiv(x + width, 6, 4));
    const int top = ScaleY(MulDiv(y, 13, 8));
    const int bottom = ScaleY(MulDiv(y + height, 13, 8));
    return QRect(left, top, right - left, bottom - top);
}
