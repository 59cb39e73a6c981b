#pragma once

#include "ModifierFlags.h"
#include "Shortcut.h"

#include <string>
#include <vector>

namespace ondrel::platform {
class KeyboardLayout;
}

namespace ondrel::shortcuts {

struct MenuItem;

// A toolkit-neutral menu: the application's menus are converted into this tree to be searched.
struct Menu
{
    std::vector<MenuItem> items;
};

struct MenuItem
{
    std::string title;
    /// The key text the item answers to ("v", "V", a glyph, a function-key character).
    std::string keyEquivalent;
    ModifierFlags keyEquivalentModifierMask;
    std::vector<Menu> submenu; // empty, or exactly one menu

    MenuItem() = default;
    MenuItem(std::string title, std::string keyEquivalent, ModifierFlags mask,
             std::vector<MenuItem> submenuItems = {});
};

/// The first item, depth first in item order, whose key equivalent is this shortcut; or nullptr.
const MenuItem* menuItemWithMatchingShortcut(const Menu& menu, const Shortcut& shortcut,
                                             platform::KeyboardLayout& layout);

} // namespace ondrel::shortcuts
