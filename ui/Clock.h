#pragma once

// The calendar clock the play period is measured with. The program uses the system's; tests
// pass a clock they move by hand.

#include <ctime>

class Clock
{
public:
    virtual ~Clock() = default;
    // Calendar time in whole seconds.
    virtual std::time_t Now() const = 0;
};

class SystemClock final : public Clock
{
public:
    std::time_t Now() const override;
};
