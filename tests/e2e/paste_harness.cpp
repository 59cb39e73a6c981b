// The smart paste on the real backend, for end-to-end checks and figures. It wires the pieces
// the application wires at launch (rule store from $XDG_DATA_HOME, permission manager, shortcut
// component, coordinator with its detector and engine) through createPlatform(), and prints one
// line per event on standard output, times in milliseconds:
//   ready                                   the shortcut is registered
//   press <wall epoch ms>                   the hotkey press reached the handler
//   keystroke <ms after press>              the paste keystroke was posted
//   requested <ms after press>              the target read the content
//   call <service call> <ms>                how long one blocking call on the main thread took
//   stall <ms>                              the longest main-thread block from the press
//                                           until the rule is stamped
//   save <ms>                               the rules file's save after the stamp
//   matched <ms after press> <rule name>    the smart paste ended with this rule
// With --context it instead prints what a smart paste would see (app, url) and quits.
// It quits on SIGTERM or SIGINT.
#include "paste/HotkeyCoordinator.h"
#include "paste/PermissionManager.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "platform/factory/PlatformFactory.h"
#include "rules/RuleStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace ondrel;

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What the harness measures, shared by the wrappers below.
struct Measurements
{
    Clock::time_point press;
    bool pressing = false;
    double longestStall = 0;
};

// Runs call and prints how long it kept the main thread.
template <typename Call>
auto timed(const char* name, Call&& call)
{
    const auto start = Clock::now();
    auto result = call();
    std::cout << "call " << name << ' ' << millisecondsSince(start) << std::endl;
    return result;
}

// Forwards to the real workspace and times the frontmost-application look-up.
class TimedWorkspace final : public platform::Workspace
{
public:
    explicit TimedWorkspace(std::unique_ptr<platform::Workspace> inner) : m_inner(std::move(inner))
    {}

    std::optional<platform::RunningApplication> frontmostApplication() override
    {
        return timed("frontmost", [&] { return m_inner->frontmostApplication(); });
    }
    std::vector<platform::RunningApplication> runningApplications() override
    {
        return m_inner->runningApplications();
    }
    std::vector<platform::RunningApplication>
    runningApplications(const std::string& bundleIdentifier) override
    {
        return m_inner->runningApplications(bundleIdentifier);
    }
    void openURL(const std::string& url) override { m_inner->openURL(url); }
    std::string applicationsFolder() const override { return m_inner->applicationsFolder(); }
    std::optional<platform::ApplicationInfo> applicationInfo(const std::string& path) override
    {
        return m_inner->applicationInfo(path);
    }
    std::optional<platform::ApplicationInfo>
    installedApplication(const std::string& bundleIdentifier) override
    {
        return m_inner->installedApplication(bundleIdentifier);
    }

private:
    std::unique_ptr<platform::Workspace> m_inner;
};

// Forwards to the real keyboard events and notes when the keystroke went out.
class TimedKeyboardEvents final : public platform::KeyboardEvents
{
public:
    TimedKeyboardEvents(std::unique_ptr<platform::KeyboardEvents> inner, Measurements& measured)
        : m_inner(std::move(inner)), m_measured(measured)
    {}

    bool postPasteKeystroke(platform::PasteKeystroke keystroke) override
    {
        const bool posted =
            timed("keystroke", [&] { return m_inner->postPasteKeystroke(keystroke); });
        std::cout << "keystroke " << millisecondsSince(m_measured.press) << std::endl;
        return posted;
    }

private:
    std::unique_ptr<platform::KeyboardEvents> m_inner;
    Measurements& m_measured;
};

// Forwards to the real pasteboard and notes when the target read our content.
class TimedPasteboard final : public platform::Pasteboard
{
public:
    TimedPasteboard(std::unique_ptr<platform::Pasteboard> inner, Measurements& measured)
        : m_inner(std::move(inner)), m_measured(measured)
    {}

    std::vector<platform::PasteboardItem> items() override
    {
        return timed("snapshot", [&] { return m_inner->items(); });
    }
    void clearContents() override
    {
        timed("clear", [&] {
            m_inner->clearContents();
            return true;
        });
    }
    bool writeItem(const platform::PasteboardItem& item) override
    {
        m_reported = false;
        return timed("write", [&] { return m_inner->writeItem(item); });
    }
    platform::PasteboardRead lastRead() const override { return m_inner->lastRead(); }
    bool ownsLastWrite() override { return m_inner->ownsLastWrite(); }
    bool contentWasRequested() const override { return m_inner->contentWasRequested(); }
    void setContentRequestedHandler(std::function<void()> handler) override
    {
        m_inner->setContentRequestedHandler([this, handler = std::move(handler)] {
            if (!m_reported && m_measured.pressing) {
                m_reported = true;
                std::cout << "requested " << millisecondsSince(m_measured.press) << std::endl;
            }
            if (handler)
                handler();
        });
    }

private:
    std::unique_ptr<platform::Pasteboard> m_inner;
    Measurements& m_measured;
    bool m_reported = false;
};

