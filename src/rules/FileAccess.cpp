#include "FileAccess.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace ondrel::rules::FileAccess {

namespace {

// Owns one file descriptor.
class UniqueFd
{
public:
    explicit UniqueFd(int fd = -1) : m_fd(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    /// Closes now and reports close's own failure (a late write error on some filesystems).
    bool close() { return ::close(std::exchange(m_fd, -1)) == 0; }

private:
    int m_fd;
};

std::string failure(std::string_view what, const std::filesystem::path& path, int error)
{
    return std::string(what) + ' ' + path.string() + ": " + std::strerror(error);
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Reads up to limit bytes; false on a read error (errno set).
bool readUpTo(int fd, std::size_t limit, std::string& out)
{
    char buffer[64 * 1024];
    while (out.size() < limit) {
        const ssize_t count = ::read(fd, buffer, std::min(sizeof buffer, limit - out.size()));
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (count == 0)
            break;
        out.append(buffer, static_cast<std::size_t>(count));
    }
    return true;
}

// Renames file to target unless target exists; returns 0 or the errno value.
int renameExclusive(const std::filesystem::path& file, const std::filesystem::path& target)
{
    if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the exclusive rename: check first, then rename.
    struct stat status
    {};
    if (::lstat(target.c_str(), &status) == 0)
        return EEXIST;
    return ::rename(file.c_str(), target.c_str()) == 0 ? 0 : errno;
}

} // namespace

std::optional<std::string> createFolders(const std::filesystem::path& folder, mode_t mode)
{
    std::filesystem::path partial;
    for (const auto& part : folder) {
        partial /= part;
        if (part == partial.root_path() || part.empty())
            continue;
        if (::mkdir(partial.c_str(), mode) != 0 && errno != EEXIST)
            return failure("could not create", partial, errno);
    }
    struct stat status
    {};
    if (::stat(folder.c_str(), &status) != 0)
        return failure("could not create", folder, errno);
    if (!S_ISDIR(status.st_mode))
        return folder.string() + " is not a folder";
    return std::nullopt;
}

ReadResult readFile(const std::filesystem::path& file, std::size_t maxSize)
{
    ReadResult result;
    // Non-blocking, so that a FIFO in the file's place cannot hang the caller.
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid()) {
        // A parent that is a file means there is no such file, as much as a missing one.
        if (errno == ENOENT || errno == ENOTDIR)
            result.missing = true;
        else
            result.error = failure("could not open", file, errno);
        return result;
    }
    struct stat status
    {};
    if (::fstat(fd.get(), &status) != 0) {
        result.error = failure("could not read", file, errno);
        return result;
    }
    if (!S_ISREG(status.st_mode)) {
        result.error = file.string() + " is not a regular file";
        return result;
    }
    const auto tooLarge = [&](unsigned long long size) {
        result.error = file.string() + " is larger than " + std::to_string(maxSize >> 20) +
                       " MiB (" + std::to_string(size) + " bytes)";
        return result;
    };
    if (static_cast<unsigned long long>(status.st_size) > maxSize)
        return tooLarge(static_cast<unsigned long long>(status.st_size));
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    // One byte past the limit tells a file that grew since fstat.
    if (!readUpTo(fd.get(), maxSize + 1, bytes)) {
        result.error = failure("could not read", file, errno);
        return result;
    }
    if (bytes.size() > maxSize)
        return tooLarge(bytes.size());
    result.bytes = std::move(bytes);
    return result;
}

std::optional<std::string> writeAtomically(const std::filesystem::path& file,
                                           std::string_view bytes, mode_t mode)
{
    // Write through a symbolic link, so a linked rules file stays linked.
    const std::filesystem::path target = followLinks(file);
    const auto folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string name = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> temporaryName(name.begin(), name.end());
    temporaryName.push_back('\0');

    UniqueFd fd(::mkostemp(temporaryName.data(), O_CLOEXEC));
    if (!fd.valid())
        return failure("could not create a temporary file in", folder, errno);
    const std::filesystem::path temporary(temporaryName.data());
    const auto abandon = [&](std::string_view what, int error) {
        ::unlink(temporary.c_str());
        return failure(what, temporary, error);
    };
    if (::fchmod(fd.get(), mode) != 0)
        return abandon("could not set the mode of", errno);
    if (!writeAll(fd.get(), bytes))
        return abandon("could not write", errno);
    if (::fsync(fd.get()) != 0)
        return abandon("could not flush", errno);
    if (!fd.close())
        return abandon("could not close", errno);
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return failure("could not replace", target, error);
    }
    // Make the rename itself durable; some filesystems refuse fsync on folders, and the
    // new content is in place either way.
    if (UniqueFd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        folderFd.valid())
        ::fsync(folderFd.get());
    return std::nullopt;
}

std::filesystem::path followLinks(std::filesystem::path path)
{
    std::error_code error;
    // The same bound on hops as the kernel's, so a loop of links ends.
    for (int hop = 0; hop < 40 && std::filesystem::is_symlink(path, error); ++hop) {
        std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error)
            break;
        path = target.is_absolute() ? std::move(target) : path.parent_path() / target;
    }
    return path;
}

KeepResult setAside(const std::filesystem::path& path, std::string_view suffix)
{
    KeepResult result;
    // Beside the real file, so a rename never crosses file systems.
    const std::filesystem::path file = followLinks(path);
    struct stat status
    {};
    if (::lstat(file.c_str(), &status) != 0) {
        if (errno != ENOENT)
            result.error = failure("could not inspect", file, errno);
        return result;
    }
    constexpr int maxAttempts = 100;
    for (int attempt = 1; attempt <= maxAttempts; ++attempt) {
        std::filesystem::path candidate = file;
        candidate += suffix;
        if (attempt > 1)
            candidate += "-" + std::to_string(attempt);
        // A hard link leaves the file in place until the new content replaces it; a
        // rename works where links do not (some file systems, folders).
        int code = ::link(file.c_str(), candidate.c_str()) == 0 ? 0 : errno;
        if (code != 0 && code != EEXIST)
            code = renameExclusive(file, candidate);
        if (code == EEXIST)
            continue;
        if (code != 0) {
            result.error = failure("could not set aside", file, code);
            return result;
        }
        result.keptAs = std::move(candidate);
        return result;
    }
    result.error = "could not keep " + file.string() + ": " + std::to_string(maxAttempts) +
                   " copies exist already";
    return result;
}

} // namespace ondrel::rules::FileAccess
