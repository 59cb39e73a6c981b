#pragma once

#include "platform/NotificationCenter.h"
#include "platform/common/InProcessNotificationCenter.h"

#include <mutex>
#include <vector>

namespace ondrel::platform::fake {

// The in-process notification centre, with a record of every post for tests.
class FakeNotificationCenter final : public NotificationCenter
{
public:
    struct Posted
    {
        std::string name;
        UserInfo userInfo;

        bool operator==(const Posted&) const = default;
    };

    FakeNotificationCenter() = default;

    void post(const std::string& name, const UserInfo& userInfo) override;
    ObserverToken addObserver(const std::string& name, Observer observer) override;
    void removeObserver(ObserverToken token) override;

    /// Every notification posted so far, in order.
    std::vector<Posted> posted() const;
    /// The posted notifications with this name, in order.
    std::vector<Posted> posted(const std::string& name) const;
    /// How many observers are registered now.
    std::size_t observerCount() const { return m_center.observerCount(); }
    /// Forgets the record of posts (observers stay).
    void clearHistory();

private:
    InProcessNotificationCenter m_center;
    mutable std::mutex m_mutex;
    std::vector<Posted> m_posted;
};

} // namespace ondrel::platform::fake
