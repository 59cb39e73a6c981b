#include "TemporaryHome.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Nothing here may reach the real desktop: every bus and display is the test's own.
    ondrel::test::TemporaryHome home;
    home.setEnvironment("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
    home.setEnvironment("AT_SPI_BUS_ADDRESS", std::nullopt);
    home.setEnvironment("DISPLAY", std::nullopt);
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
