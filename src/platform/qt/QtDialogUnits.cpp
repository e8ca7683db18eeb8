// The Qt half of the templates: dialog units from a Qt font. The registry is in
// DialogTemplateData.cpp.
#include "QtDialogUnits.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QRect>
#include <QString>
#include <QStringList>
#include <map>

namespace {
int MulDiv(int a, int b, int c) {
    long long p = static_cast<long long>(a) * b;
    return static_cast<int>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}
} // namespace

DialogUnits DialogUnits::ForFont(const QFont& font) {
    // Shaping the 52 letters costs more than building a small dialog: once per font.
    static std::map<QString, DialogUnits> cache;
    auto cached = cache.find(font.key());
    if (cached != cache.end())
        return cached->second;
    QFontMetrics fm(font);
    DialogUnits u;
    // The dialog manager's average width: of the 52 letters, (width / 26 + 1) / 2.
    int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    u.cxChar = (width / 26 + 1) / 2;
    u.cyChar = fm.height();
    cache[font.key()] = u;
    return u;
}

int DialogUnits::X(int units) const {
    return MulDiv(units, cxChar, 4);
}
int DialogUnits::Y(int units) const {
    return MulDiv(units, cyChar, 8);
}

QRect DialogUnits::Rect(int x, int y, int cx, int cy) const {
    return QRect(X(x), Y(y), X(cx), Y(cy));
}

QFont TemplateFont(const DialogTemplate& dialogTemplate) {
    // The Windows dialog fonts are not installed here: the first installed of the closest
    // sans fonts stands in. It is found once, in the list of installed families (asking
    // for each name on its own would have fontconfig resolve it as an alias), and entered
    // in the toolkit's substitution table; the font is then asked for by that family, so
    // no fallback search runs.
    static const bool substituted = [&dialogTemplate] {
        const QStringList installed = QFontDatabase::families();
        for (const char* name : {"Liberation Sans", "Arimo", "Arial", "DejaVu Sans"}) {
            const QString family = QString::fromLatin1(name);
            if (!installed.contains(family))
                continue;
            QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), family);
            QFont::insertSubstitution(QStringLiteral("MS Shell Dlg"), family);
            // A line edit lays its text out once in the application's font while it is
            // built, before it takes its dialog's; with the dialogs' font as the
            // application's, that needs no second font (and no search for the desktop's).
            if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
                QGuiApplication::setFont(QFont(family, dialogTemplate.pointSize));
            break;
        }
        return true;
    }();
    static_cast<void>(substituted);
    QFont font(QFont::substitute(QString::fromLatin1(dialogTemplate.fontName)));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(dialogTemplate.pointSize);
    return font;
}
