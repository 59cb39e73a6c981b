#include "Command.h"
#include "RulesInput.h"

#include <ostream>

namespace ondrel::ctl {

namespace {

int runCheck(Arguments args, Io io)
{
    const auto loaded = loadFileOperand(checkCommand(), args, io);
    if (auto* status = std::get_if<int>(&loaded))
        return *status;
    const auto count = std::get<rules::RuleStorage>(loaded).rules.size();
    io.out << count << (count == 1 ? " rule\n" : " rules\n");
    return exitOk;
}

} // namespace

const Command& checkCommand()
{
    static const Command command{
        "check", "check [FILE]", "Tell whether Ondrel accepts a rules file",
        "Usage: ondrelctl check [FILE]\n"
        "\n"
        "Reads FILE with Ondrel's own reader and prints \"<N> rules\" (\"1 rule\") when it is "
        "accepted.\n"
        "When it is rejected, or missing, prints the reason on standard error.\n"
        "FILE defaults to $XDG_DATA_HOME/Ondrel/rules.json (~/.local/share/Ondrel/rules.json).\n"
        "\n"
        "Exit status: 0 accepted, 2 rejected or unreadable, 64 usage error.\n",
        runCheck};
    return command;
}

} // namespace ondrel::ctl
