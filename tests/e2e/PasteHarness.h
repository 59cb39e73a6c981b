#pragma once
// The smart paste on the real backend, wired as the application wires it at launch (rule store
// from $XDG_DATA_HOME, permission manager, shortcut component, coordinator with its detector and
// engine) through createPlatform(). The end-to-end checks and the paste figures (bench/) both
// drive it; each says through Hooks what it prints. It prints "ready" once the shortcut is
// registered; with --context it instead prints what a smart paste would see (app, url) and
// quits. It quits on SIGTERM or SIGINT.
#include "paste/HotkeyCoordinator.h"
#include "paste/PermissionManager.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "platform/factory/PlatformFactory.h"
#include "rules/RuleStore.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>

namespace ondrel::harness {

struct Hooks
{
    // May wrap the platform's services before anything uses them.
    std::function<void(platform::Platform&)> instrument;
    // The smart paste stamped its rule (the store announced the change).
    std::function<void()> stamped;
    // The rules file was saved after the stamp (the coordinator is about to publish the name).
    std::function<void()> saved;
    // The coordinator published the name of the rule that pasted.
    std::function<void(const std::string& rule)> matched;
};

namespace detail {

inline int signalPipe[2] = {-1, -1};

inline void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

inline int printContext(platform::Platform& platform, QApplication& application)
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

} // namespace detail

inline int run(int argc, char** argv, const Hooks& hooks)
{
    QApplication application(argc, argv);
    if (::pipe(detail::signalPipe) != 0)
        return 71;
    std::signal(SIGTERM, detail::onSignal);
    std::signal(SIGINT, detail::onSignal);
    QSocketNotifier signalNotifier(detail::signalPipe[0], QSocketNotifier::Read);
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
        return detail::printContext(*platform, application);
    if (hooks.instrument)
        hooks.instrument(*platform);

    rules::RuleStore store;
    paste::PermissionManager permissions(paste::PermissionManager::Services{
        *platform->executor, *platform->accessibility, *platform->alerts, [] {}});
    shortcuts::KeyboardShortcuts keyboardShortcuts(*platform);
    auto coordinator = paste::HotkeyCoordinator::create(
        store, permissions, paste::HotkeyCoordinator::services(*platform, keyboardShortcuts));
    // The stamp changes the list (the store announces it), then the store saves the file, then
    // the coordinator publishes the name.
    const auto stampSubscription = store.addDidChangeObserver([&] {
        if (hooks.stamped)
            hooks.stamped();
    });
    const auto savedSubscription = coordinator->addObserver([&] {
        if (hooks.saved)
            hooks.saved();
    });
    const auto subscription = coordinator->addDidChangeObserver([&] {
        if (hooks.matched)
            hooks.matched(coordinator->lastMatchedRuleName().value_or(""));
    });
    coordinator->registerHotkey();
    std::cout << "ready" << std::endl;
    return application.exec();
}

} // namespace ondrel::harness
