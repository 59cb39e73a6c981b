#pragma once

#include "Accessibility.h"
#include "Alerts.h"
#include "BrowserUrl.h"
#include "Executor.h"
#include "Hotkeys.h"
#include "KeyboardEvents.h"
#include "KeyboardLayout.h"
#include "LoginItem.h"
#include "NotificationCenter.h"
#include "Pasteboard.h"
#include "Preferences.h"
#include "Session.h"
#include "UserNotifications.h"
#include "Workspace.h"

#include <memory>

namespace ondrel::platform {

// Every platform service, owned together; one backend fills it in at start-up.
struct Platform
{
    Platform() = default;
    Platform(Platform&&) = default;
    Platform& operator=(Platform&&) = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // Worker tasks call into the other services (a browser look-up may still be running at
    // exit), so the executor's workers are stopped before any service goes.
    ~Platform()
    {
        if (executor)
            executor->shutdown();
    }

    /// The session found at start-up; says why smart paste cannot work when it cannot.
    Session session;
    std::unique_ptr<Executor> executor;
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<Accessibility> accessibility;
    std::unique_ptr<BrowserUrl> browserUrl;
    std::unique_ptr<Pasteboard> pasteboard;
    std::unique_ptr<KeyboardEvents> keyboardEvents;
    std::unique_ptr<Hotkeys> hotkeys;
    std::unique_ptr<KeyboardLayout> keyboardLayout;
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<NotificationCenter> notificationCenter;
    std::unique_ptr<UserNotifications> userNotifications;
    std::unique_ptr<LoginItem> loginItem;
    std::unique_ptr<Alerts> alerts;
};

} // namespace ondrel::platform
