#pragma once

#include "platform/BrowserUrl.h"

#include <chrono>
#include <map>
#include <mutex>
#include <vector>

namespace ondrel::platform::fake {

class FakeExecutor;

// Browsers that answer, answer late on the virtual clock, fail at once or never answer.
class FakeBrowserUrl final : public BrowserUrl
{
public:
    // How the browser with one process id answers.
    struct Answer
    {
        std::optional<std::string> url;     // none: the browser reports no URL
        std::chrono::milliseconds delay{0}; // virtual time before the answer
        bool hangs = false;                 // never answers (released only at shutdown)
    };

    struct Call
    {
        std::int64_t processIdentifier = 0;
        std::string bundleIdentifier;
        std::chrono::steady_clock::time_point at;
    };

    explicit FakeBrowserUrl(FakeExecutor& executor);
    /// Releases workers blocked in a slow or hanging look-up before the answers go away.
    ~FakeBrowserUrl() override;

    std::optional<std::string> currentURL(std::int64_t processIdentifier,
                                          const std::string& bundleIdentifier) override;

    /// The browser answers url after delay of virtual time.
    void answer(std::int64_t processIdentifier, std::string url,
                std::chrono::milliseconds delay = std::chrono::milliseconds(0));
    /// The browser never answers.
    void hang(std::int64_t processIdentifier);
    /// The browser reports no URL at once.
    void failAtOnce(std::int64_t processIdentifier);

    /// Every look-up, in the order they began.
    std::vector<Call> calls() const;

private:
    /// Sets how the browser with this process id answers; unknown ids answer none at once.
    void setAnswer(std::int64_t processIdentifier, Answer answer);

    FakeExecutor& m_executor;
    mutable std::mutex m_mutex;
    std::map<std::int64_t, Answer> m_answers;
    std::vector<Call> m_calls;
};

} // namespace ondrel::platform::fake
