#include "FakePlatform.h"

namespace ondrel::platform::fake {

namespace {

// Stores a new service in slot and keeps a typed pointer to it.
template <typename Fake, typename Slot, typename... Args>
Fake* install(std::unique_ptr<Slot>& slot, Args&&... args)
{
    auto service = std::make_unique<Fake>(std::forward<Args>(args)...);
    Fake* raw = service.get();
    slot = std::move(service);
    return raw;
}

} // namespace

FakePlatform::FakePlatform() : m_platform(std::make_unique<Platform>())
{
    Platform& p = *m_platform;
    m_executor = install<FakeExecutor>(p.executor);
    m_workspace = install<FakeWorkspace>(p.workspace);
    m_accessibility = install<FakeAccessibility>(p.accessibility, m_executor);
    m_browserUrl = install<FakeBrowserUrl>(p.browserUrl, *m_executor);
    m_pasteboard = install<FakePasteboard>(p.pasteboard, m_executor);
    m_keyboardEvents = install<FakeKeyboardEvents>(p.keyboardEvents, m_executor, m_pasteboard);
    m_hotkeys = install<FakeHotkeys>(p.hotkeys);
    m_keyboardLayout = install<FakeKeyboardLayout>(p.keyboardLayout);
    m_preferences = install<FakePreferences>(p.preferences);
    m_notificationCenter = install<FakeNotificationCenter>(p.notificationCenter);
    m_userNotifications = install<FakeUserNotifications>(p.userNotifications);
    m_loginItem = install<FakeLoginItem>(p.loginItem);
    m_alerts = install<FakeAlerts>(p.alerts);
}

FakePlatform::~FakePlatform()
{
    if (m_platform) {
        m_executor->shutdown();
    }
}

std::unique_ptr<Platform> FakePlatform::takePlatform()
{
    return std::move(m_platform);
}

} // namespace ondrel::platform::fake
