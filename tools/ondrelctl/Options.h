#pragma once

#include "Command.h"

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ondrel::ctl {

// An option a command accepts: "--name VALUE" (or "--name=VALUE") when it takes a value.
struct OptionSpec
{
    std::string_view name;
    bool takesValue;
};

// A command's arguments, sorted into options and operands.
struct ParsedOptions
{
    bool help = false;
    std::map<std::string, std::string, std::less<>> values;
    std::vector<std::string_view> operands;

    std::optional<std::string> value(std::string_view name) const;
};

// What was wrong with the command line, as one sentence.
struct OptionError
{
    std::string message;
};

/// Sorts args by specs. "--help"/"-h" anywhere before "--" asks for help; "--" ends the
/// options; a lone "-" is an operand; an unknown or repeated option, or a missing value, is
/// an error. At most maxOperands operands are accepted.
std::variant<ParsedOptions, OptionError>
parseOptions(Arguments args, std::span<const OptionSpec> specs, std::size_t maxOperands);

/// Parses args for command; on --help prints its help, on an error the usage error.
/// Returns the options, or the exit status to end with.
std::variant<ParsedOptions, int> parseCommandLine(const Command& command, Arguments args,
                                                  std::span<const OptionSpec> specs,
                                                  std::size_t maxOperands, Io io);

} // namespace ondrel::ctl
