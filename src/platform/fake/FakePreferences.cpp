#include "FakePreferences.h"

#include <nlohmann/json.hpp>

namespace ondrel::platform::fake {

std::optional<PreferenceValue> FakePreferences::value(const std::string& key)
{
    auto found = m_values.find(key);
    if (found == m_values.end()) {
        return std::nullopt;
    }
    return found->second;
}

void FakePreferences::setValue(const std::string& key, const PreferenceValue& value)
{
    // The real store cannot persist text that is not JSON as an "other" value; neither do we.
    if (const auto* other = std::get_if<OtherPreferenceValue>(&value);
        other && !nlohmann::json::accept(other->json)) {
        return;
    }
    m_values.insert_or_assign(key, value);
    ++m_writeCount;
}

void FakePreferences::removeValue(const std::string& key)
{
    if (m_values.erase(key) > 0) {
        ++m_writeCount;
    }
}

bool FakePreferences::contains(const std::string& key)
{
    return m_values.contains(key);
}

std::vector<std::string> FakePreferences::keys()
{
    std::vector<std::string> result;
    result.reserve(m_values.size());
    for (const auto& [key, value] : m_values) {
        result.push_back(key);
    }
    return result;
}

void FakePreferences::preload(const std::string& key, PreferenceValue value)
{
    m_values.insert_or_assign(key, std::move(value));
}

} // namespace ondrel::platform::fake
