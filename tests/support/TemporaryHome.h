#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ondrel::test {

// A private home for one test: creates a temporary folder, points HOME and the XDG
// base directories into it, and on destruction restores the variables and removes it.
// Tests therefore never touch the real user's files.
class TemporaryHome
{
public:
    TemporaryHome();
    ~TemporaryHome();
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    /// The temporary folder that holds everything below.
    const std::filesystem::path& root() const { return m_root; }
    /// $HOME.
    std::filesystem::path home() const { return m_root / "home"; }
    /// $XDG_DATA_HOME (home/.local/share).
    std::filesystem::path dataHome() const { return home() / ".local" / "share"; }
    /// $XDG_CONFIG_HOME (home/.config).
    std::filesystem::path configHome() const { return home() / ".config"; }
    /// $XDG_RUNTIME_DIR (mode 0700, outside home).
    std::filesystem::path runtimeDir() const { return m_root / "runtime"; }

    /// Sets (or, with none, unsets) a variable until destruction, restoring the value before.
    void setEnvironment(const std::string& name, const std::optional<std::string>& value);

private:
    std::filesystem::path m_root;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

} // namespace ondrel::test
