#include "Name.h"

#include "KeyboardShortcuts.h"

#include <utility>

namespace ondrel::shortcuts {

Name::Name(std::string name, std::optional<Shortcut> defaultValue)
    : rawValue(std::move(name)), defaultShortcut(std::move(defaultValue))
{}

Name::Name(KeyboardShortcuts& shortcuts, std::string name, std::optional<Shortcut> defaultValue)
    : Name(std::move(name), std::move(defaultValue))
{
    // Any stored value, the "cleared" marker included, means the user has decided already.
    if (defaultShortcut && !shortcuts.userDefaultsContains(*this)) {
        shortcuts.setShortcut(defaultShortcut, *this);
    }
    shortcuts.initializeOnce();
}

std::string Name::storageKey() const
{
    return std::string(storageKeyPrefix) + rawValue;
}

} // namespace ondrel::shortcuts
