#include "Contracts.h"

#include <vector>

namespace ondrel::test {
namespace {

using platform::UserInfo;

// Synchronously: every observer has run when post() returns.
TEST_P(NotificationCenterContract, DeliversNameAndUserInfoToObserversOfTheNameInTheOrderAdded)
{
    auto& center = harness().service();
    std::vector<std::string> calls;
    center.addObserver("A", [&](const std::string&, const UserInfo& info) {
        const auto* name = platform::userInfoText(info, "name");
        calls.push_back("a1:" + (name ? *name : "?"));
    });
    center.addObserver("B", [&](const std::string&, const UserInfo&) { calls.push_back("b"); });
    center.addObserver(
        "", [&](const std::string& name, const UserInfo&) { calls.push_back("all:" + name); });
    center.addObserver("A", [&](const std::string&, const UserInfo&) { calls.push_back("a2"); });

    center.post("A", {{"name", "ondrel"}});
    EXPECT_EQ(calls, (std::vector<std::string>{"a1:ondrel", "all:A", "a2"}));
    calls.clear();
    center.post("C", {});
    EXPECT_EQ(calls, (std::vector<std::string>{"all:C"}));
}

TEST_P(NotificationCenterContract, ObserversMayChangeTheRegistryWhileAPostRunsAndRemovalsAreFinal)
{
    auto& center = harness().service();
    std::vector<std::string> calls;
    platform::NotificationCenter::ObserverToken self = 0, victim = 0, added = 0;
    center.addObserver("inner",
                       [&](const std::string&, const UserInfo&) { calls.push_back("inner"); });
    self = center.addObserver("A", [&](const std::string&, const UserInfo&) {
        calls.push_back("self");
        center.removeObserver(self);
        center.removeObserver(victim);
        center.post("inner", {});
        added = center.addObserver(
            "A", [&](const std::string&, const UserInfo&) { calls.push_back("new"); });
    });
    victim = center.addObserver(
        "A", [&](const std::string&, const UserInfo&) { calls.push_back("victim"); });

    center.post("A", {});
    EXPECT_EQ(calls, (std::vector<std::string>{"self", "inner"}));
    calls.clear();
    center.post("A", {});
    EXPECT_EQ(calls, (std::vector<std::string>{"new"}));

    // Removed between posts, twice, and a token never issued: nothing left to call.
    calls.clear();
    center.removeObserver(added);
    center.removeObserver(added);
    center.removeObserver(123456);
    center.post("A", {});
    EXPECT_TRUE(calls.empty());
}

} // namespace
} // namespace ondrel::test
