// The pages over the Win32 backend, created in the hidden host window over an image of the
// test's making, as the main dialog creates them over the current image. Skips where no
// window can be made.
#pragma once

#include "WindowsUi.h"
#include "device/ConfigImage.h"
#include "resources/Resources.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

class Win32PageFixture : public ::testing::Test {
protected:
    // Every byte of the image starts as fill.
    explicit Win32PageFixture(BYTE fill) : m_fill(fill) {}

    void SetUp() override {
        if (!WindowsUi::Available())
            GTEST_SKIP() << WindowsUi::Unavailable();
        RegisterResources();
        image = std::make_unique<ConfigImage>();
        std::memset(image->Bytes(), m_fill, kImageBufferSize);
        g_pConfigImage = image.get();
        host.Bind();
        SetUpMore();
    }
    // What a fixture sets up besides, once the image and the host are there.
    virtual void SetUpMore() {}
    void TearDown() override { g_pConfigImage = nullptr; }

    WindowsUi::HostWnd host;
    std::unique_ptr<ConfigImage> image;

private:
    BYTE m_fill;
};
