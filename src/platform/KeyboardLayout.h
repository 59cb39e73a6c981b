#pragma once

// Key codes here are macOS virtual key codes and modifiers Carbon bits, the stored form of a
// shortcut (see Hotkeys.h); the backend maps them to the keys of the current layout.

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

// Qt's keyboard modifier bits, as toolkit key events carry them.
namespace ToolkitModifier {
inline constexpr std::uint32_t shift = 0x02000000;
inline constexpr std::uint32_t control = 0x04000000;
inline constexpr std::uint32_t alt = 0x08000000;
inline constexpr std::uint32_t meta = 0x10000000; // Super on X11, Command's place
} // namespace ToolkitModifier

// A key press as the toolkit delivered it to a window of ours.
struct ToolkitKeyEvent
{
    int key = 0;                       // Qt::Key
    std::uint32_t modifiers = 0;       // ToolkitModifier bits
    std::uint32_t nativeScanCode = 0;  // the display's key code; 0 when synthesised
    std::uint32_t nativeModifiers = 0; // the display's modifier state
};

// A key press in the stored form: a macOS virtual key code and Carbon modifier bits.
struct KeyStroke
{
    std::uint32_t keyCode = 0;
    std::uint32_t carbonModifiers = 0;

    bool operator==(const KeyStroke&) const = default;
};

// The current keyboard layout and the combinations the system keeps for itself.
class KeyboardLayout : public Service
{
public:
    /// The text the key with this macOS virtual key code types, unmodified, on the current layout
    /// or, when that one is not Latin (Russian, Greek), on a Latin one.
    virtual std::optional<std::string> characterForKeyCode(std::uint32_t keyCode) = 0;
    /// The system-wide shortcuts the platform lists; possibly empty.
    virtual std::vector<SystemShortcut> systemShortcuts() = 0;
    /// True when another program already holds the combination.
    virtual bool isTakenBySystem(std::uint32_t keyCode, std::uint32_t carbonModifiers) = 0;
    /// The stored form of a key press, the same key the hotkey service grabs for it; none for
    /// keys that have no macOS key code.
    virtual std::optional<KeyStroke> keyStroke(const ToolkitKeyEvent& event) = 0;
};

} // namespace ondrel::platform
