#pragma once

// Whether the desktop can show a window translucent. Qt accepts a window opacity on every
// platform, but only some platforms show it: an X server only with a compositing manager
// running, Qt's offscreen and framebuffer platforms and Wayland never.

enum class Translucency
{
    Supported,
    Unsupported,
};

// Asks the running Qt platform; call it after the application object exists.
Translucency DesktopTranslucency();
