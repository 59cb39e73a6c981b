#pragma once

#include "FakeAccessibility.h"
#include "FakeAlerts.h"
#include "FakeBrowserUrl.h"
#include "FakeExecutor.h"
#include "FakeHotkeys.h"
#include "FakeKeyboardEvents.h"
#include "FakeKeyboardLayout.h"
#include "FakeLoginItem.h"
#include "FakeNotificationCenter.h"
#include "FakePasteboard.h"
#include "FakePreferences.h"
#include "FakeUserNotifications.h"
#include "FakeWorkspace.h"
#include "platform/Platform.h"

#include <memory>

namespace ondrel::platform::fake {

// A Platform made of fakes, with typed access to each for the test-control face.
// The pasteboard and keyboard events are wired so that each paste keystroke reads the
// pasteboard as the target application would; all fakes stamp times from the one executor.
class FakePlatform
{
public:
    FakePlatform();
    /// Releases and joins the executor's workers before any service goes away.
    ~FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    /// The services, to hand to the code under test.
    Platform& platform() { return *m_platform; }
    /// Moves the services out (for a process that runs on fakes). The typed accessors stay
    /// valid while the returned Platform lives.
    std::unique_ptr<Platform> takePlatform();

    FakeExecutor& executor() { return *m_executor; }
    FakeWorkspace& workspace() { return *m_workspace; }
    FakeAccessibility& accessibility() { return *m_accessibility; }
    FakeBrowserUrl& browserUrl() { return *m_browserUrl; }
    FakePasteboard& pasteboard() { return *m_pasteboard; }
    FakeKeyboardEvents& keyboardEvents() { return *m_keyboardEvents; }
    FakeHotkeys& hotkeys() { return *m_hotkeys; }
    FakeKeyboardLayout& keyboardLayout() { return *m_keyboardLayout; }
    FakePreferences& preferences() { return *m_preferences; }
    FakeNotificationCenter& notificationCenter() { return *m_notificationCenter; }
    FakeUserNotifications& userNotifications() { return *m_userNotifications; }
    FakeLoginItem& loginItem() { return *m_loginItem; }
    FakeAlerts& alerts() { return *m_alerts; }

private:
    std::unique_ptr<Platform> m_platform;
    FakeExecutor* m_executor;
    FakeWorkspace* m_workspace;
    FakeAccessibility* m_accessibility;
    FakeBrowserUrl* m_browserUrl;
    FakePasteboard* m_pasteboard;
    FakeKeyboardEvents* m_keyboardEvents;
    FakeHotkeys* m_hotkeys;
    FakeKeyboardLayout* m_keyboardLayout;
    FakePreferences* m_preferences;
    FakeNotificationCenter* m_notificationCenter;
    FakeUserNotifications* m_userNotifications;
    FakeLoginItem* m_loginItem;
    FakeAlerts* m_alerts;
};

} // namespace ondrel::platform::fake
