#pragma once

#include <chrono>
#include <functional>

namespace ondrel::test {

// A wall clock that moves only when told to.
class FakeClock
{
public:
    using TimePoint = std::chrono::system_clock::time_point;

    /// Starts at start (by default 2024-01-02T03:04:05Z).
    explicit FakeClock(TimePoint start = defaultStart()) : m_now(start) {}

    static TimePoint defaultStart()
    {
        using namespace std::chrono;
        return sys_days{year{2024} / January / 2} + hours{3} + minutes{4} + seconds{5};
    }

    TimePoint now() const { return m_now; }
    void set(TimePoint now) { m_now = now; }
    void advance(std::chrono::system_clock::duration by) { m_now += by; }
    /// A callable reading this clock; it must not outlive the clock.
    std::function<TimePoint()> function() const
    {
        return [this] { return m_now; };
    }

private:
    TimePoint m_now;
};

} // namespace ondrel::test
