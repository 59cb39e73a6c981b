// A small program for end-to-end checks of the global shortcut on a real desktop. It builds the
// application's shortcut name ("ondrel", default Super+Shift+V) on the real backend, attaches an
// action, and prints one line per event on standard output:
//   ready <shortcut> <number of live registrations>
//   action <count>            each time the action runs
//   Error registering hotkey  (the component's own line, when the combination is taken)
// It quits after --seconds N (default 30) or on SIGTERM/SIGINT.
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "platform/factory/PlatformFactory.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

int secondsFromArguments(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--seconds") {
            return std::atoi(argv[i + 1]);
        }
    }
    return 30;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace ondrel::shortcuts;

    QApplication application(argc, argv);
    const int seconds = secondsFromArguments(argc, argv);

    // Quit through the event loop on a signal, so the component releases its grabs.
    if (::pipe(signalPipe) != 0) {
        return 71;
    }
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &application,
                     &QCoreApplication::quit);

    std::unique_ptr<ondrel::platform::Platform> platform;
    try {
        platform = ondrel::platform::createPlatform();
    } catch (const ondrel::platform::PlatformUnavailable& error) {
        std::cerr << error.what() << std::endl;
        return 69;
    }

    int presses = 0;
    {
        KeyboardShortcuts shortcuts(*platform);
        const Shortcut superShiftV(Key::v, ModifierFlags::command | ModifierFlags::shift);
        const KeyboardShortcuts::Name name(shortcuts, "ondrel", superShiftV);
        shortcuts.onKeyDown(name, [&presses] { std::cout << "action " << ++presses << std::endl; });

        const auto stored = shortcuts.getShortcut(name);
        std::cout << "ready " << (stored ? shortcuts.description(*stored) : std::string("none"))
                  << ' ' << (shortcuts.isEnabled(name) ? 1 : 0) << std::endl;

        QTimer::singleShot(seconds * 1000, &application, &QCoreApplication::quit);
        application.exec();
    }
    platform.reset();
    return 0;
}
