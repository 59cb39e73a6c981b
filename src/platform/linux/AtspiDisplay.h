#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

struct xcb_connection_t;

namespace ondrel::platform::x11 {

// The few X11 facts the accessibility side needs: whether synthetic input is possible, and the
// title of the active window (to pick the browser window when the browser does not say which
// of its windows is active). Opens its own connection on first use; thread-safe.
class AtspiDisplay
{
public:
    AtspiDisplay();
    ~AtspiDisplay();
    AtspiDisplay(const AtspiDisplay&) = delete;
    AtspiDisplay& operator=(const AtspiDisplay&) = delete;

    /// True when the X server offers the XTEST extension; false without a display.
    bool hasXTest();
    /// The title of the window named by _NET_ACTIVE_WINDOW, or none.
    std::optional<std::string> activeWindowTitle();

private:
    struct ConnectionDeleter
    {
        void operator()(xcb_connection_t* connection) const;
    };

    xcb_connection_t* connection(); // call with m_mutex held

    std::mutex m_mutex;
    std::unique_ptr<xcb_connection_t, ConnectionDeleter> m_connection;
    int m_screen = 0;
};

} // namespace ondrel::platform::x11
