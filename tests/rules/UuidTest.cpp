#include "rules/Uuid.h"

#include <gtest/gtest.h>

#include <set>

using ondrel::rules::Uuid;

TEST(Uuid, ReadsEitherCaseAndWritesUpperCase)
{
    const auto lower = Uuid::fromString("0f8e2c1a-4b7d-4e2a-9c3b-1d2e3f4a5b6c");
    const auto mixed = Uuid::fromString("0F8e2C1a-4B7D-4e2A-9C3B-1d2E3f4A5b6C");
    ASSERT_TRUE(lower && mixed);
    EXPECT_EQ(*lower, *mixed);
    EXPECT_EQ(lower->toString(), "0F8E2C1A-4B7D-4E2A-9C3B-1D2E3F4A5B6C");
    EXPECT_EQ(lower->bytes()[0], 0x0F);
    EXPECT_EQ(lower->bytes()[15], 0x6C);
}

TEST(Uuid, RefusesEveryOtherForm)
{
    for (const char* text :
         {"", "0F8E2C1A4B7D4E2A9C3B1D2E3F4A5B6C", "{0F8E2C1A-4B7D-4E2A-9C3B-1D2E3F4A5B6C}",
          "0F8E2C1A-4B7D-4E2A-9C3B-1D2E3F4A5B6", "0F8E2C1A-4B7D-4E2A-9C3B-1D2E3F4A5B6CD",
          "0F8E2C1A_4B7D-4E2A-9C3B-1D2E3F4A5B6C", "0F8E2C1A-4B7D-4E2A-9C3B-1D2E3F4A5B6G",
          " F8E2C1A-4B7D-4E2A-9C3B-1D2E3F4A5B6C", "0F8E2C1A-4B7D4-E2A-9C3B-1D2E3F4A5B6C"})
        EXPECT_EQ(Uuid::fromString(text), std::nullopt) << text;
}

TEST(Uuid, RandomIdsAreVersionFourAndDistinct)
{
    std::set<Uuid> seen;
    for (int i = 0; i < 1000; ++i) {
        const auto id = Uuid::createRandom();
        EXPECT_EQ(id.bytes()[6] >> 4, 4);
        EXPECT_EQ(id.bytes()[8] >> 6, 2);
        EXPECT_EQ(Uuid::fromString(id.toString()), id);
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 1000u);
}
