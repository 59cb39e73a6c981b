#include "Command.h"
#include "Options.h"
#include "RulesInput.h"

#include "rules/RuleMatching.h"

#include <array>
#include <ostream>

namespace ondrel::ctl {

namespace {

int runMatch(Arguments args, Io io)
{
    static constexpr std::array<OptionSpec, 3> specs = {
        OptionSpec{"rules", true}, OptionSpec{"app", true}, OptionSpec{"url", true}};
    auto parsed = parseCommandLine(matchCommand(), args, specs, 0, io);
    if (auto* status = std::get_if<int>(&parsed))
        return *status;
    const auto& options = std::get<ParsedOptions>(parsed);

    const auto app = options.value("app");
    if (!app)
        return usageError(io, matchCommand().name, "option '--app' is required");
    const auto file = options.value("rules");
    const auto storage =
        loadRules(file ? std::optional<std::string_view>(*file) : std::nullopt, io);
    if (!storage)
        return exitRejected;

    const auto rule = rules::findMatchingRule(storage->rules, *app, options.value("url"));
    if (!rule)
        return exitNoMatch;
    io.out << rule->id.toString() << '\t' << rule->name << '\n';
    return exitOk;
}

} // namespace

const Command& matchCommand()
{
    static const Command command{
        "match", "match [--rules FILE] --app ID [--url URL]",
        "Print the rule Ondrel would paste in a context",
        "Usage: ondrelctl match [--rules FILE] --app ID [--url URL]\n"
        "\n"
        "Picks the rule Ondrel would use when the application ID is frontmost and, for a\n"
        "browser, URL is its current tab, and prints the rule's id, a tab and its name.\n"
        "\n"
        "Options:\n"
        "  --rules FILE  the rules file (default: $XDG_DATA_HOME/Ondrel/rules.json,\n"
        "                ~/.local/share/Ondrel/rules.json)\n"
        "  --app ID      the application ID, e.g. firefox-esr (\"unknown\" when there is none)\n"
        "  --url URL     the browser's URL; without it, rules with a URL pattern never match\n"
        "\n"
        "Exit status: 0 a rule matched, 1 no rule matched, 2 the rules file was rejected\n"
        "or unreadable, 64 usage error.\n",
        runMatch};
    return command;
}

} // namespace ondrel::ctl
