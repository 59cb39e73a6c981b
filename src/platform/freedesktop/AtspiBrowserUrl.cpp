#include "platform/freedesktop/AtspiBrowserUrl.h"

#include "platform/freedesktop/AtspiBus.h"
#include "platform/freedesktop/AtspiTree.h"

#include <map>
#include <mutex>
#include <thread>

namespace ondrel::platform::freedesktop {

struct AtspiBrowserUrl::State
{
    explicit State(Options options)
        : options(std::move(options)),
          bus(AtspiBus::Options{QString::fromStdString(this->options.sessionBusAddress)})
    {}

    Options options;
    AtspiBus bus;

    // The window each browser process's last URL came from. Every call to a browser costs a
    // wake-up of its main thread; asking the window we know costs three calls, searching the
    // desktop for it again twice as many.
    std::mutex mutex;
    std::map<std::int64_t, AtspiObject> lastWindows;

    std::optional<AtspiObject> lastWindow(std::int64_t processIdentifier)
    {
        std::lock_guard lock(mutex);
        const auto found = lastWindows.find(processIdentifier);
        return found == lastWindows.end() ? std::nullopt : std::optional{found->second};
    }
    void remember(std::int64_t processIdentifier, const AtspiObject& window)
    {
        std::lock_guard lock(mutex);
        // Browser processes come and go; a handful of entries is all a session needs.
        if (lastWindows.size() >= 16 && !lastWindows.contains(processIdentifier))
            lastWindows.clear();
        lastWindows[processIdentifier] = window;
    }
};

AtspiBrowserUrl::AtspiBrowserUrl(Options options)
    : m_state(std::make_shared<State>(std::move(options)))
{}

AtspiBrowserUrl::~AtspiBrowserUrl() = default;

std::optional<std::string> AtspiBrowserUrl::currentURL(std::int64_t processIdentifier,
                                                       const std::string& bundleIdentifier)
{
    // Every browser is asked the same way; the identifier only chose that we ask at all.
    (void)bundleIdentifier;
    const auto state = m_state;
    const auto& options = state->options;
    const AtspiDeadline deadline(options.budget, options.callTimeout);
    AtspiTree tree(state->bus, options.display.activeWindowTitle);

    // While the window that answered last time is still the active one, it is the one in
    // front. A window that went away, or another one now in front, sends us searching.
    if (const auto window = state->lastWindow(processIdentifier)) {
        const auto states = state->bus.states(*window, deadline);
        if (states && hasState(*states, AtspiState::active)) {
            if (auto url = tree.documentUrl(*window, deadline)) {
                return url;
            }
        }
    }

    const auto applications = tree.applicationsOf(processIdentifier, deadline);
    if (applications.empty()) {
        return std::nullopt;
    }
    for (const auto& application : applications) {
        tree.wake(application, deadline);
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0) {
            // A tree that was just woken (or a page that was just replaced) fills in shortly.
            if (deadline.remaining() <= options.retryPause + options.callTimeout / 2) {
                break;
            }
            std::this_thread::sleep_for(options.retryPause);
        }
        for (const auto& application : applications) {
            if (const auto window = tree.activeWindow(application, deadline)) {
                if (auto url = tree.documentUrl(*window, deadline)) {
                    state->remember(processIdentifier, *window);
                    return url;
                }
            }
        }
    }
    return std::nullopt;
}

} // namespace ondrel::platform::freedesktop
