#include "NotificationCenterContract.h"

#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace ondrel::test {
namespace {

using platform::UserInfo;

TEST_P(NotificationCenterContract, DeliversToObserversOfTheNameInTheOrderAdded)
{
    auto& center = harness().center();
    std::vector<std::string> calls;
    center.addObserver("A", [&](const std::string&, const UserInfo&) { calls.push_back("a1"); });
    center.addObserver("B", [&](const std::string&, const UserInfo&) { calls.push_back("b"); });
    center.addObserver(
        "", [&](const std::string& name, const UserInfo&) { calls.push_back("all:" + name); });
    center.addObserver("A", [&](const std::string&, const UserInfo&) { calls.push_back("a2"); });

    center.post("A", {});
    EXPECT_EQ(calls, (std::vector<std::string>{"a1", "all:A", "a2"}));
    calls.clear();
    center.post("C", {});
    EXPECT_EQ(calls, (std::vector<std::string>{"all:C"}));
}

TEST_P(NotificationCenterContract, PassesNameAndUserInfoSynchronously)
{
    auto& center = harness().center();
    std::optional<std::pair<std::string, UserInfo>> received;
    center.addObserver("KeyboardShortcuts_shortcutByNameDidChange",
                       [&](const std::string& name, const UserInfo& info) {
                           received = std::pair{name, info};
                       });
    center.post("KeyboardShortcuts_shortcutByNameDidChange", {{"name", "ondrel"}});
    ASSERT_TRUE(received.has_value()); // before post() returned
    EXPECT_EQ(received->first, "KeyboardShortcuts_shortcutByNameDidChange");
    EXPECT_EQ(received->second, (UserInfo{{"name", "ondrel"}}));
}

TEST_P(NotificationCenterContract, RemovedObserverIsNotCalledAndUnknownTokensAreIgnored)
{
    auto& center = harness().center();
    int calls = 0;
    const auto token =
        center.addObserver("A", [&](const std::string&, const UserInfo&) { ++calls; });
    center.removeObserver(token);
    center.removeObserver(token);
    center.removeObserver(123456);
    center.post("A", {});
    EXPECT_EQ(calls, 0);
}

TEST_P(NotificationCenterContract, ObserversMayChangeTheRegistryWhileAPostRuns)
{
    auto& center = harness().center();
    std::vector<std::string> calls;
    platform::NotificationCenter::ObserverToken self = 0;
    platform::NotificationCenter::ObserverToken victim = 0;
    self = center.addObserver("A", [&](const std::string&, const UserInfo&) {
        calls.push_back("self");
        center.removeObserver(self);
        center.removeObserver(victim);
        center.addObserver("A",
                           [&](const std::string&, const UserInfo&) { calls.push_back("new"); });
    });
    victim = center.addObserver(
        "A", [&](const std::string&, const UserInfo&) { calls.push_back("victim"); });

    center.post("A", {});
    EXPECT_EQ(calls, (std::vector<std::string>{"self"}));
    calls.clear();
    center.post("A", {});
    EXPECT_EQ(calls, (std::vector<std::string>{"new"}));
}

TEST_P(NotificationCenterContract, ObserverMayPostAgainFromInsideAPost)
{
    auto& center = harness().center();
    std::vector<std::string> calls;
    center.addObserver("outer", [&](const std::string&, const UserInfo&) {
        calls.push_back("outer");
        center.post("inner", {});
    });
    center.addObserver("inner",
                       [&](const std::string&, const UserInfo&) { calls.push_back("inner"); });
    center.post("outer", {});
    EXPECT_EQ(calls, (std::vector<std::string>{"outer", "inner"}));
}

TEST_P(NotificationCenterContract, ObserversRunOnThePostingThread)
{
    auto& center = harness().center();
    std::thread::id observedOn;
    center.addObserver(
        "A", [&](const std::string&, const UserInfo&) { observedOn = std::this_thread::get_id(); });
    std::thread::id posterId;
    std::thread poster([&] {
        posterId = std::this_thread::get_id();
        center.post("A", {});
    });
    poster.join();
    EXPECT_EQ(observedOn, posterId);
}

} // namespace
} // namespace ondrel::test
