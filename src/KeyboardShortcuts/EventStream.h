#pragma once

#include "EventType.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace ondrel::shortcuts {

// The presses and releases of one name, buffered without limit until taken. Ending the stream
// (end() or destruction) detaches it from the component; events after that are dropped.
class EventStream
{
public:
    using Handler = std::function<void(EventType)>;

    EventStream(EventStream&& other) noexcept = default;
    EventStream& operator=(EventStream&& other) noexcept;
    EventStream(const EventStream&) = delete;
    EventStream& operator=(const EventStream&) = delete;
    ~EventStream();

    /// Takes the oldest buffered event, or none when the buffer is empty.
    std::optional<EventType> next();
    /// Number of events waiting in the buffer.
    std::size_t pendingCount() const;
    /// Hands the buffered events to handler now and every later event as it arrives.
    void setHandler(Handler handler);
    /// Stops the stream; the component forgets its actions on the next main-loop turn.
    void end();
    bool isEnded() const;

private:
    friend class KeyboardShortcuts;

    struct State
    {
        std::deque<EventType> buffer;
        Handler handler;
        std::optional<EventType> onlyType;
        bool ended = false;
        std::function<void()> onTermination;

        void yield(EventType event);
    };

    explicit EventStream(std::shared_ptr<State> state);

    std::shared_ptr<State> m_state;
};

} // namespace ondrel::shortcuts
