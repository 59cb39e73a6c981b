// Speed of the smart paste's own work, apart from the fixed delays and the platform:
// reading an RTF rule's plain text (done on the main thread while the paste starts) and
// the address-field search over a browser window's element tree (done on a worker).
//
// Targets: a 1 MB RTF document read in at most 20 ms (median); the worst address-field
// search (every element read, up to the element limit) in at most 50 ms on the fake tree,
// so that the search's own cost stays far below the 1.5 s limit it runs under.

#include "paste/ContextDetector.h"
#include "paste/RtfReader.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace {

using ondrel::paste::ContextDetector;
using ondrel::paste::RtfReader;

// A word-processor document: tables up front, then formatted paragraphs with escapes.
std::string rtfDocument(std::size_t bytes)
{
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0\\fswiss Helvetica;}"
                      "{\\colortbl;\\red255\\green0\\blue0;}{\\*\\generator Bench;}\n";
    while (rtf.size() < bytes) {
        rtf += "\\pard\\f0\\fs24 Dear {\\b customer}, caf\\'e9 \\u8364? na\\'efve "
               "{\\field{\\*\\fldinst HYPERLINK \"https://example.com\"}{\\fldrslt link}}\\par\n";
    }
    return rtf + "}";
}

void BM_RtfReader(benchmark::State& state)
{
    const std::string rtf = rtfDocument(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(RtfReader::plainText(rtf));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(rtf.size()));
}
BENCHMARK(BM_RtfReader)->Arg(1 << 10)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// A tree held in memory; reads cost what the search itself costs, nothing is recorded.
class TreeElement final : public ondrel::platform::AccessibilityElement
{
public:
    std::string role;
    std::string value;
    std::vector<ondrel::platform::ElementRef> children;
};

class TreeAccessibility final : public ondrel::platform::Accessibility
{
public:
    bool isProcessTrusted() override { return true; }
    ondrel::platform::TrustRequest requestTrust() override
    {
        return ondrel::platform::TrustRequest::granted;
    }
    bool canSynthesizeInput() override { return true; }
    ondrel::platform::ElementRef applicationElement(std::int64_t) override { return nullptr; }
    ondrel::platform::AttributeValue attributeValue(const ondrel::platform::ElementRef& element,
                                                    std::string_view attribute) override
    {
        const auto& node = static_cast<const TreeElement&>(*element);
        if (attribute == ondrel::platform::AXAttribute::role)
            return node.role;
        if (attribute == ondrel::platform::AXAttribute::value)
            return node.value;
        if (attribute == ondrel::platform::AXAttribute::children)
            return node.children;
        return std::monostate{};
    }
};

// A tree without any address field, wide and deep enough that the search stops at its limit.
void BM_AddressFieldSearchWorstCase(benchmark::State& state)
{
    TreeAccessibility accessibility;
    const auto root = std::make_shared<TreeElement>();
    std::vector<std::shared_ptr<TreeElement>> level{root};
    for (int depth = 0; depth < 4; ++depth) {
        std::vector<std::shared_ptr<TreeElement>> next;
        for (const auto& parent : level) {
            for (std::size_t i = 0; i < ContextDetector::maximumChildrenSearched; ++i) {
                auto child = std::make_shared<TreeElement>();
                child->role = i % 2 ? "AXTextField" : "AXGroup";
                child->value = "not a url";
                parent->children.push_back(child);
                next.push_back(child);
            }
        }
        level = std::move(next);
    }
    const std::atomic<bool> abandoned{false};
    for (auto _ : state)
        benchmark::DoNotOptimize(ContextDetector::findURL(accessibility, root, abandoned));
}
BENCHMARK(BM_AddressFieldSearchWorstCase)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
