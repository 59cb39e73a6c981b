#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::test {

/// The whole content of a file; throws if it cannot be read.
std::string readFile(const std::filesystem::path& path);
/// Creates or replaces a file with content (parent folders created); throws on failure.
void writeFile(const std::filesystem::path& path, std::string_view content);
/// The permission bits of a file or folder (e.g. 0600).
unsigned permissions(const std::filesystem::path& path);
/// The bytes of a text, as clipboard data.
std::vector<std::byte> bytes(std::string_view text);

} // namespace ondrel::test
