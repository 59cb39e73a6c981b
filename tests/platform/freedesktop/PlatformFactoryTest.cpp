#include "platform/factory/PlatformFactory.h"
#include "QtTestSupport.h"
#include "TemporaryHome.h"

#include <gtest/gtest.h>

using namespace ondrel::platform;
using ondrel::test::QtLogCapture;
using ondrel::test::TemporaryHome;

namespace {

TEST(PlatformFactory, EnvironmentAndSessionChooseTheBackend)
{
    TemporaryHome home;
    home.setEnvironment("XDG_CURRENT_DESKTOP", std::nullopt);
    struct Case
    {
        std::optional<std::string> value;
        std::optional<std::string> swaySocket; // a Wayland session with sway's socket
        BackendKind expected;
        int warnings;
    };
    for (const Case& entry : {Case{std::nullopt, std::nullopt, BackendKind::x11, 0},
                              Case{"", std::nullopt, BackendKind::x11, 0},
                              Case{"wayland", std::nullopt, BackendKind::wayland, 0},
                              Case{std::nullopt, "/run/sway.sock", BackendKind::wayland, 0},
                              Case{"x11", "/run/sway.sock", BackendKind::x11, 0},
                              Case{"fake", std::nullopt, BackendKind::x11, 1}}) {
        SCOPED_TRACE(entry.value.value_or("(unset)") + " " + entry.swaySocket.value_or("-"));
        home.setEnvironment("ONDREL_PLATFORM", entry.value);
        home.setEnvironment("SWAYSOCK", entry.swaySocket);
        home.setEnvironment("WAYLAND_DISPLAY", entry.swaySocket
                                                   ? std::optional<std::string>("wayland-9")
                                                   : std::nullopt);
        QtLogCapture log;
        EXPECT_EQ(backendFromEnvironment(), entry.expected);
        EXPECT_EQ(log.lines().size(), entry.warnings);
    }
}

TEST(PlatformFactory, WaylandBackendWithoutACompositorExplainsItself)
{
    TemporaryHome home;
    home.setEnvironment("WAYLAND_DISPLAY", "no-such-wayland-display");
    try {
        createPlatform(BackendKind::wayland);
        FAIL() << "expected PlatformUnavailable";
    } catch (const PlatformUnavailable& error) {
        EXPECT_NE(std::string(error.what()).find("no-such-wayland-display"), std::string::npos);
    }
}

TEST(PlatformFactory, X11BackendWithoutADisplayExplainsItself)
{
    TemporaryHome home;
    home.setEnvironment("DISPLAY", ":31999");
    try {
        createPlatform(BackendKind::x11);
        FAIL() << "expected PlatformUnavailable";
    } catch (const PlatformUnavailable& error) {
        EXPECT_NE(std::string(error.what()).find(":31999"), std::string::npos);
    }
}

} // namespace
