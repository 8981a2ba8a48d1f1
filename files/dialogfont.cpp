#include "dialogfont.h"

namespace DialogFont {

QString rule(const QFont &font)
{
    // The shorthand, since the theme's sheets use it and a separate
    // font-size would not replace their size.
    const QString size = font.pointSize() > 0 ? QStringLiteral("%1pt").arg(font.pointSize())
                                              : QStringLiteral("%1px").arg(font.pixelSize());
    return QStringLiteral("font: %1%2 %3 \"%4\"; ")
        .arg(font.italic() ? QStringLiteral("italic ") : QString(),
             font.weight() >= QFont::Bold ? QStringLiteral("bold") : QStringLiteral("normal"), size, font.family());
}

} // namespace DialogFont
