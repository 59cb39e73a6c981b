#include "Shortcut.h"

#include "SpecialKey.h"
#include "UnicodeText.h"

#include "platform/KeyboardLayout.h"

#include <nlohmann/json.hpp>

namespace ondrel::shortcuts {
namespace {

bool hasStorableValues(std::int64_t keyCode, std::int64_t modifiers)
{
    // Values no key can have come only from a damaged entry; the hotkey service takes unsigned
    // 32-bit values and the layout 16-bit key codes.
    return keyCode >= 0 && keyCode <= maximumKeyCode && modifiers >= 0 &&
           modifiers <= maximumCarbonModifiers;
}

std::optional<std::int64_t> integerMember(const nlohmann::json& object, const char* name)
{
    const auto member = object.find(name);
    if (member == object.end() || !member->is_number_integer()) {
        return std::nullopt;
    }
    if (member->is_number_unsigned()) {
        const auto value = member->get<std::uint64_t>();
        if (value > static_cast<std::uint64_t>(INT64_MAX)) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(value);
    }
    return member->get<std::int64_t>();
}

} // namespace

Shortcut::Shortcut(std::int64_t keyCode, std::int64_t modifiers)
    : carbonKeyCode(keyCode), carbonModifiers(normalizedCarbonModifiers(modifiers))
{}

Shortcut::Shortcut(Key key, ModifierFlags modifiers)
    : carbonKeyCode(key.rawValue), carbonModifiers(shortcuts::carbonModifiers(modifiers))
{}

Shortcut::Shortcut(StoredValues, std::int64_t keyCode, std::int64_t modifiers)
    : carbonKeyCode(keyCode), carbonModifiers(modifiers)
{}

Shortcut Shortcut::withStoredValues(std::int64_t keyCode, std::int64_t modifiers)
{
    return Shortcut(StoredValues{}, keyCode, modifiers);
}

std::optional<Shortcut> Shortcut::fromEvent(const InputEvent& event)
{
    if (event.type != InputEvent::keyDownType && event.type != InputEvent::keyUpType) {
        return std::nullopt;
    }
    // A recorded shortcut never holds fn: laptops report it for the arrow and function keys.
    return Shortcut(Key(event.keyCode), event.modifierFlags - ModifierFlags::function);
}

std::optional<std::string> Shortcut::jsonText() const
{
    if (!hasStorableValues(carbonKeyCode, carbonModifiers)) {
        return std::nullopt;
    }
    return "{\"carbonKeyCode\":" + std::to_string(carbonKeyCode) +
           ",\"carbonModifiers\":" + std::to_string(carbonModifiers) + "}";
}

std::optional<Shortcut> Shortcut::fromJsonText(std::string_view text)
{
    const auto json = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (!json.is_object()) {
        return std::nullopt;
    }
    const auto keyCode = integerMember(json, "carbonKeyCode");
    const auto modifiers = integerMember(json, "carbonModifiers");
    if (!keyCode || !modifiers) {
        return std::nullopt;
    }
    if (!hasStorableValues(*keyCode, *modifiers)) {
        return std::nullopt;
    }
    return withStoredValues(*keyCode, *modifiers);
}

ModifierFlags Shortcut::modifiers() const
{
    return modifierFlags(carbonModifiers);
}

std::string Shortcut::description(platform::KeyboardLayout& layout) const
{
    const ModifierFlags flags = modifiers();
    std::string text;
    if (flags.contains(ModifierFlags::control)) {
        text += "\u2303";
    }
    if (flags.contains(ModifierFlags::option)) {
        text += "\u2325";
    }
    if (flags.contains(ModifierFlags::shift)) {
        text += "\u21E7";
    }
    if (flags.contains(ModifierFlags::command)) {
        text += "\u2318";
    }
    if (flags.contains(ModifierFlags::function)) {
        text += "\U0001F310\uFE0E";
    }

    if (const auto special = specialKey(carbonKeyCode)) {
        return text + displayString(*special);
    }
    return text + capitalized(keyToCharacter(layout, carbonKeyCode).value_or("\uFFFD"));
}

std::optional<std::string> Shortcut::nsMenuItemKeyEquivalent(platform::KeyboardLayout& layout) const
{
    if (const auto special = specialKey(carbonKeyCode)) {
        return keyEquivalent(*special);
    }
    return keyToCharacter(layout, carbonKeyCode);
}

std::optional<std::string> keyToCharacter(platform::KeyboardLayout& layout, std::int64_t keyCode)
{
    if (specialKey(keyCode) || keyCode < 0 || keyCode > maximumKeyCode) {
        return std::nullopt;
    }
    auto text = layout.characterForKeyCode(static_cast<std::uint32_t>(keyCode));
    if (!text || graphemeCount(*text) != 1) {
        return std::nullopt;
    }
    return text;
}

} // namespace ondrel::shortcuts
