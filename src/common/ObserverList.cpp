#include "ObserverList.h"

#include <algorithm>

namespace ondrel::common {

struct Subscription::Registry
{
    using Callback = std::shared_ptr<const std::function<void()>>;

    Callback find(std::uint64_t id) const
    {
        const auto it = std::find_if(entries.begin(), entries.end(),
                                     [id](const auto& entry) { return entry.first == id; });
        return it == entries.end() ? nullptr : it->second;
    }

    std::uint64_t nextId = 1;
    std::vector<std::pair<std::uint64_t, Callback>> entries;
};

Subscription& Subscription::operator=(Subscription&& other) noexcept
{
    if (this != &other) {
        reset();
        m_registry = std::exchange(other.m_registry, {});
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

void Subscription::reset()
{
    if (const auto registry = m_registry.lock()) {
        std::erase_if(registry->entries, [this](const auto& entry) { return entry.first == m_id; });
    }
    m_registry.reset();
    m_id = 0;
}

ObserverList::ObserverList() : m_registry(std::make_shared<Subscription::Registry>()) {}

Subscription ObserverList::add(std::function<void()> callback)
{
    const auto id = m_registry->nextId++;
    m_registry->entries.emplace_back(
        id, std::make_shared<const std::function<void()>>(std::move(callback)));
    return Subscription(m_registry, id);
}

void ObserverList::notify() const
{
    // Ids, not callbacks, are copied: one removed by an earlier callback is skipped,
    // and the shared pointer keeps a callback alive while it removes itself.
    std::vector<std::uint64_t> ids;
    ids.reserve(m_registry->entries.size());
    for (const auto& entry : m_registry->entries)
        ids.push_back(entry.first);
    for (const auto id : ids) {
        if (const auto callback = m_registry->find(id); callback && *callback)
            (*callback)();
    }
}

} // namespace ondrel::common
