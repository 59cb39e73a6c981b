#include "TemporaryHome.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

// The main() of every GoogleTest executable of the platform tests. Widgets run offscreen. Outside
// a private desktop session (tests/e2e/run-in-desktop.sh) nothing may reach the user's desktop:
// its buses and displays are hidden and HOME is a private folder.
int main(int argc, char** argv)
{
    std::optional<ondrel::test::TemporaryHome> home;
    if (!std::getenv("ONDREL_E2E_HOME")) {
        home.emplace();
        for (const char* name :
             {"DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY"})
            home->setEnvironment(name, std::nullopt);
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
