#pragma once
// SHA-256 (FIPS 180-4), in plain C++: the same on every Windows the program runs on, XP without
// service packs included, whose CryptoAPI has no SHA-256.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace core {

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256 {
public:
    Sha256();
    void Update(const void* data, size_t size);
    // The digest of everything given so far; the object is then spent (start a new one).
    Sha256Digest Final();

private:
    void Compress(const uint8_t* block);

    std::array<uint32_t, 8> m_state;
    std::array<uint8_t, 64> m_block;
    size_t m_blockUsed = 0;
    uint64_t m_totalBytes = 0;
};

Sha256Digest Sha256Of(const void* data, size_t size);
// Lower-case hexadecimal, as sha256sum prints it.
std::string DigestToHex(const Sha256Digest& digest);

}  // namespace core
