#include "platform/factory/PlatformFactory.h"
#include "QtTestSupport.h"
#include "TemporaryHome.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using namespace ondrel::platform;
using ondrel::test::processEventsUntil;
using ondrel::test::QtLogCapture;
using ondrel::test::TemporaryHome;

namespace {

TEST(PlatformFactory, EnvironmentChoosesTheBackend)
{
    TemporaryHome home;
    struct Case
    {
        std::optional<std::string> value;
        BackendKind expected;
        int warnings;
    };
    for (const Case& entry :
         {Case{std::nullopt, BackendKind::x11, 0}, Case{"", BackendKind::x11, 0},
          Case{"linux", BackendKind::x11, 0}, Case{"fake", BackendKind::fake, 0},
          Case{"Fake", BackendKind::x11, 1}, Case{"wayland", BackendKind::x11, 1}}) {
        SCOPED_TRACE(entry.value.value_or("(unset)"));
        home.setEnvironment("ONDREL_PLATFORM", entry.value);
        QtLogCapture log;
        EXPECT_EQ(backendFromEnvironment(), entry.expected);
        EXPECT_EQ(log.lines().size(), entry.warnings);
    }
}

TEST(PlatformFactory, FakeBackendRunsOnTheEventLoop)
{
    TemporaryHome home;
    home.setEnvironment("ONDREL_PLATFORM", "fake");
    auto platform = createPlatform();
    ASSERT_TRUE(platform);
    for (const bool present :
         {!!platform->executor, !!platform->workspace, !!platform->accessibility,
          !!platform->browserUrl, !!platform->pasteboard, !!platform->keyboardEvents,
          !!platform->hotkeys, !!platform->keyboardLayout, !!platform->preferences,
          !!platform->notificationCenter, !!platform->userNotifications, !!platform->loginItem,
          !!platform->alerts}) {
        EXPECT_TRUE(present);
    }

    std::vector<std::string> log;
    platform->executor->runAfter(20ms, [&] { log.push_back("timer"); });
    platform->executor->post([&] { log.push_back("posted"); });
    platform->executor->runOnWorker(std::function<int()>([] { return 7; }),
                                    std::function<void(int)>([&](int value) {
                                        log.push_back("worker " + std::to_string(value));
                                    }));
    ASSERT_TRUE(processEventsUntil([&] { return log.size() == 3; }));
    EXPECT_EQ(log.front(), "posted");
    EXPECT_EQ(log.back(), "timer");
}

TEST(PlatformFactory, LinuxBackendWithoutADisplayExplainsItself)
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
