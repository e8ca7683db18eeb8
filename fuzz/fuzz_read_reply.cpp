// A read reply of any length and content: unpacking stays inside the image buffer and puts
// every copied byte where the record layout says.
#include "device/ConfigImage.h"
#include "device/DeviceChannel.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kReadReplyLength)
        size = kReadReplyLength;
    static BYTE image[kImageBufferSize];
    std::memset(image, 0xA5, sizeof(image));
    UINT copied = UnpackReadReply(data, static_cast<UINT>(size), image);
    if (copied > kImageReadLength)
        __builtin_trap();
    for (UINT i = 0; i < copied; ++i)
        if (image[i] != data[8 * (1 + i / 7) + 1 + i % 7])
            __builtin_trap();
    for (UINT i = copied; i < kImageBufferSize; ++i)
        if (image[i] != 0xA5)
            __builtin_trap();
    return 0;
}
