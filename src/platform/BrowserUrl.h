#pragma once

#include "Service.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ondrel::platform {

// Reads the current tab's URL from a running browser (AT-SPI on Linux).
class BrowserUrl : public Service
{
public:
    /// Blocking; called on a worker thread. The URL exactly as the browser reports it, or none.
    virtual std::optional<std::string> currentURL(std::int64_t processIdentifier,
                                                  const std::string& bundleIdentifier) = 0;
};

} // namespace ondrel::platform
