#pragma once

#include <memory>

namespace ondrel::common {

// Tells work that outlives its owner (a queued task, a callback held by a platform service)
// whether the owner still exists. The owner holds the guard as a member; the work captures a
// token and checks it before touching the owner.
class LifetimeGuard
{
public:
    class Token
    {
    public:
        /// True once the guard that issued this token is gone.
        bool expired() const { return m_alive.expired(); }

    private:
        friend class LifetimeGuard;
        explicit Token(std::weak_ptr<const bool> alive) : m_alive(std::move(alive)) {}
        std::weak_ptr<const bool> m_alive;
    };

    LifetimeGuard() = default;
    // A copy or a move would hand the owner's tokens to another object.
    LifetimeGuard(const LifetimeGuard&) = delete;
    LifetimeGuard& operator=(const LifetimeGuard&) = delete;

    Token token() const { return Token(m_alive); }

private:
    std::shared_ptr<const bool> m_alive = std::make_shared<const bool>(true);
};

} // namespace ondrel::common
