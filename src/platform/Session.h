#pragma once

#include <string>

namespace ondrel::platform {

// The kind of graphical session Ondrel runs in, as found at start-up.
enum class SessionKind
{
    x11,         // an X11 session (or no Wayland compositor at all)
    sway,        // sway, a wlroots compositor Ondrel drives through its IPC socket
    otherWayland // any other Wayland compositor (GNOME, KDE Plasma, ...)
};

// What the application tells the user about the session. Built once by the platform factory.
struct Session
{
    SessionKind kind = SessionKind::x11;
    /// The desktop as the session names it ("GNOME", "KDE", "sway"); empty when unknown.
    std::string desktop;
    /// One or two sentences for the user when smart paste cannot work here; empty when it can.
    std::string unavailableReason;

    /// True when the shortcut, the frontmost application and the clipboard all work.
    bool smartPasteAvailable() const { return unavailableReason.empty(); }
    bool operator==(const Session&) const = default;
};

} // namespace ondrel::platform
