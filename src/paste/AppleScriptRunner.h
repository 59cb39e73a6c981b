#pragma once

#include "platform/Service.h"

#include <optional>
#include <string>

namespace ondrel::paste {

// Sends Apple Events scripts to other applications. Only macOS has them: elsewhere the
// context detector is given no runner and the browsers that need a script give no URL.
class AppleScriptRunner : public platform::Service
{
public:
    /// Blocking; called on a worker. Compiles and runs source; its text result, or none when the
    /// script could not be created, reported an error or returned no text.
    virtual std::optional<std::string> run(const std::string& source) = 0;
};

} // namespace ondrel::paste
