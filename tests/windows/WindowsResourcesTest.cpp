// The resources linked into every Windows program, read back through the system: icon 128 at
// each of its sizes and bitmap 135, pixel for pixel the artwork that ap-artwork draws; the
// version resource; the manifest that selects version 6 of the common controls.
#include "resources/Resources.h"

#include <windows.h>

#include <commctrl.h>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// The artwork in the resources was drawn by ap-artwork on the build machine; this program
// draws it again with the Windows runtime's floating point and sine, which may round a
// channel the other way.
::testing::AssertionResult CloseTo(const uint8_t* resource, const uint8_t* drawn, size_t size) {
    for (size_t i = 0; i < size; ++i)
        if (std::abs(resource[i] - drawn[i]) > 1)
            return ::testing::AssertionFailure()
                   << "byte " << i << ": " << int(resource[i]) << " in the resource, "
                   << int(drawn[i]) << " drawn here";
    return ::testing::AssertionSuccess();
}

// The top-down BGRA pixels of a bitmap, as the system hands them out.
std::vector<uint8_t> PixelsOf(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> pixels(static_cast<size_t>(width * height * 4));
    HDC dc = GetDC(nullptr);
    int rows =
        GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(rows, height);
    return pixels;
}

TEST(WindowsResources, TheIconHoldsEverySizeWithItsAlpha) {
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128),
                                                   IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        ASSERT_NE(GetObjectA(info.hbmColor, sizeof colour, &colour), 0);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        EXPECT_EQ(colour.bmBitsPixel, 32);
        std::vector<uint8_t> shown = PixelsOf(info.hbmColor, size, size);
        std::vector<uint8_t> drawn = AppIconPixels(size);
        ASSERT_EQ(shown.size(), drawn.size());
        // Transparent corners, an opaque middle, and every pixel as drawn.
        EXPECT_EQ(shown[3], 0);
        EXPECT_EQ(shown[static_cast<size_t>((size / 2 * size + size / 2) * 4 + 3)], 255);
        EXPECT_TRUE(CloseTo(shown.data(), drawn.data(), drawn.size()));
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(WindowsResources, TheLogoIsTheDrawnBitmap) {
    HBITMAP logo = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(135),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(logo, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(logo, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 302);
    EXPECT_EQ(dib.dsBm.bmHeight, 79);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
    DeleteObject(logo);
    // The resource holds the .bmp file without its 14-byte file header.
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(135), MAKEINTRESOURCEA(2)); // RT_BITMAP
    ASSERT_NE(found, nullptr);
    const uint8_t* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_NE(data, nullptr);
    std::vector<uint8_t> file = LogoBitmapFile();
    ASSERT_EQ(SizeofResource(nullptr, found), file.size() - 14);
    EXPECT_TRUE(CloseTo(data, file.data() + 14, file.size() - 14));
}

TEST(WindowsResources, TheVersionIsTheProducts) {
    char path[MAX_PATH];
    ASSERT_NE(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_NE(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00020000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00020000u);
    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904E4\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "1.0.2.0");
}

TEST(WindowsResources, TheManifestSelectsCommonControlsSix) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
    HMODULE comctl = GetModuleHandleA("comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    // The side-by-side assembly that the manifest names, not the system folder's copy.
    char path[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameA(comctl, path, MAX_PATH), 0u);
    CharLowerA(path);
    EXPECT_NE(std::strstr(path, "\\winsxs\\"), nullptr) << path;
    EXPECT_NE(std::strstr(path, "microsoft.windows.common-controls_6595b64144ccf1df_6."), nullptr)
        << path;
}

} // namespace
