#pragma once

#include "platform/KeyboardLayout.h"

#include <map>
#include <set>
#include <utility>

namespace ondrel::platform::fake {

// A keyboard layout given as a table from macOS key code to the character the key types.
// Starts as US (ANSI letters, digits and punctuation); tests may change any key.
class FakeKeyboardLayout final : public KeyboardLayout
{
public:
    FakeKeyboardLayout();

    std::optional<std::string> characterForKeyCode(std::uint32_t keyCode) override;
    std::vector<SystemShortcut> systemShortcuts() override;
    bool isTakenBySystem(std::uint32_t keyCode, std::uint32_t carbonModifiers) override;
    /// Keys by the toolkit's key (synthesised events carry no scan code), on a US layout.
    std::optional<KeyStroke> keyStroke(const ToolkitKeyEvent& event) override;

    /// The US layout table this fake starts with.
    static const std::map<std::uint32_t, std::string>& usLayout();

    /// Makes the key type text, or nothing when text is none.
    void setCharacter(std::uint32_t keyCode, std::optional<std::string> text);
    /// Replaces the whole table (an empty table: no layout is available).
    void setLayout(std::map<std::uint32_t, std::string> layout) { m_layout = std::move(layout); }
    /// The list systemShortcuts() returns.
    void setSystemShortcuts(std::vector<SystemShortcut> shortcuts);
    /// Whether isTakenBySystem answers true for the combination.
    void setTakenBySystem(std::uint32_t keyCode, std::uint32_t carbonModifiers, bool taken = true);

private:
    std::map<std::uint32_t, std::string> m_layout;
    std::vector<SystemShortcut> m_systemShortcuts;
    std::set<std::pair<std::uint32_t, std::uint32_t>> m_taken;
};

} // namespace ondrel::platform::fake
