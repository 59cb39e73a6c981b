#include "PlatformFactory.h"

#include "PacedFakeExecutor.h"
#include "SessionDetection.h"
#include "platform/common/InProcessNotificationCenter.h"
#include "platform/fake/FakePlatform.h"
#include "platform/linux/AtspiAccessibility.h"
#include "platform/linux/AtspiBrowserUrl.h"
#include "platform/linux/DBusUserNotifications.h"
#include "platform/linux/JsonPreferences.h"
#include "platform/linux/QtAlerts.h"
#include "platform/linux/QtExecutor.h"
#include "platform/linux/X11Connection.h"
#include "platform/linux/X11Hotkeys.h"
#include "platform/linux/X11KeyboardEvents.h"
#include "platform/linux/X11KeyboardLayout.h"
#include "platform/linux/X11Pasteboard.h"
#include "platform/linux/X11Workspace.h"
#include "platform/linux/XdgAutostartLoginItem.h"

#include <QLoggingCategory>

#include <cstdlib>
#include <string_view>

namespace ondrel::platform {

namespace {

Q_LOGGING_CATEGORY(factoryLog, "ondrel.platform.factory")

// Until the Wayland backend is complete, sway sessions run on the X11 backend through Xwayland
// and say that smart paste does not work there.
constexpr bool kSwaySupported = false;

std::unique_ptr<Platform> createLinuxPlatform(const Session& session)
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
    platform->executor = std::make_unique<x11::QtExecutor>();
    platform->alerts = std::make_unique<x11::QtAlerts>();
    // The trust offer is an alert of our own; alerts live as long as the platform does.
    Alerts* alerts = platform->alerts.get();
    platform->accessibility = std::make_unique<x11::AtspiAccessibility>(
        [alerts](const Alert& alert) { return alerts->runModal(alert); });
    platform->browserUrl = std::make_unique<x11::AtspiBrowserUrl>();
    platform->workspace = std::make_unique<x11::X11Workspace>(connection);
    platform->pasteboard = std::make_unique<x11::X11Pasteboard>(connection);
    platform->keyboardEvents = std::make_unique<x11::X11KeyboardEvents>(connection);
    platform->hotkeys = std::make_unique<x11::X11Hotkeys>(connection);
    platform->keyboardLayout = std::make_unique<x11::X11KeyboardLayout>(connection);
    platform->preferences = std::make_unique<x11::JsonPreferences>();
    platform->notificationCenter = std::make_unique<InProcessNotificationCenter>();
    platform->userNotifications = std::make_unique<x11::DBusUserNotifications>();
    platform->loginItem = std::make_unique<x11::XdgAutostartLoginItem>();
    return platform;
}

std::unique_ptr<Platform> createFakePlatform()
{
    fake::FakePlatform fakes;
    auto platform = fakes.takePlatform();
    platform->executor = std::make_unique<PacedFakeExecutor>(std::move(platform->executor));
    return platform;
}

} // namespace

BackendKind backendFromEnvironment()
{
    const char* value = std::getenv("ONDREL_PLATFORM");
    const std::string_view choice = value ? value : "";
    if (choice == "fake") {
        return BackendKind::fake;
    }
    if (!choice.empty() && choice != "linux") {
        qCWarning(factoryLog).noquote() << "ONDREL_PLATFORM=" + QString::fromUtf8(value)
                                        << "is not a backend (fake or linux); using linux";
    }
    return BackendKind::x11;
}

std::unique_ptr<Platform> createPlatform()
{
    return createPlatform(backendFromEnvironment());
}

std::unique_ptr<Platform> createPlatform(BackendKind kind)
{
    return kind == BackendKind::fake ? createFakePlatform()
                                     : createLinuxPlatform(detectSession(kSwaySupported));
}

} // namespace ondrel::platform
