#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace ondrel::rules::FileAccess {

// The outcome of reading a whole file: bytes, "no such file", or a one-line error.
struct ReadResult
{
    std::optional<std::string> bytes;
    bool missing = false;
    std::string error;
};

/// Creates folder and its missing parents with mode; returns an error, or none on success.
std::optional<std::string> createFolders(const std::filesystem::path& folder, mode_t mode);
/// Reads a regular file of at most maxSize bytes without reading more than that.
ReadResult readFile(const std::filesystem::path& file, std::size_t maxSize);
/// Replaces file with bytes at once (temporary file, fsync, rename); returns an error or none.
std::optional<std::string> writeAtomically(const std::filesystem::path& file,
                                           std::string_view bytes, mode_t mode);
// The outcome of keeping a copy: where it went, or a one-line error.
struct KeepResult
{
    std::optional<std::filesystem::path> keptAs;
    std::string error;
};

/// Keeps file's content as copyName (else copyName-2, -3, ...; never replacing a file), by a hard
/// link or else a copy. A missing file leaves nothing to keep and is no error.
KeepResult keepCopy(const std::filesystem::path& file, const std::filesystem::path& copyName);

} // namespace ondrel::rules::FileAccess
