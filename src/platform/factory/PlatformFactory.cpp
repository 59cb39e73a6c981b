#include "PlatformFactory.h"

#include "SessionDetection.h"

#include "platform/common/InProcessNotificationCenter.h"
#include "platform/freedesktop/AtspiAccessibility.h"
#include "platform/freedesktop/AtspiBrowserUrl.h"
#include "platform/freedesktop/DBusUserNotifications.h"
#include "platform/freedesktop/DesktopEntries.h"
#include "platform/freedesktop/JsonPreferences.h"
#include "platform/freedesktop/QtAlerts.h"
#include "platform/freedesktop/QtExecutor.h"
#include "platform/freedesktop/XdgAutostartLoginItem.h"
#include "platform/wayland/SwayHotkeys.h"
#include "platform/wayland/SwayIpc.h"
#include "platform/wayland/SwayKeyboardLayout.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandKeyboardEvents.h"
#include "platform/wayland/WaylandPasteboard.h"
#include "platform/wayland/WaylandWorkspace.h"
#include "platform/wayland/XkbKeymap.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11DisplayFacts.h"
#include "platform/x11/X11Hotkeys.h"
#include "platform/x11/X11KeyboardEvents.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Workspace.h"

#include <QJsonObject>
#include <QLoggingCategory>

#include <cstdlib>
#include <optional>
#include <string_view>

namespace ondrel::platform {

namespace {

Q_LOGGING_CATEGORY(factoryLog, "ondrel.platform.factory")

// The wlroots backend drives sway; other Wayland compositors stay unsupported.
constexpr bool kSwaySupported = true;

// The services that do not depend on the display server, and the accessibility side, which
// learns what it needs of the display from the backend.
void addFreedesktopServices(Platform& platform, const freedesktop::DisplayFacts& display)
{
    platform.executor = std::make_unique<freedesktop::QtExecutor>();
    platform.alerts = std::make_unique<freedesktop::QtAlerts>();
    // The trust offer is an alert of our own; alerts live as long as the platform does.
    Alerts* alerts = platform.alerts.get();
    freedesktop::AtspiAccessibility::Options accessibilityOptions;
    accessibilityOptions.display = display;
    freedesktop::AtspiBrowserUrl::Options browserOptions;
    browserOptions.display = display;
    platform.accessibility = std::make_unique<freedesktop::AtspiAccessibility>(
        [alerts](const Alert& alert) { return alerts->runModal(alert); },
        std::move(accessibilityOptions));
    platform.browserUrl = std::make_unique<freedesktop::AtspiBrowserUrl>(std::move(browserOptions));
    platform.preferences = std::make_unique<freedesktop::JsonPreferences>();
    platform.notificationCenter = std::make_unique<InProcessNotificationCenter>();
    platform.userNotifications = std::make_unique<freedesktop::DBusUserNotifications>();
    platform.loginItem = std::make_unique<freedesktop::XdgAutostartLoginItem>();
}

std::unique_ptr<Platform> createX11Platform(const Session& session)
{
    auto connection = x11::X11Connection::open();
    if (!connection && !session.smartPasteAvailable()) {
        // Without Xwayland there is nothing to run on at all; the session is the reason.
        throw PlatformUnavailable(session.unavailableReason);
    }
    if (!connection) {
        const char* display = std::getenv("DISPLAY");
        throw PlatformUnavailable(
            std::string("Ondrel needs an X11 display, and none could be opened (DISPLAY=") +
            (display && *display ? display : "unset") +
            "). Start it inside an X11 session, or under Wayland with Xwayland running.");
    }
    auto platform = std::make_unique<Platform>();
    platform->session = session;
    // The accessibility side learns what it needs of the display over our one connection.
    addFreedesktopServices(*platform, x11::displayFactsOf(connection));
    platform->workspace = std::make_unique<x11::X11Workspace>(connection);
    platform->pasteboard = std::make_unique<x11::X11Pasteboard>(connection);
    platform->keyboardEvents = std::make_unique<x11::X11KeyboardEvents>(connection);
    platform->hotkeys = std::make_unique<x11::X11Hotkeys>(connection);
    platform->keyboardLayout = std::make_unique<x11::X11KeyboardLayout>(connection);
    return platform;
}

std::unique_ptr<Platform> createWaylandPlatform(const Session& session)
{
    auto connection = wayland::WaylandConnection::open();
    if (!connection) {
        const char* display = std::getenv("WAYLAND_DISPLAY");
        throw PlatformUnavailable(
            std::string("Ondrel could not connect to the Wayland compositor (WAYLAND_DISPLAY=") +
            (display && *display ? display : "unset") + ").");
    }
    connection->attachToEventLoop();
    const char* socket = std::getenv("SWAYSOCK");
    auto sway = std::make_shared<wayland::SwayIpc>(socket ? socket : "");
    // Wayland has no keymap to ask for; sway's configuration names the user's.
    wayland::XkbNames names;
    if (const auto config = sway->request(wayland::SwayIpc::Message::getConfig)) {
        names = wayland::XkbKeymap::namesFromSwayConfig(
            config->object().value(QStringLiteral("config")).toString().toStdString());
    }
    auto keymap = std::make_shared<wayland::XkbKeymap>(names);
    auto workspace = std::make_unique<wayland::WaylandWorkspace>(
        connection, sway, std::make_shared<freedesktop::DesktopEntries>());

    auto platform = std::make_unique<Platform>();
    platform->session = session;
    freedesktop::DisplayFacts display;
    const bool hasVirtualKeyboard = connection->virtualKeyboardManager() != nullptr;
    display.canPostKeystrokes = [hasVirtualKeyboard] { return hasVirtualKeyboard; };
    display.activeWindowTitle = workspace->activeWindowTitleReader();
    addFreedesktopServices(*platform, display);
    platform->workspace = std::move(workspace);
    platform->pasteboard = std::make_unique<wayland::WaylandPasteboard>(connection);
    platform->keyboardEvents = std::make_unique<wayland::WaylandKeyboardEvents>(connection, keymap);
    platform->hotkeys = std::make_unique<wayland::SwayHotkeys>(sway, keymap);
    platform->keyboardLayout = std::make_unique<wayland::SwayKeyboardLayout>(sway, keymap);
    return platform;
}

std::optional<BackendKind> backendNamedInEnvironment()
{
    const char* value = std::getenv("ONDREL_PLATFORM");
    const std::string_view choice = value ? value : "";
    if (choice == "x11")
        return BackendKind::x11;
    if (choice == "wayland")
        return BackendKind::wayland;
    if (!choice.empty()) {
        qCWarning(factoryLog).noquote() << "ONDREL_PLATFORM=" + QString::fromUtf8(value)
                                        << "is not a backend (x11 or wayland); ignored";
    }
    return std::nullopt;
}

BackendKind backendFor(const Session& session)
{
    return session.kind == SessionKind::sway && session.smartPasteAvailable() ? BackendKind::wayland
                                                                              : BackendKind::x11;
}

} // namespace

BackendKind backendFromEnvironment()
{
    if (const auto named = backendNamedInEnvironment())
        return *named;
    return backendFor(detectSession(kSwaySupported));
}

std::unique_ptr<Platform> createPlatform()
{
    return createPlatform(backendFromEnvironment());
}

std::unique_ptr<Platform> createPlatform(BackendKind kind)
{
    const auto session = detectSession(kSwaySupported);
    switch (kind) {
    case BackendKind::wayland:
        return createWaylandPlatform(session);
    case BackendKind::x11:
        break;
    }
    return createX11Platform(session);
}

} // namespace ondrel::platform