// Forwards to the real hotkeys and stamps each press as it reaches the handler.
class TimedHotkeys final : public platform::Hotkeys
{
public:
    TimedHotkeys(std::unique_ptr<platform::Hotkeys> inner, Measurements& measured)
        : m_inner(std::move(inner)), m_measured(measured)
    {}

    platform::OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                           platform::HotKeyID id, platform::HotKeyRef& ref) override
    {
        return m_inner->registerEventHotKey(keyCode, modifiers, id, ref);
    }
    platform::OSStatus unregisterEventHotKey(platform::HotKeyRef ref) override
    {
        return m_inner->unregisterEventHotKey(ref);
    }
    platform::OSStatus installEventHandler(Handler handler) override
    {
        return m_inner->installEventHandler(
            [this, handler = std::move(handler)](const platform::KeyEvent& event) {
                if (event.kind == platform::KeyEventKind::hotKeyPressed) {
                    m_measured.press = Clock::now();
                    m_measured.pressing = true;
                    m_measured.longestStall = 0;
                    const auto wall = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::system_clock::now().time_since_epoch());
                    std::cout << "press " << wall.count() << std::endl;
                }
                return handler(event);
            });
    }
    platform::OSStatus addEventTypes(const std::vector<platform::KeyEventKind>& kinds) override
    {
        return m_inner->addEventTypes(kinds);
    }
    platform::OSStatus removeEventTypes(const std::vector<platform::KeyEventKind>& kinds) override
    {
        return m_inner->removeEventTypes(kinds);
    }
    void setMenuTrackingObserver(std::function<void(bool)> observer) override
    {
        m_inner->setMenuTrackingObserver(std::move(observer));
    }

private:
    std::unique_ptr<platform::Hotkeys> m_inner;
    Measurements& m_measured;
};

int printContext(platform::Platform& platform, QApplication& application)
{
    paste::ContextDetector detector(
        paste::ContextDetector::Services{*platform.executor, *platform.workspace,
                                         *platform.accessibility, *platform.browserUrl, nullptr});
    // Started from the event loop: quitting before the loop runs would be lost.
    QTimer::singleShot(0, [&] {
        detector.detectContext([&](paste::DetectedContext context) {
            std::cout << "app\t" << context.bundleID << std::endl;
            if (context.url)
                std::cout << "url\t" << *context.url << std::endl;
            application.quit();
        });
    });
    return application.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (::pipe(signalPipe) != 0)
        return 71;
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &application,
                     &QCoreApplication::quit);

    std::unique_ptr<platform::Platform> platform;
    try {
        platform = platform::createPlatform();
    } catch (const platform::PlatformUnavailable& error) {
        std::cerr << error.what() << std::endl;
        return 69;
    }
    if (argc > 1 && std::string(argv[1]) == "--context")
        return printContext(*platform, application);

    Measurements measured;
    platform->workspace = std::make_unique<TimedWorkspace>(std::move(platform->workspace));
    platform->keyboardEvents =
        std::make_unique<TimedKeyboardEvents>(std::move(platform->keyboardEvents), measured);
    platform->pasteboard =
        std::make_unique<TimedPasteboard>(std::move(platform->pasteboard), measured);
    platform->hotkeys = std::make_unique<TimedHotkeys>(std::move(platform->hotkeys), measured);

    // A 1 ms timer on the main thread: the gap between two ticks is how long the thread was
    // busy with something else.
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer stallMeter;
    stallMeter.setTimerType(Qt::PreciseTimer);
    stallMeter.setInterval(1);
    QObject::connect(&stallMeter, &QTimer::timeout, [&] {
        const double gap = static_cast<double>(sinceTick.nsecsElapsed()) / 1e6 - 1.0;
        sinceTick.restart();
        if (measured.pressing && gap > measured.longestStall)
            measured.longestStall = gap;
    });
    stallMeter.start();

    {
        rules::RuleStore store;
        paste::PermissionManager permissions(paste::PermissionManager::Services{
            *platform->executor, *platform->accessibility, *platform->alerts, [] {}});
        shortcuts::KeyboardShortcuts keyboardShortcuts(*platform);
        auto coordinator = paste::HotkeyCoordinator::create(
            store, permissions, paste::HotkeyCoordinator::services(*platform, keyboardShortcuts));
        // The stamp changes the list (the store announces it), then the store saves the
        // file, then the coordinator publishes the name.
        Clock::time_point stamped;
        const auto stampSubscription = store.addDidChangeObserver([&] {
            if (!measured.pressing)
                return;
            std::cout << "stall " << measured.longestStall << std::endl;
            measured.pressing = false;
            stamped = Clock::now();
        });
        const auto savedSubscription = coordinator->addObserver(
            [&] { std::cout << "save " << millisecondsSince(stamped) << std::endl; });
        const auto subscription = coordinator->addDidChangeObserver([&] {
            std::cout << "matched " << millisecondsSince(measured.press) << ' '
                      << coordinator->lastMatchedRuleName().value_or("") << std::endl;
        });
        coordinator->registerHotkey();
        std::cout << "ready" << std::endl;
        application.exec();
    }
    return 0;
}
