#include "verdictpanel.h"

#include "commonutils.h"
#include "pilelimits.h"
#include "sedimentsuggest.h"
#include "verdict.h"

#include <QCoreApplication>

namespace {
QString tr(const char *s) { return QCoreApplication::translate("CDlgMain", s); }
} // namespace

const CPileLimits &instrumentPileLimits()
{
    // Read once: the table is edited between runs, not during one.
    static const CPileLimits table = CPileLimits::load(QKRVCommomUtils::appPath());
    return table;
}

QString verdictPanelText(const CtrlInfo &info, const QVector<Sample> &samples)
{
    const HoleAcceptance &a = info.acceptance;
    if (a.judged())
        return comparisonLine(info) + (a.overridden ? tr("（操作员改判）") : QString());
    if (!a.hasBasis())
        return QString();
    const SedimentSuggestion s = suggestSedimentInterface(samples, info.maxDepth, info.moveDistance);
    if (!s.shown())
        return QString();
    const int32_t limit = pickLimit(instrumentPileLimits(), a, info.holeDiameter, info.holeDepth).limitMm;
    return tr("建议：") + comparisonLine(s.thicknessCm * 10, limit, basisLabel(a));
}
