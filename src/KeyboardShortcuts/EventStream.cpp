#include "EventStream.h"

#include <utility>

namespace ondrel::shortcuts {

void EventStream::State::yield(EventType event)
{
    if (ended || (onlyType && *onlyType != event)) {
        return;
    }
    if (handler) {
        // A copy: the handler may end the stream, which drops the stored one.
        const Handler current = handler;
        current(event);
        return;
    }
    buffer.push_back(event);
}

EventStream::EventStream(std::shared_ptr<State> state) : m_state(std::move(state)) {}

EventStream& EventStream::operator=(EventStream&& other) noexcept
{
    if (this != &other) {
        end();
        m_state = std::move(other.m_state);
    }
    return *this;
}

EventStream::~EventStream()
{
    end();
}

std::optional<EventType> EventStream::next()
{
    if (!m_state || m_state->buffer.empty()) {
        return std::nullopt;
    }
    const EventType event = m_state->buffer.front();
    m_state->buffer.pop_front();
    return event;
}

std::size_t EventStream::pendingCount() const
{
    return m_state ? m_state->buffer.size() : 0;
}

void EventStream::setHandler(Handler handler)
{
    if (!m_state || m_state->ended) {
        return;
    }
    m_state->handler = std::move(handler);
    while (m_state && !m_state->ended && m_state->handler && !m_state->buffer.empty()) {
        const EventType event = m_state->buffer.front();
        m_state->buffer.pop_front();
        const Handler current = m_state->handler;
        current(event);
    }
}

void EventStream::end()
{
    if (!m_state || m_state->ended) {
        return;
    }
    m_state->ended = true;
    m_state->handler = nullptr;
    m_state->buffer.clear();
    if (auto onTermination = std::exchange(m_state->onTermination, nullptr)) {
        onTermination();
    }
}

bool EventStream::isEnded() const
{
    return !m_state || m_state->ended;
}

} // namespace ondrel::shortcuts
