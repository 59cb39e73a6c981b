#include "WaylandConnection.h"

#include "WaylandLog.h"

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <QObject>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ondrel::platform::wayland {

Q_LOGGING_CATEGORY(waylandLog, "ondrel.platform.wayland")

namespace {

template <typename T>
T* bind(wl_registry* registry, std::uint32_t name, const wl_interface* interface,
        std::uint32_t offered, std::uint32_t wanted)
{
    return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

} // namespace

std::shared_ptr<WaylandConnection> WaylandConnection::open()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return nullptr;
    std::shared_ptr<WaylandConnection> connection(new WaylandConnection);
    connection->m_display = display;
    connection->m_registry = wl_display_get_registry(display);
    static const wl_registry_listener listener = {&WaylandConnection::onGlobal,
                                                  &WaylandConnection::onGlobalRemove};
    wl_registry_add_listener(connection->m_registry, &listener, connection.get());
    if (wl_display_roundtrip(display) < 0) {
        qCWarning(waylandLog) << "The compositor closed the connection at once";
        return nullptr;
    }
    return connection;
}

WaylandConnection::~WaylandConnection()
{
    m_eventContext.reset();
    if (m_virtualKeyboard)
        zwp_virtual_keyboard_manager_v1_destroy(m_virtualKeyboard);
    if (m_dataControl)
        zwlr_data_control_manager_v1_destroy(m_dataControl);
    if (m_toplevels)
        zwlr_foreign_toplevel_manager_v1_destroy(m_toplevels);
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_registry)
        wl_registry_destroy(m_registry);
    if (m_display) {
        wl_display_flush(m_display);
        wl_display_disconnect(m_display);
    }
}

void WaylandConnection::onGlobal(void* data, wl_registry* registry, std::uint32_t name,
                                 const char* interface, std::uint32_t version)
{
    auto* self = static_cast<WaylandConnection*>(data);
    const std::string_view id = interface;
    if (id == wl_seat_interface.name && !self->m_seat) {
        self->m_seat = bind<wl_seat>(registry, name, &wl_seat_interface, version, 1);
    } else if (id == zwlr_foreign_toplevel_manager_v1_interface.name && !self->m_toplevels) {
        self->m_toplevels = bind<zwlr_foreign_toplevel_manager_v1>(
            registry, name, &zwlr_foreign_toplevel_manager_v1_interface, version, 3);
    } else if (id == zwlr_data_control_manager_v1_interface.name && !self->m_dataControl) {
        self->m_dataControl = bind<zwlr_data_control_manager_v1>(
            registry, name, &zwlr_data_control_manager_v1_interface, version, 1);
    } else if (id == zwp_virtual_keyboard_manager_v1_interface.name && !self->m_virtualKeyboard) {
        self->m_virtualKeyboard = bind<zwp_virtual_keyboard_manager_v1>(
            registry, name, &zwp_virtual_keyboard_manager_v1_interface, version, 1);
    }
}

void WaylandConnection::onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

bool WaylandConnection::roundtrip()
{
    if (wl_display_roundtrip(m_display) < 0) {
        qCWarning(waylandLog) << "Lost the Wayland connection:" << std::strerror(errno);
        return false;
    }
    return true;
}

void WaylandConnection::flush()
{
    wl_display_flush(m_display);
}

void WaylandConnection::dispatchAvailable()
{
    // The notifier said the socket is readable, so reading does not block.
    if (wl_display_prepare_read(m_display) == 0) {
        if (wl_display_read_events(m_display) < 0 && errno != EAGAIN) {
            qCWarning(waylandLog) << "Lost the Wayland connection:" << std::strerror(errno);
            m_eventContext.reset();
            return;
        }
    }
    wl_display_dispatch_pending(m_display);
    wl_display_flush(m_display);
}

void WaylandConnection::attachToEventLoop()
{
    if (m_eventContext || !QCoreApplication::instance())
        return;
    m_eventContext = std::make_unique<QObject>();
    auto* notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read,
                                         m_eventContext.get());
    QObject::connect(notifier, &QSocketNotifier::activated, m_eventContext.get(),
                     [this] { dispatchAvailable(); });
    // Requests made from Qt callbacks leave with the next flush; events read by another call
    // (a roundtrip) wait in the queue until dispatched.
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, m_eventContext.get(),
                         [this] {
                             wl_display_dispatch_pending(m_display);
                             wl_display_flush(m_display);
                         });
    }
}

} // namespace ondrel::platform::wayland
