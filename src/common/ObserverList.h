#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace ondrel::common {

class ObserverList;

// Keeps one callback registered; destroying or resetting it unregisters. Safe to
// outlive the observable it came from.
class Subscription
{
public:
    Subscription() = default;
    Subscription(Subscription&& other) noexcept { *this = std::move(other); }
    Subscription& operator=(Subscription&& other) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }

    /// Unregisters the callback now; later calls do nothing.
    void reset();

private:
    friend class ObserverList;
    struct Registry;
    Subscription(std::weak_ptr<Registry> registry, std::uint64_t id)
        : m_registry(std::move(registry)), m_id(id)
    {}

    std::weak_ptr<Registry> m_registry;
    std::uint64_t m_id = 0;
};

// Callbacks without arguments, called in registration order. A callback may add
// or remove callbacks (itself included) while being called.
class ObserverList
{
public:
    ObserverList();

    /// Registers a callback for as long as the returned subscription lives.
    [[nodiscard]] Subscription add(std::function<void()> callback);
    /// Calls every callback registered now and still registered when its turn comes.
    void notify() const;

private:
    std::shared_ptr<Subscription::Registry> m_registry;
};

} // namespace ondrel::common
