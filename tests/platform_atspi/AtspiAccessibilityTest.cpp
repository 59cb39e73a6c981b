#include "AtspiTestTrees.h"
#include "FakeAtspiDesktop.h"
#include "OutputCapture.h"

#include "platform/freedesktop/AtspiAccessibility.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace ondrel::test {
namespace {

using namespace std::chrono_literals;
using platform::Alert;
using platform::AttributeValue;
using platform::ElementRef;
using platform::TrustRequest;
using platform::freedesktop::AtspiAccessibility;
namespace AXAttribute = platform::AXAttribute;
namespace AtspiRole = platform::freedesktop::AtspiRole;

AtspiAccessibility::Options optionsFor(const QString& address, bool hasXTest = true)
{
    AtspiAccessibility::Options options;
    options.sessionBusAddress = address.toStdString();
    options.display.canPostKeystrokes = [hasXTest] { return hasXTest; };
    options.display.activeWindowTitle = [] { return std::nullopt; };
    options.readBudget = 600ms;
    options.callTimeout = 200ms;
    return options;
}

std::optional<std::string> textOf(const AttributeValue& value)
{
    const auto* text = std::get_if<std::string>(&value);
    return text ? std::optional{*text} : std::nullopt;
}

// A user who answers every question with the same button; what was asked is kept.
AtspiAccessibility::AskUser userAnswering(int answer, std::vector<Alert>& asked)
{
    return [answer, &asked](const Alert& alert) {
        asked.push_back(alert);
        return answer;
    };
}

// Trust needs both XTest and assistive technologies. Where asking cannot help, nothing changes:
// without XTest the user is only told why. Consent, refusal and trust already there are checked
// on a real desktop (atspi_trust_*).
TEST(AtspiRequestTrust, WhereAskingCannotHelpNothingChanges)
{
    FakeAtspiDesktop enabled;
    std::vector<Alert> asked;
    AtspiAccessibility noXTest(userAnswering(0, asked), optionsFor(enabled.address(), false));
    EXPECT_EQ(noXTest.requestTrust(), TrustRequest::impossible);
    ASSERT_EQ(asked.size(), 1U);
    EXPECT_EQ(asked[0].messageText, AtspiAccessibility::noXTestAlert().messageText);
    EXPECT_EQ(asked[0].buttons.at(0), "OK");
    EXPECT_FALSE(noXTest.isProcessTrusted());

    FakeAtspiDesktop disabled({.enabled = false});
    AtspiAccessibility noWayToAsk(nullptr, optionsFor(disabled.address()));
    EXPECT_EQ(noWayToAsk.requestTrust(), TrustRequest::declined);
    EXPECT_FALSE(noWayToAsk.isProcessTrusted());
    EXPECT_EQ(enabled.enableRequests() + disabled.enableRequests(), 0);
}

// Without a session bus the process is untrusted, and the switch it asks for fails aloud.
TEST(AtspiRequestTrustFailure, NoSessionBusIsUntrustedAndAFailedSwitchIsReported)
{
    std::vector<Alert> asked;
    AtspiAccessibility accessibility(userAnswering(0, asked),
                                     optionsFor("unix:path=/nonexistent/ondrel-test-bus"));
    EXPECT_FALSE(accessibility.isProcessTrusted());
    OutputCapture output;

    // The switch failed: the caller falls back to the desktop's settings.
    EXPECT_EQ(accessibility.requestTrust(), TrustRequest::failed);

    ASSERT_EQ(output.lines().size(), 1U);
    EXPECT_EQ(
        output.lines()[0].rfind("[Accessibility] Failed to turn on assistive technologies: ", 0),
        0U);
}

class AtspiElements : public testing::Test
{
protected:
    void SetUp() override
    {
        auto tree = trees::firefox();
        tree.add("notes", trees::textNode(AtspiRole::text, "text", "a\nb"), "toolbar");
        tree.add("secret", trees::textNode(AtspiRole::passwordText, "password text", ""),
                 "toolbar");
        tree.add("chooser", trees::node(AtspiRole::comboBox, "combo box"), "toolbar");
        tree.add("reload", trees::node(trees::pushButtonRole, "push button"), "toolbar");
        tree.add("odd", trees::node(200, QString()), "toolbar");
        desktop.addApplication(std::move(tree));
    }

    AttributeValue read(const ElementRef& element, std::string_view attribute)
    {
        return accessibility.attributeValue(element, attribute);
    }

    std::vector<ElementRef> childrenOf(const ElementRef& element)
    {
        const auto value = read(element, AXAttribute::children);
        const auto* list = std::get_if<std::vector<ElementRef>>(&value);
        return list ? *list : std::vector<ElementRef>{};
    }

    ElementRef focusedWindow()
    {
        const auto value =
            read(accessibility.applicationElement(::getpid()), AXAttribute::focusedWindow);
        const auto* window = std::get_if<ElementRef>(&value);
        return window ? *window : nullptr;
    }

    FakeAtspiDesktop desktop;
    AtspiAccessibility accessibility{nullptr, optionsFor(desktop.address())};
};

// The focused window is the active one: its toolbar (the first child) holds these. A page's
// entry is read on a real desktop (atspi_url_*).
TEST_F(AtspiElements, RolesMapToTheAXVocabularyAndValuesAreTheTextOfTextElements)
{
    EXPECT_EQ(textOf(read(focusedWindow(), AXAttribute::role)), "AXFrame");
    const std::vector<std::pair<std::string, std::optional<std::string>>> expected = {
        {"AXTextField", "example.org/page"}, // the editable combo box of the address bar
        {"AXTextField", "a\nb"},             // text
        {"AXTextField", ""},                 // password text
        {"AXComboBox", std::nullopt},        // a combo box that cannot be typed into
        {"AXPushButton", std::nullopt},
        {"AXRole200", std::nullopt}, // a role without a name
    };
    const auto toolbar = childrenOf(childrenOf(focusedWindow()).at(0));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(textOf(read(toolbar.at(i), AXAttribute::role)), expected[i].first);
        EXPECT_EQ(textOf(read(toolbar.at(i), AXAttribute::value)), expected[i].second);
    }
}

TEST_F(AtspiElements, UnknownReadsAndReadsOfAnApplicationThatLeftAreAbsent)
{
    const auto window = focusedWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(read(window, "AXTitle")));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(read(nullptr, AXAttribute::role)));
    struct Foreign : platform::AccessibilityElement
    {};
    EXPECT_TRUE(std::holds_alternative<std::monostate>(
        read(std::make_shared<Foreign>(), AXAttribute::role)));
    EXPECT_EQ(accessibility.applicationElement(1), nullptr);

    desktop.update(0, [](FakeTree& tree) { tree.behaviour.exitOn = "GetRole"; });
    for (const auto attribute : {AXAttribute::role, AXAttribute::children, AXAttribute::value}) {
        EXPECT_TRUE(std::holds_alternative<std::monostate>(read(window, attribute))) << attribute;
    }
}

TEST_F(AtspiElements, WorkersMayReadAtTheSameTime)
{
    std::vector<std::thread> workers;
    std::atomic<int> found{0};
    for (int i = 0; i < 4; ++i) {
        workers.emplace_back([&] {
            for (int j = 0; j < 10; ++j) {
                found += focusedWindow() != nullptr;
            }
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(found.load(), 40);
}

} // namespace
} // namespace ondrel::test
