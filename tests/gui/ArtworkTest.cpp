// ap-artwork's icon files for the desktop's icon theme, read back by Qt's own PNG reader.
#include "TempFolder.h"
#include "resources/Resources.h"

#include <QImage>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace {

int RunArtwork(const std::string& arguments) {
    return WEXITSTATUS(std::system((std::string(AP_ARTWORK_PATH) + " " + arguments).c_str()));
}

TEST(ArtworkTest, EveryThemeSizeIsTheIconDrawingAsAnRgbaPng) {
    TempWorkingFolder dir;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        ASSERT_EQ(RunArtwork("--png " + std::to_string(size) + " icon.png"), 0);
        QImage png("icon.png");
        ASSERT_EQ(png.size(), QSize(size, size));
        ASSERT_TRUE(png.hasAlphaChannel());
        // The drawing's pixels are blue, green, red, alpha, top row first.
        const std::vector<uint8_t> drawn = AppIconPixels(size);
        int differing = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const uint8_t* p = &drawn[static_cast<size_t>((y * size + x) * 4)];
                differing += png.pixel(x, y) != qRgba(p[2], p[1], p[0], p[3]);
            }
        EXPECT_EQ(differing, 0);
    }
}

TEST(ArtworkTest, SizesOutsideOneTo1024AreRefusedWithoutAFile) {
    TempWorkingFolder dir;
    for (const char* size : {"0", "1025", "big", "-16"}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(RunArtwork(std::string("--png ") + size + " icon.png 2>/dev/null"), 2);
        EXPECT_TRUE(QImage("icon.png").isNull());
    }
    EXPECT_EQ(RunArtwork("--png 1 icon.png"), 0);
    EXPECT_EQ(QImage("icon.png").size(), QSize(1, 1));
}

} // namespace
