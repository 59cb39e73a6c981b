#include "FakeNotificationCenter.h"

namespace ondrel::platform::fake {

void FakeNotificationCenter::post(const std::string& name, const UserInfo& userInfo)
{
    {
        std::lock_guard lock(m_mutex);
        m_posted.push_back(Posted{name, userInfo});
    }
    m_center.post(name, userInfo);
}

NotificationCenter::ObserverToken FakeNotificationCenter::addObserver(const std::string& name,
                                                                      Observer observer)
{
    return m_center.addObserver(name, std::move(observer));
}

void FakeNotificationCenter::removeObserver(ObserverToken token)
{
    m_center.removeObserver(token);
}

std::vector<FakeNotificationCenter::Posted> FakeNotificationCenter::posted() const
{
    std::lock_guard lock(m_mutex);
    return m_posted;
}

std::vector<FakeNotificationCenter::Posted>
FakeNotificationCenter::posted(const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    std::vector<Posted> result;
    for (const Posted& entry : m_posted) {
        if (entry.name == name) {
            result.push_back(entry);
        }
    }
    return result;
}

void FakeNotificationCenter::clearHistory()
{
    std::lock_guard lock(m_mutex);
    m_posted.clear();
}

} // namespace ondrel::platform::fake
