#include "WaylandKeyboardEvents.h"

#include "WaylandConnection.h"
#include "WaylandLog.h"
#include "XkbKeymap.h"

#include "platform/freedesktop/KeyCodeMap.h"

#include "virtual-keyboard-unstable-v1-client-protocol.h"

#include <sys/mman.h>
#include <unistd.h>

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstring>

namespace ondrel::platform::wayland {

namespace {

// evdev codes used when the keymap has no such keysym.
constexpr std::uint32_t kEvdevLeftCtrl = 29;
constexpr std::uint32_t kEvdevLeftShift = 42;
constexpr std::uint32_t kKeyPressed = 1;
constexpr std::uint32_t kKeyReleased = 0;

std::uint32_t nowMilliseconds()
{
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

// The keymap travels as a file descriptor of a sealed-size memory file, NUL included.
int keymapFile(const std::string& text)
{
    const int fd = ::memfd_create("ondrel-keymap", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    const std::size_t size = text.size() + 1;
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        ::close(fd);
        return -1;
    }
    void* mapped = ::mmap(nullptr, size, PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) {
        ::close(fd);
        return -1;
    }
    std::memcpy(mapped, text.c_str(), size);
    ::munmap(mapped, size);
    return fd;
}

} // namespace

WaylandKeyboardEvents::WaylandKeyboardEvents(std::shared_ptr<WaylandConnection> connection,
                                             std::shared_ptr<XkbKeymap> keymap)
    : m_connection(std::move(connection)), m_keymap(std::move(keymap))
{
    auto* manager = m_connection->virtualKeyboardManager();
    const auto text = m_keymap->text();
    if (!manager || !m_connection->seat() || text.empty()) {
        qCWarning(waylandLog) << "The compositor offers no virtual keyboard; pasting is off";
        return;
    }
    const int fd = keymapFile(text);
    if (fd < 0) {
        qCWarning(waylandLog) << "Could not hand the keymap to the compositor";
        return;
    }
    m_keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, m_connection->seat());
    zwp_virtual_keyboard_v1_keymap(m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   static_cast<std::uint32_t>(text.size() + 1));
    ::close(fd);
    m_connection->roundtrip();
}

WaylandKeyboardEvents::~WaylandKeyboardEvents()
{
    if (m_keyboard) {
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
        m_connection->flush();
    }
}

bool WaylandKeyboardEvents::postPasteKeystroke(PasteKeystroke keystroke)
{
    if (!m_keyboard)
        return false;
    // The keys that type Control and v in our keymap (Dvorak moves v); key events carry evdev
    // codes, X keycodes less eight.
    const auto offset = freedesktop::KeyCodeMap::xKeycodeOffset;
    const auto controlKey = m_keymap->keycodeFor(XKB_KEY_Control_L);
    const auto vKey = m_keymap->keycodeFor(XKB_KEY_v);
    const std::uint32_t control = controlKey ? *controlKey - offset : kEvdevLeftCtrl;
    const std::uint32_t v = (vKey ? *vKey : freedesktop::KeyCodeMap::xKeycodeOfVPosition) - offset;
    const auto shiftKey = m_keymap->keycodeFor(XKB_KEY_Shift_L);
    const std::uint32_t shift = shiftKey ? *shiftKey - offset : kEvdevLeftShift;
    const bool withShift = keystroke == PasteKeystroke::terminal;
    const auto modifiers = m_keymap->modifierBit(XKB_MOD_NAME_CTRL) |
                           (withShift ? m_keymap->modifierBit(XKB_MOD_NAME_SHIFT) : 0);

    // Our keyboard's state is its own: exactly Control (and Shift for a terminal), whatever
    // the user holds elsewhere.
    const auto time = nowMilliseconds();
    zwp_virtual_keyboard_v1_key(m_keyboard, time, control, kKeyPressed);
    if (withShift)
        zwp_virtual_keyboard_v1_key(m_keyboard, time, shift, kKeyPressed);
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, modifiers, 0, 0, 0);
    zwp_virtual_keyboard_v1_key(m_keyboard, time, v, kKeyPressed);
    zwp_virtual_keyboard_v1_key(m_keyboard, time, v, kKeyReleased);
    if (withShift)
        zwp_virtual_keyboard_v1_key(m_keyboard, time, shift, kKeyReleased);
    zwp_virtual_keyboard_v1_key(m_keyboard, time, control, kKeyReleased);
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, 0, 0, 0, 0);
    m_connection->noteKeystroke();
    m_connection->flush();
    return true;
}

} // namespace ondrel::platform::wayland
