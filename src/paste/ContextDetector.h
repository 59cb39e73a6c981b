#pragma once

#include "AppleScriptRunner.h"
#include "DetectedContext.h"

#include "platform/Accessibility.h"
#include "platform/BrowserUrl.h"
#include "platform/Executor.h"
#include "platform/Workspace.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace ondrel::paste {

// Finds out, for one shortcut press, which application is frontmost and, for a supported
// browser, the URL of its current tab. The frontmost application is read on the main thread;
// every URL look-up runs on a worker, raced against urlTimeLimit: the answer is decided at the
// limit and a look-up that hangs is abandoned, never waited for.
//
// A browser asked at the press answers slowly: the press's keyboard grab makes it handle a
// focus change first, and the display is busy with it too. So while the user holds the
// shortcut's modifiers the frontmost application and the URL are read ahead, and the press uses
// them when the same window is still in front and little time has passed; the only state kept
// between calls.
class ContextDetector
{
public:
    using OptionalText = std::optional<std::string>;
    using ContextHandler = std::function<void(DetectedContext)>;
    using URLHandler = std::function<void(OptionalText)>;
    /// A blocking look-up run on a worker; it may give up early once abandoned turns true.
    using Lookup = std::function<OptionalText(const std::atomic<bool>& abandoned)>;

    /// How long a browser has to tell its URL.
    static constexpr std::chrono::milliseconds urlTimeLimit{1500};
    /// How many children of one element the address-field search looks at.
    static constexpr std::size_t maximumChildrenSearched = 20;
    /// How many elements one address-field search reads at most, so that a cyclic or endless
    /// tree cannot keep a worker busy for ever.
    static constexpr std::size_t maximumElementsSearched = 10000;
    /// How long a context read ahead of a press stays good for that press.
    static constexpr std::chrono::milliseconds preparedLifetime{1000};

    struct Services
    {
        platform::Executor& executor;
        platform::Workspace& workspace;
        platform::Accessibility& accessibility;
        platform::BrowserUrl& browserUrl;
        /// Null where the platform has no Apple Events (Linux).
        std::shared_ptr<AppleScriptRunner> scriptRunner;
    };

    explicit ContextDetector(Services services);
    ContextDetector(const ContextDetector&) = delete;
    ContextDetector& operator=(const ContextDetector&) = delete;

    /// Reports the context to done on the main thread: at once for anything but a supported
    /// browser, else when the URL arrives or the time limit passes. Main thread only.
    void detectContext(ContextHandler done);
    /// Starts reading the context ahead of a press that looks imminent; the next detectContext
    /// uses it when the same window is in front within preparedLifetime. Main thread only.
    void prepareContext();
    /// Forgets what prepareContext read: the user did something else first. Main thread only.
    void dropPreparedContext();
    /// Reads the URL of a supported browser (at most urlTimeLimit); done runs on the main thread.
    void browserURL(const platform::RunningApplication& application, URLHandler done);
    /// Runs lookup on a worker; done gets its result, or none once limit has passed.
    void withTimeout(std::chrono::milliseconds limit, Lookup lookup, URLHandler done);

    /// Blocking: the URL in the address field of the application's focused window.
    static OptionalText firefoxURL(platform::Accessibility& accessibility,
                                   std::int64_t processIdentifier,
                                   const std::atomic<bool>& abandoned);
    /// Blocking: depth-first search for a text field whose value starts with an http(s) scheme.
    static OptionalText findURL(platform::Accessibility& accessibility,
                                const platform::ElementRef& element,
                                const std::atomic<bool>& abandoned);

    /// True when a URL is looked for with this application ID (compared exactly).
    static bool isSupportedBrowser(const std::string& bundleID);
    /// The macOS browsers whose URL is looked for.
    static const std::set<std::string>& supportedBrowsers();
    /// The Apple Events script that returns the URL, by macOS browser.
    static const std::map<std::string, std::string>& browserScripts();

private:
    struct Prepared;
    /// The prepared context if it is good for a press now; it is forgotten either way.
    std::shared_ptr<Prepared> takePrepared();

    platform::Executor& m_executor;
    platform::Workspace& m_workspace;
    platform::Accessibility& m_accessibility;
    platform::BrowserUrl& m_browserUrl;
    std::shared_ptr<AppleScriptRunner> m_scriptRunner;
    std::shared_ptr<Prepared> m_prepared;
};

} // namespace ondrel::paste
