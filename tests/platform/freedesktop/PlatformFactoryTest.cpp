#include "platform/factory/PlatformFactory.h"
#include "QtTestSupport.h"
#include "TemporaryHome.h"

#include <gtest/gtest.h>

using namespace ondrel::platform;
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
          Case{"x11", BackendKind::x11, 0}, Case{"fake", BackendKind::x11, 1}}) {
        SCOPED_TRACE(entry.value.value_or("(unset)"));
        home.setEnvironment("ONDREL_PLATFORM", entry.value);
        QtLogCapture log;
        EXPECT_EQ(backendFromEnvironment(), entry.expected);
        EXPECT_EQ(log.lines().size(), entry.warnings);
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
