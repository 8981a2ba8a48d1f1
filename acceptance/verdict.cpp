#include "verdict.h"

#include <QCoreApplication>

namespace {
QString tr(const char *s) { return QCoreApplication::translate("Acceptance", s); }
} // namespace

int32_t verdictFor(int32_t thicknessMm, int32_t limitMm)
{
    if (limitMm < 0)
        return AcceptanceVerdict::NotJudged;
    return thicknessMm <= limitMm ? AcceptanceVerdict::Pass : AcceptanceVerdict::Fail;
}

QString comparisonLine(int32_t thicknessMm, int32_t limitMm, const QString &basisLabel)
{
    const int32_t v = verdictFor(thicknessMm, limitMm);
    if (v == AcceptanceVerdict::NotJudged)
        return tr("沉渣 %1 mm（未设验收依据）").arg(thicknessMm);
    return tr("沉渣 %1 mm %2 %3 mm（%4）%5")
        .arg(QString::number(thicknessMm), v == AcceptanceVerdict::Pass ? QStringLiteral("≤") : QStringLiteral(">"),
             QString::number(limitMm), basisLabel, verdictText(v));
}

QString comparisonLine(const CtrlInfo &info)
{
    return comparisonLine(info.sedimentThickness * 10, info.acceptance.limitMm, basisLabel(info.acceptance));
}

void applyVerdict(CtrlInfo &info, const CPileLimits &table)
{
    applyLimit(info, pickLimit(table, info.acceptance, info.holeDiameter, info.holeDepth).limitMm);
}

void applyLimit(CtrlInfo &info, int32_t limitMm)
{
    HoleAcceptance &a = info.acceptance;
    a.limitMm = limitMm;
    a.verdict = verdictFor(info.sedimentThickness * 10, a.limitMm);
    a.overridden = false;
    a.overrideReason = OverrideReason::None;
    a.awaitingJudgement = false;
    if (a.judged())
        info.holeQuality = a.verdict == AcceptanceVerdict::Pass ? 0 : 1;
}

bool wouldOverride(const CtrlInfo &info, int32_t quality)
{
    const HoleAcceptance &a = info.acceptance;
    return a.verdict != AcceptanceVerdict::NotJudged && quality != (a.verdict == AcceptanceVerdict::Pass ? 0 : 1);
}

void chooseHoleQuality(CtrlInfo &info, int32_t quality, int32_t reason)
{
    info.holeQuality = quality;
    HoleAcceptance &a = info.acceptance;
    a.awaitingJudgement = false;
    a.overridden = wouldOverride(info, quality);
    a.overrideReason = a.overridden ? reason : int32_t(OverrideReason::None);
}

QString verdictLine(const CtrlInfo &info)
{
    const HoleAcceptance &a = info.acceptance;
    if (!a.judged())
        return QString();
    if (!a.overridden)
        return comparisonLine(info);
    const int32_t thicknessMm = info.sedimentThickness * 10;
    const QString comparison =
        a.limitMm < 0 ? tr("沉渣 %1 mm").arg(thicknessMm)
                      : tr("沉渣 %1 mm %2 %3 mm")
                            .arg(QString::number(thicknessMm), a.verdict == AcceptanceVerdict::Pass ? QStringLiteral("≤") : QStringLiteral(">"),
                                 QString::number(a.limitMm));
    const QString reason = OverrideReason::text(a.overrideReason);
    if (reason.isEmpty())
        return tr("%1（改判，原判 %2：%3）").arg(verdictText(finalVerdict(info)), verdictText(a.verdict), comparison);
    return tr("%1（改判，原判 %2：%3；理由：%4）").arg(verdictText(finalVerdict(info)), verdictText(a.verdict), comparison, reason);
}

QString overrideText(const HoleAcceptance &a)
{
    if (!a.overridden)
        return QString();
    const QString reason = OverrideReason::text(a.overrideReason);
    return reason.isEmpty() ? tr("是") : reason;
}

void clearJudgement(CtrlInfo &info)
{
    info.sedimentThickness = 0;
    info.holeQuality = 0;
    HoleAcceptance &a = info.acceptance;
    a.limitMm = -1;
    a.verdict = AcceptanceVerdict::NotJudged;
    a.overridden = false;
    a.overrideReason = OverrideReason::None;
    a.awaitingJudgement = true;
}

int32_t finalVerdict(const CtrlInfo &info)
{
    if (!info.acceptance.judged())
        return AcceptanceVerdict::NotJudged;
    return info.holeQuality == 0 ? AcceptanceVerdict::Pass : AcceptanceVerdict::Fail;
}

QString verdictText(int32_t verdict)
{
    switch (verdict) {
    case AcceptanceVerdict::Pass: return tr("合格");
    case AcceptanceVerdict::Fail: return tr("不合格");
    default: return tr("未判定");
    }
}

QString verdictKey(int32_t verdict)
{
    switch (verdict) {
    case AcceptanceVerdict::Pass: return QStringLiteral("pass");
    case AcceptanceVerdict::Fail: return QStringLiteral("fail");
    default: return QStringLiteral("not judged");
    }
}
