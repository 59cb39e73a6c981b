#include "rules/RuleStore.h"
#include "rules/RulesFile.h"

#include "FakeClock.h"
#include "OutputCapture.h"
#include "TemporaryHome.h"
#include "TestFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ondrel::rules;
using namespace ondrel::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace fs = std::filesystem;

namespace {

constexpr std::string_view loadPrefix = "[RuleStore] Failed to load rules: ";
constexpr std::string_view savePrefix = "[RuleStore] Failed to save rules: ";

Rule makeRule(std::string name)
{
    Rule rule;
    rule.name = std::move(name);
    rule.createdAt = FakeClock::defaultStart();
    return rule;
}

// The same rules in a layout the writer never produces, so any rewrite is visible.
std::string foreignLayout(const std::vector<Rule>& rules)
{
    return nlohmann::json::parse(RulesFile::encode(rules)).dump();
}

std::vector<fs::path> folderEntries(const fs::path& folder)
{
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

class RuleStoreTest : public ::testing::Test
{
protected:
    fs::path folder() const { return m_home.dataHome() / "Ondrel"; }
    fs::path file() const { return folder() / "rules.json"; }

    std::unique_ptr<RuleStore> openStore()
    {
        return std::make_unique<RuleStore>(file(), m_clock.function());
    }

    // A store over a file holding these rules, laid out so that a rewrite shows.
    std::unique_ptr<RuleStore> openStoreWith(const std::vector<Rule>& rules)
    {
        writeFile(file(), foreignLayout(rules));
        return openStore();
    }

    bool fileWasRewritten(const std::vector<Rule>& rules) const
    {
        return readFile(file()) == RulesFile::encode(rules);
    }

    TemporaryHome m_home;
    FakeClock m_clock;
    OutputCapture m_output;
};

} // namespace

TEST_F(RuleStoreTest, FirstLaunchIsEmptyAndSilentUntilTheFirstAdd)
{
    auto store = openStore();
    EXPECT_TRUE(store->rules().empty());
    EXPECT_TRUE(fs::is_directory(folder()));
    EXPECT_FALSE(fs::exists(file()));

    const auto rule = makeRule("first");
    store->addRule(rule);
    EXPECT_THAT(store->rules(), ElementsAre(rule));
    EXPECT_EQ(readFile(file()), RulesFile::encode({rule}));
    EXPECT_EQ(folderEntries(folder()), std::vector<fs::path>{"rules.json"});
    EXPECT_EQ(m_output.text(), "");
}

TEST_F(RuleStoreTest, LoadsInFileOrderAndUpdateReplacesTheFirstRuleWithTheIdOnly)
{
    auto twin = makeRule("twin");
    const std::vector<Rule> rules = {makeRule("a"), twin, twin};
    auto store = openStoreWith(rules);
    EXPECT_EQ(store->rules(), rules);
    EXPECT_EQ(m_output.text(), "");
    twin.content = "edited";
    store->updateRule(twin);
    const std::vector<Rule> expected = {rules[0], twin, rules[2]};
    EXPECT_EQ(store->rules(), expected);
    EXPECT_TRUE(fileWasRewritten(expected));
}

TEST_F(RuleStoreTest, UnknownIdsWriteNothingAndSetRuleAnnouncesWithoutSaving)
{
    const std::vector<Rule> rules = {makeRule("a")};
    auto store = openStoreWith(rules);
    const auto before = readFile(file());
    int announcements = 0;
    auto subscription = store->addObserver([&] { ++announcements; });

    store->updateRule(makeRule("stranger"));
    store->markRuleUsed(makeRule("stranger"));
    EXPECT_EQ(store->rules(), rules);
    EXPECT_EQ(readFile(file()), before);
    EXPECT_EQ(announcements, 0);

    // setRule announces but does not save.
    auto edited = rules[0];
    edited.name = "draft";
    EXPECT_TRUE(store->setRule(0, edited));
    EXPECT_THAT(store->rules(), ElementsAre(edited));
    EXPECT_EQ(announcements, 1);
    EXPECT_EQ(readFile(file()), before);

    EXPECT_FALSE(store->setRule(1, edited));
    EXPECT_EQ(announcements, 1);
}

TEST_F(RuleStoreTest, DeleteRemovesEveryRuleWithTheIdAndAlwaysSaves)
{
    const auto twin = makeRule("twin");
    const auto keep = makeRule("keep");
    auto store = openStoreWith({twin, keep, twin});
    store->deleteRule(twin.id);
    EXPECT_THAT(store->rules(), ElementsAre(keep));
    EXPECT_TRUE(fileWasRewritten({keep}));

    // Nothing to remove: the list stays, the file is still written.
    writeFile(file(), foreignLayout({keep}));
    store->deleteRule(twin.id);
    EXPECT_THAT(store->rules(), ElementsAre(keep));
    EXPECT_TRUE(fileWasRewritten({keep}));
}

TEST_F(RuleStoreTest, MarkRuleUsedStampsOnlyLastUsedAtOfTheFirstMatch)
{
    const auto stored = makeRule("stored");
    auto store = openStoreWith({stored, stored});
    m_clock.advance(std::chrono::minutes{5} + std::chrono::milliseconds{250});

    auto argument = stored;
    argument.name = "edited meanwhile";
    argument.content = "other";
    store->markRuleUsed(argument);

    auto expected = stored;
    expected.lastUsedAt = m_clock.now();
    EXPECT_THAT(store->rules(), ElementsAre(expected, stored));
    EXPECT_THAT(readFile(file()), HasSubstr("\"lastUsedAt\" : \"2024-01-02T03:09:05Z\""));
}

TEST_F(RuleStoreTest, ObserversHearOfEachChangeBeforeAndAfterIt)
{
    auto store = openStore();
    std::vector<std::string> events;
    const auto describe = [&](const char* when) {
        events.push_back(std::string(when) + ":" + std::to_string(store->rules().size()));
    };
    auto before = store->addObserver([&] { describe("will"); });
    auto after = store->addDidChangeObserver([&] { describe("did"); });

    const auto rule = makeRule("a");
    store->addRule(rule);
    store->markRuleUsed(rule);
    store->updateRule(rule);
    store->deleteRule(rule.id);
    EXPECT_THAT(events, ElementsAre("will:0", "did:1", "will:1", "did:1", "will:1", "did:1",
                                    "will:1", "did:0"));

    before.reset();
    after.reset();
    store->addRule(rule);
    EXPECT_EQ(events.size(), 8u);
}

TEST_F(RuleStoreTest, WritesFilePrivatelyAndCreatesPrivateFolders)
{
    const auto deepFile = m_home.root() / "a" / "b" / "rules.json";
    const auto oldMask = ::umask(0);
    {
        RuleStore store(deepFile, m_clock.function());
        store.addRule(makeRule("a"));
    }
    ::umask(oldMask);
    EXPECT_EQ(permissions(m_home.root() / "a"), 0700u);
    EXPECT_EQ(permissions(m_home.root() / "a" / "b"), 0700u);
    EXPECT_EQ(permissions(deepFile), 0600u);

    // An existing, more open file becomes private at the next save.
    fs::permissions(deepFile, fs::perms(0644));
    RuleStore store(deepFile, m_clock.function());
    store.save();
    EXPECT_EQ(permissions(deepFile), 0600u);
}

TEST_F(RuleStoreTest, AFailedSaveKeepsTheChangeInMemoryAndLogsOneLine)
{
    // Tests run as root, so permissions cannot stop a write; a parent that is a
    // regular file can.
    writeFile(m_home.root() / "blocker", "not a folder");
    RuleStore store(m_home.root() / "blocker" / "rules.json", m_clock.function());
    EXPECT_EQ(m_output.text(), "");

    const auto rule = makeRule("a");
    store.addRule(rule);
    EXPECT_THAT(store.rules(), ElementsAre(rule));
    const auto lines = m_output.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], StartsWith(savePrefix));
    EXPECT_THAT(lines[0], HasSubstr("Not a directory"));
}

