#include "rules/RuleMatching.h"
#include "rules/RulesFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace ondrel::rules;

namespace {

RuleStorage exampleStorage()
{
    auto result = RulesFile::decode(ondrel::test::readFile(ONDREL_EXAMPLES_DIR "/rules.json"));
    if (auto* error = std::get_if<RulesFileError>(&result)) {
        ADD_FAILURE() << error->description;
        return {};
    }
    return std::get<RuleStorage>(result);
}

} // namespace

TEST(ExampleRules, IsInTheWritersExactFormAndTheWebmailRuleAnswersFirefoxOnTheMailSite)
{
    const auto storage = exampleStorage();
    EXPECT_EQ(storage.rules.size(), 5u);
    EXPECT_EQ(RulesFile::encode(storage.rules),
              ondrel::test::readFile(ONDREL_EXAMPLES_DIR "/rules.json"));
    const auto match = findMatchingRule(storage.rules, "firefox-esr",
                                        std::string("https://mail.example.com/inbox"));
    ASSERT_TRUE(match);
    EXPECT_EQ(match->name, "Webmail reply");
}
