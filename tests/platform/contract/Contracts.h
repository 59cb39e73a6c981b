#pragma once

#include "platform/Executor.h"
#include "platform/Hotkeys.h"
#include "platform/KeyboardEvents.h"
#include "platform/KeyboardLayout.h"
#include "platform/NotificationCenter.h"
#include "platform/Pasteboard.h"
#include "platform/Preferences.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

// Contract tests are written once against the interfaces and run for each backend, each test on
// a fresh harness: the service plus whatever it needs, such as a private home.
namespace ondrel::test {

// One backend under a contract test: a name for the test list and a way to build a harness.
template <typename Harness>
struct ContractBackend
{
    std::string name;
    std::function<std::unique_ptr<Harness>()> make;

    friend void PrintTo(const ContractBackend& backend, std::ostream* out) { *out << backend.name; }
};

template <typename Harness, typename Concrete>
ContractBackend<Harness> backend(std::string name)
{
    return {std::move(name), [] { return std::make_unique<Concrete>(); }};
}

// Names instantiated tests after their backend.
struct BackendName
{
    template <typename Harness>
    std::string operator()(const ::testing::TestParamInfo<ContractBackend<Harness>>& info) const
    {
        return info.param.name;
    }
};

template <typename Harness>
class ContractTest : public ::testing::TestWithParam<ContractBackend<Harness>>
{
protected:
    void SetUp() override { m_harness = this->GetParam().make(); }

    Harness& harness() { return *m_harness; }

private:
    std::unique_ptr<Harness> m_harness;
};

// A harness of one service.
template <typename Service>
class ServiceHarness
{
public:
    virtual ~ServiceHarness() = default;
    virtual Service& service() = 0;
    /// Builds the service anew over what it kept, as the next session does.
    virtual void restart() {}
};

// A service that needs nothing else.
template <typename Service, typename Concrete>
class PlainHarness final : public ServiceHarness<Service>
{
public:
    Service& service() override { return m_service; }

private:
    Concrete m_service;
};

template <typename Service, typename Concrete>
ContractBackend<ServiceHarness<Service>> plain(std::string name)
{
    return backend<ServiceHarness<Service>, PlainHarness<Service, Concrete>>(std::move(name));
}

class NotificationCenterContract : public ContractTest<ServiceHarness<platform::NotificationCenter>>
{};
class PreferencesContract : public ContractTest<ServiceHarness<platform::Preferences>>
{};

// An executor and a way to run its main thread.
class ExecutorHarness : public ServiceHarness<platform::Executor>
{
public:
    /// Runs the main thread until done() holds; false when it never came to hold.
    virtual bool runUntil(const std::function<bool()>& done) = 0;
};

class ExecutorContract : public ContractTest<ExecutorHarness>
{};

// A desktop's keyboard and clipboard services, with a user at the keyboard and other programs
// beside ours.
class DesktopHarness
{
public:
    virtual ~DesktopHarness() = default;
    virtual platform::Hotkeys& hotkeys() = 0;
    virtual platform::KeyboardLayout& layout() = 0;
    virtual platform::Pasteboard& pasteboard() = 0;
    virtual platform::KeyboardEvents& keyboard() = 0;

    /// Another program grabs the combination (grab false: lets go of it).
    virtual void grabElsewhere(std::uint32_t keyCode, std::uint32_t modifiers, bool grab) = 0;
    /// Another program copies a text.
    virtual void copyElsewhere(const std::string& text) = 0;
    /// The user holds these modifier keys down; 0 lets go of them.
    virtual void hold(std::uint32_t modifiers) = 0;
    /// The user presses and releases a combination.
    virtual void type(std::uint32_t keyCode, std::uint32_t modifiers) = 0;
    /// Brings a text field to the front, to take a paste.
    virtual void openTarget() = 0;
    /// What that text field holds once the user confirms it.
    virtual std::string targetText() = 0;
    /// Lets the desktop run until done() holds; false when it never did.
    virtual bool runUntil(const std::function<bool()>& done) = 0;
    /// Lets the desktop run long enough for what must not happen.
    virtual void settle() = 0;
};

class DesktopContract : public ContractTest<DesktopHarness>
{};

} // namespace ondrel::test
