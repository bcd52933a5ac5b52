#pragma once

// What the program takes from the user's desktop session before Qt starts: where a log goes
// that cannot sit beside the program, and which Qt platform the window runs on.

#include <string>

// The per-user state folder for Zellwick's files: $XDG_STATE_HOME/Zellwick, else
// ~/.local/state/Zellwick. Empty when neither is known.
std::wstring StateFolder();

// A Wayland desktop ignores a window's wish to stay on top and its saved place. In a Wayland
// session with an X server (XWayland), and when the user chose no Qt platform (QT_QPA_PLATFORM
// unset or empty, no -platform argument), this asks Qt for X11 through QT_QPA_PLATFORM, with
// Wayland as the fallback. Returns the log line saying so, or an empty string when nothing
// was changed. Call it before the QApplication is made.
std::wstring PreferX11UnderWayland(int argc, const char* const* argv);
