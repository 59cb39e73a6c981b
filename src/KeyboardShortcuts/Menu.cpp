#include "Menu.h"

#include "UnicodeText.h"

#include <optional>
#include <utility>

namespace ondrel::shortcuts {
namespace {

const MenuItem* search(const Menu& menu, const std::string& keyText, ModifierFlags flags)
{
    for (const MenuItem& item : menu.items) {
        std::string equivalent = item.keyEquivalent;
        ModifierFlags mask = item.keyEquivalentModifierMask;
        // An upper-case key equivalent implies Shift: "V" with Command is Command-Shift-V.
        if (flags.contains(ModifierFlags::shift)) {
            std::string lower = lowercased(equivalent);
            if (lower != equivalent) {
                equivalent = std::move(lower);
                mask = mask | ModifierFlags::shift;
            }
        }
        if (equivalent == keyText && mask == flags) {
            return &item;
        }
        for (const Menu& submenu : item.submenu) {
            if (const MenuItem* found = search(submenu, keyText, flags)) {
                return found;
            }
        }
    }
    return nullptr;
}

} // namespace

MenuItem::MenuItem(std::string itemTitle, std::string itemKeyEquivalent, ModifierFlags mask,
                   std::vector<MenuItem> submenuItems)
    : title(std::move(itemTitle)), keyEquivalent(std::move(itemKeyEquivalent)),
      keyEquivalentModifierMask(mask)
{
    if (!submenuItems.empty()) {
        submenu.push_back(Menu{std::move(submenuItems)});
    }
}

const MenuItem* menuItemWithMatchingShortcut(const Menu& menu, const Shortcut& shortcut,
                                             platform::KeyboardLayout& layout)
{
    // Keypad keys have no key-equivalent text, and a key that types nothing cannot be compared.
    const std::optional<std::string> keyText = shortcut.nsMenuItemKeyEquivalent(layout);
    if (!keyText) {
        return nullptr;
    }
    return search(menu, *keyText, shortcut.modifiers());
}

} // namespace ondrel::shortcuts
