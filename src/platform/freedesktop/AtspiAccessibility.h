#pragma once

#include "platform/Accessibility.h"
#include "platform/Alerts.h"
#include "platform/freedesktop/DisplayFacts.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ondrel::platform::freedesktop {

// Trust and element reads on a freedesktop desktop. Trusted means synthetic keystrokes can be
// posted (the XTEST extension) and applications expose their trees (assistive technologies are on:
// org.a11y.Status.IsEnabled). Elements are read over AT-SPI and mapped to the AX vocabulary.
class AtspiAccessibility final : public Accessibility
{
public:
    /// Shows the alert to the user and returns the index of the button chosen.
    using AskUser = std::function<int(const Alert& alert)>;

    struct Options
    {
        /// The session bus on which the accessibility launcher is found; empty: the user's own.
        std::string sessionBusAddress;
        /// Synthetic input and the active window, answered by the display backend.
        DisplayFacts display;
        /// The longest one element read may take.
        std::chrono::milliseconds readBudget{1000};
        /// The longest any single call may take.
        std::chrono::milliseconds callTimeout{400};
        /// The longest the trust check may hold the caller (it runs on the main thread).
        std::chrono::milliseconds trustTimeout{250};
    };

    AtspiAccessibility(AskUser askUser, Options options);
    ~AtspiAccessibility() override;

    bool isProcessTrusted() override;
    TrustRequest requestTrust() override;
    bool canSynthesizeInput() override;
    ElementRef applicationElement(std::int64_t processIdentifier) override;
    AttributeValue attributeValue(const ElementRef& element, std::string_view attribute) override;

    /// The explanation shown before assistive technologies are switched on.
    static Alert consentAlert();
    /// The explanation shown when the display cannot take synthetic keystrokes at all.
    static Alert noXTestAlert();

private:
    struct State;
    std::shared_ptr<State> m_state;
    AskUser m_askUser;
};

} // namespace ondrel::platform::freedesktop
