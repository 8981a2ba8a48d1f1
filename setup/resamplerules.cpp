#include "resamplerules.h"

#include "setuprules.h"

#include <QCoreApplication>

namespace ResampleRules {

QString depthMetresText(int32_t holeDepthMm, int32_t heightMm)
{
    const qint64 depth = static_cast<qint64>(holeDepthMm) - heightMm;
    return SetupRules::fixedText(static_cast<double>(depth) / 1000.0, 2);
}

Verdict check(int32_t reDepthCm, int32_t minDepthCm, int32_t maxDepthMm, int32_t moveDistanceMm)
{
    const int32_t upper = maxDepthMm / 10;
    if (reDepthCm < minDepthCm || reDepthCm > upper)
        return Verdict::OutOfRange;
    // A move distance below one centimetre (never offered by the set-up, but
    // a parameter file may carry one) would divide by zero: every whole
    // centimetre is then a step.
    qint64 step = static_cast<qint64>(moveDistanceMm / 10.0);
    if (step < 1)
        step = 1;
    if ((static_cast<qint64>(reDepthCm) - minDepthCm) % step != 0)
        return Verdict::NotMultiple;
    return Verdict::Accepted;
}

QString message(Verdict verdict, int32_t minDepthCm, int32_t maxDepthMm, int32_t moveDistanceMm)
{
    switch (verdict) {
    case Verdict::OutOfRange:
        return QCoreApplication::translate("CDlgReSample", "请输入合法重采高度，高度应在%1cm-%2cm范围内")
            .arg(minDepthCm)
            .arg(maxDepthMm / 10);
    case Verdict::NotMultiple:
        return QCoreApplication::translate("CDlgReSample", "请输入合法重采高度，高度应为移距%1mm的整倍数")
            .arg(moveDistanceMm);
    case Verdict::Accepted:
        break;
    }
    return QString();
}

} // namespace ResampleRules
