// Speed of the rules module at sizes far beyond a typical list (tens of rules):
// matching one context, and loading and saving the rules file.
//
// Targets: 1,000 mixed rules in at most 1 ms (median) per match; 10,000 rules loaded in
// at most 100 ms and saved in at most 100 ms.

#include "rules/RuleMatching.h"
#include "rules/RuleStore.h"
#include "rules/RulesFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace ondrel::rules;
namespace fs = std::filesystem;

const std::string kApp = "firefox-esr";
const std::string kUrl = "https://www.site-0.example/docs/guide/42?lang=en&ref=home#install";

// A mixed list: every third rule a regular expression, the others spread over the
// other five modes, half of them for one application. None of the URL patterns matches
// kUrl, and the one rule that does match (any application, no pattern) comes last and
// ranks lowest, so a match has to test every URL condition: the worst case.
std::vector<Rule> mixedRules(int count)
{
    static constexpr URLMatchMode others[] = {URLMatchMode::domain, URLMatchMode::exact,
                                              URLMatchMode::prefix, URLMatchMode::contains,
                                              URLMatchMode::wildcard};
    std::vector<Rule> rules;
    rules.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count - 1; ++i) {
        const std::string site = "site-" + std::to_string(i + 1) + ".example";
        Rule rule;
        rule.name = "Rule " + std::to_string(i);
        rule.bundleID = i % 2 == 0 ? kApp : "*";
        rule.appDisplayName = i % 2 == 0 ? "Firefox ESR" : "Any Application";
        rule.content = "Signature for " + site + "\nwith a second line";
        rule.createdAt =
            std::chrono::system_clock::time_point(std::chrono::seconds(1700000000 + i));
        rule.urlMatchMode = i % 3 == 0 ? URLMatchMode::regex : others[(i / 3 * 2 + i % 3) % 5];
        switch (rule.urlMatchMode) {
        case URLMatchMode::regex:
            rule.urlPattern = "^https://(www\\.)?" + site + "/(docs|wiki)/[a-z]+/\\d+";
            break;
        case URLMatchMode::domain:
            rule.urlPattern = "*." + site;
            break;
        case URLMatchMode::exact:
            rule.urlPattern = "https://www." + site + "/docs/guide/42";
            break;
        case URLMatchMode::prefix:
            rule.urlPattern = "https://www." + site + "/docs/";
            break;
        case URLMatchMode::contains:
            rule.urlPattern = site + "/DOCS";
            break;
        case URLMatchMode::wildcard:
            rule.urlPattern = "https://*." + site + "/*";
            break;
        }
        if (i % 10 == 0)
            rule.lastUsedAt = rule.createdAt + std::chrono::hours(24);
        rules.push_back(std::move(rule));
    }
    Rule fallback;
    fallback.name = "Fallback";
    rules.push_back(std::move(fallback));
    return rules;
}

void BM_FindMatchingRule(benchmark::State& state)
{
    const std::vector<Rule> rules = mixedRules(static_cast<int>(state.range(0)));
    const std::optional<std::string> url = kUrl;
    for (auto _ : state) {
        auto found = findMatchingRule(rules, kApp, url);
        if (!found || found->name != "Fallback")
            state.SkipWithError("the fallback rule should have been chosen");
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FindMatchingRule)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

// A private folder for the store's files, removed at exit.
const fs::path& scratchFolder()
{
    static const struct Folder
    {
        fs::path path;
        Folder()
        {
            std::string pattern = (fs::temp_directory_path() / "ondrel-bench-XXXXXX").string();
            if (!::mkdtemp(pattern.data()))
                throw std::runtime_error("cannot create a temporary folder");
            path = pattern;
        }
        ~Folder()
        {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } folder;
    return folder.path;
}

fs::path writeRulesFile(int count)
{
    const fs::path file = scratchFolder() / ("rules-" + std::to_string(count) + ".json");
    std::ofstream(file, std::ios::binary) << RulesFile::encode(mixedRules(count));
    return file;
}

void BM_Decode(benchmark::State& state)
{
    const std::string bytes = RulesFile::encode(mixedRules(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        auto decoded = RulesFile::decode(bytes);
        if (!std::holds_alternative<RuleStorage>(decoded))
            state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(decoded);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

// Construction reads the file and decodes it: what the application does at start.
void BM_StoreLoad(benchmark::State& state)
{
    const fs::path file = writeRulesFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        RuleStore store(file);
        if (store.rules().size() != static_cast<std::size_t>(state.range(0)))
            state.SkipWithError("the store did not load every rule");
        benchmark::DoNotOptimize(store.rules().data());
    }
}

void BM_Encode(benchmark::State& state)
{
    const std::vector<Rule> rules = mixedRules(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(RulesFile::encode(rules));
}

// Encoding plus the atomic replacement of the file (temporary file, fsync, rename).
void BM_StoreSave(benchmark::State& state)
{
    RuleStore store(writeRulesFile(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        if (!store.save())
            state.SkipWithError("save failed");
    }
}

#define ONDREL_FILE_BENCHMARK(name)                                                                \
    BENCHMARK(name)                                                                                \
        ->Arg(1000)                                                                                \
        ->Arg(10000)                                                                               \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Repetitions(5)                                                                           \
        ->DisplayAggregatesOnly(true)

ONDREL_FILE_BENCHMARK(BM_Decode);
ONDREL_FILE_BENCHMARK(BM_StoreLoad);
ONDREL_FILE_BENCHMARK(BM_Encode);
ONDREL_FILE_BENCHMARK(BM_StoreSave);

} // namespace

BENCHMARK_MAIN();
