// The Qt half of the templates: dialog units from a Qt font. The registry is in
// DialogTemplateData.cpp.
#include "DialogTemplate.h"

#include <QFont>
#include <QFontMetrics>
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
    // The Windows dialog fonts are not installed here: the closest sans fonts stand in.
    static const bool substituted = [] {
        const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                               QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")};
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
        QFont::insertSubstitutions(QStringLiteral("MS Shell Dlg"), sans);
        return true;
    }();
    static_cast<void>(substituted);
    QFont font(QString::fromLatin1(dialogTemplate.fontName));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(dialogTemplate.pointSize);
    return font;
}
