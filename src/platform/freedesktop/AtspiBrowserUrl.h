#pragma once

#include "platform/BrowserUrl.h"
#include "platform/freedesktop/DisplayFacts.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ondrel::platform::freedesktop {

// The current tab's URL read over AT-SPI: the browser's application (by process id, else by
// its active window's title), its active window, the showing web document, and that
// document's URL attribute.
class AtspiBrowserUrl final : public BrowserUrl
{
public:
    struct Options
    {
        /// The session bus on which the accessibility bus is found; empty: the user's own.
        std::string sessionBusAddress;
        /// The longest one look-up may take, all calls and the retry included.
        std::chrono::milliseconds budget{900};
        /// The longest any single call may take.
        std::chrono::milliseconds callTimeout{300};
        /// Pause before the one retry, which gives a freshly woken tree time to appear.
        std::chrono::milliseconds retryPause{100};
        /// The active window's title, answered by the display backend.
        DisplayFacts display;
    };

    explicit AtspiBrowserUrl(Options options);
    ~AtspiBrowserUrl() override;

    std::optional<std::string> currentURL(std::int64_t processIdentifier,
                                          const std::string& bundleIdentifier) override;

private:
    struct State;
    // Shared with look-ups in flight, so a late worker never reads freed memory.
    std::shared_ptr<State> m_state;
};

} // namespace ondrel::platform::freedesktop
