#include "csvcell.h"

#include <QRegularExpression>

namespace {
bool isNumber(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    return re.match(text).hasMatch();
}

bool startsFormula(const QString &text)
{
    if (text.isEmpty())
        return false;
    const QChar c = text.at(0);
    return (c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('@'))
        && !isNumber(text);
}
} // namespace

QString csvCell(const QString &text)
{
    const QString t = startsFormula(text) ? QLatin1Char('\'') + text : text;
    if (!t.contains(QLatin1Char(',')) && !t.contains(QLatin1Char('"')) && !t.contains(QLatin1Char('\n'))
        && !t.contains(QLatin1Char('\r')))
        return t;
    QString q = t;
    q.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}
