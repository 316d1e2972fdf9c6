#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace padloom::common {

/// The SHA-1 digest of a stream of bytes, fed in pieces.
class Sha1 {
public:
    Sha1();
    void add(std::string_view bytes);
    /// The digest of everything added; the object is spent afterwards.
    std::array<std::uint8_t, 20> finish();

private:
    void block(const std::uint8_t* data);

    std::array<std::uint32_t, 5> m_state;
    std::array<std::uint8_t, 64> m_pending{};
    size_t m_pendingSize = 0;
    std::uint64_t m_length = 0;
};

/// Lower-case hex of bytes.
std::string hexOf(const std::uint8_t* bytes, size_t size);

/// A name-based (version 5) UUID of some bytes: the same bytes always give the same UUID,
/// "xxxxxxxx-xxxx-5xxx-yxxx-xxxxxxxxxxxx" in lower-case hex.
std::string contentUuid(std::string_view bytes);

/// The UUID of a project, from its name: version 4 (the form of a random UUID) as Gerber
/// project identifiers must be, but made from a hash of the name, so that the same project
/// always gets the same UUID. Names that differ only in letter case (one file name on a DOS
/// disk) give the same UUID.
std::string projectUuid(std::string_view name);

}  // namespace padloom::common
