#include "common/content_id.h"

#include <bit>
#include <cstring>

namespace padloom::common {

namespace {

// The UUIDs of boards are named in a namespace of their own, so that they never equal the
// UUID another program derives from the same bytes for another purpose.
constexpr std::uint8_t kBoardNamespace[16] = {0x5b, 0x0e, 0x7a, 0x21, 0x3c, 0x94, 0x4f, 0x6d,
                                              0x8a, 0x15, 0xd2, 0x60, 0x4e, 0xb3, 0x97, 0x0c};

std::uint32_t bigEndianWord(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
}

// Projects are named in a namespace of their own, apart from the boards' bytes.
constexpr std::uint8_t kProjectNamespace[16] = {0x2f, 0x83, 0x6b, 0xd0, 0x47, 0x1e, 0x4a, 0x92,
                                                0xb5, 0x0c, 0x61, 0xe8, 0x3d, 0x7a, 0x29, 0xf4};

// The UUID of a hash: its first 16 bytes with the version nibble and the RFC 4122 variant.
std::string uuidOf(Sha1& sha, int version) {
    std::array<std::uint8_t, 20> d = sha.finish();
    d[6] = static_cast<std::uint8_t>((d[6] & 0x0f) | (version << 4));
    d[8] = static_cast<std::uint8_t>((d[8] & 0x3f) | 0x80);  // the RFC 4122 variant
    const std::string hex = hexOf(d.data(), 16);
    return hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" +
           hex.substr(16, 4) + "-" + hex.substr(20, 12);
}

}  // namespace

Sha1::Sha1() : m_state{0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0} {
}

void Sha1::block(const std::uint8_t* data) {
    std::uint32_t w[80];
    for (int i = 0; i < 16; ++i) {
        w[i] = bigEndianWord(data + 4 * i);
    }
    for (int i = 16; i < 80; ++i) {
        w[i] = std::rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    }
    auto [a, b, c, d, e] = m_state;
    for (int i = 0; i < 80; ++i) {
        std::uint32_t f;
        std::uint32_t k;
        if (i < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDC;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6;
        }
        const std::uint32_t t = std::rotl(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = std::rotl(b, 30);
        b = a;
        a = t;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
    m_state[4] += e;
}

void Sha1::add(std::string_view bytes) {
    m_length += bytes.size();
    auto p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    size_t left = bytes.size();
    if (m_pendingSize > 0) {
        const size_t take = std::min(left, m_pending.size() - m_pendingSize);
        std::memcpy(m_pending.data() + m_pendingSize, p, take);
        m_pendingSize += take;
        p += take;
        left -= take;
        if (m_pendingSize < m_pending.size()) {
            return;
        }
        block(m_pending.data());
        m_pendingSize = 0;
    }
    for (; left >= 64; p += 64, left -= 64) {
        block(p);
    }
    if (left > 0) {
        std::memcpy(m_pending.data(), p, left);
        m_pendingSize = left;
    }
}

std::array<std::uint8_t, 20> Sha1::finish() {
    const std::uint64_t bits = m_length * 8;
    const std::uint8_t one = 0x80;
    add(std::string_view(reinterpret_cast<const char*>(&one), 1));
    const std::uint8_t zero = 0;
    while (m_pendingSize != 56) {
        add(std::string_view(reinterpret_cast<const char*>(&zero), 1));
    }
    std::uint8_t length[8];
    for (int i = 0; i < 8; ++i) {
        length[i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
    }
    add(std::string_view(reinterpret_cast<const char*>(length), 8));
    std::array<std::uint8_t, 20> digest;
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 4; ++j) {
            digest[4 * i + j] = static_cast<std::uint8_t>(m_state[i] >> (24 - 8 * j));
        }
    }
    return digest;
}

std::string hexOf(const std::uint8_t* bytes, size_t size) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 15];
    }
    return text;
}

std::string contentUuid(std::string_view bytes) {
    Sha1 sha;
    sha.add(std::string_view(reinterpret_cast<const char*>(kBoardNamespace), 16));
    sha.add(bytes);
    return uuidOf(sha, 5);  // version 5: name-based, SHA-1
}

std::string projectUuid(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    Sha1 sha;
    sha.add(std::string_view(reinterpret_cast<const char*>(kProjectNamespace), 16));
    sha.add(folded);
    return uuidOf(sha, 4);
}

}  // namespace padloom::common
