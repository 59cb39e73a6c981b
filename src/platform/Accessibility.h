#pragma once

#include "Service.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ondrel::platform {

// An element of another application's user-interface tree; backends derive from it.
class AccessibilityElement
{
public:
    virtual ~AccessibilityElement() = default;
};

using ElementRef = std::shared_ptr<const AccessibilityElement>;

// A value of a form no caller uses (numbers, points, ...): counts as present but unusable.
struct OtherAttributeValue
{
    bool operator==(const OtherAttributeValue&) const = default;
};

// An attribute read: absent (monostate), text, one element, a list of elements, or another form.
using AttributeValue = std::variant<std::monostate, std::string, ElementRef,
                                    std::vector<ElementRef>, OtherAttributeValue>;

// Attribute names the system reads, with the macOS names as the common vocabulary.
namespace AXAttribute {
inline constexpr std::string_view focusedWindow = "AXFocusedWindow";
inline constexpr std::string_view role = "AXRole";
inline constexpr std::string_view value = "AXValue";
inline constexpr std::string_view children = "AXChildren";
} // namespace AXAttribute

namespace AXRole {
inline constexpr std::string_view textField = "AXTextField";
}

// How far a request for trust got.
enum class TrustRequest
{
    pending,   // the user answers in a prompt of the system's own; ask again later
    granted,   // trust is on now
    declined,  // the user said no
    failed,    // the switch could not be made; the desktop's settings are the way left
    impossible // nothing the user can grant helps on this display
};

// Trust to control other applications, and reads of their element trees.
// Element reads may be made from worker threads.
class Accessibility : public Service
{
public:
    /// True when this process may post keystrokes to other applications; never prompts.
    virtual bool isProcessTrusted() = 0;
    /// Leads the user to grant trust (a prompt or an offer) and says how far that got.
    virtual TrustRequest requestTrust() = 0;
    /// False when this display cannot take synthetic keystrokes, whatever the user grants.
    virtual bool canSynthesizeInput() = 0;
    /// The element standing for the whole application with this process id, or null.
    virtual ElementRef applicationElement(std::int64_t processIdentifier) = 0;
    /// Reads one attribute of an element; absent on any failure.
    virtual AttributeValue attributeValue(const ElementRef& element,
                                          std::string_view attribute) = 0;
};

} // namespace ondrel::platform
