#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace ondrel::platform {

// Application IDs of the Linux terminal emulators that paste the clipboard with Ctrl+Shift+V
// (Ctrl+V reaches the program in the terminal as a control character): their desktop-entry IDs
// as Debian, upstream packages and Flatpak install them. Compared exactly (case-sensitive).
// xterm and rxvt are missing on purpose: they have no clipboard paste key by default.
inline constexpr std::array<std::string_view, 21> linuxTerminalApps = {
    "org.gnome.Terminal",
    "gnome-terminal",
    "org.gnome.Console",
    "kgx",
    "org.kde.konsole",
    "konsole",
    "xfce4-terminal",
    "org.xfce.terminal",
    "com.gexperts.Tilix",
    "terminator",
    "kitty",
    "Alacritty",
    "org.alacritty.Alacritty",
    "org.wezfurlong.wezterm",
    "foot",
    "footclient",
    "org.codeberg.dnkl.foot",
    "org.codeberg.dnkl.footclient",
    // GNOME's newer terminal, and a common Flatpak one.
    "org.gnome.Ptyxis",
    "app.devsuite.Ptyxis",
    "com.raggesilver.BlackBox",
};

/// True when the application ID names a terminal of the Linux table.
constexpr bool isLinuxTerminalApp(std::string_view applicationId)
{
    return std::find(linuxTerminalApps.begin(), linuxTerminalApps.end(), applicationId) !=
           linuxTerminalApps.end();
}

} // namespace ondrel::platform
