// The shared contracts, run against the fake backend.
#include "contract/ExecutorContract.h"
#include "contract/LoginItemContract.h"
#include "contract/NotificationCenterContract.h"
#include "contract/PreferencesContract.h"
#include "platform/common/InProcessNotificationCenter.h"
#include "platform/fake/FakeExecutor.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakeNotificationCenter.h"
#include "platform/fake/FakePreferences.h"

namespace ondrel::test {
namespace {

using namespace platform::fake;

class FakeExecutorHarness final : public ExecutorHarness
{
public:
    platform::Executor& executor() override { return m_executor; }
    bool runUntil(const std::function<bool()>& done) override
    {
        // Virtual time is free: a generous budget in 1 ms steps.
        for (int step = 0; step < 60'000 && !done(); ++step) {
            m_executor.advance(std::chrono::milliseconds(1));
        }
        return done();
    }

private:
    FakeExecutor m_executor;
};

class FakePreferencesHarness final : public PreferencesHarness
{
public:
    platform::Preferences& preferences() override { return m_preferences; }

private:
    FakePreferences m_preferences;
};

class FakeLoginItemHarness final : public LoginItemHarness
{
public:
    platform::LoginItem& loginItem() override { return m_item; }

private:
    FakeLoginItem m_item;
};

INSTANTIATE_TEST_SUITE_P(Fake, ExecutorContract,
                         ::testing::Values(backend<ExecutorHarness, FakeExecutorHarness>("Fake")),
                         BackendName{});
INSTANTIATE_TEST_SUITE_P(
    Fake, NotificationCenterContract,
    ::testing::Values(
        backend<NotificationCenterHarness,
                PlainNotificationCenterHarness<platform::InProcessNotificationCenter>>("InProcess"),
        backend<NotificationCenterHarness, PlainNotificationCenterHarness<FakeNotificationCenter>>(
            "Fake")),
    BackendName{});
INSTANTIATE_TEST_SUITE_P(
    Fake, PreferencesContract,
    ::testing::Values(backend<PreferencesHarness, FakePreferencesHarness>("Fake")), BackendName{});
INSTANTIATE_TEST_SUITE_P(Fake, LoginItemContract,
                         ::testing::Values(backend<LoginItemHarness, FakeLoginItemHarness>("Fake")),
                         BackendName{});

} // namespace
} // namespace ondrel::test
