#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// SHA-256 (FIPS 180-4) of the backup files' configuration block. Small and self-contained
// so that the Windows build needs no crypto library.
class Sha256 {
public:
    Sha256();
    void Update(const uint8_t* data, size_t size);
    std::array<uint8_t, 32> Final();

    // The digest of data as 64 lower-case hexadecimal digits.
    static std::string Hex(const uint8_t* data, size_t size);

private:
    void Block(const uint8_t* block);

    std::array<uint32_t, 8> m_state;
    std::array<uint8_t, 64> m_buffer{};
    size_t m_buffered = 0;
    uint64_t m_length = 0; // bytes hashed so far
};
