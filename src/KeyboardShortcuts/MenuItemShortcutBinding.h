#pragma once

#include "ModifierFlags.h"
#include "Name.h"

#include "platform/NotificationCenter.h"

#include <functional>
#include <optional>
#include <string>

namespace ondrel::shortcuts {

class KeyboardShortcuts;

// What a menu item shows for a bound name.
struct MenuItemKeyEquivalent
{
    std::string keyEquivalent;
    ModifierFlags modifierMask;
    /// True when no shortcut is shown, so the toolkit may adapt the (empty) key to the layout.
    bool allowsAutomaticKeyEquivalentLocalization = true;

    bool operator==(const MenuItemKeyEquivalent&) const = default;
};

// Keeps one menu item's key equivalent equal to a name's stored shortcut. The toolkit adapter
// applies each value to its item; the binding must not outlive the component.
class MenuItemShortcutBinding
{
public:
    using Apply = std::function<void(const MenuItemKeyEquivalent&)>;

    MenuItemShortcutBinding(KeyboardShortcuts& shortcuts, Apply apply);
    ~MenuItemShortcutBinding();
    MenuItemShortcutBinding(const MenuItemShortcutBinding&) = delete;
    MenuItemShortcutBinding& operator=(const MenuItemShortcutBinding&) = delete;

    /// Shows the name's shortcut and follows its changes; none clears the item and stops following.
    void setShortcut(const std::optional<Name>& name);

private:
    void apply();
    void stopObserving();

    KeyboardShortcuts& m_shortcuts;
    Apply m_apply;
    std::optional<Name> m_name;
    std::optional<platform::NotificationCenter::ObserverToken> m_observer;
};

} // namespace ondrel::shortcuts
