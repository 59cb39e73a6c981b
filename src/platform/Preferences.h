#pragma once

#include "Service.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ondrel::platform {

// A stored value of a form other than text or boolean (a number, a list, ...), kept as JSON text.
struct OtherPreferenceValue
{
    std::string json;

    bool operator==(const OtherPreferenceValue&) const = default;
};

using PreferenceValue = std::variant<std::string, bool, OtherPreferenceValue>;

// The user's persistent key-value preferences (user defaults).
class Preferences : public Service
{
public:
    /// The value under key, or none.
    virtual std::optional<PreferenceValue> value(const std::string& key) = 0;
    /// Stores value under key, replacing any value, and persists it.
    virtual void setValue(const std::string& key, const PreferenceValue& value) = 0;
    /// Removes the value under key, if any.
    virtual void removeValue(const std::string& key) = 0;
    /// True when any value is stored under key.
    virtual bool contains(const std::string& key) = 0;
    /// Every key that holds a value.
    virtual std::vector<std::string> keys() = 0;
};

} // namespace ondrel::platform
