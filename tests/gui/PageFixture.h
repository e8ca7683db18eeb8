#pragma once

#include "GuiTest.h"
#include "device/ConfigImage.h"
#include "pages/PageDialog.h"
#include "qt/QtHost.h"

#include <QLabel>
#include <QTest>
#include <cstring>
#include <memory>
#include <optional>

// A page created in a host window over an image of the test's making, as the main dialog
// creates it over the current image.
class PageFixture : public ::testing::Test {
protected:
    void SetUp() override {
        image = std::make_unique<ConfigImage>();
        std::memset(image->Bytes(), 0xEE, kImageBufferSize);
        g_pConfigImage = image.get();
        host.emplace();
    }
    void TearDown() override {
        if (page && page->GetSafeHwnd())
            page->DestroyWindow();
        host.reset();
        g_pConfigImage = nullptr;
    }
    void Open(CPageDialog& p, UINT templateId) {
        page = &p;
        ASSERT_TRUE(p.Create(templateId, &host->wnd));
        ASSERT_TRUE(p.IsWindowVisible());
    }
    // The refresh "Default" asks for: the dialog-initialisation message, posted.
    void Refresh() {
        PostMessageA(page->GetSafeHwnd(), WM_INITDIALOG, 0, 0);
        QCoreApplication::processEvents();
    }
    template <class T> T* Get(int id) { return Control<T>(*page, id); }
    std::string Text(int id) { return Get<QLineEdit>(id)->text().toStdString(); }
    BYTE At(size_t offset) const { return image->Bytes()[offset]; }
    // Offsets whose bytes differ from a copy taken earlier.
    std::vector<size_t> ChangedSince(const std::vector<BYTE>& before) const {
        std::vector<size_t> out;
        for (size_t i = 0; i < before.size(); ++i)
            if (image->Bytes()[i] != before[i])
                out.push_back(i);
        return out;
    }
    std::vector<BYTE> Snapshot() const { return {image->Bytes(), image->Bytes() + 1024}; }

    std::unique_ptr<ConfigImage> image;
    std::optional<QtHost> host;
    CPageDialog* page = nullptr;
    UiRecorder ui;
};
