#pragma once

#include "Service.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <variant>

namespace ondrel::platform {

// A user-info value: text, or a boolean (a recorder's "isActive").
using UserInfoValue = std::variant<std::string, bool>;
using UserInfo = std::map<std::string, UserInfoValue>;

/// The text stored under key, or null when there is none or it is not text.
inline const std::string* userInfoText(const UserInfo& userInfo, const std::string& key)
{
    const auto found = userInfo.find(key);
    return found == userInfo.end() ? nullptr : std::get_if<std::string>(&found->second);
}

/// The boolean stored under key, or null when there is none or it is not a boolean.
inline const bool* userInfoBool(const UserInfo& userInfo, const std::string& key)
{
    const auto found = userInfo.find(key);
    return found == userInfo.end() ? nullptr : std::get_if<bool>(&found->second);
}

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