TEST_F(RuleStoreTest, AWriteThatFailsHalfwayLeavesTheOldFileAndNoTemporaryFile)
{
    const std::vector<Rule> rules = {makeRule("a")};
    auto store = openStoreWith(rules);
    const auto before = readFile(file());

    // Cap the size of files this process may write, so the new content cannot be written.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit oldLimit{};
    ::getrlimit(RLIMIT_FSIZE, &oldLimit);
    rlimit small = oldLimit;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    store->addRule(makeRule("b"));
    ::setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(store->rules().size(), 2u);
    EXPECT_EQ(readFile(file()), before);
    EXPECT_EQ(folderEntries(folder()), std::vector<fs::path>{"rules.json"});
    ASSERT_EQ(m_output.lines().size(), 1u);
    EXPECT_THAT(m_output.lines()[0], StartsWith(savePrefix));

    // The next successful save writes everything.
    store->save();
    EXPECT_TRUE(fileWasRewritten(store->rules()));
}

TEST_F(RuleStoreTest, ARejectedFileIsKeptBesideTheFirstSave)
{
    const std::string broken = R"({"rules":[{"name":"lost?"}],"version":1})";
    writeFile(file(), broken);
    auto store = openStore();
    EXPECT_TRUE(store->rules().empty());
    EXPECT_EQ(readFile(file()), broken); // loading never changes the file
    EXPECT_THAT(m_output.lines(),
                ElementsAre(std::string(loadPrefix) + file().string() +
                            ": rule 1: missing \"appDisplayName\" (the file will be kept as "
                            "rules.json.rejected-20240102T030405Z before the next save)"));

    // An earlier copy with the same name is never overwritten.
    const auto copy = folder() / "rules.json.rejected-20240102T030405Z";
    writeFile(copy, "older copy");
    const auto rule = makeRule("new");
    store->addRule(rule);
    store->addRule(makeRule("newer"));
    EXPECT_EQ(readFile(copy), "older copy");
    EXPECT_EQ(readFile(folder() / "rules.json.rejected-20240102T030405Z-2"), broken);
    EXPECT_EQ(folderEntries(folder()).size(), 3u); // one copy only, however many saves
    EXPECT_TRUE(fileWasRewritten(store->rules()));
}

