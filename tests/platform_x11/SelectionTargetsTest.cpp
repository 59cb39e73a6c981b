#include "platform/freedesktop/SelectionTargets.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

namespace ondrel::platform::freedesktop {
namespace {

using ondrel::test::bytes;

std::vector<std::string> targetNames(const std::vector<ServedTarget>& served)
{
    std::vector<std::string> names;
    for (const auto& target : served)
        names.push_back(target.target);
    return names;
}

const ServedTarget& find(const std::vector<ServedTarget>& served, std::string_view target)
{
    for (const auto& t : served) {
        if (t.target == target)
            return t;
    }
    throw std::runtime_error("no target " + std::string(target));
}

TEST(SelectionTargets, PlainTextIsOfferedUnderEveryTextTarget)
{
    const auto served = servedTargets({{"text/plain;charset=utf-8", bytes("caf\xC3\xA9")}});
    EXPECT_EQ(targetNames(served),
              (std::vector<std::string>{"text/plain;charset=utf-8", "UTF8_STRING", "TEXT",
                                        "text/plain", "STRING"}));
    EXPECT_EQ(*find(served, "UTF8_STRING").data, bytes("caf\xC3\xA9"));
    EXPECT_EQ(*find(served, "STRING").data, bytes("caf\xE9"));
    EXPECT_EQ(find(served, "STRING").propertyType, "STRING");
    EXPECT_EQ(find(served, "TEXT").propertyType, "UTF8_STRING");

    // Text beyond Latin-1 has no STRING form.
    const auto names =
        targetNames(servedTargets({{"text/plain;charset=utf-8", bytes("\xE2\x82\xAC")}}));
    EXPECT_EQ(std::find(names.begin(), names.end(), "STRING"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "UTF8_STRING"), names.end());
}

TEST(SelectionTargets, SnapshotTypesWinOverAliasesAndLaterEntriesWin)
{
    // A restored snapshot carries its own UTF8_STRING; an alias must not replace it.
    const auto served = servedTargets({{"text/plain;charset=utf-8", bytes("new")},
                                       {"UTF8_STRING", bytes("own")},
                                       {"image/png", bytes("first")},
                                       {"TARGETS", bytes("junk")},
                                       {"application/x-qt-image", bytes("junk")},
                                       {"image/png", bytes("second")}});
    EXPECT_EQ(*find(served, "UTF8_STRING").data, bytes("own"));
    EXPECT_EQ(*find(served, "image/png").data, bytes("second"));
    // Once each, and no pseudo-target.
    auto names = targetNames(served);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"STRING", "TEXT", "UTF8_STRING", "image/png",
                                               "text/plain", "text/plain;charset=utf-8"}));
}

TEST(SelectionTargets, Latin1ConvertsOnlyWhatFits)
{
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases{
        {"", ""},
        {"plain", "plain"},
        {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},
        {"\xE2\x82\xAC", std::nullopt}, // euro
        {"\xC3", std::nullopt},         // cut off
        {"\xC3(", std::nullopt},        // bad tail
        {"\xFF", std::nullopt}};
    for (const auto& [utf8, latin1] : cases) {
        const auto expected = latin1 ? std::optional(bytes(*latin1)) : std::nullopt;
        EXPECT_EQ(utf8ToLatin1(bytes(utf8)), expected) << utf8;
    }
}

} // namespace
} // namespace ondrel::platform::freedesktop
