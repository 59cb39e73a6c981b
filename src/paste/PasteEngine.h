#pragma once

#include "common/LifetimeGuard.h"
#include "rules/Rule.h"

#include "platform/Accessibility.h"
#include "platform/Executor.h"
#include "platform/KeyboardEvents.h"
#include "platform/Pasteboard.h"
#include "platform/UserNotifications.h"

#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace ondrel::paste {

// What the pasteboard held before a paste: every (type, bytes) entry of every item, in order.
// Empty for an empty pasteboard.
using PasteboardSnapshot = std::vector<platform::PasteboardEntry>;

// Delivers a rule's content into the frontmost application as if the user pasted it: puts it on
// the pasteboard, posts the paste keystroke and then puts back what the pasteboard held before.
// Main thread only; every wait is a timer, so the main thread stays free during a paste.
class PasteEngine
{
public:
    /// Between writing the pasteboard and posting the keystroke.
    static constexpr std::chrono::milliseconds keystrokeDelay{50};
    /// Between posting the keystroke and restoring the pasteboard.
    static constexpr std::chrono::milliseconds restoreDelay{200};
    /// The longest the restore waits, after the keystroke, for the target to read the content.
    static constexpr std::chrono::milliseconds contentRequestLimit{1000};

    static constexpr const char* notificationIdentifier = "accessibility-required";
    static constexpr const char* notificationTitle = "Ondrel needs Accessibility access";
    static constexpr const char* notificationBody =
        "Open Ondrel Settings > Permissions and enable Accessibility.";

    /// Shown instead of a paste that would have lost part of the user's clipboard.
    static constexpr const char* unsafeNotificationIdentifier = "paste-unsafe";
    static constexpr const char* unsafeNotificationTitle = "Ondrel could not paste safely";
    static constexpr const char* unsafeNotificationBody =
        "The program that holds your clipboard stopped answering, so Ondrel left the clipboard "
        "as it was. Try again once that program responds.";

    struct Services
    {
        platform::Executor& executor;
        platform::Accessibility& accessibility;
        platform::Pasteboard& pasteboard;
        platform::KeyboardEvents& keyboardEvents;
        platform::UserNotifications& userNotifications;
    };

    explicit PasteEngine(Services services);
    /// A paste still under way puts the user's pasteboard back at once.
    ~PasteEngine();
    PasteEngine(const PasteEngine&) = delete;
    PasteEngine& operator=(const PasteEngine&) = delete;

    /// Pastes content into the application targetApp (its ID picks the paste keystroke); done
    /// runs on the main thread once the pasteboard is restored, or at once when the process is
    /// not trusted or the pasteboard could not be read whole (then only a notification is shown).
    void paste(const std::string& content, rules::RuleContentType contentType,
               const std::string& targetApp, std::function<void()> done);

    /// Every entry of every pasteboard item, in order.
    PasteboardSnapshot snapshotPasteboard();
    /// Puts a snapshot back as one item; an empty snapshot leaves the pasteboard empty.
    void restorePasteboard(const PasteboardSnapshot& snapshot);
    /// The item that carries content: plain text, or RTF plus its plain text when it parses.
    static platform::PasteboardItem contentItem(const std::string& content,
                                                rules::RuleContentType contentType);
    /// The keystroke the application pastes with.
    static platform::PasteKeystroke keystrokeFor(const std::string& applicationId);

private:
    struct Run
    {
        PasteboardSnapshot snapshot;
        platform::PasteKeystroke keystroke = platform::PasteKeystroke::standard;
        std::function<void()> done;
        platform::Executor::TimerId timer = 0;
        std::chrono::steady_clock::time_point keystrokeAt;
        bool waitingForRequest = false;
    };
    using RunPtr = std::shared_ptr<Run>;

    void postKeystroke(const RunPtr& run);
    void restoreOnceTaken(const RunPtr& run);
    void contentRequested();
    void finish(const RunPtr& run);
    void postAccessibilityNotification();
    void postUnsafeNotification();

    platform::Executor& m_executor;
    platform::Accessibility& m_accessibility;
    platform::Pasteboard& m_pasteboard;
    platform::KeyboardEvents& m_keyboardEvents;
    platform::UserNotifications& m_userNotifications;
    std::list<RunPtr> m_runs;
    // Tasks posted to the main queue cannot be cancelled; they check this first.
    common::LifetimeGuard m_lifetime;
};

} // namespace ondrel::paste
