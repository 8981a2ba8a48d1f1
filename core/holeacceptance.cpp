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

const char *const kReasonKeys[] = {"", "retest", "design-change", "supervisor", "other"};
const char *const kReasonTexts[] = {
    "",
    QT_TRANSLATE_NOOP("OverrideReason", "复测合格后改判"),
    QT_TRANSLATE_NOOP("OverrideReason", "设计变更"),
    QT_TRANSLATE_NOOP("OverrideReason", "监理确认"),
    QT_TRANSLATE_NOOP("OverrideReason", "其他"),
};
bool validReason(int32_t code) { return code > OverrideReason::None && code <= OverrideReason::Last; }

// The code (1 .. last) whose key is `key`; 0 when none is.
int32_t codeOfKey(const char *const *keys, int32_t last, const QString &key)
{
    for (int32_t c = 1; c <= last; ++c) {
        if (key == QLatin1String(keys[c]))
            return c;
    }
    return 0;
}
} // namespace

QString OverrideReason::key(int32_t code) { return validReason(code) ? QString::fromLatin1(kReasonKeys[code]) : QString(); }

int32_t OverrideReason::fromKey(const QString &key) { return codeOfKey(kReasonKeys, Last, key); }

QString OverrideReason::text(int32_t code)
{
    return validReason(code) ? QCoreApplication::translate("OverrideReason", kReasonTexts[code]) : QString();
}

QString MeasuringPosition::key(int32_t code)
{
    return valid(code) ? QString::fromLatin1(kKeys[code]) : QString();
}

int32_t MeasuringPosition::fromKey(const QString &key) { return codeOfKey(kKeys, Last, key); }

QString MeasuringPosition::text(int32_t code)
{
    if (!valid(code) || code == Unnamed)
        return QString();
    return QCoreApplication::translate("MeasuringPosition", kTexts[code]);
}
