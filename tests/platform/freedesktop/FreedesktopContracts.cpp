// The shared contracts, run against the Linux backend's services.
#include "QtTestSupport.h"
#include "TemporaryHome.h"
#include "contract/Contracts.h"
#include "platform/freedesktop/JsonPreferences.h"
#include "platform/freedesktop/QtExecutor.h"

namespace ondrel::test {
namespace {

using namespace platform::freedesktop;

class QtExecutorHarness final : public ExecutorHarness
{
public:
    platform::Executor& service() override { return m_executor; }
    bool runUntil(const std::function<bool()>& done) override { return processEventsUntil(done); }

private:
    QtExecutor m_executor;
};

class JsonPreferencesHarness final : public ServiceHarness<platform::Preferences>
{
public:
    platform::Preferences& service() override { return *m_preferences; }
    void restart() override
    {
        m_preferences.reset();
        m_preferences.emplace();
    }

private:
    TemporaryHome m_home;
    std::optional<JsonPreferences> m_preferences{std::in_place};
};

INSTANTIATE_TEST_SUITE_P(Linux, ExecutorContract,
                         ::testing::Values(backend<ExecutorHarness, QtExecutorHarness>("Qt")),
                         BackendName{});
// The in-process notification centre the Linux backend uses as it is runs in the fake tests.
INSTANTIATE_TEST_SUITE_P(Linux, PreferencesContract,
                         ::testing::Values(backend<ServiceHarness<platform::Preferences>,
                                                   JsonPreferencesHarness>("Json")),
                         BackendName{});

} // namespace
} // namespace ondrel::test
