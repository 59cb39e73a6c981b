#include "InProcessNotificationCenter.h"

#include <algorithm>

namespace ondrel::platform {

void InProcessNotificationCenter::post(const std::string& name, const UserInfo& userInfo)
{
    // Observers may add or remove observers (themselves included) while they run, so the
    // lock is never held across a call. Observers added during this post miss it; those
    // removed during it are skipped from then on.
    std::vector<ObserverToken> targets;
    {
        std::lock_guard lock(m_mutex);
        for (const Entry& entry : m_entries) {
            if (entry.name.empty() || entry.name == name) {
                targets.push_back(entry.token);
            }
        }
    }
    for (ObserverToken token : targets) {
        if (auto observer = liveObserver(token)) {
            (*observer)(name, userInfo);
        }
    }
}

NotificationCenter::ObserverToken InProcessNotificationCenter::addObserver(const std::string& name,
                                                                           Observer observer)
{
    std::lock_guard lock(m_mutex);
    const ObserverToken token = m_nextToken++;
    if (observer) {
        m_entries.push_back(
            Entry{token, name, std::make_shared<const Observer>(std::move(observer))});
    }
    return token;
}

void InProcessNotificationCenter::removeObserver(ObserverToken token)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [token](const Entry& entry) { return entry.token == token; });
}

std::size_t InProcessNotificationCenter::observerCount() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

std::shared_ptr<const NotificationCenter::Observer>
InProcessNotificationCenter::liveObserver(ObserverToken token) const
{
    std::lock_guard lock(m_mutex);
    auto found = std::find_if(m_entries.begin(), m_entries.end(),
                              [token](const Entry& entry) { return entry.token == token; });
    return found == m_entries.end() ? nullptr : found->observer;
}

} // namespace ondrel::platform
