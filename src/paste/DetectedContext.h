#pragma once

#include <optional>
#include <string>

namespace ondrel::paste {

// Where a paste is going: the frontmost application and, for a browser, its current tab's URL.
struct DetectedContext
{
    /// The frontmost application's ID exactly as the platform reports it; "unknown" for none.
    std::string bundleID = "unknown";
    /// The current tab's URL exactly as the browser reported it; none when not available in time.
    std::optional<std::string> url;

    bool operator==(const DetectedContext&) const = default;
};

} // namespace ondrel::paste
