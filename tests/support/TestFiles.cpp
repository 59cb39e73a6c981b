#include "TestFiles.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace ondrel::test {

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, std::string_view content)
{
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

unsigned permissions(const std::filesystem::path& path)
{
    return static_cast<unsigned>(std::filesystem::status(path).permissions() &
                                 std::filesystem::perms::mask);
}

std::vector<std::byte> bytes(std::string_view text)
{
    const auto* data = reinterpret_cast<const std::byte*>(text.data());
    return {data, data + text.size()};
}

} // namespace ondrel::test
