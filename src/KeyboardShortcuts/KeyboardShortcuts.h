#pragma once

#include "EventStream.h"
#include "EventType.h"
#include "Key.h"
#include "Menu.h"
#include "ModifierFlags.h"
#include "Name.h"
#include "Shortcut.h"

#include "common/LifetimeGuard.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace ondrel::platform {
class Executor;
class Hotkeys;
class KeyboardLayout;
class NotificationCenter;
class Preferences;
struct Platform;
} // namespace ondrel::platform

namespace ondrel::shortcuts {

class CarbonKeyboardShortcuts;

// Named, user-changeable, system-wide shortcuts: their stored form in the preferences, their
// registration with the system, and the actions attached to them. One instance holds everything
// the component knows while the process runs; everything happens on the main thread.
class KeyboardShortcuts
{
public:
    using Name = shortcuts::Name;
    using Key = shortcuts::Key;
    using EventType = shortcuts::EventType;
    using Shortcut = shortcuts::Shortcut;
    using Action = std::function<void()>;

    /// Posted after every change of a name's stored shortcut, with {"name": raw value}.
    static constexpr const char* shortcutByNameDidChange =
        "KeyboardShortcuts_shortcutByNameDidChange";
    /// Posted by recorders when they start or stop recording, with the boolean {"isActive"}.
    static constexpr const char* recorderActiveStatusDidChange =
        "KeyboardShortcuts_recorderActiveStatusDidChange";

    /// The component's error lines go to standard output.
    explicit KeyboardShortcuts(platform::Platform& platform);
    ~KeyboardShortcuts();
    KeyboardShortcuts(const KeyboardShortcuts&) = delete;
    KeyboardShortcuts& operator=(const KeyboardShortcuts&) = delete;

    // --- stored shortcuts ----------------------------------------------------------------

    /// The stored shortcut of name; never the default.
    std::optional<Shortcut> getShortcut(const Name& name) const;
    /// Stores (and registers) shortcut for name, or clears it; posts the change notification.
    void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name);
    /// Restores each name's default (clearing names without one).
    void reset(const std::vector<Name>& names);
    /// Clears every stored shortcut of the component; "cleared" markers stay.
    void resetAll();
    /// True when any value is stored under the name's key.
    bool userDefaultsContains(const Name& name) const;

    // --- actions ---------------------------------------------------------------------------

    /// Runs action whenever the name's current shortcut is pressed.
    void onKeyDown(const Name& name, Action action);
    /// Runs action whenever the name's current shortcut is released.
    void onKeyUp(const Name& name, Action action);
    /// Detaches the name's actions; unregisters its shortcut when nothing else uses it.
    void removeHandler(const Name& name);
    /// Detaches every action attached with onKeyDown and onKeyUp.
    void removeAllHandlers();
    /// Presses and releases of name for as long as the stream lives.
    EventStream events(const Name& name);
    /// The same, only the events of one type.
    EventStream events(EventType type, const Name& name);

    /// Unregisters the names' shortcuts; their actions stay attached.
    void disable(const std::vector<Name>& names);
    /// Registers the names' shortcuts again.
    void enable(const std::vector<Name>& names);
    /// True when the component is enabled and the name's shortcut is registered.
    bool isEnabled(const Name& name) const;
    /// The global switch; while off no shortcut is registered with the system.
    bool isEnabled() const { return m_isEnabled; }
    void setEnabled(bool enabled);
    /// While paused (a recorder is active) presses reach no action, and the system grabs are
    /// let go so that the recorder sees every combination, our own included.
    bool isPaused() const { return m_isPaused; }
    void setPaused(bool paused);

    /// Starts watching the application's menus; runs once, on the first name built.
    void initializeOnce();

    // --- texts and conflicts -----------------------------------------------------------------

    /// Display text of shortcut on the current layout.
    std::string description(const Shortcut& shortcut) const;
    /// The character the key types on the current layout.
    std::optional<std::string> keyToCharacter(std::int64_t keyCode) const;
    /// The enabled shortcuts the system keeps for itself, read anew each time.
    std::vector<Shortcut> systemShortcuts() const;
    /// True when the system lists shortcut, or another program already holds it (where the
    /// platform keeps no list, trying is the only way to know).
    bool isTakenBySystem(const Shortcut& shortcut) const;
    /// The first item of menu (depth first) that already uses shortcut.
    const MenuItem* menuItemWithMatchingShortcut(const Menu& menu, const Shortcut& shortcut) const;

    /// Where the component posts its notifications (recorders and action bindings listen there).
    platform::NotificationCenter& notificationCenter() const { return m_notificationCenter; }

private:
    using StreamId = std::uint64_t;
    using LegacyTable = std::unordered_map<Name, std::vector<Action>>;
    using StreamTable = std::unordered_map<Name, std::map<StreamId, Action>>;

    // Dispatch of a press or a release to every name whose stored shortcut it is.
    void handleOnKeyDown(const Shortcut& shortcut);
    void handleOnKeyUp(const Shortcut& shortcut);
    void registerShortcut(const Shortcut& shortcut);
    void registerIfNeeded(const Name& name);
    void unregisterShortcut(const Shortcut& shortcut);
    // True when a name other than except has actions and its stored shortcut is shortcut.
    bool isBound(const Shortcut& shortcut, const Name* except) const;
    void dispatch(const Shortcut& shortcut, const LegacyTable& legacy, const StreamTable& streams);
    void postChange(const Name& name);
    EventStream makeStream(const Name& name, std::optional<EventType> onlyType);
    void endStream(const Name& name, StreamId id);

    platform::Hotkeys& m_hotkeys;
    platform::KeyboardLayout& m_keyboardLayout;
    platform::Preferences& m_preferences;
    platform::NotificationCenter& m_notificationCenter;
    platform::Executor& m_executor;

    bool m_isEnabled = true;
    bool m_isPaused = false;
    std::unique_ptr<CarbonKeyboardShortcuts> m_carbon;
    std::unordered_set<Shortcut> m_registeredShortcuts;
    LegacyTable m_legacyKeyDownHandlers;
    LegacyTable m_legacyKeyUpHandlers;
    StreamTable m_streamKeyDownHandlers;
    StreamTable m_streamKeyUpHandlers;
    StreamId m_lastStreamId = 0;
    bool m_isInitialized = false;
    // Work queued on the executor and the menu observer outlive this object; they check this.
    common::LifetimeGuard m_lifetime;
};

} // namespace ondrel::shortcuts
