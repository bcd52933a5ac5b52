#include "ui/Clock.h"

std::time_t SystemClock::Now() const
{
    return std::time(nullptr);
}
