#include "mainrules.h"

#include "ctrlinfo.h"

#include <QCoreApplication>

#include <cmath>

QStringList curveRangeItems()
{
    return {QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("30"), QStringLiteral("40"),
            QStringLiteral("50"), QStringLiteral("60"), QStringLiteral("70"), QStringLiteral("80"),
            QStringLiteral("90"), QStringLiteral("100"), QStringLiteral("200"), QStringLiteral("300"),
            QStringLiteral("400"), QStringLiteral("500"), QStringLiteral("600"), QStringLiteral("700"),
            QStringLiteral("1000"), QStringLiteral("2000"), QStringLiteral("3000"), QStringLiteral("4000")};
}

QStringList holeQualityItems() { return {QStringLiteral("合格"), QStringLiteral("不合格")}; }

QStringList curveMagnifyItems()
{
    return {QStringLiteral("100"), QStringLiteral("200"), QStringLiteral("300"),
            QStringLiteral("400"), QStringLiteral("500"), QStringLiteral("600")};
}

QStringList curveRangeChoices()
{
    return {QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("40"), QStringLiteral("60"),
            QStringLiteral("80"), QStringLiteral("100"), QStringLiteral("200"), QStringLiteral("400"),
            QStringLiteral("500"), QStringLiteral("600"), QStringLiteral("800"), QStringLiteral("1000"),
            QStringLiteral("2000"), QStringLiteral("3000"), QStringLiteral("4000")};
}

int32_t adaptedCurveRange(int32_t currentRange, float largestResistivity)
{
    if (!(largestResistivity > float(currentRange)))
        return currentRange;
    static const int32_t ladder[] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100,
                                     200, 300, 400, 500, 600, 700, 1000, 2000, 3000};
    for (int32_t step : ladder) {
        if (float(step) >= largestResistivity)
            return step;
    }
    return 4000;
}

PaceSetup paceSetupForMode(int32_t sampleMode, int32_t moveDistanceMm)
{
    PaceSetup p;
    switch (sampleMode) {
    case SampleModes::Manual:
        p.deviceChannel = 1;
        p.moveVisible = true;
        break;
    case SampleModes::Manual4:
    case SampleModes::Manual6:
    case SampleModes::Manual8: {
        const int secondsPerMetre = sampleMode == SampleModes::Manual4 ? 4 : sampleMode == SampleModes::Manual6 ? 6 : 8;
        p.intervalMs = moveDistanceMm * secondsPerMetre;
        p.deviceChannel = 1;
        p.moveVisible = true;
        break;
    }
    default:
        // The winch modes, and a mode nobody knows (as the acquisition
        // decides, SampleModes::isManual): heights come from the winch, so
        // there is nothing to step by hand.
        break;
    }
    return p;
}

bool paceTickMoves(int32_t &ticks)
{
    if (ticks <= 15)
        ++ticks;
    return ticks % 3 == 0 || ticks > 15;
}

int32_t screenSaverIdleTick(int32_t &idleSeconds, int32_t screensaverSeconds, int32_t brightness)
{
    const int32_t n = idleSeconds + 1;
    idleSeconds = n;
    if (screensaverSeconds <= 0)
        return brightness;
    if (n <= screensaverSeconds)
        return -1;
    const int32_t level = screensaverSeconds + brightness - n;
    if (level > 0)
        return level;
    if (level == 0)
        return 1;
    idleSeconds = n - 1;
    return -1;
}

int32_t resampleOfferCm(int32_t maxDepthMm, int32_t moveDistanceMm, int32_t heightCm)
{
    const double m = maxDepthMm / 10.0;
    int32_t d = int32_t(m + 2 * (moveDistanceMm / 10) - heightCm);
    if (d > m)
        d = int32_t(m);
    return d;
}

int32_t heightForDepthCm(int32_t maxDepthMm, int32_t depthCm) { return int32_t(maxDepthMm / 10.0 - depthCm); }

LeakResample leakResampleRange(int32_t holeDepthMm, int32_t leakHeightMm, int32_t moveDistanceMm)
{
    LeakResample r;
    r.minDepthCm = int32_t((holeDepthMm - leakHeightMm) / 10.0);
    r.initialDepthCm = int32_t((holeDepthMm - leakHeightMm + 2 * moveDistanceMm) / 10.0);
    if (r.initialDepthCm > holeDepthMm / 10)
        r.initialDepthCm = holeDepthMm / 10;
    return r;
}

QString manualLeakMessage(int32_t holeDepthMm, int32_t curHeightMm, int32_t leakHeightMm)
{
    return QCoreApplication::translate("CDlgMain", "出现漏点！当前高度：%1cm， 漏点高度：%2cm，请点击重采按钮！")
        .arg((holeDepthMm - curHeightMm) / 10.0, 0, 'g', 6)
        .arg((holeDepthMm - leakHeightMm) / 10.0, 0, 'g', 6);
}

QString wholeNumberText(float value) { return QString::number(double(value), 'f', 0); }

QString reviewedHoleName(const QString &path)
{
    QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const QString ext = QLatin1Char('.') + fileExt;
    if (name.size() > ext.size() && name.endsWith(ext, Qt::CaseInsensitive))
        name.chop(ext.size());
    return name;
}
