// What the Qt floors share: their start (the self probe when asked for, and the font the
// utility's dialogs stand in for theirs with) and their size arguments. Only Qt here.
#pragma once

#include "SelfProbe.h"

#include <QApplication>
#include <QFont>
#include <QSize>
#include <cstdio>

namespace qtfloor {

// Once the application object is made.
inline void Start() {
    selfprobe::InstallIfAsked();
    QApplication::setFont(QFont(QStringLiteral("Liberation Sans"), 9));
}

// A pixel size written WxH; fallback when text is null or no such size.
inline QSize SizeArgument(const char* text, QSize fallback) {
    int w = 0, h = 0;
    if (!text || std::sscanf(text, "%dx%d", &w, &h) != 2)
        return fallback;
    return QSize(w, h);
}

} // namespace qtfloor
