#include "RulesInput.h"

#include "Options.h"

#include "rules/FileAccess.h"
#include "rules/JsonText.h"
#include "rules/RuleStore.h"
#include "rules/RulesFile.h"

#include <filesystem>
#include <ostream>
#include <variant>

namespace ondrel::ctl {

std::optional<rules::RuleStorage> loadRules(std::optional<std::string_view> file, Io io)
{
    const std::filesystem::path path =
        file ? std::filesystem::path(*file) : rules::RuleStore::defaultStoragePath();
    const auto reject = [&](std::string_view reason) {
        io.err << "ondrelctl: " << rules::singleLine(reason) << '\n';
        return std::nullopt;
    };

    const auto read = rules::FileAccess::readFile(path, rules::RulesFile::maxFileSize);
    if (read.missing)
        return reject(path.string() + ": no such file");
    if (!read.bytes)
        return reject(read.error);
    auto decoded = rules::RulesFile::decode(*read.bytes);
    if (auto* error = std::get_if<rules::RulesFileError>(&decoded))
        return reject(path.string() + ": " + error->description);
    return std::get<rules::RuleStorage>(std::move(decoded));
}

std::variant<rules::RuleStorage, int> loadFileOperand(const Command& command, Arguments args, Io io)
{
    auto parsed = parseCommandLine(command, args, {}, 1, io);
    if (auto* status = std::get_if<int>(&parsed))
        return *status;
    const auto& operands = std::get<ParsedOptions>(parsed).operands;
    auto storage = loadRules(operands.empty() ? std::nullopt : std::optional(operands.front()), io);
    if (!storage)
        return exitRejected;
    return std::move(*storage);
}

} // namespace ondrel::ctl
