#include "platform/factory/SessionDetection.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

using namespace ondrel::platform;

namespace {

struct SessionCase
{
    const char* name;
    std::string environment; // "NAME=value NAME=value"
    SessionKind kind;
    const char* desktop;
    bool available;
    const char* mentions = ""; // a part of the reason the user must see
};

class SessionDetection : public testing::TestWithParam<SessionCase>
{};

TEST_P(SessionDetection, ClassifiesTheSession)
{
    const auto& entry = GetParam();
    const auto session = detectSession(
        [&](const char* name) -> std::optional<std::string> {
            std::istringstream words(entry.environment);
            for (std::string word; words >> word;) {
                if (word.starts_with(std::string(name) + '='))
                    return word.substr(std::strlen(name) + 1);
            }
            return std::nullopt;
        },
        true);
    EXPECT_EQ(session.kind, entry.kind);
    EXPECT_EQ(session.desktop, entry.desktop);
    EXPECT_EQ(session.smartPasteAvailable(), entry.available) << session.unavailableReason;
    if (!entry.available) {
        EXPECT_TRUE(session.unavailableReason.starts_with(
            "Smart paste is not available in this session: "));
    }
    EXPECT_NE(session.unavailableReason.find(entry.mentions), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, SessionDetection,
    testing::Values(
        SessionCase{"x11", "DISPLAY=:0 XDG_SESSION_TYPE=x11", SessionKind::x11, "", true},
        // A stale session type without a compositor to connect to is not Wayland.
        SessionCase{"staleType", "DISPLAY=:0 XDG_SESSION_TYPE=wayland", SessionKind::x11, "", true},
        SessionCase{"sway", "WAYLAND_DISPLAY=wayland-1 SWAYSOCK=/run/sway.sock DISPLAY=:0",
                    SessionKind::sway, "sway", true},
        SessionCase{"swayWithoutSocket", "WAYLAND_DISPLAY=wayland-1 XDG_CURRENT_DESKTOP=sway",
                    SessionKind::sway, "sway", false, "SWAYSOCK"},
        SessionCase{"gnome",
                    "WAYLAND_DISPLAY=wayland-0 XDG_CURRENT_DESKTOP=ubuntu:GNOME DISPLAY=:0",
                    SessionKind::otherWayland, "GNOME", false, "GNOME on Xorg"},
        SessionCase{"kde", "WAYLAND_DISPLAY=wayland-0 XDG_SESSION_DESKTOP=KDE",
                    SessionKind::otherWayland, "KDE", false},
        SessionCase{"named", "WAYLAND_DISPLAY=wayland-0 XDG_CURRENT_DESKTOP=Hyprland",
                    SessionKind::otherWayland, "Hyprland", false, "(Hyprland)"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
