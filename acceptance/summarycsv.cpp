#include "summarywriters.h"

#include "csvcell.h"
#include "pilelimits.h"
#include "verdict.h"

#include <QStringList>

QByteArray projectSummaryCsv(const ProjectSummary &summary)
{
    QStringList lines;
    lines << QStringLiteral("hole,position,tests,date,tester,depth_m,thickness_mm,limit_mm,basis,verdict,override,"
                            "sha256,file,hole_verdict,override_reason,office_rejudgement");
    for (const HoleResult &h : summary.holes) {
        const QString holeVerdict = verdictKey(h.verdict());
        for (const PositionResult &p : h.positions) {
            const HoleTestRecord &t = p.latest;
            const HoleAcceptance &a = t.acceptance;
            const bool judged = a.judged();
            QStringList f;
            f << csvCell(h.hole) << MeasuringPosition::key(p.position) << QString::number(p.tests)
              << csvCell(t.dateTime()) << csvCell(t.tester)
              << QString::number(double(t.maxDepthMm) / 1000.0, 'f', 2)
              << (judged ? QString::number(t.sedimentThicknessCm * 10) : QString())
              << (a.limitMm >= 0 ? QString::number(a.limitMm) : QString()) << csvCell(basisDataText(a))
              << verdictKey(t.verdict()) << (a.overridden ? QStringLiteral("yes") : QStringLiteral("no"))
              << t.sha256 << csvCell(t.fileName) << holeVerdict
              << (a.overridden ? OverrideReason::key(a.overrideReason) : QString()) << csvCell(t.officeRejudgement);
            lines << f.join(QLatin1Char(','));
        }
    }
    lines << QString();
    lines << QStringLiteral("tested,%1").arg(summary.tested());
    lines << QStringLiteral("passed,%1").arg(summary.passed());
    lines << QStringLiteral("failed,%1").arg(summary.failed());
    lines << QStringLiteral("not judged,%1").arg(summary.notJudged());
    if (!summary.unreadable.isEmpty())
        lines << QStringLiteral("unreadable,%1").arg(summary.unreadable.size());
    if (!summary.trailHead.isEmpty())
        lines << QStringLiteral("audit trail head,%1").arg(summary.trailHead);
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}
