// The shared contracts, run against the Linux backend's services.
#include "QtTestSupport.h"
#include "TemporaryHome.h"
#include "contract/ExecutorContract.h"
#include "contract/LoginItemContract.h"
#include "contract/PreferencesContract.h"
#include "platform/freedesktop/JsonPreferences.h"
#include "platform/freedesktop/QtExecutor.h"
#include "platform/freedesktop/XdgAutostartLoginItem.h"

namespace ondrel::test {
namespace {

using namespace platform::freedesktop;

class QtExecutorHarness final : public ExecutorHarness
{
public:
    platform::Executor& executor() override { return m_executor; }
    bool runUntil(const std::function<bool()>& done) override { return processEventsUntil(done); }

private:
    QtExecutor m_executor;
};

class JsonPreferencesHarness final : public PreferencesHarness
{
public:
    platform::Preferences& preferences() override { return m_preferences; }

private:
    TemporaryHome m_home;
    JsonPreferences m_preferences;
};

class XdgLoginItemHarness final : public LoginItemHarness
{
public:
    XdgLoginItemHarness()
    {
        m_home.setEnvironment("XDG_CONFIG_DIRS", (m_home.root() / "etc-xdg").string());
    }
    platform::LoginItem& loginItem() override { return m_item; }

private:
    TemporaryHome m_home;
    XdgAutostartLoginItem m_item{"ondrel", "/usr/bin/ondrel"};
};

INSTANTIATE_TEST_SUITE_P(Linux, ExecutorContract,
                         ::testing::Values(backend<ExecutorHarness, QtExecutorHarness>("Qt")),
                         BackendName{});
// The in-process notification centre the Linux backend uses as it is runs in the fake tests.
INSTANTIATE_TEST_SUITE_P(
    Linux, PreferencesContract,
    ::testing::Values(backend<PreferencesHarness, JsonPreferencesHarness>("Json")), BackendName{});
INSTANTIATE_TEST_SUITE_P(Linux, LoginItemContract,
                         ::testing::Values(backend<LoginItemHarness, XdgLoginItemHarness>("Xdg")),
                         BackendName{});

} // namespace
} // namespace ondrel::test
