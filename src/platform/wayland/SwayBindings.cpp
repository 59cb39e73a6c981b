#include "SwayBindings.h"

#include "XkbKeymap.h"

#include "platform/Hotkeys.h"

#include <xkbcommon/xkbcommon.h>

#include <glob.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <map>
#include <sstream>

namespace ondrel::platform::wayland {

namespace {

// Includes nest rarely; a loop of them must still end.
constexpr int kMaximumIncludeDepth = 4;

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> words(const std::string& line)
{
    std::vector<std::string> result;
    std::istringstream in(line);
    for (std::string word; in >> word;)
        result.push_back(word);
    return result;
}

std::string substitute(std::string text, const std::map<std::string, std::string>& variables)
{
    // Longest names first, so $mod2 is not read as $mod followed by "2".
    for (auto it = variables.rbegin(); it != variables.rend(); ++it) {
        for (auto at = text.find(it->first); at != std::string::npos;
             at = text.find(it->first, at + it->second.size()))
            text.replace(at, it->first.size(), it->second);
    }
    return text;
}

// The Carbon bit of one sway modifier name; 0 for a name that is not a modifier, ~0 for a
// modifier no shortcut can hold.
std::uint32_t carbonBitOf(const std::string& name)
{
    const auto key = lower(name);
    if (key == "mod4" || key == "super" || key == "logo")
        return CarbonModifier::command;
    if (key == "shift")
        return CarbonModifier::shift;
    if (key == "mod1" || key == "alt")
        return CarbonModifier::option;
    if (key == "ctrl" || key == "control")
        return CarbonModifier::control;
    if (key == "mod2" || key == "mod3" || key == "mod5" || key == "caps" || key == "lock")
        return ~0u;
    return 0;
}

struct Parser
{
    const XkbKeymap& keymap;
    const std::string& ownMarker;
    std::map<std::string, std::string> variables;
    std::vector<SwayBinding> bindings;

    void addCombination(const std::string& combo, bool byCode, bool onRelease,
                        const std::string& command)
    {
        if (!ownMarker.empty() && command.find(ownMarker) != std::string::npos)
            return;
        SwayBinding binding;
        binding.onRelease = onRelease;
        std::string rest = combo;
        for (auto plus = rest.find('+'); plus != std::string::npos && plus + 1 < rest.size();
             plus = rest.find('+')) {
            const auto bit = carbonBitOf(rest.substr(0, plus));
            if (bit == ~0u)
                return;
            if (bit == 0)
                break; // not a modifier: "Group2", or a key name that holds '+'
            binding.carbonModifiers |= bit;
            rest.erase(0, plus + 1);
        }
        if (byCode) {
            const auto [end, error] =
                std::from_chars(rest.data(), rest.data() + rest.size(), binding.xkbKeycode);
            if (error != std::errc{} || end != rest.data() + rest.size())
                return;
        } else {
            if (lower(rest).starts_with("button"))
                return;
            const auto keysym = xkb_keysym_from_name(rest.c_str(), XKB_KEYSYM_CASE_INSENSITIVE);
            if (keysym == XKB_KEY_NoSymbol)
                return;
            auto code = keymap.keycodeFor(keysym);
            if (!code)
                code = keymap.keycodeFor(xkb_keysym_to_lower(keysym));
            if (!code)
                return;
            binding.xkbKeycode = *code;
        }
        if (std::find(bindings.begin(), bindings.end(), binding) == bindings.end())
            bindings.push_back(binding);
    }

    void parse(const std::string& config, int depth)
    {
        std::istringstream lines(config);
        int modeDepth = 0; // inside a `mode "..." {` block (not the default mode)
        int blockKind = 0; // inside `bindsym {` (1) or `bindcode {` (2)
        bool blockRelease = false;
        for (std::string line; std::getline(lines, line);) {
            auto tokens = words(line);
            if (tokens.empty() || tokens.front().starts_with('#'))
                continue;
            if (tokens.front() == "set" && tokens.size() >= 3 && tokens[1].starts_with('$')) {
                std::string value = tokens[2];
                for (std::size_t i = 3; i < tokens.size(); ++i)
                    value += " " + tokens[i];
                variables[tokens[1]] = substitute(value, variables);
                continue;
            }
            tokens = words(substitute(line, variables));
            if (blockKind != 0) {
                if (tokens.front() == "}") {
                    blockKind = 0;
                } else if (modeDepth == 0) {
                    std::string command;
                    for (std::size_t i = 1; i < tokens.size(); ++i)
                        command += tokens[i] + " ";
                    addCombination(tokens.front(), blockKind == 2, blockRelease, command);
                }
                continue;
            }
            if (tokens.front() == "mode" && tokens.back() == "{") {
                ++modeDepth;
                continue;
            }
            if (tokens.front() == "}" && modeDepth > 0) {
                --modeDepth;
                continue;
            }
            if (tokens.front() == "include" && tokens.size() >= 2 && depth < kMaximumIncludeDepth) {
                include(tokens[1], depth);
                continue;
            }
            if (modeDepth > 0 || (tokens.front() != "bindsym" && tokens.front() != "bindcode"))
                continue;
            const bool byCode = tokens.front() == "bindcode";
            bool onRelease = false;
            std::size_t at = 1;
            while (at < tokens.size() && tokens[at].starts_with("--")) {
                onRelease |= tokens[at] == "--release";
                ++at;
            }
            if (at >= tokens.size())
                continue;
            if (tokens[at] == "{") {
                blockKind = byCode ? 2 : 1;
                blockRelease = onRelease;
                continue;
            }
            std::string command;
            for (std::size_t i = at + 1; i < tokens.size(); ++i)
                command += tokens[i] + " ";
            addCombination(tokens[at], byCode, onRelease, command);
        }
    }

    void include(std::string pattern, int depth)
    {
        if (pattern.starts_with("~/")) {
            if (const char* home = std::getenv("HOME"))
                pattern = std::string(home) + pattern.substr(1);
        }
        glob_t found{};
        if (::glob(pattern.c_str(), 0, nullptr, &found) == 0) {
            for (std::size_t i = 0; i < found.gl_pathc; ++i) {
                std::ifstream in(found.gl_pathv[i]);
                std::stringstream text;
                text << in.rdbuf();
                parse(text.str(), depth + 1);
            }
        }
        ::globfree(&found);
    }
};

} // namespace

std::vector<SwayBinding> swayBindings(const std::string& config, const XkbKeymap& keymap,
                                      const std::string& ownMarker)
{
    Parser parser{keymap, ownMarker, {}, {}};
    parser.parse(config, 0);
    return parser.bindings;
}

std::optional<std::string> swayModifiersForCarbon(std::uint32_t carbonModifiers)
{
    if (carbonModifiers & CarbonModifier::function)
        return std::nullopt;
    std::string names;
    if (carbonModifiers & CarbonModifier::command)
        names += "Mod4+";
    if (carbonModifiers & CarbonModifier::control)
        names += "Ctrl+";
    if (carbonModifiers & CarbonModifier::option)
        names += "Mod1+";
    if (carbonModifiers & CarbonModifier::shift)
        names += "Shift+";
    return names;
}

} // namespace ondrel::platform::wayland
