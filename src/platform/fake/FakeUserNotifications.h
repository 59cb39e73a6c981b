#pragma once

#include "platform/UserNotifications.h"

#include <map>
#include <vector>

namespace ondrel::platform::fake {

// Desktop notifications recorded instead of shown.
class FakeUserNotifications final : public UserNotifications
{
public:
    struct Notification
    {
        std::string identifier;
        std::string title;
        std::string body;

        bool operator==(const Notification&) const = default;
    };

    FakeUserNotifications() = default;

    void deliver(const std::string& identifier, const std::string& title,
                 const std::string& body) override;

    /// Every delivery, in order.
    const std::vector<Notification>& delivered() const { return m_delivered; }
    /// What is on screen: the latest notification of each identifier.
    const std::map<std::string, Notification>& shown() const { return m_shown; }

private:
    std::vector<Notification> m_delivered;
    std::map<std::string, Notification> m_shown;
};

} // namespace ondrel::platform::fake
