#include "holeacceptance.h"

#include <QCoreApplication>

namespace {
const char *const kKeys[] = {"", "centre", "X", "X'", "Y", "Y'"};
const char *const kTexts[] = {
    "",
    QT_TRANSLATE_NOOP("MeasuringPosition", "中心"),
    QT_TRANSLATE_NOOP("MeasuringPosition", "X"),
    QT_TRANSLATE_NOOP("MeasuringPosition", "X'"),
    QT_TRANSLATE_NOOP("MeasuringPosition", "Y"),
    QT_TRANSLATE_NOOP("MeasuringPosition", "Y'"),
};
bool valid(int32_t code) { return code >= 0 && code <= MeasuringPosition::Last; }
} // namespace

QString MeasuringPosition::key(int32_t code)
{
    return valid(code) ? QString::fromLatin1(kKeys[code]) : QString();
}

int32_t MeasuringPosition::fromKey(const QString &key)
{
    for (int32_t c = Centre; c <= Last; ++c) {
        if (key == QLatin1String(kKeys[c]))
            return c;
    }
    return Unnamed;
}

QString MeasuringPosition::text(int32_t code)
{
    if (!valid(code) || code == Unnamed)
        return QString();
    return QCoreApplication::translate("MeasuringPosition", kTexts[code]);
}
