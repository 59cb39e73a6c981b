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

    // Where each browser process's last URL came from. Every request to a browser waits for a
    // turn of its event loop, and right after the hotkey press the browser is busy with the
    // focus going to the grab and back; asking the window and the document we know, all at
    // once, takes one turn where searching for them takes one per call.
    struct Source
    {
        AtspiObject window;
        AtspiObject document;
    };
    std::mutex mutex;
    std::map<std::int64_t, Source> lastSources;

    std::optional<Source> lastSource(std::int64_t processIdentifier)
    {
        std::lock_guard lock(mutex);
        const auto found = lastSources.find(processIdentifier);
        return found == lastSources.end() ? std::nullopt : std::optional{found->second};
    }
    void remember(std::int64_t processIdentifier, Source source)
    {
        std::lock_guard lock(mutex);
        // Browser processes come and go; a handful of entries is all a session needs.
        if (lastSources.size() >= 16 && !lastSources.contains(processIdentifier))
            lastSources.clear();
        lastSources[processIdentifier] = std::move(source);
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
    // front; while its document is still showing, that is the page in front. A window that went
    // away, or another one now in front, sends us searching; so does another page.
    if (const auto source = state->lastSource(processIdentifier)) {
        auto windowStates = state->bus.statesLater(source->window, deadline);
        auto documentStates = state->bus.statesLater(source->document, deadline);
        auto attributes = state->bus.documentAttributesLater(source->document, deadline);
        const auto window = windowStates.get();
        if (window && hasState(*window, AtspiState::active)) {
            const auto document = documentStates.get();
            if (document && hasState(*document, AtspiState::showing) &&
                !hasState(*document, AtspiState::defunct)) {
                if (const auto found = attributes.get()) {
                    if (auto url = AtspiTree::urlIn(*found)) {
                        return url;
                    }
                }
            }
            if (auto found = tree.showingDocument(source->window, deadline)) {
                state->remember(processIdentifier, {source->window, found->object});
                return std::move(found->url);
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
                if (auto found = tree.showingDocument(*window, deadline)) {
                    state->remember(processIdentifier, {*window, found->object});
                    return std::move(found->url);
                }
            }
        }
    }
    return std::nullopt;
}

} // namespace ondrel::platform::freedesktop
