#include "PlatformFactory.h"

#include "SessionDetection.h"
#include "platform/common/InProcessNotificationCenter.h"
#include "platform/freedesktop/AtspiAccessibility.h"
#include "platform/freedesktop/AtspiBrowserUrl.h"
#include "platform/freedesktop/DBusUserNotifications.h"
#include "platform/freedesktop/JsonPreferences.h"
#include "platform/freedesktop/QtAlerts.h"
#include "platform/freedesktop/QtExecutor.h"
#include "platform/freedesktop/XdgAutostartLoginItem.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11DisplayFacts.h"
#include "platform/x11/X11Hotkeys.h"
#include "platform/x11/X11KeyboardEvents.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Workspace.h"

#include <QLoggingCategory>

#include <cstdlib>
#include <string_view>

namespace ondrel::platform {

namespace {

Q_LOGGING_CATEGORY(factoryLog, "ondrel.platform.factory")

// Until the Wayland backend is complete, sway sessions run on the X11 backend through Xwayland
// and say that smart paste does not work there.
constexpr bool kSwaySupported = false;

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
    platform->executor = std::make_unique<freedesktop::QtExecutor>();
    platform->alerts = std::make_unique<freedesktop::QtAlerts>();
    // The trust offer is an alert of our own; alerts live as long as the platform does.
    Alerts* alerts = platform->alerts.get();
    // The accessibility side learns what it needs of the display over our one connection.
    freedesktop::AtspiAccessibility::Options accessibilityOptions;
    accessibilityOptions.display = x11::displayFactsOf(connection);
    freedesktop::AtspiBrowserUrl::Options browserOptions;
    browserOptions.display = accessibilityOptions.display;
    platform->accessibility = std::make_unique<freedesktop::AtspiAccessibility>(
        [alerts](const Alert& alert) { return alerts->runModal(alert); },
        std::move(accessibilityOptions));
    platform->browserUrl =
        std::make_unique<freedesktop::AtspiBrowserUrl>(std::move(browserOptions));
    platform->workspace = std::make_unique<x11::X11Workspace>(connection);
    platform->pasteboard = std::make_unique<x11::X11Pasteboard>(connection);
    platform->keyboardEvents = std::make_unique<x11::X11KeyboardEvents>(connection);
    platform->hotkeys = std::make_unique<x11::X11Hotkeys>(connection);
    platform->keyboardLayout = std::make_unique<x11::X11KeyboardLayout>(connection);
    platform->preferences = std::make_unique<freedesktop::JsonPreferences>();
    platform->notificationCenter = std::make_unique<InProcessNotificationCenter>();
    platform->userNotifications = std::make_unique<freedesktop::DBusUserNotifications>();
    platform->loginItem = std::make_unique<freedesktop::XdgAutostartLoginItem>();
    return platform;
}

} // namespace

BackendKind backendFromEnvironment()
{
    const char* value = std::getenv("ONDREL_PLATFORM");
    const std::string_view choice = value ? value : "";
    if (!choice.empty() && choice != "x11") {
        qCWarning(factoryLog).noquote()
            << "ONDREL_PLATFORM=" + QString::fromUtf8(value) << "is not a backend (x11); using x11";
    }
    return BackendKind::x11;
}

std::unique_ptr<Platform> createPlatform()
{
    return createPlatform(backendFromEnvironment());
}

std::unique_ptr<Platform> createPlatform(BackendKind kind)
{
    switch (kind) {
    case BackendKind::x11:
        break;
    }
    return createX11Platform(detectSession(kSwaySupported));
}

} // namespace ondrel::platform
