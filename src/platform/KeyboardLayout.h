#pragma once

#include "Service.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::platform {

// A combination the system or another program already uses.
struct SystemShortcut
{
    std::uint32_t keyCode = 0;
    std::uint32_t carbonModifiers = 0;
    bool isEnabled = true;

    bool operator==(const SystemShortcut&) const = default;
};

// The current keyboard layout and the combinations the system keeps for itself.
class KeyboardLayout : public Service
{
public:
    /// The text the key with this macOS virtual key code types on the current layout, unmodified.
    virtual std::optional<std::string> characterForKeyCode(std::uint32_t keyCode) = 0;
    /// The system-wide shortcuts the platform lists; possibly empty.
    virtual std::vector<SystemShortcut> systemShortcuts() = 0;
    /// True when another program already holds the combination.
    virtual bool isTakenBySystem(std::uint32_t keyCode, std::uint32_t carbonModifiers) = 0;
};

} // namespace ondrel::platform
