#pragma once

#include "TemporaryHome.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "paste/HotkeyCoordinator.h"
#include "paste/PermissionManager.h"
#include "platform/fake/FakePlatform.h"
#include "rules/RuleStore.h"
#include "ui/UiContext.h"

#include <memory>

namespace ondrel::test {

// Everything a view is built with, on the fake backend, in a temporary home.
struct UiTestContext
{
    TemporaryHome home;
    platform::fake::FakePlatform fake;
    shortcuts::KeyboardShortcuts keyboardShortcuts{fake.platform()};
    rules::RuleStore ruleStore{home.dataHome() / "Ondrel" / "rules.json"};
    int settingsOpened = 0;
    paste::PermissionManager permissionManager{paste::PermissionManager::Services{
        fake.executor(), fake.accessibility(), fake.alerts(), [this] { ++settingsOpened; }}};
    std::shared_ptr<paste::HotkeyCoordinator> coordinator = paste::HotkeyCoordinator::create(
        ruleStore, permissionManager,
        paste::HotkeyCoordinator::services(fake.platform(), keyboardShortcuts));
    ui::UiContext context{fake.platform(), ruleStore, permissionManager, *coordinator,
                          keyboardShortcuts};
};

} // namespace ondrel::test
