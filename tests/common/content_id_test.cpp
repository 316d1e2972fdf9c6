#include "common/content_id.h"

#include "common/errors.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::common {
namespace {

std::string sha1Hex(std::string_view bytes, size_t piece = 1000) {
    Sha1 sha;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        sha.add(bytes.substr(at, piece));
    }
    auto digest = sha.finish();
    return hexOf(digest.data(), digest.size());
}

TEST(ContentId, Sha1OfKnownTexts) {
    EXPECT_EQ(sha1Hex(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    // 56 bytes: the length no longer fits the first block
    EXPECT_EQ(sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    // a million bytes fed in pieces that cut across the blocks
    EXPECT_EQ(sha1Hex(std::string(1000000, 'a'), 999), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(ContentId, UuidOfBytesIsNameBasedAndStable) {
    const std::string a = contentUuid("PCB FILE 4\r\nENDPCB\r\n");
    ASSERT_EQ(a.size(), 36u);
    for (size_t dash : {8u, 13u, 18u, 23u}) {
        EXPECT_EQ(a[dash], '-');
    }
    EXPECT_EQ(a[14], '5');                                          // version 5
    EXPECT_NE(std::string("89ab").find(a[19]), std::string::npos);  // RFC 4122 variant
    EXPECT_EQ(contentUuid("PCB FILE 4\r\nENDPCB\r\n"), a);
    EXPECT_NE(contentUuid("PCB FILE 4\r\nENDPCB\r\n "), a);
}

TEST(ContentId, ProjectUuidIsVersion4AndFollowsTheName) {
    const std::string a = projectUuid("demo");
    ASSERT_EQ(a.size(), 36u);
    EXPECT_EQ(a[14], '4');                                          // version 4
    EXPECT_NE(std::string("89ab").find(a[19]), std::string::npos);  // RFC 4122 variant
    EXPECT_EQ(projectUuid("DEMO"), a);  // one file name on a DOS disk
    EXPECT_NE(projectUuid("demo2"), a);
    EXPECT_NE(contentUuid("demo"), a);
}

}  // namespace
}  // namespace padloom::common
