#include "TemporaryHome.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <sys/stat.h>

namespace ondrel::test {

namespace {

std::optional<std::string> currentValue(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void assign(const std::string& name, const std::optional<std::string>& value)
{
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
}

} // namespace

TemporaryHome::TemporaryHome()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "ondrel-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder from " + pattern);
    m_root = pattern;
    const auto cacheHome = home() / ".cache";
    const auto stateHome = home() / ".local" / "state";
    for (const auto& folder : {home(), dataHome(), configHome(), cacheHome, stateHome})
        std::filesystem::create_directories(folder);
    std::filesystem::create_directory(runtimeDir());
    ::chmod(runtimeDir().c_str(), 0700);

    setEnvironment("HOME", home().string());
    setEnvironment("XDG_DATA_HOME", dataHome().string());
    setEnvironment("XDG_CONFIG_HOME", configHome().string());
    setEnvironment("XDG_CACHE_HOME", cacheHome.string());
    setEnvironment("XDG_STATE_HOME", stateHome.string());
    setEnvironment("XDG_RUNTIME_DIR", runtimeDir().string());
}

TemporaryHome::~TemporaryHome()
{
    // Restore in reverse, so a variable set twice ends at its first saved value.
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
        assign(it->first, it->second);
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

void TemporaryHome::setEnvironment(const std::string& name, const std::optional<std::string>& value)
{
    m_saved.emplace_back(name, currentValue(name));
    assign(name, value);
}

} // namespace ondrel::test
