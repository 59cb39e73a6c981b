#pragma once

#include "paste/AppleScriptRunner.h"

#include "platform/Pasteboard.h"
#include "platform/fake/FakeExecutor.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace ondrel::platform {

// Readable failure messages: the type and the bytes as text.
inline void PrintTo(const PasteboardEntry& entry, std::ostream* os)
{
    *os << entry.type << "=\"";
    for (const std::byte b : entry.data)
        *os << static_cast<char>(b);
    *os << '"';
}

} // namespace ondrel::platform

namespace ondrel::paste::test {

// Scripts that answer, answer late on the virtual clock, fail at once or never answer.
class FakeScriptRunner final : public AppleScriptRunner
{
public:
    explicit FakeScriptRunner(platform::fake::FakeExecutor& executor) : m_executor(executor) {}

    std::optional<std::string> run(const std::string& source) override
    {
        std::optional<std::string> result;
        std::chrono::milliseconds delay{};
        bool hangs = false;
        {
            std::lock_guard lock(m_mutex);
            m_sources.push_back(source);
            result = m_result;
            delay = m_delay;
            hangs = m_hangs;
        }
        if (hangs) {
            m_executor.hang();
            return std::nullopt;
        }
        if (delay.count() > 0 && !m_executor.sleepFor(delay))
            return std::nullopt;
        return result;
    }

    /// Every script answers result after delay of virtual time.
    void answer(std::optional<std::string> result,
                std::chrono::milliseconds delay = std::chrono::milliseconds(0))
    {
        std::lock_guard lock(m_mutex);
        m_result = std::move(result);
        m_delay = delay;
    }
    void hang()
    {
        std::lock_guard lock(m_mutex);
        m_hangs = true;
    }
    std::vector<std::string> sources() const
    {
        std::lock_guard lock(m_mutex);
        return m_sources;
    }

private:
    platform::fake::FakeExecutor& m_executor;
    mutable std::mutex m_mutex;
    std::optional<std::string> m_result;
    std::chrono::milliseconds m_delay{0};
    bool m_hangs = false;
    std::vector<std::string> m_sources;
};

} // namespace ondrel::paste::test
