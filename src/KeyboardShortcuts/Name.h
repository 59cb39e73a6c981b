#pragma once

#include "Shortcut.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ondrel::shortcuts {

class KeyboardShortcuts;

// A named, user-changeable shortcut. Equal names have the same raw value; the default takes no
// part in equality or hashing.
struct Name
{
    std::string rawValue;
    /// Written once, when nothing is stored for the name yet.
    std::optional<Shortcut> defaultShortcut;

    /// A plain value with no effect on the store (for looking names up).
    explicit Name(std::string rawValue, std::optional<Shortcut> defaultShortcut = std::nullopt);
    /// The name within a component: stores the default when the name's key holds no value at
    /// all (registering it with the system), and starts watching the application's menus.
    Name(KeyboardShortcuts& shortcuts, std::string rawValue,
         std::optional<Shortcut> defaultShortcut = std::nullopt);

    /// The preferences key of the name.
    std::string storageKey() const;

    bool operator==(const Name& other) const { return rawValue == other.rawValue; }
};

/// Every preferences key of the component starts with this.
inline constexpr std::string_view storageKeyPrefix = "KeyboardShortcuts_";

} // namespace ondrel::shortcuts

template <>
struct std::hash<ondrel::shortcuts::Name>
{
    std::size_t operator()(const ondrel::shortcuts::Name& name) const noexcept
    {
        return std::hash<std::string>{}(name.rawValue);
    }
};
