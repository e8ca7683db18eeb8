// Numbers stored least significant byte first, as the device's configuration block and the
// socket frames hold them: the one reading and writing of such numbers in the tree.
#pragma once

#include <cstddef>
#include <cstdint>

namespace littleendian {

// The unsigned number in the first width bytes at p (at most 4).
inline uint32_t Get(const uint8_t* p, size_t width) {
    uint32_t value = 0;
    for (size_t i = width < 4 ? width : 4; i-- > 0;)
        value = (value << 8) | p[i];
    return value;
}

// Stores value in the first width bytes at p (at most 4); what does not fit is dropped.
inline void Put(uint8_t* p, size_t width, uint32_t value) {
    for (size_t i = 0; i < width && i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t GetU32(const uint8_t* p) {
    return Get(p, 4);
}
inline void PutU32(uint8_t* p, uint32_t value) {
    Put(p, 4, value);
}

} // namespace littleendian
