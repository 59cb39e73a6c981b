#include "FakeKeyboardLayout.h"

#include "platform/common/ToolkitKeys.h"

namespace ondrel::platform::fake {

FakeKeyboardLayout::FakeKeyboardLayout() : m_layout(usLayout()) {}

const std::map<std::uint32_t, std::string>& FakeKeyboardLayout::usLayout()
{
    // macOS virtual key codes of the ANSI block, unshifted.
    static const std::map<std::uint32_t, std::string> layout{
        {0x00, "a"}, {0x01, "s"}, {0x02, "d"}, {0x03, "f"}, {0x04, "h"}, {0x05, "g"},  {0x06, "z"},
        {0x07, "x"}, {0x08, "c"}, {0x09, "v"}, {0x0B, "b"}, {0x0C, "q"}, {0x0D, "w"},  {0x0E, "e"},
        {0x0F, "r"}, {0x10, "y"}, {0x11, "t"}, {0x12, "1"}, {0x13, "2"}, {0x14, "3"},  {0x15, "4"},
        {0x16, "6"}, {0x17, "5"}, {0x18, "="}, {0x19, "9"}, {0x1A, "7"}, {0x1B, "-"},  {0x1C, "8"},
        {0x1D, "0"}, {0x1E, "]"}, {0x1F, "o"}, {0x20, "u"}, {0x21, "["}, {0x22, "i"},  {0x23, "p"},
        {0x25, "l"}, {0x26, "j"}, {0x27, "'"}, {0x28, "k"}, {0x29, ";"}, {0x2A, "\\"}, {0x2B, ","},
        {0x2C, "/"}, {0x2D, "n"}, {0x2E, "m"}, {0x2F, "."}, {0x32, "`"},
    };
    return layout;
}

std::optional<std::string> FakeKeyboardLayout::characterForKeyCode(std::uint32_t keyCode)
{
    auto found = m_layout.find(keyCode);
    if (found == m_layout.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::vector<SystemShortcut> FakeKeyboardLayout::systemShortcuts()
{
    return m_systemShortcuts;
}

bool FakeKeyboardLayout::isTakenBySystem(std::uint32_t keyCode, std::uint32_t carbonModifiers)
{
    return m_taken.contains({keyCode, carbonModifiers});
}

std::optional<KeyStroke> FakeKeyboardLayout::keyStroke(const ToolkitKeyEvent& event)
{
    return keyStrokeOf(event);
}

void FakeKeyboardLayout::setCharacter(std::uint32_t keyCode, std::optional<std::string> text)
{
    if (text) {
        m_layout.insert_or_assign(keyCode, std::move(*text));
    } else {
        m_layout.erase(keyCode);
    }
}

void FakeKeyboardLayout::setSystemShortcuts(std::vector<SystemShortcut> shortcuts)
{
    m_systemShortcuts = std::move(shortcuts);
}

void FakeKeyboardLayout::setTakenBySystem(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                          bool taken)
{
    if (taken) {
        m_taken.insert({keyCode, carbonModifiers});
    } else {
        m_taken.erase({keyCode, carbonModifiers});
    }
}

} // namespace ondrel::platform::fake
