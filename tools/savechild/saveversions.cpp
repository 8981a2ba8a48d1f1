#include "saveversions.h"

QString saveVersionsHoleName() { return QStringLiteral("CUT1.CZO"); }

void holeVersion(int g, CtrlInfo &info, QVector<Sample> &samples)
{
    info.resetToDefaults();
    info.holeNo = QStringLiteral("gen-%1").arg(g);
    info.projectName = QString::fromUtf8("断电试验") + QString(g % 9, QLatin1Char('x'));
    info.tester = QStringLiteral("T%1").arg(g);
    info.testDate = QStringLiteral("2024-01-02");
    info.testTime = QStringLiteral("03:04:05");
    info.holeDepth = 20000 + g;
    info.moveDistance = 10;
    info.sedimentThickness = g % 100;
    info.sampleMode = g % 6;
    // Sizes differ from one version to the next (a few kB to about 100 kB),
    // so that a mix of two versions cannot pass for either.
    const int n = 300 + (g * 1237) % 8000;
    samples.resize(n);
    for (int i = 0; i < n; ++i) {
        samples[i].depth = 20000 + g - 10 * i;
        samples[i].resistivity = float(g) + float(i) * 0.001f;
        samples[i].rawResistivity = float(g) - float(i) * 0.001f;
    }
}

int holeVersionOf(const CtrlInfo &info)
{
    const QString h = info.holeNo.get();
    if (!h.startsWith(QLatin1String("gen-")))
        return -1;
    bool ok = false;
    const int g = h.mid(4).toInt(&ok);
    return ok ? g : -1;
}

void paramVersion(int g, CtrlInfo &info)
{
    info.resetToDefaults();
    info.projectName = QStringLiteral("P-%1").arg(g);
    info.projectPath = QStringLiteral("path-%1").arg(g) + QString(g % 13, QLatin1Char('p'));
    info.testUnit = QString::fromUtf8("单位") + QString(g % 7, QLatin1Char('u'));
    info.tester = QStringLiteral("T%1").arg(g);
    info.holeNo = QStringLiteral("%1#").arg(g);
    info.holeDepth = 1000 + g;
    info.moveDistance = 10 + g % 490;
    info.wheelD = 60 + g % 5;
    info.spareValue1 = float(g) / 8.0f;
}

int paramVersionOf(const CtrlInfo &info)
{
    const QString p = info.projectName.get();
    if (!p.startsWith(QLatin1String("P-")))
        return -1;
    bool ok = false;
    const int g = p.mid(2).toInt(&ok);
    return ok ? g : -1;
}
