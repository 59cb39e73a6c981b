#include "Command.h"
#include "RulesInput.h"

#include "rules/RulesFile.h"

#include <ostream>

namespace ondrel::ctl {

namespace {

int runNormalize(Arguments args, Io io)
{
    const auto loaded = loadFileOperand(normalizeCommand(), args, io);
    if (auto* status = std::get_if<int>(&loaded))
        return *status;
    const std::string bytes = rules::RulesFile::encode(std::get<rules::RuleStorage>(loaded).rules);
    io.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return exitOk;
}

} // namespace

const Command& normalizeCommand()
{
    static const Command command{
        "normalize", "normalize [FILE]", "Print a rules file exactly as Ondrel would write it",
        "Usage: ondrelctl normalize [FILE]\n"
        "\n"
        "Reads FILE with Ondrel's own reader and prints, on standard output, exactly the\n"
        "bytes Ondrel writes for those rules at its next save (sorted keys, version 1,\n"
        "unknown keys dropped). When FILE is rejected, prints the reason on standard error.\n"
        "FILE defaults to $XDG_DATA_HOME/Ondrel/rules.json (~/.local/share/Ondrel/rules.json).\n"
        "\n"
        "Exit status: 0 printed, 2 rejected or unreadable, 64 usage error.\n",
        runNormalize};
    return command;
}

} // namespace ondrel::ctl
