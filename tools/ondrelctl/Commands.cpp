#include "Command.h"
#include "ContextCommand.h"

#include <array>
#include <iomanip>
#include <ostream>
#include <string>

namespace ondrel::ctl {

namespace {

void printOverview(std::ostream& out)
{
    out << "Usage: ondrelctl COMMAND [OPTIONS]\n"
           "\n"
           "Command-line companion of Ondrel, the context-aware paste tray.\n"
           "\n"
           "Commands:\n";
    for (const Command* command : commands()) {
        out << "  " << std::left << std::setw(44) << command->synopsis << ' ' << command->summary
            << '\n';
    }
    out << "\n"
           "Run 'ondrelctl COMMAND --help' for the details of one command.\n";
}

} // namespace

std::span<const Command* const> commands()
{
    static const std::array all = {&checkCommand(), &normalizeCommand(), &matchCommand(),
                                   &contextCommand()};
    return all;
}

int usageError(Io io, std::string_view command, std::string_view message)
{
    io.err << "ondrelctl: " << message << '\n';
    if (command.empty())
        io.err << "Try 'ondrelctl --help'.\n";
    else
        io.err << "Try 'ondrelctl " << command << " --help'.\n";
    return exitUsage;
}

int dispatch(Arguments args, Io io)
{
    if (args.empty()) {
        printOverview(io.err);
        return exitUsage;
    }
    const std::string_view first = args.front();
    if (first == "--help" || first == "-h" || first == "help") {
        printOverview(io.out);
        return exitOk;
    }
    for (const Command* command : commands()) {
        if (command->name == first)
            return command->run(args.subspan(1), io);
    }
    if (first.starts_with('-'))
        return usageError(io, {}, "unknown option '" + std::string(first) + "'");
    return usageError(io, {}, "unknown command '" + std::string(first) + "'");
}

} // namespace ondrel::ctl
