#pragma once

// The program's start-up sequence: the log's header, the settings, then the timer window until
// it closes.

#include <functional>

class CZellwickApp;
class Clock;

// Writes the start-up lines and the header block into app's log, loads the settings and calls
// runWindow, which shows the timer window and returns when it has closed. Returns false: the
// program ends after the window.
bool InitInstance(CZellwickApp& app, const Clock& clock, const std::function<void()>& runWindow);
