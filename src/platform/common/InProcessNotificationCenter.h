#pragma once

#include "platform/NotificationCenter.h"

#include <memory>
#include <mutex>
#include <vector>

namespace ondrel::platform {

// Notifications that never leave the process. Observers run synchronously on the posting
// thread; the registry itself may be touched from any thread.
class InProcessNotificationCenter final : public NotificationCenter
{
public:
    InProcessNotificationCenter() = default;

    void post(const std::string& name, const UserInfo& userInfo) override;
    ObserverToken addObserver(const std::string& name, Observer observer) override;
    void removeObserver(ObserverToken token) override;

    /// How many observers are registered now.
    std::size_t observerCount() const;

private:
    struct Entry
    {
        ObserverToken token = 0;
        std::string name;
        std::shared_ptr<const Observer> observer;
    };

    std::shared_ptr<const Observer> liveObserver(ObserverToken token) const;

    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
    ObserverToken m_nextToken = 1;
};

} // namespace ondrel::platform
