#include "FakeBrowserUrl.h"

#include "FakeExecutor.h"

namespace ondrel::platform::fake {

FakeBrowserUrl::FakeBrowserUrl(FakeExecutor& executor) : m_executor(executor) {}

FakeBrowserUrl::~FakeBrowserUrl()
{
    m_executor.shutdown();
}

std::optional<std::string> FakeBrowserUrl::currentURL(std::int64_t processIdentifier,
                                                      const std::string& bundleIdentifier)
{
    Answer answer;
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(Call{processIdentifier, bundleIdentifier, m_executor.now()});
        auto found = m_answers.find(processIdentifier);
        if (found == m_answers.end()) {
            return std::nullopt;
        }
        answer = found->second;
    }
    if (answer.hangs) {
        m_executor.hang();
        return std::nullopt;
    }
    if (answer.delay.count() > 0 && !m_executor.sleepFor(answer.delay)) {
        return std::nullopt;
    }
    return answer.url;
}

void FakeBrowserUrl::setAnswer(std::int64_t processIdentifier, Answer answer)
{
    std::lock_guard lock(m_mutex);
    m_answers.insert_or_assign(processIdentifier, std::move(answer));
}

void FakeBrowserUrl::answer(std::int64_t processIdentifier, std::string url,
                            std::chrono::milliseconds delay)
{
    setAnswer(processIdentifier, Answer{std::move(url), delay, false});
}

void FakeBrowserUrl::hang(std::int64_t processIdentifier)
{
    setAnswer(processIdentifier, Answer{std::nullopt, std::chrono::milliseconds(0), true});
}

void FakeBrowserUrl::failAtOnce(std::int64_t processIdentifier)
{
    setAnswer(processIdentifier, Answer{});
}

std::vector<FakeBrowserUrl::Call> FakeBrowserUrl::calls() const
{
    std::lock_guard lock(m_mutex);
    return m_calls;
}

} // namespace ondrel::platform::fake
