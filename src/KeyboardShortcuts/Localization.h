#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ondrel::shortcuts {

/// The component's text for key; a key without a text shows the key itself.
std::string localized(std::string_view key);

/// The text for key with %1, %2, ... replaced by the arguments in order.
std::string localizedFormat(std::string_view key, const std::vector<std::string>& arguments);

} // namespace ondrel::shortcuts
