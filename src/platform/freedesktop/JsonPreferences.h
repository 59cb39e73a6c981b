#pragma once

#include "platform/Preferences.h"

#include <filesystem>
#include <map>

namespace ondrel::platform::freedesktop {

// Preferences in a JSON object file, read once at construction and rewritten atomically on
// every change (folder 0700, file 0600). Text and booleans are JSON strings and booleans;
// other values keep their JSON text exactly as stored. A file that cannot be parsed is kept
// aside as preferences.json.corrupt-<UTC time> and the store starts empty.
class JsonPreferences final : public Preferences
{
public:
    /// The store in $XDG_CONFIG_HOME/Ondrel/preferences.json (~/.config when unset).
    JsonPreferences();
    /// The store in file; its folder is created when first written.
    explicit JsonPreferences(std::filesystem::path file);

    std::optional<PreferenceValue> value(const std::string& key) override;
    void setValue(const std::string& key, const PreferenceValue& value) override;
    void removeValue(const std::string& key) override;
    bool contains(const std::string& key) override;
    std::vector<std::string> keys() override;

    /// The file this store reads and writes.
    const std::filesystem::path& path() const { return m_path; }
    /// $XDG_CONFIG_HOME/Ondrel/preferences.json.
    static std::filesystem::path defaultPath();

private:
    void load();
    void keepAside(const std::string& reason);
    void save();

    std::filesystem::path m_path;
    std::map<std::string, PreferenceValue> m_values;
    // False when an existing file could neither be read nor moved aside: writing would
    // destroy it, so changes then live in memory only.
    bool m_writable = true;
};

} // namespace ondrel::platform::freedesktop
