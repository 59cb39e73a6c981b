#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace ondrel::platform::freedesktop {

class DesktopEntries;

// What a top-level window says about the application that owns it.
struct WindowFacts
{
    std::optional<std::int64_t> processIdentifier; // the real pid (XRes), else _NET_WM_PID
    std::string kdeDesktopFile;                    // _KDE_NET_WM_DESKTOP_FILE
    std::string gtkApplicationId;                  // _GTK_APPLICATION_ID
    std::string wmInstance;                        // WM_CLASS, first part
    std::string wmClass;                           // WM_CLASS, second part
};

/// The Flatpak application ID of a sandboxed process ([Application] name= in .flatpak-info).
std::optional<std::string> flatpakApplicationId(std::int64_t pid,
                                                const std::filesystem::path& procRoot);
/// The "NAME.APP" part of a Snap process's confinement label or cgroup ("snap.NAME.APP").
std::optional<std::string> snapApplication(std::int64_t pid, const std::filesystem::path& procRoot);

/// The application ID of a window: sandbox IDs, the IDs the toolkits announce, a desktop entry
/// whose StartupWMClass or file name fits WM_CLASS, else "wmclass:" + the class.
/// None when the window tells nothing at all.
std::optional<std::string> applicationIdFor(const WindowFacts& facts,
                                            freedesktop::DesktopEntries& entries,
                                            const std::filesystem::path& procRoot = "/proc");

} // namespace ondrel::platform::freedesktop
