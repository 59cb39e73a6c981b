#include "FakeUserNotifications.h"

namespace ondrel::platform::fake {

void FakeUserNotifications::deliver(const std::string& identifier, const std::string& title,
                                    const std::string& body)
{
    Notification notification{identifier, title, body};
    m_delivered.push_back(notification);
    m_shown.insert_or_assign(identifier, std::move(notification));
}

} // namespace ondrel::platform::fake
