#include "RuleStore.h"

#include "FileAccess.h"
#include "JsonText.h"
#include "RulesFile.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace ondrel::rules {

namespace {

constexpr mode_t folderMode = 0700;
constexpr mode_t fileMode = 0600;

void log(std::string_view prefix, std::string_view description)
{
    std::cout << prefix << singleLine(description) << std::endl;
}

void logLoadFailure(std::string_view description)
{
    log("[RuleStore] Failed to load rules: ", description);
}

void logSaveFailure(std::string_view description)
{
    log("[RuleStore] Failed to save rules: ", description);
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::filesystem::path homeFolder()
{
    if (auto home = environment("HOME"); !home.empty())
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

// "20261206T181500Z": sortable, and free of characters that file names dislike.
std::string compactTime(TimePoint time)
{
    std::string text = RulesFile::formatTime(time);
    std::erase_if(text, [](char c) { return c == '-' || c == ':'; });
    return text;
}

} // namespace

RuleStore::RuleStore(Clock clock) : RuleStore(defaultStoragePath(), std::move(clock)) {}

RuleStore::RuleStore(std::filesystem::path storagePath, Clock clock)
    : m_storagePath(std::move(storagePath)), m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = [] { return std::chrono::system_clock::now(); };
    // A failure shows up, and is logged, at the first read or write.
    if (m_storagePath.has_parent_path())
        FileAccess::createFolders(m_storagePath.parent_path(), folderMode);
    loadRules();
}

std::filesystem::path RuleStore::defaultStoragePath()
{
    // The XDG base directory rules: an unset, empty or relative value is ignored.
    std::filesystem::path dataHome = environment("XDG_DATA_HOME");
    if (dataHome.empty() || dataHome.is_relative())
        dataHome = homeFolder() / ".local" / "share";
    return dataHome / "Ondrel" / "rules.json";
}

void RuleStore::loadRules()
{
    const auto read = FileAccess::readFile(m_storagePath, RulesFile::maxFileSize);
    if (read.missing)
        return;
    std::string description;
    if (!read.bytes) {
        description = read.error;
    } else {
        auto decoded = RulesFile::decode(*read.bytes);
        if (auto* storage = std::get_if<RuleStorage>(&decoded)) {
            m_rules = std::move(storage->rules);
            return;
        }
        description = m_storagePath.string() + ": " + std::get<RulesFileError>(decoded).description;
    }
    // The next save would replace the user's file with an empty list; keep its content.
    m_rejectedSuffix = ".rejected-" + compactTime(m_clock());
    logLoadFailure(description + " (the file will be kept as " + *rejectedFileKeptAs() +
                   " before the next save)");
}

template <typename Change>
void RuleStore::change(Change&& apply)
{
    m_willChange.notify();
    std::forward<Change>(apply)();
    m_didChange.notify();
}

std::vector<Rule>::iterator RuleStore::findFirst(const Uuid& id)
{
    return std::find_if(m_rules.begin(), m_rules.end(),
                        [&](const Rule& stored) { return stored.id == id; });
}

bool RuleStore::setRule(std::size_t index, Rule rule)
{
    if (index >= m_rules.size())
        return false;
    change([&] { m_rules[index] = std::move(rule); });
    return true;
}

void RuleStore::addRule(Rule rule)
{
    change([&] { m_rules.push_back(std::move(rule)); });
    save();
}

void RuleStore::updateRule(const Rule& rule)
{
    const auto it = findFirst(rule.id);
    if (it == m_rules.end())
        return;
    change([&] { *it = rule; });
    save();
}

void RuleStore::deleteRule(const Uuid& id)
{
    const auto matches = [&](const Rule& stored) { return stored.id == id; };
    if (std::any_of(m_rules.begin(), m_rules.end(), matches))
        change([&] { std::erase_if(m_rules, matches); });
    save();
}

void RuleStore::markRuleUsed(const Rule& rule)
{
    const auto it = findFirst(rule.id);
    if (it == m_rules.end())
        return;
    const TimePoint now = m_clock();
    change([&] { it->lastUsedAt = now; });
    save();
}

std::optional<std::string> RuleStore::rejectedFileKeptAs() const
{
    if (!m_rejectedSuffix)
        return std::nullopt;
    return FileAccess::followLinks(m_storagePath).filename().string() + *m_rejectedSuffix;
}

std::optional<std::string> RuleStore::keepRejectedFile()
{
    if (!m_rejectedSuffix)
        return std::nullopt;
    const auto kept = FileAccess::setAside(m_storagePath, *m_rejectedSuffix);
    if (!kept.error.empty())
        return "the unreadable rules file could not be kept aside, so it was not replaced: " +
               kept.error;
    m_rejectedSuffix.reset();
    return std::nullopt;
}

bool RuleStore::save()
{
    if (auto error = keepRejectedFile()) {
        logSaveFailure(*error);
        return false;
    }
    if (auto error =
            FileAccess::writeAtomically(m_storagePath, RulesFile::encode(m_rules), fileMode)) {
        logSaveFailure(*error);
        return false;
    }
    return true;
}

common::Subscription RuleStore::addObserver(std::function<void()> willChange)
{
    return m_willChange.add(std::move(willChange));
}

common::Subscription RuleStore::addDidChangeObserver(std::function<void()> didChange)
{
    return m_didChange.add(std::move(didChange));
}

} // namespace ondrel::rules
