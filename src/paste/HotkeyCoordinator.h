#pragma once

#include "AppleScriptRunner.h"
#include "ContextDetector.h"
#include "PasteEngine.h"
#include "PermissionManager.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "common/ObserverList.h"
#include "rules/RuleStore.h"

#include "platform/Platform.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ondrel::paste {

// Turns each press of the smart-paste shortcut into a paste: detects the context, picks the
// rule, pastes its content, stamps the rule as used and publishes its name. Presses are handled
// one at a time: a press during a smart paste waits for it to end, so two pastes never
// interleave their pasteboard writes and restores. Main thread only. Always held by a
// shared_ptr: a smart paste under way keeps its coordinator alive until it ends.
class HotkeyCoordinator : public std::enable_shared_from_this<HotkeyCoordinator>
{
    struct ConstructionKey
    {};

public:
    /// The raw name of the smart-paste shortcut.
    static constexpr const char* shortcutName = "ondrel";

    struct Services
    {
        platform::Executor& executor;
        platform::Workspace& workspace;
        platform::Accessibility& accessibility;
        platform::BrowserUrl& browserUrl;
        platform::Pasteboard& pasteboard;
        platform::KeyboardEvents& keyboardEvents;
        platform::UserNotifications& userNotifications;
        /// Tells when a press looks imminent, so the context can be read ahead of it.
        platform::Hotkeys& hotkeys;
        shortcuts::KeyboardShortcuts& keyboardShortcuts;
        /// Null where the platform has no Apple Events (Linux).
        std::shared_ptr<AppleScriptRunner> scriptRunner;
    };

    /// The services of platform plus the shortcut component.
    static Services services(platform::Platform& platform,
                             shortcuts::KeyboardShortcuts& keyboardShortcuts);

    /// A coordinator with its own detector and engine; registers nothing by itself.
    static std::shared_ptr<HotkeyCoordinator>
    create(rules::RuleStore& ruleStore, PermissionManager& permissionManager, Services services);
    HotkeyCoordinator(ConstructionKey, rules::RuleStore& ruleStore,
                      PermissionManager& permissionManager, Services services);
    HotkeyCoordinator(const HotkeyCoordinator&) = delete;
    HotkeyCoordinator& operator=(const HotkeyCoordinator&) = delete;

    /// Command-Shift-V, the default of the smart-paste shortcut.
    static shortcuts::Shortcut defaultShortcut();
    /// The smart-paste shortcut name within component (stores the default on first use).
    static shortcuts::Name smartPasteName(shortcuts::KeyboardShortcuts& component);

    /// Attaches the smart paste to the shortcut's presses, and reading the context ahead to
    /// its modifiers being held; both hold this weakly.
    void registerHotkey();
    /// Queues one smart paste for a press: it starts now, or when the one under way has ended.
    void smartPastePressed();
    /// One smart paste now, whatever else runs; done (if any) runs when it has ended.
    void performSmartPaste(std::function<void()> done = {});

    /// The name of the rule used by the latest smart paste that found one.
    const std::optional<std::string>& lastMatchedRuleName() const { return m_lastMatchedRuleName; }
    /// True while a press's smart paste is under way.
    bool isPasting() const { return m_isPasting; }
    /// Presses waiting for the smart paste under way.
    std::size_t waitingPresses() const { return m_waitingPresses; }

    /// Registers a callback run just before lastMatchedRuleName is assigned.
    [[nodiscard]] common::Subscription addObserver(std::function<void()> willChange);
    /// Registers a callback run just after lastMatchedRuleName was assigned.
    [[nodiscard]] common::Subscription addDidChangeObserver(std::function<void()> didChange);

    ContextDetector& contextDetector() { return m_contextDetector; }
    PasteEngine& pasteEngine() { return m_pasteEngine; }
    PermissionManager& permissionManager() { return m_permissionManager; }

private:
    void armedChanged(bool armed);
    void startPress();
    void endSmartPaste(std::function<void()> done);
    void setLastMatchedRuleName(std::string name);

    rules::RuleStore& m_ruleStore;
    PermissionManager& m_permissionManager;
    platform::Executor& m_executor;
    platform::Hotkeys& m_hotkeys;
    shortcuts::KeyboardShortcuts& m_keyboardShortcuts;
    ContextDetector m_contextDetector;
    PasteEngine m_pasteEngine;
    std::optional<std::string> m_lastMatchedRuleName;
    bool m_isPasting = false;
    bool m_armed = false;
    std::size_t m_smartPastesUnderWay = 0;
    std::shared_ptr<HotkeyCoordinator> m_keepAlive;
    std::size_t m_waitingPresses = 0;
    common::ObserverList m_willChange;
    common::ObserverList m_didChange;
};

} // namespace ondrel::paste
