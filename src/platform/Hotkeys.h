#pragma once

// Why macOS words on Linux: shortcuts are stored and exchanged in macOS terms (a Mac virtual
// key code plus Carbon modifier bits), so a preferences file means the same on every platform
// and the shortcut component stays one piece of code. Results keep the Carbon OSStatus values
// for the same reason; each backend translates its own key codes and errors at this boundary.

#include "Service.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace ondrel::platform {

using OSStatus = std::int32_t;
inline constexpr OSStatus noErr = 0;
inline constexpr OSStatus eventNotHandledErr = -9874;
inline constexpr OSStatus eventHotKeyExistsErr = -9878;
inline constexpr OSStatus eventHotKeyInvalidErr = -9879;
inline constexpr OSStatus paramErr = -50;

// Carbon modifier bits: the form in which modifiers cross this boundary and are stored.
namespace CarbonModifier {
inline constexpr std::uint32_t command = 0x100;
inline constexpr std::uint32_t shift = 0x200;
inline constexpr std::uint32_t option = 0x800;
inline constexpr std::uint32_t control = 0x1000;
inline constexpr std::uint32_t function = 0x20000;
} // namespace CarbonModifier

// Identifies a registration: a four-character signature and an id.
struct HotKeyID
{
    std::uint32_t signature = 0;
    std::uint32_t id = 0;

    bool operator==(const HotKeyID&) const = default;
};

// Opaque reference of a live registration; 0 means none.
using HotKeyRef = std::uint64_t;

// Keyboard event kinds of the hotkey service: raw key events while a menu of ours is
// open, hotkey presses and releases otherwise.
enum class KeyEventKind : std::uint32_t
{
    rawKeyDown = 1,
    rawKeyUp = 3,
    hotKeyPressed = 5,
    hotKeyReleased = 6,
};

// An event for the installed handler. Hotkey kinds carry hotKeyID; raw kinds carry the
// key (a macOS virtual key code) and the Carbon modifier bits.
struct KeyEvent
{
    KeyEventKind kind = KeyEventKind::hotKeyPressed;
    std::optional<HotKeyID> hotKeyID;
    std::uint32_t keyCode = 0;
    std::uint32_t carbonModifiers = 0;
};

// System-wide hotkeys. Key codes are macOS virtual key codes, modifiers Carbon bits;
// backends map them to their own keys by position. All calls on the main thread.
class Hotkeys : public Service
{
public:
    using Handler = std::function<OSStatus(const KeyEvent&)>;

    /// Grabs the combination system-wide; noErr and a non-zero ref on success.
    virtual OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                         HotKeyID id, HotKeyRef& ref) = 0;
    /// Releases a registration made by registerEventHotKey.
    virtual OSStatus unregisterEventHotKey(HotKeyRef ref) = 0;
    /// Installs the one handler that receives key events of the enabled kinds.
    virtual OSStatus installEventHandler(Handler handler) = 0;
    /// Starts delivering events of these kinds to the handler.
    virtual OSStatus addEventTypes(const std::vector<KeyEventKind>& kinds) = 0;
    /// Stops delivering events of these kinds.
    virtual OSStatus removeEventTypes(const std::vector<KeyEventKind>& kinds) = 0;
    /// Called with true when one of our menus begins tracking, false when it ends.
    virtual void setMenuTrackingObserver(std::function<void(bool isOpen)> observer) = 0;
    /// Called with true once exactly a registered combination's modifiers are held, its key
    /// to come, and with false when that ends otherwise; never where the backend cannot tell.
    virtual void setArmedObserver(std::function<void(bool armed)> observer) = 0;
};

} // namespace ondrel::platform
