#include "MenuItemShortcutBinding.h"

#include "KeyboardShortcuts.h"

#include <utility>

namespace ondrel::shortcuts {

MenuItemShortcutBinding::MenuItemShortcutBinding(KeyboardShortcuts& shortcuts, Apply apply)
    : m_shortcuts(shortcuts), m_apply(std::move(apply))
{}

MenuItemShortcutBinding::~MenuItemShortcutBinding()
{
    stopObserving();
}

void MenuItemShortcutBinding::setShortcut(const std::optional<Name>& name)
{
    m_name = name;
    if (!m_name) {
        stopObserving();
        apply();
        return;
    }
    apply();
    if (!m_observer) {
        m_observer = m_shortcuts.notificationCenter().addObserver(
            KeyboardShortcuts::shortcutByNameDidChange,
            [this](const std::string&, const platform::UserInfo& userInfo) {
                const std::string* changed = platform::userInfoText(userInfo, "name");
                if (m_name && changed && *changed == m_name->rawValue) {
                    apply();
                }
            });
    }
}

void MenuItemShortcutBinding::apply()
{
    MenuItemKeyEquivalent value;
    if (m_name) {
        if (const auto shortcut = m_shortcuts.getShortcut(*m_name)) {
            value.keyEquivalent = m_shortcuts.nsMenuItemKeyEquivalent(*shortcut).value_or("");
            value.modifierMask = shortcut->modifiers();
            value.allowsAutomaticKeyEquivalentLocalization = false;
        }
    }
    if (m_apply) {
        m_apply(value);
    }
}

void MenuItemShortcutBinding::stopObserving()
{
    if (m_observer) {
        m_shortcuts.notificationCenter().removeObserver(*m_observer);
        m_observer.reset();
    }
}

} // namespace ondrel::shortcuts
