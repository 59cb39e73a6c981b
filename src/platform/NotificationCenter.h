#pragma once

#include "Service.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace ondrel::platform {

using UserInfo = std::map<std::string, std::string>;

// In-process named notifications, delivered synchronously on the posting thread.
class NotificationCenter : public Service
{
public:
    using ObserverToken = std::uint64_t;
    using Observer = std::function<void(const std::string& name, const UserInfo& userInfo)>;

    /// Calls every observer of name (in the order added) before returning.
    virtual void post(const std::string& name, const UserInfo& userInfo) = 0;
    /// Observes notifications of name; an empty name observes all.
    virtual ObserverToken addObserver(const std::string& name, Observer observer) = 0;
    /// Stops an observer; unknown tokens are ignored.
    virtual void removeObserver(ObserverToken token) = 0;
};

} // namespace ondrel::platform