TEST_F(RuleStoreTest, WhatCanBeNeitherLinkedNorReadIsRenamedAsideAndTheFirstSaveSucceeds)
{
    // Tests run as root, where an unreadable file is still read; a folder in the file's
    // place can be neither hard-linked nor copied, by root or anyone.
    fs::create_directories(file() / "inside");
    auto store = openStore();
    EXPECT_THAT(m_output.lines().at(0), HasSubstr("is not a regular file"));
    writeFile(folder() / "rules.json.rejected-20240102T030405Z", "older copy");
    store->addRule(makeRule("a"));
    EXPECT_EQ(m_output.lines().size(), 1u);
    EXPECT_TRUE(fs::is_directory(folder() / "rules.json.rejected-20240102T030405Z-2" / "inside"));
    EXPECT_EQ(readFile(folder() / "rules.json.rejected-20240102T030405Z"), "older copy");
    EXPECT_TRUE(fileWasRewritten(store->rules()));
}

TEST_F(RuleStoreTest, HostileFilesAreRefusedWithoutReadingThemWhole)
{
    // A sparse 100 MB file: refused from its size alone.
    fs::create_directories(folder());
    {
        const int fd = ::open(file().c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 100 * 1000 * 1000), 0);
        ::close(fd);
    }
    openStore();
    ASSERT_EQ(m_output.lines().size(), 1u);
    EXPECT_THAT(m_output.lines()[0],
                HasSubstr("is larger than 64 MiB (100000000 bytes) (the file will be kept as"));

    // A FIFO must not block the start.
    fs::remove(file());
    ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);
    m_output.clear();
    openStore();
    EXPECT_THAT(m_output.text(), HasSubstr("is not a regular file"));
}

TEST_F(RuleStoreTest, ASymbolicLinkToTheRulesFileStaysALink)
{
    const auto real = m_home.root() / "dotfiles" / "rules.json";
    writeFile(real, RulesFile::encode({}));
    fs::create_directories(folder());
    fs::create_symlink(real, file());
    auto store = openStore();
    store->addRule(makeRule("a"));
    EXPECT_TRUE(fs::is_symlink(file()));
    EXPECT_TRUE(fileWasRewritten(store->rules()));
}

struct LocationCase
{
    const char* name;
    std::optional<std::string> dataHome; // relative to nothing; "~" means the temporary home
    const char* expected;                // below the temporary home
};

class RuleStoreLocation : public ::testing::TestWithParam<LocationCase>
{};

TEST_P(RuleStoreLocation, FollowsTheXdgDataHome)
{
    TemporaryHome home;
    auto value = GetParam().dataHome;
    if (value && value->starts_with("~"))
        value = home.home().string() + value->substr(1);
    home.setEnvironment("XDG_DATA_HOME", value);
    EXPECT_EQ(RuleStore::defaultStoragePath(), home.home() / GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Locations, RuleStoreLocation,
    ::testing::Values(LocationCase{"set", "~/data", "data/Ondrel/rules.json"},
                      LocationCase{"unset", std::nullopt, ".local/share/Ondrel/rules.json"},
                      LocationCase{"relative", "data", ".local/share/Ondrel/rules.json"}),
    [](const auto& info) { return std::string(info.param.name); });
