#include "X11Workspace.h"

#include "X11Connection.h"
#include "X11Log.h"
#include "platform/freedesktop/DesktopEntries.h"
#include "platform/freedesktop/WindowIdentity.h"

#include <QString>
#include <QStringList>

#include <xcb/res.h>

#include <algorithm>
#include <array>
#include <set>

namespace ondrel::platform::x11 {

namespace {

// How far a chain of transient windows is followed; real chains are one or two long.
constexpr int kMaxTransientDepth = 8;

std::string propertyText(X11Connection& connection, xcb_window_t window, std::string_view name)
{
    const auto value = connection.readProperty(window, connection.atom(name));
    if (!value || value->format != 8)
        return {};
    std::string text(reinterpret_cast<const char*>(value->data.data()), value->data.size());
    // Some clients count the terminating NUL into the property.
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

} // namespace

X11Workspace::X11Workspace(std::shared_ptr<X11Connection> connection,
                           std::shared_ptr<freedesktop::DesktopEntries> entries)
    : DesktopWorkspace(std::move(entries)), m_connection(std::move(connection))
{}

X11Workspace::X11Workspace(std::shared_ptr<X11Connection> connection)
    : X11Workspace(std::move(connection), std::make_shared<freedesktop::DesktopEntries>())
{}

X11Workspace::~X11Workspace() = default;

std::optional<std::int64_t> X11Workspace::processOf(xcb_window_t window)
{
    // The X server knows the real pid of a local client; _NET_WM_PID is what the client
    // claims, which is wrong inside a pid namespace (Flatpak).
    auto* connection = m_connection->xcb();
    const xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    XcbPointer<xcb_res_query_client_ids_reply_t> reply(xcb_res_query_client_ids_reply(
        connection, xcb_res_query_client_ids(connection, 1, &spec), nullptr));
    if (reply) {
        for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem > 0;
             xcb_res_client_id_value_next(&it)) {
            if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
                xcb_res_client_id_value_value_length(it.data) >= 1) {
                const auto pid = *xcb_res_client_id_value_value(it.data);
                if (pid > 0)
                    return pid;
            }
        }
    }
    if (const auto pid = m_connection->readCardinal(window, m_connection->atom("_NET_WM_PID"));
        pid && *pid > 0)
        return *pid;
    return std::nullopt;
}

freedesktop::WindowFacts X11Workspace::factsOf(xcb_window_t window)
{
    freedesktop::WindowFacts facts;
    facts.processIdentifier = processOf(window);
    facts.kdeDesktopFile = propertyText(*m_connection, window, "_KDE_NET_WM_DESKTOP_FILE");
    facts.gtkApplicationId = propertyText(*m_connection, window, "_GTK_APPLICATION_ID");
    const auto wmClass = m_connection->readProperty(window, XCB_ATOM_WM_CLASS);
    if (wmClass && wmClass->format == 8) {
        const std::string text(reinterpret_cast<const char*>(wmClass->data.data()),
                               wmClass->data.size());
        const auto nul = text.find('\0');
        facts.wmInstance = text.substr(0, nul);
        if (nul != std::string::npos) {
            facts.wmClass = text.substr(nul + 1);
            facts.wmClass = facts.wmClass.substr(0, facts.wmClass.find('\0'));
        }
    }
    return facts;
}

xcb_window_t X11Workspace::transientRoot(xcb_window_t window)
{
    std::set<xcb_window_t> seen{window};
    for (int depth = 0; depth < kMaxTransientDepth; ++depth) {
        const auto parent = m_connection->readCardinal(window, XCB_ATOM_WM_TRANSIENT_FOR);
        if (!parent || *parent == XCB_WINDOW_NONE || *parent == m_connection->root() ||
            !seen.insert(*parent).second)
            break;
        window = *parent;
    }
    return window;
}

RunningApplication X11Workspace::applicationOf(xcb_window_t window)
{
    const auto facts = factsOf(window);
    return applicationFor(facts, isRegularWindow(window), facts.wmClass);
}

bool X11Workspace::isRegularWindow(xcb_window_t window)
{
    const auto states = m_connection->readCardinals(window, m_connection->atom("_NET_WM_STATE"));
    const auto skipTaskbar = m_connection->atom("_NET_WM_STATE_SKIP_TASKBAR");
    if (std::find(states.begin(), states.end(), skipTaskbar) != states.end())
        return false;
    const auto types =
        m_connection->readCardinals(window, m_connection->atom("_NET_WM_WINDOW_TYPE"));
    const auto isTransient = [&] {
        const auto parent = m_connection->readCardinal(window, XCB_ATOM_WM_TRANSIENT_FOR);
        return parent && *parent != XCB_WINDOW_NONE;
    };
    // The list is in order of preference; the first type we know decides.
    const auto normal = m_connection->atom("_NET_WM_WINDOW_TYPE_NORMAL");
    const auto dialog = m_connection->atom("_NET_WM_WINDOW_TYPE_DIALOG");
    static constexpr std::array<std::string_view, 12> kOtherTypes{
        "_NET_WM_WINDOW_TYPE_DESKTOP",       "_NET_WM_WINDOW_TYPE_DOCK",
        "_NET_WM_WINDOW_TYPE_TOOLBAR",       "_NET_WM_WINDOW_TYPE_MENU",
        "_NET_WM_WINDOW_TYPE_UTILITY",       "_NET_WM_WINDOW_TYPE_SPLASH",
        "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", "_NET_WM_WINDOW_TYPE_POPUP_MENU",
        "_NET_WM_WINDOW_TYPE_TOOLTIP",       "_NET_WM_WINDOW_TYPE_NOTIFICATION",
        "_NET_WM_WINDOW_TYPE_COMBO",         "_NET_WM_WINDOW_TYPE_DND",
    };
    for (const auto type : types) {
        if (type == normal)
            return true;
        if (type == dialog)
            return !isTransient();
        for (const auto other : kOtherTypes) {
            if (type == m_connection->atom(other))
                return false;
        }
    }
    // No type: a transient window counts as a dialog, any other as a normal window.
    return !isTransient();
}

std::optional<RunningApplication> X11Workspace::frontmostApplication()
{
    const auto active = m_connection->activeWindow();
    if (!active)
        return std::nullopt;
    auto application = applicationOf(transientRoot(*active));
    if (!application.bundleIdentifier && transientRoot(*active) != *active)
        application = applicationOf(*active);
    return application;
}

FrontmostWindow X11Workspace::frontmostWindow()
{
    const auto active = m_connection->activeWindow();
    if (!active)
        return {};
    return {*active, m_connection->windowTitle(*active).value_or("")};
}

std::vector<RunningApplication> X11Workspace::windowApplications(bool mainWindowsOnly)
{
    std::vector<RunningApplication> applications;
    for (const auto window : m_connection->readCardinals(m_connection->root(),
                                                         m_connection->atom("_NET_CLIENT_LIST"))) {
        if (mainWindowsOnly && !isRegularWindow(window))
            continue;
        applications.push_back(applicationOf(window));
    }
    return applications;
}

} // namespace ondrel::platform::x11
