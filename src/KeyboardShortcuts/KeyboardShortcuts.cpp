#include "KeyboardShortcuts.h"

#include "CarbonKeyboardShortcuts.h"

#include "platform/Executor.h"
#include "platform/Hotkeys.h"
#include "platform/KeyboardLayout.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/Preferences.h"

#include <algorithm>
#include <iostream>
#include <utility>

namespace ondrel::shortcuts {

KeyboardShortcuts::KeyboardShortcuts(platform::Platform& platform)
    : m_hotkeys(*platform.hotkeys), m_keyboardLayout(*platform.keyboardLayout),
      m_preferences(*platform.preferences), m_notificationCenter(*platform.notificationCenter),
      m_executor(*platform.executor), m_carbon(std::make_unique<CarbonKeyboardShortcuts>(
                                          m_hotkeys, m_keyboardLayout, m_isEnabled, std::cout))
{}

KeyboardShortcuts::~KeyboardShortcuts()
{
    if (m_isInitialized) {
        m_hotkeys.setMenuTrackingObserver([](bool) {});
    }
}

// --- stored shortcuts ------------------------------------------------------------------------

std::optional<Shortcut> KeyboardShortcuts::getShortcut(const Name& name) const
{
    const auto value = m_preferences.value(name.storageKey());
    if (!value) {
        return std::nullopt;
    }
    const auto* text = std::get_if<std::string>(&*value);
    if (text == nullptr) {
        return std::nullopt;
    }
    return Shortcut::fromJsonText(*text);
}

bool KeyboardShortcuts::userDefaultsContains(const Name& name) const
{
    return m_preferences.contains(name.storageKey());
}

void KeyboardShortcuts::setShortcut(const std::optional<Shortcut>& shortcut, const Name& name)
{
    if (!shortcut) {
        const auto old = getShortcut(name);
        if (!old) {
            return;
        }
        // A name with a default keeps a marker, or the default would come back at next launch.
        if (name.defaultShortcut) {
            m_preferences.setValue(name.storageKey(), false);
        } else {
            m_preferences.removeValue(name.storageKey());
        }
        if (!isBound(*old, &name)) {
            unregisterShortcut(*old);
        }
        postChange(name);
        return;
    }

    const auto text = shortcut->jsonText();
    if (!text) {
        return;
    }
    if (const auto old = getShortcut(name); old && !isBound(*old, &name)) {
        unregisterShortcut(*old);
    }
    if (!m_registeredShortcuts.contains(*shortcut)) {
        registerShortcut(*shortcut);
    }
    m_preferences.setValue(name.storageKey(), *text);
    postChange(name);
}

void KeyboardShortcuts::reset(const std::vector<Name>& names)
{
    for (const Name& name : names) {
        setShortcut(name.defaultShortcut, name);
    }
}

void KeyboardShortcuts::resetAll()
{
    std::vector<Name> names;
    for (const std::string& key : m_preferences.keys()) {
        if (key.starts_with(storageKeyPrefix)) {
            names.emplace_back(*this, key.substr(storageKeyPrefix.size()));
        }
    }
    reset(names);
}

void KeyboardShortcuts::postChange(const Name& name)
{
    m_notificationCenter.post(shortcutByNameDidChange, {{"name", name.rawValue}});
}

// --- registration ----------------------------------------------------------------------------

void KeyboardShortcuts::registerShortcut(const Shortcut& shortcut)
{
    m_carbon->registerShortcut(
        shortcut, [this](const Shortcut& pressed) { handleOnKeyDown(pressed); },
        [this](const Shortcut& released) { handleOnKeyUp(released); });
    // Kept even when the system refused: a later enable or onKeyDown does not retry until the
    // shortcut is unregistered.
    m_registeredShortcuts.insert(shortcut);
}

void KeyboardShortcuts::registerIfNeeded(const Name& name)
{
    if (const auto shortcut = getShortcut(name);
        shortcut && !m_registeredShortcuts.contains(*shortcut)) {
        registerShortcut(*shortcut);
    }
}

void KeyboardShortcuts::unregisterShortcut(const Shortcut& shortcut)
{
    m_carbon->unregisterShortcut(shortcut);
    m_registeredShortcuts.erase(shortcut);
}

bool KeyboardShortcuts::isBound(const Shortcut& shortcut, const Name* except) const
{
    const auto boundIn = [&](const auto& table) {
        for (const auto& [name, actions] : table) {
            if (except != nullptr && name == *except) {
                continue;
            }
            if (!actions.empty() && getShortcut(name) == shortcut) {
                return true;
            }
        }
        return false;
    };
    return boundIn(m_legacyKeyDownHandlers) || boundIn(m_legacyKeyUpHandlers) ||
           boundIn(m_streamKeyDownHandlers) || boundIn(m_streamKeyUpHandlers);
}

// --- actions ---------------------------------------------------------------------------------

void KeyboardShortcuts::onKeyDown(const Name& name, Action action)
{
    m_legacyKeyDownHandlers[name].push_back(std::move(action));
    registerIfNeeded(name);
}

void KeyboardShortcuts::onKeyUp(const Name& name, Action action)
{
    m_legacyKeyUpHandlers[name].push_back(std::move(action));
    registerIfNeeded(name);
}

void KeyboardShortcuts::removeHandler(const Name& name)
{
    m_legacyKeyDownHandlers.erase(name);
    m_legacyKeyUpHandlers.erase(name);
    // Another name's actions on the same shortcut keep it registered.
    if (const auto shortcut = getShortcut(name); shortcut && !isBound(*shortcut, nullptr)) {
        unregisterShortcut(*shortcut);
    }
}

void KeyboardShortcuts::removeAllHandlers()
{
    std::unordered_set<Shortcut> unused;
    for (const LegacyTable* table : {&m_legacyKeyDownHandlers, &m_legacyKeyUpHandlers}) {
        for (const auto& [name, actions] : *table) {
            if (const auto shortcut = getShortcut(name)) {
                unused.insert(*shortcut);
            }
        }
    }
    for (const StreamTable* table : {&m_streamKeyDownHandlers, &m_streamKeyUpHandlers}) {
        for (const auto& [name, actions] : *table) {
            if (const auto shortcut = getShortcut(name)) {
                unused.erase(*shortcut);
            }
        }
    }
    for (const Shortcut& shortcut : unused) {
        unregisterShortcut(shortcut);
    }
    m_legacyKeyDownHandlers.clear();
    m_legacyKeyUpHandlers.clear();
}

void KeyboardShortcuts::disable(const std::vector<Name>& names)
{
    for (const Name& name : names) {
        if (const auto shortcut = getShortcut(name)) {
            unregisterShortcut(*shortcut);
        }
    }
}

void KeyboardShortcuts::enable(const std::vector<Name>& names)
{
    for (const Name& name : names) {
        registerIfNeeded(name);
    }
}

bool KeyboardShortcuts::isEnabled(const Name& name) const
{
    const auto shortcut = getShortcut(name);
    return m_isEnabled && shortcut && m_registeredShortcuts.contains(*shortcut);
}

void KeyboardShortcuts::setEnabled(bool enabled)
{
    if (enabled == m_isEnabled) {
        return;
    }
    m_isEnabled = enabled;
    m_carbon->updateEventHandler();
}

void KeyboardShortcuts::setPaused(bool paused)
{
    m_isPaused = paused;
    m_carbon->setSuspended(paused);
}

void KeyboardShortcuts::handleOnKeyDown(const Shortcut& shortcut)
{
    if (m_isPaused) {
        return;
    }
    dispatch(shortcut, m_legacyKeyDownHandlers, m_streamKeyDownHandlers);
}

void KeyboardShortcuts::handleOnKeyUp(const Shortcut& shortcut)
{
    if (m_isPaused) {
        return;
    }
    dispatch(shortcut, m_legacyKeyUpHandlers, m_streamKeyUpHandlers);
}

void KeyboardShortcuts::dispatch(const Shortcut& shortcut, const LegacyTable& legacy,
                                 const StreamTable& streams)
{
    // Snapshots: an action may attach or detach actions, or change shortcuts, while it runs.
    // Each name is matched by its shortcut as stored now, so a newly recorded one works at once.
    const LegacyTable legacySnapshot = legacy;
    const StreamTable streamSnapshot = streams;
    for (const auto& [name, actions] : legacySnapshot) {
        if (getShortcut(name) == shortcut) {
            for (const Action& action : actions) {
                action();
            }
        }
    }
    for (const auto& [name, actions] : streamSnapshot) {
        if (getShortcut(name) == shortcut) {
            for (const auto& [id, action] : actions) {
                action();
            }
        }
    }
}

// --- event streams ---------------------------------------------------------------------------

EventStream KeyboardShortcuts::events(const Name& name)
{
    return makeStream(name, std::nullopt);
}

EventStream KeyboardShortcuts::events(EventType type, const Name& name)
{
    return makeStream(name, type);
}

EventStream KeyboardShortcuts::makeStream(const Name& name, std::optional<EventType> onlyType)
{
    auto state = std::make_shared<EventStream::State>();
    state->onlyType = onlyType;
    const StreamId id = ++m_lastStreamId;
    const auto alive = m_lifetime.token();

    m_executor.post([this, alive, name, id, state] {
        if (alive.expired() || state->ended) {
            return;
        }
        m_streamKeyDownHandlers[name][id] = [state] { state->yield(EventType::keyDown); };
        m_streamKeyUpHandlers[name][id] = [state] { state->yield(EventType::keyUp); };
        registerIfNeeded(name);
    });

    state->onTermination = [this, alive, name, id] {
        if (alive.expired()) {
            return;
        }
        m_executor.post([this, alive, name, id] {
            if (!alive.expired()) {
                endStream(name, id);
            }
        });
    };
    return EventStream(std::move(state));
}

void KeyboardShortcuts::endStream(const Name& name, StreamId id)
{
    for (StreamTable* table : {&m_streamKeyDownHandlers, &m_streamKeyUpHandlers}) {
        const auto entry = table->find(name);
        if (entry == table->end()) {
            continue;
        }
        entry->second.erase(id);
        if (entry->second.empty()) {
            table->erase(entry);
        }
    }
    if (const auto shortcut = getShortcut(name); shortcut && !isBound(*shortcut, nullptr)) {
        unregisterShortcut(*shortcut);
    }
}

// --- menus -----------------------------------------------------------------------------------

void KeyboardShortcuts::initializeOnce()
{
    if (m_isInitialized) {
        return;
    }
    m_isInitialized = true;
    const auto alive = m_lifetime.token();
    m_hotkeys.setMenuTrackingObserver([this, alive](bool isOpen) {
        if (!alive.expired()) {
            m_carbon->setMenuOpen(isOpen);
        }
    });
}

// --- texts and conflicts -----------------------------------------------------------------------

std::string KeyboardShortcuts::description(const Shortcut& shortcut) const
{
    return shortcut.description(m_keyboardLayout);
}

std::optional<std::string> KeyboardShortcuts::keyToCharacter(std::int64_t keyCode) const
{
    return shortcuts::keyToCharacter(m_keyboardLayout, keyCode);
}

std::vector<Shortcut> KeyboardShortcuts::systemShortcuts() const
{
    std::vector<Shortcut> result;
    for (const auto& taken : m_keyboardLayout.systemShortcuts()) {
        if (taken.isEnabled) {
            result.emplace_back(static_cast<std::int64_t>(taken.keyCode),
                                static_cast<std::int64_t>(taken.carbonModifiers));
        }
    }
    return result;
}

bool KeyboardShortcuts::isTakenBySystem(const Shortcut& shortcut) const
{
    const auto listed = systemShortcuts();
    if (std::find(listed.begin(), listed.end(), shortcut) != listed.end()) {
        return true;
    }
    if (shortcut.carbonKeyCode < 0 || shortcut.carbonKeyCode > maximumKeyCode ||
        shortcut.carbonModifiers < 0 || shortcut.carbonModifiers > maximumCarbonModifiers) {
        return false;
    }
    return m_keyboardLayout.isTakenBySystem(static_cast<std::uint32_t>(shortcut.carbonKeyCode),
                                            static_cast<std::uint32_t>(shortcut.carbonModifiers));
}

const MenuItem* KeyboardShortcuts::menuItemWithMatchingShortcut(const Menu& menu,
                                                                const Shortcut& shortcut) const
{
    return shortcuts::menuItemWithMatchingShortcut(menu, shortcut, m_keyboardLayout);
}

} // namespace ondrel::shortcuts
