#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace ondrel::rules::detail {

// A bounded map from a pattern's text to what was built from it (a compiled expression,
// a prepared search), dropping the least recently used entry when full. Not thread-safe:
// each thread keeps its own, because the ICU objects held here carry per-use state.
template <typename Value>
class UrlMatcherCache
{
public:
    explicit UrlMatcherCache(std::size_t capacity) : m_capacity(capacity) {}

    /// The value for key, built by make(key) when absent.
    template <typename Make>
    Value& get(std::string_view key, Make&& make)
    {
        if (auto found = m_index.find(key); found != m_index.end()) {
            m_entries.splice(m_entries.begin(), m_entries, found->second);
            return found->second->second;
        }
        if (m_entries.size() >= m_capacity && !m_entries.empty()) {
            m_index.erase(m_entries.back().first);
            m_entries.pop_back();
        }
        m_entries.emplace_front(std::string(key), std::forward<Make>(make)(key));
        m_index.emplace(m_entries.front().first, m_entries.begin());
        return m_entries.front().second;
    }

    void clear()
    {
        m_index.clear();
        m_entries.clear();
    }

private:
    struct Hash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const
        {
            return std::hash<std::string_view>{}(text);
        }
    };
    using Entry = std::pair<std::string, Value>;

    std::size_t m_capacity;
    std::list<Entry> m_entries;
    std::unordered_map<std::string, typename std::list<Entry>::iterator, Hash, std::equal_to<>>
        m_index;
};

} // namespace ondrel::rules::detail
