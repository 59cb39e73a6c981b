#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ondrel::rules {

// A 128-bit UUID. Written as 36 upper-case hexadecimal characters with hyphens;
// read in either case.
class Uuid
{
public:
    Uuid() = default;
    explicit Uuid(const std::array<std::uint8_t, 16>& bytes) : m_bytes(bytes) {}

    /// A new random (version 4) UUID.
    static Uuid createRandom();
    /// Parses the 8-4-4-4-12 hexadecimal form, either case; none for anything else.
    static std::optional<Uuid> fromString(std::string_view text);
    /// The upper-case 8-4-4-4-12 form.
    std::string toString() const;

    const std::array<std::uint8_t, 16>& bytes() const { return m_bytes; }
    bool operator==(const Uuid&) const = default;
    auto operator<=>(const Uuid&) const = default;

private:
    std::array<std::uint8_t, 16> m_bytes{};
};

} // namespace ondrel::rules
