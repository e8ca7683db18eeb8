// Program texts (bytes of the code page) to Qt's strings and back.
#pragma once

#include "platform/AnsiText.h"

#include <QString>
#include <string>

inline QString QStringFromAnsi(const std::string& bytes) {
    std::u16string wide = ansi::Widen(bytes);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

inline QString QStringFromAnsi(const char* bytes) {
    return QStringFromAnsi(std::string(bytes ? bytes : ""));
}

inline std::u16string WideOf(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<size_t>(text.size()));
}

inline std::string AnsiFromQString(const QString& text) {
    return ansi::NarrowKnown(WideOf(text));
}
