#pragma once

#include "platform/Preferences.h"

#include <cstddef>
#include <map>

namespace ondrel::platform::fake {

// Preferences held in memory; tests preload and inspect the raw values.
class FakePreferences final : public Preferences
{
public:
    FakePreferences() = default;

    std::optional<PreferenceValue> value(const std::string& key) override;
    void setValue(const std::string& key, const PreferenceValue& value) override;
    void removeValue(const std::string& key) override;
    bool contains(const std::string& key) override;
    std::vector<std::string> keys() override;

    /// Stores a value without counting it as a write (the state left by an earlier run).
    void preload(const std::string& key, PreferenceValue value);
    /// Every stored value, by key.
    const std::map<std::string, PreferenceValue>& raw() const { return m_values; }
    /// How many setValue and removeValue calls changed the store.
    std::size_t writeCount() const { return m_writeCount; }

private:
    std::map<std::string, PreferenceValue> m_values;
    std::size_t m_writeCount = 0;
};

} // namespace ondrel::platform::fake
