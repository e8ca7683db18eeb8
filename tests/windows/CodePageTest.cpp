// The controls' code page, checked against the system's own conversion of code page 1252.
#include "platform/AnsiText.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(CodePage, EveryByteConvertsAsTheSystemConvertsIt) {
    for (int b = 0; b < 256; ++b) {
        char byte = static_cast<char>(b);
        wchar_t wide = 0;
        ASSERT_EQ(MultiByteToWideChar(1252, 0, &byte, 1, &wide, 1), 1) << b;
        EXPECT_EQ(static_cast<unsigned>(ansi::ToWide(static_cast<unsigned char>(b))),
                  static_cast<unsigned>(wide))
            << b;
    }
}

TEST(CodePage, ACharacterHasAByteExactlyWhenTheSystemHasOne) {
    for (unsigned ch = 1; ch < 0x10000; ++ch) {
        if (ch >= 0xD800 && ch < 0xE000)
            continue; // halves of surrogate pairs: never a character of their own
        wchar_t wide = static_cast<wchar_t>(ch);
        char byte = 0;
        BOOL usedDefault = FALSE;
        int n = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, &wide, 1, &byte, 1, nullptr,
                                    &usedDefault);
        bool system = n == 1 && !usedDefault;
        unsigned char ours = 0;
        ASSERT_EQ(ansi::ToByte(static_cast<char16_t>(ch), &ours), system) << std::hex << ch;
        if (system) {
            ASSERT_EQ(ours, static_cast<unsigned char>(byte)) << std::hex << ch;
        }
    }
}

} // namespace
