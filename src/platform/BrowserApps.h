#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace ondrel::platform {

// Application IDs of the browsers whose current tab's URL is read on Linux: their desktop-entry
// IDs as Debian, upstream packages, Flatpak and Snap install them (a snap's entry is
// NAME_APP.desktop). Compared exactly (case-sensitive).
inline constexpr std::array<std::string_view, 37> linuxBrowserApps = {
    "firefox",
    "firefox-esr",
    "org.mozilla.firefox",
    "chromium",
    "org.chromium.Chromium",
    "google-chrome",
    "com.google.Chrome",
    "brave-browser",
    "com.brave.Browser",
    "microsoft-edge",
    "com.microsoft.Edge",
    "vivaldi-stable",
    "com.vivaldi.Vivaldi",
    "opera",
    "com.opera.Opera",
    "librewolf",
    "io.gitlab.librewolf-community",
    "waterfox",
    // Beta and development channels, and names other distributions use.
    "chromium-browser",
    "google-chrome-beta",
    "google-chrome-unstable",
    "microsoft-edge-beta",
    "microsoft-edge-dev",
    "brave-browser-beta",
    "brave-browser-nightly",
    "vivaldi-snapshot",
    "io.github.ungoogled_software.ungoogled_chromium",
    // Mozilla's own channels; their Flatpak and Snap builds share the release's IDs.
    "firefox-beta",
    "firefox-devedition",
    "firefox-developer-edition",
    "firefox-nightly",
    // Snap and Flatpak forms of the browsers above.
    "firefox_firefox",
    "chromium_chromium",
    "brave_brave",
    "opera_opera",
    "vivaldi_vivaldi-stable",
    "net.waterfox.waterfox",
};

/// True when the application ID names a browser of the Linux table.
constexpr bool isLinuxBrowserApp(std::string_view applicationId)
{
    return std::find(linuxBrowserApps.begin(), linuxBrowserApps.end(), applicationId) !=
           linuxBrowserApps.end();
}

} // namespace ondrel::platform
