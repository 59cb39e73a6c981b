#pragma once

#include <xcb/xcb.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QObject;

namespace ondrel::platform::x11 {

class X11Keymap;

struct FreeDeleter
{
    void operator()(void* pointer) const { std::free(pointer); }
};
// Replies and events of xcb are malloc'ed and freed with free().
template <typename T>
using XcbPointer = std::unique_ptr<T, FreeDeleter>;
using XcbEvent = XcbPointer<xcb_generic_event_t>;

// One connection to the X server, shared by the X11 services of a process. It is our own
// connection (not Qt's), so it works in a process without QApplication, and a grab or a
// selection we hold is never mixed up with Qt's.
//
// Events: when a QCoreApplication exists the connection's socket is watched from the Qt
// event loop and every event is handed to the listeners on the main thread. Requests and
// replies (atoms, properties) may be made from any thread; events only on the main thread.
class X11Connection final
{
public:
    /// Connects to displayName (empty: $DISPLAY); null when no X server can be reached.
    static std::shared_ptr<X11Connection> open(const std::string& displayName = {});
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* xcb() const { return m_connection; }
    xcb_window_t root() const { return m_root; }
    /// True once the connection broke; every later request fails quietly.
    bool hasError() const;
    /// Sends what is buffered; false when the connection broke.
    bool flush();
    /// Waits until the server has handled every request sent so far.
    bool sync();

    /// The atom of a name, interned on first use. Any thread.
    xcb_atom_t atom(std::string_view name);
    /// The name of an atom; empty when the server does not know it. Any thread.
    std::string atomName(xcb_atom_t atom);

    struct Property
    {
        xcb_atom_t type = XCB_ATOM_NONE;
        std::uint8_t format = 0;
        std::vector<std::byte> data;
    };
    /// The whole value of a window property, or none when it is not set. Any thread.
    std::optional<Property> readProperty(xcb_window_t window, xcb_atom_t property,
                                         bool remove = false);
    /// The first 32-bit value of a property (a window, a pid, a cardinal).
    std::optional<std::uint32_t> readCardinal(xcb_window_t window, xcb_atom_t property);
    /// Every 32-bit value of a property (a window list, an atom list).
    std::vector<std::uint32_t> readCardinals(xcb_window_t window, xcb_atom_t property);

    /// The window _NET_ACTIVE_WINDOW names, or none. Any thread.
    std::optional<xcb_window_t> activeWindow();
    /// A window's title (_NET_WM_NAME, else the Latin-1 WM_NAME) in UTF-8, or none. Any thread.
    std::optional<std::string> windowTitle(xcb_window_t window);
    /// True when the server offers XTEST, the extension synthetic keystrokes need. Any thread.
    bool hasXTest() const;
    /// The keys down now, one bit per keycode; none when the server did not answer.
    std::optional<std::array<std::uint8_t, 32>> heldKeys();

    using Listener = std::function<bool(const xcb_generic_event_t& event)>;
    using ListenerId = std::uint64_t;
    /// Adds a listener for every event; it returns true when the event was its business.
    ListenerId addListener(Listener listener);
    void removeListener(ListenerId id);
    /// Reads every event that arrived and hands it to the listeners. Main thread.
    void dispatchPending();

    enum class Verdict
    {
        take,    // the awaited event: return it
        handled, // dealt with by the judge, drop it
        defer,   // not now: keep it for the listeners
    };
    /// Waits for the event the judge takes, until deadline; events it defers reach the
    /// listeners later. Null on timeout or a broken connection. Main thread.
    XcbEvent waitForEvent(const std::function<Verdict(const xcb_generic_event_t&)>& judge,
                          std::chrono::steady_clock::time_point deadline);

    /// Starts watching the socket from the Qt event loop if a QCoreApplication exists now
    /// (services made before the application call it again when they are used).
    void attachToEventLoop();
    /// Runs task on the main thread after the current event; at once without a Qt loop.
    void post(std::function<void()> task);
    /// A QObject living on the main thread while a Qt loop exists (parent for timers), or null.
    QObject* eventContext();

    /// The keyboard as XKB sees it. Main thread.
    X11Keymap& keymap();

    enum class GrabResult
    {
        grabbed,
        taken,  // another client holds the combination (BadAccess)
        failed, // the server refused it otherwise, or the connection broke
    };
    /// Grabs a key combination on the root window in every lock variant, checked one by one;
    /// on any refusal the variants already grabbed are released again. Main thread.
    GrabResult grabKey(std::uint8_t keycode, std::uint16_t modifiers);
    /// Releases a combination grabbed with grabKey.
    void ungrabKey(std::uint8_t keycode, std::uint16_t modifiers);
    /// True when this connection holds the combination through grabKey.
    bool holdsKey(std::uint8_t keycode, std::uint16_t modifiers) const;

private:
    X11Connection(xcb_connection_t* connection, xcb_window_t root);
    void dispatch(const xcb_generic_event_t& event);
    void dispatchEvents(bool readSocket);

    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    std::unique_ptr<X11Keymap> m_keymap;

    std::mutex m_atomMutex;
    std::unordered_map<std::string, xcb_atom_t> m_atoms;
    std::unordered_map<xcb_atom_t, std::string> m_atomNames;

    std::vector<std::pair<ListenerId, std::shared_ptr<Listener>>> m_listeners;
    ListenerId m_nextListenerId = 1;
    std::deque<XcbEvent> m_deferred;
    std::unique_ptr<QObject> m_eventContext;

    struct Grab
    {
        std::uint8_t keycode = 0;
        std::uint16_t modifiers = 0;
        std::vector<std::uint16_t> variants; // the masks grabbed, lock bits included
    };
    std::vector<Grab> m_grabs;
};

} // namespace ondrel::platform::x11
