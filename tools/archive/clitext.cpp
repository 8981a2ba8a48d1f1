#include "clitext.h"

namespace {
bool hidden(ushort c)
{
    return c < 0x20 || (c >= 0x7f && c < 0xa0) || c == 0x2028 || c == 0x2029 || (c >= 0x202a && c <= 0x202e)
        || (c >= 0x2066 && c <= 0x2069) || c == 0x200e || c == 0x200f || c == 0x061c;
}
} // namespace

QString visibleText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const ushort c = ch.unicode();
        if (c == '\\')
            out += QLatin1String("\\\\");
        else if (c == '\t')
            out += QLatin1String("\\t");
        else if (c == '\r')
            out += QLatin1String("\\r");
        else if (c == '\n')
            out += QLatin1String("\\n");
        else if (c == 0x1b)
            out += QLatin1String("\\e");
        else if (!hidden(c))
            out += ch;
        else if (c < 0x100)
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
        else
            out += QStringLiteral("\\u%1").arg(c, 4, 16, QLatin1Char('0'));
    }
    return out;
}
