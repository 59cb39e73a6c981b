#include "Options.h"

#include <ostream>

namespace ondrel::ctl {

std::optional<std::string> ParsedOptions::value(std::string_view name) const
{
    const auto found = values.find(name);
    if (found == values.end())
        return std::nullopt;
    return found->second;
}

std::variant<ParsedOptions, OptionError>
parseOptions(Arguments args, std::span<const OptionSpec> specs, std::size_t maxOperands)
{
    ParsedOptions parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
            if (parsed.operands.size() == maxOperands)
                return OptionError{"unexpected argument '" + std::string(arg) + "'"};
            parsed.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = arg.substr(0, equals);
        const OptionSpec* spec = nullptr;
        for (const OptionSpec& candidate : specs) {
            if (name.size() > 2 && name.substr(2) == candidate.name && name.starts_with("--"))
                spec = &candidate;
        }
        if (!spec)
            return OptionError{"unknown option '" + std::string(name) + "'"};
        if (parsed.values.contains(spec->name))
            return OptionError{"option '" + std::string(name) + "' given more than once"};
        std::string value;
        if (!spec->takesValue) {
            if (equals != std::string_view::npos)
                return OptionError{"option '" + std::string(name) + "' takes no value"};
        } else if (equals != std::string_view::npos) {
            value = std::string(arg.substr(equals + 1));
        } else if (i + 1 < args.size()) {
            value = std::string(args[++i]);
        } else {
            return OptionError{"option '" + std::string(name) + "' needs a value"};
        }
        parsed.values.emplace(std::string(spec->name), std::move(value));
    }
    return parsed;
}

std::variant<ParsedOptions, int> parseCommandLine(const Command& command, Arguments args,
                                                  std::span<const OptionSpec> specs,
                                                  std::size_t maxOperands, Io io)
{
    auto parsed = parseOptions(args, specs, maxOperands);
    if (auto* error = std::get_if<OptionError>(&parsed))
        return usageError(io, command.name, error->message);
    auto& options = std::get<ParsedOptions>(parsed);
    if (options.help) {
        io.out << command.help;
        return exitOk;
    }
    return std::move(options);
}

} // namespace ondrel::ctl
