#include "app/DesktopSession.h"

#include "app/WideText.h"

#include <cstdlib>
#include <string_view>

namespace {

std::string_view Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string_view(value) : std::string_view();
}

bool PlatformArgument(int argc, const char* const* argv)
{
    // Qt reads "-platform NAME" and "--platform NAME".
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-platform" || arg == "--platform")
            return true;
    }
    return false;
}

} // namespace

std::wstring StateFolder()
{
    // A relative $XDG_STATE_HOME is invalid and ignored.
    const std::string_view state = Env("XDG_STATE_HOME");
    if (state.starts_with('/'))
        return FromUtf8(state) + L"/Zellwick";
    const std::string_view home = Env("HOME");
    if (home.starts_with('/'))
        return FromUtf8(home) + L"/.local/state/Zellwick";
    return {};
}

std::wstring PreferX11UnderWayland(int argc, const char* const* argv)
{
    const bool wayland = !Env("WAYLAND_DISPLAY").empty() || Env("XDG_SESSION_TYPE") == "wayland";
    if (!wayland || Env("DISPLAY").empty() || !Env("QT_QPA_PLATFORM").empty() ||
        PlatformArgument(argc, argv))
        return {};
    // Should the X server not answer, Qt goes on to the next platform in the list.
    ::setenv("QT_QPA_PLATFORM", "xcb;wayland", 1);
    return L"Wayland session: running on X11 (XWayland), where the window can stay on top "
           L"and keep its place; QT_QPA_PLATFORM=wayland runs it on Wayland";
}
