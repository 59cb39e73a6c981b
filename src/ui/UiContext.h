#pragma once

namespace ondrel::platform {
struct Platform;
}
namespace ondrel::rules {
class RuleStore;
}
namespace ondrel::shortcuts {
class KeyboardShortcuts;
}
namespace ondrel::paste {
class HotkeyCoordinator;
class PermissionManager;
} // namespace ondrel::paste

namespace ondrel::ui {

// The long-lived objects the application creates at launch, handed to every view. Views hold
// the reference, never a copy: the application keeps these alive until the process ends.
struct UiContext
{
    platform::Platform& platform;
    rules::RuleStore& ruleStore;
    paste::PermissionManager& permissionManager;
    paste::HotkeyCoordinator& hotkeyCoordinator;
    shortcuts::KeyboardShortcuts& keyboardShortcuts;
};

} // namespace ondrel::ui
