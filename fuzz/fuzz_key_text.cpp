// Key texts: parsing any text fills at most the bytes asked for, and scrambling a
// hexadecimal text round-trips to the same length.
#include "device/KeyStoreFile.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    unsigned char bytes[14];
    bytes[13] = 0x5C;
    int n = ParseKeyText(UnscrambleKeyText(text), bytes, 13);
    if (n < 0 || n > 13 || bytes[13] != 0x5C)
        __builtin_trap();
    if (ParseKeyText(text, bytes, 13) > 13)
        __builtin_trap();

    static const char hex[] = "0123456789abcdef";
    std::string key;
    for (size_t i = 0; i < size && i < 26; ++i)
        key += hex[data[i] & 15];
    std::string scrambled = ScrambleKeyText(key);
    if (scrambled.size() != key.size() || UnscrambleKeyText(scrambled) != key)
        __builtin_trap();
    for (char c : scrambled)
        if (c == '\0' || c == '\r' || c == '\n' || c == ' ' || c == '"' || c == '\'')
            __builtin_trap();
    return 0;
}
