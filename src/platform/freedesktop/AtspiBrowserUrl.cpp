#include "platform/freedesktop/AtspiBrowserUrl.h"

#include "platform/freedesktop/AtspiBus.h"
#include "platform/freedesktop/AtspiTree.h"

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
                    return url;
                }
            }
        }
    }
    return std::nullopt;
}

} // namespace ondrel::platform::freedesktop
