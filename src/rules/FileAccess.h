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
/// The file that path names once symbolic links are followed; it need not exist.
std::filesystem::path followLinks(std::filesystem::path path);

// The outcome of setting a file aside: where it went, or a one-line error.
struct KeepResult
{
    std::optional<std::filesystem::path> keptAs;
    std::string error;
};

/// Sets the file that path names aside as that file's name plus suffix (else suffix-2, -3, ...;
/// never replacing a file): by a hard link, else by a rename, which needs only the folder. A
/// missing file leaves nothing to keep and is no error.
KeepResult setAside(const std::filesystem::path& path, std::string_view suffix);

} // namespace ondrel::rules::FileAccess
