#include "platform/freedesktop/AtspiAccessibility.h"

#include "platform/freedesktop/AtspiBus.h"
#include "platform/freedesktop/AtspiTree.h"

#include <cstdio>
#include <iostream>

namespace ondrel::platform::freedesktop {

namespace {

class AtspiElement final : public AccessibilityElement
{
public:
    explicit AtspiElement(AtspiObject object) : m_object(std::move(object)) {}

    const AtspiObject& object() const { return m_object; }

private:
    AtspiObject m_object;
};

ElementRef makeElement(AtspiObject object)
{
    return std::make_shared<const AtspiElement>(std::move(object));
}

bool isTextFieldRole(std::uint32_t role)
{
    return role == AtspiRole::entry || role == AtspiRole::text || role == AtspiRole::passwordText;
}

// Firefox's address bar is an editable combo box; it is the text field the URL search expects.
bool isEditableComboBox(AtspiBus& bus, const AtspiObject& object, std::uint32_t role,
                        const AtspiDeadline& deadline)
{
    if (role != AtspiRole::comboBox) {
        return false;
    }
    const auto states = bus.states(object, deadline);
    return states && hasState(*states, AtspiState::editable);
}

// "push button" -> "AXPushButton"
std::string axRoleName(const QString& atspiName)
{
    std::string name = "AX";
    bool upper = true;
    for (const auto c : atspiName.toStdString()) {
        if (c == ' ' || c == '-' || c == '_') {
            upper = true;
            continue;
        }
        name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
        upper = false;
    }
    return name;
}

} // namespace

struct AtspiAccessibility::State
{
    explicit State(Options options)
        : options(std::move(options)),
          bus(AtspiBus::Options{QString::fromStdString(this->options.sessionBusAddress)})
    {}

    AtspiDeadline readDeadline() const { return {options.readBudget, options.callTimeout}; }

    bool canPostKeystrokes() const
    {
        return options.display.canPostKeystrokes && options.display.canPostKeystrokes();
    }

    AtspiTree tree() { return AtspiTree(bus, options.display.activeWindowTitle); }

    Options options;
    AtspiBus bus;
};

AtspiAccessibility::AtspiAccessibility(AskUser askUser, Options options)
    : m_state(std::make_shared<State>(std::move(options))), m_askUser(std::move(askUser))
{}

AtspiAccessibility::~AtspiAccessibility() = default;

Alert AtspiAccessibility::consentAlert()
{
    return Alert{
        "Turn On Assistive Technologies?",
        "Ondrel reads which application and which browser page you are pasting into through the "
        "desktop's accessibility services (AT-SPI), which are switched off in this session.\n\n"
        "Turning them on lets Ondrel work; the desktop keeps the setting. Browsers that are "
        "already open may have to be restarted before Ondrel can read their address.",
        {"Turn On", "Not Now"},
        AlertStyle::informational,
        1,
    };
}

Alert AtspiAccessibility::noXTestAlert()
{
    return Alert{
        "Ondrel Cannot Paste on This Display",
        "The X server does not offer the XTEST extension, which Ondrel needs to type the paste "
        "keystroke. Start the X server with XTEST enabled to use Ondrel.",
        {"OK"},
        AlertStyle::warning,
    };
}

bool AtspiAccessibility::isProcessTrusted()
{
    const auto state = m_state;
    if (!state->canPostKeystrokes()) {
        return false;
    }
    return state->bus.followedIsEnabled(static_cast<int>(state->options.trustTimeout.count()))
        .value_or(false);
}

bool AtspiAccessibility::canSynthesizeInput()
{
    return m_state->canPostKeystrokes();
}

TrustRequest AtspiAccessibility::requestTrust()
{
    const auto state = m_state;
    if (isProcessTrusted()) {
        return TrustRequest::granted;
    }
    if (!state->canPostKeystrokes()) {
        // Nothing the user can switch on from here would help.
        if (m_askUser) {
            m_askUser(noXTestAlert());
        }
        return TrustRequest::impossible;
    }
    if (!m_askUser || m_askUser(consentAlert()) != 0) {
        return TrustRequest::declined;
    }
    if (const auto error = state->bus.setEnabled(true, 2000)) {
        std::cout << "[Accessibility] Failed to turn on assistive technologies: "
                  << error->toStdString() << std::endl;
        return TrustRequest::failed;
    }
    return TrustRequest::granted;
}

ElementRef AtspiAccessibility::applicationElement(std::int64_t processIdentifier)
{
    const auto state = m_state;
    const auto deadline = state->readDeadline();
    auto tree = state->tree();
    const auto applications = tree.applicationsOf(processIdentifier, deadline);
    if (applications.empty()) {
        return nullptr;
    }
    tree.wake(applications.front(), deadline);
    return makeElement(applications.front());
}

AttributeValue AtspiAccessibility::attributeValue(const ElementRef& element,
                                                  std::string_view attribute)
{
    const auto* atspiElement = dynamic_cast<const AtspiElement*>(element.get());
    if (!atspiElement) {
        return {};
    }
    const auto state = m_state;
    const auto& object = atspiElement->object();
    const auto deadline = state->readDeadline();

    if (attribute == AXAttribute::focusedWindow) {
        if (auto window = state->tree().activeWindow(object, deadline)) {
            return makeElement(std::move(*window));
        }
        return {};
    }
    if (attribute == AXAttribute::role) {
        const auto role = state->bus.role(object, deadline);
        if (!role) {
            return {};
        }
        if (isTextFieldRole(*role) || isEditableComboBox(state->bus, object, *role, deadline)) {
            return std::string(AXRole::textField);
        }
        if (const auto name = state->bus.roleName(object, deadline); name && !name->isEmpty()) {
            return axRoleName(*name);
        }
        return "AXRole" + std::to_string(*role);
    }
    if (attribute == AXAttribute::value) {
        if (auto text = state->bus.text(object, deadline)) {
            return text->toStdString();
        }
        return {};
    }
    if (attribute == AXAttribute::children) {
        const auto children = state->bus.children(object, deadline);
        if (!children) {
            return {};
        }
        std::vector<ElementRef> elements;
        elements.reserve(children->size());
        for (const auto& child : *children) {
            elements.push_back(makeElement(child));
        }
        return elements;
    }
    return {};
}

} // namespace ondrel::platform::freedesktop
