#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

namespace ondrel::ctl {

// Exit statuses shared by every command; 64 and 74 are EX_USAGE and EX_IOERR of sysexits.h.
enum ExitStatus : int
{
    exitOk = 0,
    exitNoMatch = 1,
    exitRejected = 2,
    exitUsage = 64,
    exitOutputFailed = 74,
};

// Where a command writes: its results to out, its complaints to err.
struct Io
{
    std::ostream& out;
    std::ostream& err;
};

using Arguments = std::span<const std::string_view>;

// One subcommand. Adding one means a new file that defines it and one line in Commands.cpp.
struct Command
{
    std::string_view name;
    /// The arguments as "ondrelctl --help" shows them, e.g. "check [FILE]".
    std::string_view synopsis;
    /// One line for the overview.
    std::string_view summary;
    /// The full text of "ondrelctl NAME --help".
    std::string_view help;
    /// Runs with the arguments after the command's name; returns the exit status.
    int (*run)(Arguments args, Io io);
};

const Command& checkCommand();
const Command& normalizeCommand();
const Command& matchCommand();

/// Every subcommand, in the order the overview lists them.
std::span<const Command* const> commands();
/// Runs the command line (without the program name); returns the exit status.
int dispatch(Arguments args, Io io);
/// Prints "ondrelctl: message" and where to find help on err; returns exitUsage.
int usageError(Io io, std::string_view command, std::string_view message);

} // namespace ondrel::ctl
