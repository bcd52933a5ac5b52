#include "ui/Translucency.h"

#include <QGuiApplication>
#include <QString>
#include <QtGui/qguiapplication_platform.h>

#if defined(ZELLWICK_HAVE_XCB) && QT_CONFIG(xcb)
#define ZELLWICK_ASK_X11 1
#include <xcb/xcb.h>

#include <cstdint>

#include <cstdlib>
#include <string>
#endif

namespace {

#ifdef ZELLWICK_ASK_X11
// A compositing manager owns the selection _NET_WM_CM_S<n> of the screen it composites.
bool CompositingManagerRuns(xcb_connection_t* connection)
{
    const int screens = xcb_setup_roots_length(xcb_get_setup(connection));
    for (int screen = 0; screen < screens; ++screen) {
        const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.data()),
            nullptr);
        if (!atom)
            continue;
        const xcb_atom_t selection = atom->atom;
        std::free(atom);
        if (selection == XCB_ATOM_NONE)
            continue; // nobody ever made the name, so nobody owns it
        xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, selection), nullptr);
        const bool owned = owner && owner->owner != XCB_WINDOW_NONE;
        std::free(owner);
        if (owned)
            return true;
    }
    return false;
}

bool X11ShowsTranslucency()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 && x11->connection() && CompositingManagerRuns(x11->connection());
}
#else
bool X11ShowsTranslucency()
{
    return true; // cannot ask without xcb: trust the window manager
}
#endif

} // namespace

Translucency DesktopTranslucency()
{
    if (!qGuiApp)
        return Translucency::Unsupported;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("windows") || platform == QLatin1String("cocoa"))
        return Translucency::Supported;
    if (platform == QLatin1String("xcb"))
        return X11ShowsTranslucency() ? Translucency::Supported : Translucency::Unsupported;
    // offscreen, minimal, framebuffers, and Wayland, which has no window opacity.
    return Translucency::Unsupported;
}
