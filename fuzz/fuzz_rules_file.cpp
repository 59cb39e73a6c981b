// Any bytes given to the rules file reader: it must never crash, and a file it accepts
// must survive the writer: decode(encode(x)) == x, and writing is a fixed point.

#include "rules/RulesFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <variant>

using namespace ondrel::rules;

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_rules_file: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const DecodeResult decoded = RulesFile::decode(bytes);
    const auto* storage = std::get_if<RuleStorage>(&decoded);
    if (!storage)
        return 0;

    const std::string encoded = RulesFile::encode(storage->rules);
    const DecodeResult again = RulesFile::decode(encoded);
    const auto* reread = std::get_if<RuleStorage>(&again);
    if (!reread)
        fail("the writer's output was rejected by the reader");
    // The writer always writes version 1; everything else comes back unchanged.
    RuleStorage expected = *storage;
    expected.version = 1;
    if (!(*reread == expected))
        fail("the rules read back differ from the rules written");
    if (RulesFile::encode(reread->rules) != encoded)
        fail("writing the rules read back gives other bytes");
    return 0;
}
