#include "verdictpanel.h"

#include "pilelimits.h"
#include "sedimentsuggest.h"
#include "verdict.h"

#include <QCoreApplication>

namespace {
QString tr(const char *s) { return QCoreApplication::translate("CDlgMain", s); }
} // namespace

QString verdictPanelText(const CtrlInfo &info, const QVector<Sample> &samples)
{
    const HoleAcceptance &a = info.acceptance;
    if (a.judged())
        return verdictLine(info);
    if (!a.hasBasis())
        return QString();
    const SedimentSuggestion s = suggestSedimentInterface(samples, info.maxDepth, info.moveDistance);
    if (!s.shown())
        return QString();
    const int32_t limit = pickLimit(CPileLimits::instrument(), a, info.holeDiameter, info.holeDepth).limitMm;
    return tr("建议：") + comparisonLine(s.thicknessCm * 10, limit, basisLabel(a));
}
