#pragma once

#include "Rule.h"
#include "common/ObserverList.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace ondrel::rules {

// Owns the user's rule list for the life of the process: loads the rules file once,
// announces every change before it takes effect, and rewrites the file after each
// change. Main thread only.
class RuleStore
{
public:
    using Clock = std::function<TimePoint()>;

    /// Loads $XDG_DATA_HOME/Ondrel/rules.json; a null clock means the system clock.
    explicit RuleStore(Clock clock = {});
    /// Loads the rules file at storagePath; a null clock means the system clock.
    explicit RuleStore(std::filesystem::path storagePath, Clock clock = {});
    RuleStore(const RuleStore&) = delete;
    RuleStore& operator=(const RuleStore&) = delete;

    /// $XDG_DATA_HOME/Ondrel/rules.json, with ~/.local/share for an unset or relative value.
    static std::filesystem::path defaultStoragePath();

    /// The rules in stored order.
    const std::vector<Rule>& rules() const { return m_rules; }
    /// The rules file this store reads and writes.
    const std::filesystem::path& storagePath() const { return m_storagePath; }
    /// The file name under which the rules file that could not be read is kept at the first
    /// save; none when it was read, or is already kept.
    std::optional<std::string> rejectedFileKeptAs() const;

    /// Replaces the rule at index without saving (the editor saves through updateRule);
    /// false and no change for an index past the end.
    bool setRule(std::size_t index, Rule rule);
    /// Appends rule, then saves.
    void addRule(Rule rule);
    /// Replaces the first rule with rule's id, then saves; without one, does nothing.
    void updateRule(const Rule& rule);
    /// Removes every rule with id, then saves (also when none was removed).
    void deleteRule(const Uuid& id);
    /// Stamps lastUsedAt of the first rule with rule's id with the clock's time, then saves;
    /// without one, does nothing. The argument's other fields are not used.
    void markRuleUsed(const Rule& rule);
    /// Writes the whole list to the rules file at once; false (and one log line) on failure.
    bool save();

    /// Registers a callback run just before the list changes; it still sees the old list.
    [[nodiscard]] common::Subscription addObserver(std::function<void()> willChange);
    /// Registers a callback run just after the list changed.
    [[nodiscard]] common::Subscription addDidChangeObserver(std::function<void()> didChange);

private:
    void loadRules();
    std::vector<Rule>::iterator findFirst(const Uuid& id);
    template <typename Change>
    void change(Change&& apply);
    std::optional<std::string> keepRejectedFile();

    std::filesystem::path m_storagePath;
    Clock m_clock;
    std::vector<Rule> m_rules;
    common::ObserverList m_willChange;
    common::ObserverList m_didChange;
    // Set when the file at start could not be used: the suffix of the name its content
    // is kept under before the first save replaces it.
    std::optional<std::string> m_rejectedSuffix;
};

} // namespace ondrel::rules
