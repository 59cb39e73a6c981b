// The shared contracts, run against the fake backend.
#include "contract/Contracts.h"
#include "platform/common/InProcessNotificationCenter.h"
#include "platform/fake/FakeExecutor.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakePreferences.h"

namespace ondrel::test {
namespace {

using namespace platform::fake;

// Virtual time is free: a generous budget in 1 ms steps.
bool advanceUntil(FakeExecutor& executor, const std::function<bool()>& done)
{
    for (int step = 0; step < 60'000 && !done(); ++step) {
        executor.advance(std::chrono::milliseconds(1));
    }
    return done();
}

class FakeExecutorHarness final : public ExecutorHarness
{
public:
    platform::Executor& service() override { return m_executor; }
    bool runUntil(const std::function<bool()>& done) override
    {
        return advanceUntil(m_executor, done);
    }

private:
    FakeExecutor m_executor;
};

// The user and the other programs act through the fakes' control faces. The target pastes only
// when it sees exactly the paste modifier with the key.
class FakeDesktopHarness final : public DesktopHarness
{
public:
    platform::Hotkeys& hotkeys() override { return m_fake.hotkeys(); }
    platform::KeyboardLayout& layout() override { return m_fake.keyboardLayout(); }
    platform::Pasteboard& pasteboard() override { return m_fake.pasteboard(); }
    platform::KeyboardEvents& keyboard() override { return m_fake.keyboardEvents(); }

    void grabElsewhere(std::uint32_t keyCode, std::uint32_t modifiers, bool grab) override
    {
        m_fake.hotkeys().setHeldByAnotherClient(keyCode, modifiers, grab);
        m_fake.keyboardLayout().setTakenBySystem(keyCode, modifiers, grab);
    }
    void copyElsewhere(const std::string& text) override
    {
        m_fake.pasteboard().setItems({{FakePasteboard::textEntry("text/plain", text)}});
    }
    void hold(std::uint32_t modifiers) override
    {
        m_fake.keyboardEvents().setPhysicallyHeld(modifiers);
    }
    void type(std::uint32_t keyCode, std::uint32_t modifiers) override
    {
        m_fake.hotkeys().press(keyCode, modifiers);
        m_fake.hotkeys().release(keyCode, modifiers);
    }
    void openTarget() override {}
    std::string targetText() override
    {
        std::string text;
        for (const auto& keystroke : m_fake.keyboardEvents().keystrokes()) {
            if (keystroke.modifiersSeenByTarget == FakeKeyboardEvents::pasteModifier &&
                !keystroke.pasted.empty())
                text += FakePasteboard::text(keystroke.pasted.front().front());
        }
        return text;
    }
    bool runUntil(const std::function<bool()>& done) override
    {
        return advanceUntil(m_fake.executor(), done);
    }
    void settle() override {}

private:
    FakePlatform m_fake;
};

INSTANTIATE_TEST_SUITE_P(Fake, DesktopContract,
                         ::testing::Values(backend<DesktopHarness, FakeDesktopHarness>("Fake")),
                         BackendName{});
INSTANTIATE_TEST_SUITE_P(Fake, ExecutorContract,
                         ::testing::Values(backend<ExecutorHarness, FakeExecutorHarness>("Fake")),
                         BackendName{});
// The fake centre only records posts on top of this one.
INSTANTIATE_TEST_SUITE_P(
    Fake, NotificationCenterContract,
    ::testing::Values(
        plain<platform::NotificationCenter, platform::InProcessNotificationCenter>("InProcess")),
    BackendName{});
INSTANTIATE_TEST_SUITE_P(Fake, PreferencesContract,
                         ::testing::Values(plain<platform::Preferences, FakePreferences>("Fake")),
                         BackendName{});

} // namespace
} // namespace ondrel::test
