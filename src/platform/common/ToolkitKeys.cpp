#include "ToolkitKeys.h"

#include "platform/Hotkeys.h"

#include <algorithm>
#include <array>
#include <utility>

namespace ondrel::platform {

namespace {

// Qt::Key values of the keys that are not characters.
constexpr int qtKeyEscape = 0x01000000;
constexpr int qtKeyTab = 0x01000001;
constexpr int qtKeyBacktab = 0x01000002;
constexpr int qtKeyBackspace = 0x01000003;
constexpr int qtKeyReturn = 0x01000004;
constexpr int qtKeyEnter = 0x01000005;
constexpr int qtKeyDelete = 0x01000007;
constexpr int qtKeyHome = 0x01000010;
constexpr int qtKeyEnd = 0x01000011;
constexpr int qtKeyLeft = 0x01000012;
constexpr int qtKeyUp = 0x01000013;
constexpr int qtKeyRight = 0x01000014;
constexpr int qtKeyDown = 0x01000015;
constexpr int qtKeyPageUp = 0x01000016;
constexpr int qtKeyPageDown = 0x01000017;
constexpr int qtKeyF1 = 0x01000030;
constexpr int qtKeyHelp = 0x01000058;

// macOS key codes of F1...F20, in order.
constexpr std::array<std::uint32_t, 20> functionKeyCodes{
    122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, 105, 107, 113, 106, 64, 79, 80, 90};

// Characters (Qt::Key values are their upper-case code points), shifted or not, on a US layout.
constexpr std::array<std::pair<char, std::uint32_t>, 68> characterKeys{{
    {'A', 0x00}, {'S', 0x01}, {'D', 0x02},  {'F', 0x03}, {'H', 0x04}, {'G', 0x05},  {'Z', 0x06},
    {'X', 0x07}, {'C', 0x08}, {'V', 0x09},  {'B', 0x0B}, {'Q', 0x0C}, {'W', 0x0D},  {'E', 0x0E},
    {'R', 0x0F}, {'Y', 0x10}, {'T', 0x11},  {'1', 0x12}, {'2', 0x13}, {'3', 0x14},  {'4', 0x15},
    {'6', 0x16}, {'5', 0x17}, {'=', 0x18},  {'9', 0x19}, {'7', 0x1A}, {'-', 0x1B},  {'8', 0x1C},
    {'0', 0x1D}, {']', 0x1E}, {'O', 0x1F},  {'U', 0x20}, {'[', 0x21}, {'I', 0x22},  {'P', 0x23},
    {'L', 0x25}, {'J', 0x26}, {'\'', 0x27}, {'K', 0x28}, {';', 0x29}, {'\\', 0x2A}, {',', 0x2B},
    {'/', 0x2C}, {'N', 0x2D}, {'M', 0x2E},  {'.', 0x2F}, {'`', 0x32}, {' ', 0x31},  {'!', 0x12},
    {'@', 0x13}, {'#', 0x14}, {'$', 0x15},  {'^', 0x16}, {'%', 0x17}, {'+', 0x18},  {'(', 0x19},
    {'&', 0x1A}, {'_', 0x1B}, {'*', 0x1C},  {')', 0x1D}, {'}', 0x1E}, {'{', 0x21},  {'"', 0x27},
    {':', 0x29}, {'|', 0x2A}, {'<', 0x2B},  {'?', 0x2C}, {'>', 0x2F},
}};

constexpr std::array<std::pair<int, std::uint32_t>, 16> namedKeys{{
    {qtKeyEscape, 53},
    {qtKeyTab, 48},
    {qtKeyBacktab, 48},
    {qtKeyBackspace, 51},
    {qtKeyReturn, 36},
    {qtKeyEnter, 76},
    {qtKeyDelete, 117},
    {qtKeyHome, 115},
    {qtKeyEnd, 119},
    {qtKeyLeft, 123},
    {qtKeyUp, 126},
    {qtKeyRight, 124},
    {qtKeyDown, 125},
    {qtKeyPageUp, 116},
    {qtKeyPageDown, 121},
    {qtKeyHelp, 114},
}};

std::optional<std::uint32_t> macKeyCodeForToolkitKey(int key)
{
    if (key >= qtKeyF1 && key < qtKeyF1 + static_cast<int>(functionKeyCodes.size())) {
        return functionKeyCodes[static_cast<std::size_t>(key - qtKeyF1)];
    }
    for (const auto& [named, code] : namedKeys) {
        if (named == key) {
            return code;
        }
    }
    for (const auto& [character, code] : characterKeys) {
        if (static_cast<int>(static_cast<unsigned char>(character)) == key) {
            return code;
        }
    }
    return std::nullopt;
}

std::uint32_t carbonModifiersForToolkit(std::uint32_t toolkitModifiers)
{
    std::uint32_t carbon = 0;
    if (toolkitModifiers & ToolkitModifier::meta) {
        carbon |= CarbonModifier::command;
    }
    if (toolkitModifiers & ToolkitModifier::shift) {
        carbon |= CarbonModifier::shift;
    }
    if (toolkitModifiers & ToolkitModifier::alt) {
        carbon |= CarbonModifier::option;
    }
    if (toolkitModifiers & ToolkitModifier::control) {
        carbon |= CarbonModifier::control;
    }
    return carbon;
}

} // namespace

std::optional<KeyStroke> keyStrokeOf(const ToolkitKeyEvent& event, PositionOfScanCode positionOf)
{
    const auto keyCode = positionOf && event.nativeScanCode != 0
                             ? positionOf(event.nativeScanCode)
                             : macKeyCodeForToolkitKey(event.key);
    if (!keyCode)
        return std::nullopt;
    return KeyStroke{*keyCode, carbonModifiersForToolkit(event.modifiers)};
}

} // namespace ondrel::platform
