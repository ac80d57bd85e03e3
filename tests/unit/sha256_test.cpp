#include "sha256.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using namespace core;

namespace {

std::string HexOf(const std::string& text) { return DigestToHex(Sha256Of(text.data(), text.size())); }

std::vector<uint8_t> Pattern(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 31 + 7);
    return bytes;
}

TEST(Sha256Test, Fips180ExampleVectors) {
    EXPECT_EQ(HexOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(HexOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(HexOf(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(HexOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

// Every length around the block and padding boundaries (55, 56, 63, 64, 65 ...) and large ones,
// against Python's hashlib (data/sha256_reference.py, run by the build).
TEST(Sha256Test, AgreesWithHashlibOverManyLengths) {
    std::ifstream reference(SKYLARK_SHA256_REFERENCE);
    ASSERT_TRUE(reference) << SKYLARK_SHA256_REFERENCE;
    size_t length = 0;
    std::string expected;
    int lines = 0;
    while (reference >> length >> expected) {
        const std::vector<uint8_t> bytes = Pattern(length);
        EXPECT_EQ(DigestToHex(Sha256Of(bytes.data(), bytes.size())), expected) << "length " << length;
        ++lines;
    }
    EXPECT_GT(lines, 130);
}

// Fed in pieces of any size, the digest is the one of the whole.
TEST(Sha256Test, PiecesGiveTheDigestOfTheWhole) {
    const std::vector<uint8_t> bytes = Pattern(1000);
    const Sha256Digest whole = Sha256Of(bytes.data(), bytes.size());
    for (size_t piece : {1u, 3u, 55u, 63u, 64u, 65u, 999u}) {
        Sha256 hash;
        for (size_t at = 0; at < bytes.size(); at += piece)
            hash.Update(bytes.data() + at, std::min(piece, bytes.size() - at));
        EXPECT_EQ(hash.Final(), whole) << "pieces of " << piece;
    }
}

}  // namespace
