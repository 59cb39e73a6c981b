#pragma once

#include "platform/Accessibility.h"

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>

namespace ondrel::platform::fake {

class FakeExecutor;

// One element of a fake user-interface tree: a bag of attributes.
class FakeElement final : public AccessibilityElement
{
public:
    explicit FakeElement(std::string label = {}) : m_label(std::move(label)) {}

    /// Sets one attribute (monostate removes it).
    void set(std::string_view attribute, AttributeValue value);
    /// The attribute's value, absent when unset.
    AttributeValue get(std::string_view attribute) const;
    /// Appends child to this element's AXChildren list.
    void addChild(std::shared_ptr<const FakeElement> child);
    /// A name for test diagnostics; not an attribute.
    const std::string& label() const { return m_label; }

private:
    std::string m_label;
    std::map<std::string, AttributeValue, std::less<>> m_attributes;
};

using FakeElementPtr = std::shared_ptr<FakeElement>;

/// An element with this role and, when given, this text value.
FakeElementPtr makeElement(std::string_view role, std::optional<std::string> value = std::nullopt,
                           std::string label = {});

// Trust on a switch and element trees built by tests. Reads may come from worker threads.
class FakeAccessibility final : public Accessibility
{
public:
    // One attribute read, for tests that check how far a search went.
    struct Read
    {
        const AccessibilityElement* element = nullptr;
        std::string attribute;
    };

    /// executor is needed only for slow applications.
    explicit FakeAccessibility(FakeExecutor* executor = nullptr);
    /// Releases workers blocked in a slow look-up.
    ~FakeAccessibility() override;

    bool isProcessTrusted() override;
    TrustRequest requestTrust() override;
    bool canSynthesizeInput() override { return m_canSynthesize; }
    ElementRef applicationElement(std::int64_t processIdentifier) override;
    AttributeValue attributeValue(const ElementRef& element, std::string_view attribute) override;

    /// Trust on or off; without it every attribute read comes back absent.
    void setTrusted(bool trusted) { m_trusted = trusted; }
    /// What requestTrust() answers; granted also switches trust on.
    void setRequestAnswer(TrustRequest answer) { m_requestAnswer = answer; }
    /// Whether the display takes synthetic keystrokes (without, requests are impossible).
    void setCanSynthesizeInput(bool can) { m_canSynthesize = can; }
    int requestTrustCount() const { return m_requestCount; }

    /// The application element for a process id (null: no application).
    void setApplication(std::int64_t processIdentifier, ElementRef element);

    /// Every attribute read, in order.
    std::vector<Read> reads() const;
    /// How many reads touched element.
    int readCount(const ElementRef& element) const;

private:
    FakeExecutor* m_executor;
    std::atomic<bool> m_trusted{true};
    std::atomic<TrustRequest> m_requestAnswer{TrustRequest::pending};
    std::atomic<bool> m_canSynthesize{true};
    std::atomic<int> m_requestCount{0};
    mutable std::mutex m_mutex;
    std::map<std::int64_t, ElementRef> m_applications;
    std::vector<Read> m_reads;
};

} // namespace ondrel::platform::fake
