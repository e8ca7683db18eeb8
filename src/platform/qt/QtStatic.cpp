#include "platform/Static.h"

#include "QtWindow.h"
#include "platform/WholeFile.h"

#include <QLabel>
#include <QPixmap>
#include <string>

namespace {
// A picture for a dialog: a bitmap of 2048 by 2048 pixels at 32 bits is 16 MiB.
constexpr size_t kLargestBitmap = 16u << 20;
} // namespace

HBITMAP LoadImageA(void*, LPCSTR name, UINT type, int, int, UINT flags) {
    if (!name || type != IMAGE_BITMAP || !(flags & LR_LOADFROMFILE))
        return nullptr;
    std::string path = name;
    if (path.compare(0, 2, ".\\") == 0)
        path = path.substr(2);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    // Only a file is read: a pipe or a device of that name could hold the caller forever.
    std::string bytes;
    if (wholefile::Read(path, kLargestBitmap, true, &bytes, nullptr) != wholefile::Got::kDone)
        return nullptr;
    auto* pixmap = new QPixmap();
    if (!pixmap->loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                              static_cast<uint>(bytes.size()), "BMP") ||
        pixmap->isNull()) {
        delete pixmap;
        return nullptr;
    }
    return pixmap;
}

BOOL DeleteObject(HBITMAP bitmap) {
    delete static_cast<QPixmap*>(bitmap);
    return bitmap != nullptr;
}

HBITMAP CStatic::SetBitmap(HBITMAP bitmap) {
    HBITMAP previous = m_bitmap;
    m_bitmap = bitmap;
    if (auto* label = qobject_cast<QLabel*>(qt::GetWidget(*this))) {
        if (bitmap) {
            const QPixmap& pixmap = *static_cast<QPixmap*>(bitmap);
            label->setPixmap(pixmap);
            int frame = 2 * label->frameWidth();
            label->resize(pixmap.width() + frame, pixmap.height() + frame);
        } else {
            label->setPixmap(QPixmap());
        }
    }
    return previous;
}

HBITMAP CStatic::GetBitmap() const {
    return m_bitmap;
}
