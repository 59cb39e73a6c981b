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

// The message names what was missing, so the user can tell which setting is wrong.
TEST(PlatformFactory, BackendWithoutItsServerExplainsItself)
{
    for (const auto& [kind, variable, missing] :
         {std::tuple{BackendKind::wayland, "WAYLAND_DISPLAY", "no-such-wayland-display"},
          std::tuple{BackendKind::x11, "DISPLAY", ":31999"}}) {
        TemporaryHome home;
        home.setEnvironment(variable, missing);
        try {
            createPlatform(kind);
            ADD_FAILURE() << "expected PlatformUnavailable for " << missing;
        } catch (const PlatformUnavailable& error) {
            EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
        }
    }
}

} // namespace
