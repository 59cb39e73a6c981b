#include "SessionDetection.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace ondrel::platform {

namespace {

constexpr std::string_view kUnavailable = "Smart paste is not available in this session: ";

std::string lower(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

// XDG_CURRENT_DESKTOP is a colon-separated list ("ubuntu:GNOME", "KDE", "sway").
std::vector<std::string> desktopNames(const std::string& value)
{
    std::vector<std::string> names;
    std::string_view rest = value;
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        if (const auto name = rest.substr(0, colon); !name.empty())
            names.emplace_back(name);
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    }
    return names;
}

std::string firstNonEmpty(const EnvironmentLookup& environment, const char* name)
{
    const auto value = environment(name);
    return value ? *value : std::string{};
}

Session waylandSession(const EnvironmentLookup& environment, bool swaySupported)
{
    auto names = desktopNames(firstNonEmpty(environment, "XDG_CURRENT_DESKTOP"));
    if (names.empty()) {
        if (auto sessionDesktop = firstNonEmpty(environment, "XDG_SESSION_DESKTOP");
            !sessionDesktop.empty())
            names.push_back(std::move(sessionDesktop));
    }
    const auto has = [&](std::string_view wanted) {
        return std::any_of(names.begin(), names.end(),
                           [&](const std::string& name) { return lower(name) == wanted; });
    };

    Session session;
    const bool swaySocket = !firstNonEmpty(environment, "SWAYSOCK").empty();
    if (swaySocket || has("sway")) {
        session.kind = SessionKind::sway;
        session.desktop = "sway";
        if (!swaySupported)
            session.unavailableReason = std::string(kUnavailable) +
                                        "this build of Ondrel has no support for sway. Log in "
                                        "to an X11 session to use it.";
        else if (!swaySocket)
            session.unavailableReason =
                std::string(kUnavailable) +
                "sway's control socket is unknown (SWAYSOCK is not set), so Ondrel cannot "
                "register its shortcut. Start Ondrel from within sway.";
        return session;
    }

    session.kind = SessionKind::otherWayland;
    if (has("gnome")) {
        session.desktop = "GNOME";
        session.unavailableReason =
            std::string(kUnavailable) +
            "GNOME on Wayland does not let Ondrel see the frontmost window, read the clipboard "
            "in the background or type the paste keystroke. Log in to a \"GNOME on Xorg\" "
            "session to use it.";
    } else if (has("kde")) {
        session.desktop = "KDE";
        session.unavailableReason =
            std::string(kUnavailable) +
            "Ondrel does not support KDE Plasma on Wayland yet. Log in to a \"Plasma (X11)\" "
            "session to use it.";
    } else {
        session.desktop = names.empty() ? std::string{} : names.front();
        session.unavailableReason = std::string(kUnavailable) +
                                    "Ondrel does not support this Wayland compositor" +
                                    (session.desktop.empty() ? "" : " (" + session.desktop + ")") +
                                    " yet; it works in X11 sessions and on sway.";
    }
    return session;
}

} // namespace

Session detectSession(const EnvironmentLookup& environment, bool swaySupported)
{
    // WAYLAND_DISPLAY is what clients connect through; XDG_SESSION_TYPE can be stale in a
    // nested or restarted session, so it does not decide.
    if (firstNonEmpty(environment, "WAYLAND_DISPLAY").empty())
        return Session{};
    return waylandSession(environment, swaySupported);
}

Session detectSession(bool swaySupported)
{
    return detectSession(
        [](const char* name) -> std::optional<std::string> {
            const char* value = std::getenv(name);
            if (!value)
                return std::nullopt;
            return std::string(value);
        },
        swaySupported);
}

} // namespace ondrel::platform
