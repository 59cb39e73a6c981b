#include "Contracts.h"

namespace ondrel::test {
namespace {

using platform::LoginItemStatus;

TEST_P(LoginItemContract, RegisterAndUnregisterRoundTrip)
{
    auto& item = harness().service();
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(item.unregisterItem(), std::nullopt); // not registered: still fine
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);

    EXPECT_EQ(item.registerItem(), std::nullopt);
    EXPECT_EQ(item.status(), LoginItemStatus::enabled);
    EXPECT_EQ(item.registerItem(), std::nullopt); // again: still fine
    EXPECT_EQ(item.status(), LoginItemStatus::enabled);

    EXPECT_EQ(item.unregisterItem(), std::nullopt);
    EXPECT_EQ(item.status(), LoginItemStatus::notRegistered);
}

} // namespace
} // namespace ondrel::test
