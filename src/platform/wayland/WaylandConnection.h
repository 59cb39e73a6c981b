#pragma once

class QObject;

#include <cstdint>
#include <functional>
#include <memory>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_data_control_manager_v1;
struct zwp_virtual_keyboard_manager_v1;

namespace ondrel::platform::wayland {

// Ondrel's own connection to the compositor (not Qt's, so it works in ondrelctl too), with the
// wlroots globals the backend uses. Its events are dispatched from the Qt event loop through a
// QSocketNotifier. Every call is made on the main thread.
class WaylandConnection final
{
public:
    /// Connects to $WAYLAND_DISPLAY and binds the globals; null when no compositor answers.
    static std::shared_ptr<WaylandConnection> open();
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    wl_display* display() const { return m_display; }
    /// The first seat, or null.
    wl_seat* seat() const { return m_seat; }
    zwlr_foreign_toplevel_manager_v1* toplevelManager() const { return m_toplevels; }
    zwlr_data_control_manager_v1* dataControlManager() const { return m_dataControl; }
    zwp_virtual_keyboard_manager_v1* virtualKeyboardManager() const { return m_virtualKeyboard; }

    /// Sends what is queued and handles everything the compositor has answered until now.
    /// False when the connection is lost.
    bool roundtrip();
    /// Sends queued requests without waiting.
    void flush();
    /// Starts dispatching events from the Qt event loop (once; needs a Qt application).
    void attachToEventLoop();

    /// Counts paste keystrokes, so a clipboard read can be told apart from a watcher's.
    std::uint64_t keystrokesPosted() const { return m_keystrokes; }
    void noteKeystroke() { ++m_keystrokes; }

private:
    WaylandConnection() = default;
    void dispatchAvailable();

    static void onGlobal(void* data, wl_registry* registry, std::uint32_t name,
                         const char* interface, std::uint32_t version);
    static void onGlobalRemove(void* data, wl_registry* registry, std::uint32_t name);

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    zwlr_foreign_toplevel_manager_v1* m_toplevels = nullptr;
    zwlr_data_control_manager_v1* m_dataControl = nullptr;
    zwp_virtual_keyboard_manager_v1* m_virtualKeyboard = nullptr;
    std::unique_ptr<QObject> m_eventContext;
    std::uint64_t m_keystrokes = 0;
};

} // namespace ondrel::platform::wayland
