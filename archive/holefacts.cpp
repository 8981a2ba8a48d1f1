#include "holefacts.h"

#include "holefile.h"
#include "projectsummary.h"
#include "verdict.h"

#include <QFileInfo>

bool isHoleFileName(const QString &fileName)
{
    return fileName.size() > fileExt.size() + 1
        && fileName.endsWith(QLatin1Char('.') + fileExt, Qt::CaseInsensitive);
}

QString archivedHoleOf(const HoleFacts &facts, const QString &fileName,
                       const std::function<QStringList()> &holeFileNames)
{
    const QString name = QFileInfo(fileName).completeBaseName();
    const QString &recorded = facts.hole;
    if (!recorded.isEmpty()
        && (facts.holeNumberKept || name.compare(recorded, Qt::CaseInsensitive) == 0
            || testSequenceOf(name, recorded) > 1))
        return recorded;
    return holeOfTest(QFileInfo(fileName).fileName(), facts.sequenceRecorded ? facts.sequence : 0, holeFileNames());
}

HoleFactsResult readHoleFacts(const QByteArray &bytes, const QString &folderName, const QString &fileName)
{
    HoleFactsResult r;
    // Start from an empty record: nothing of the defaults may pass for a
    // value read from the file.
    r.info.projectName = QString();
    r.info.holeNo = QString();
    r.info.testUnit = QString();
    r.info.constructionUnit = QString();
    r.info.tester = QString();
    r.info.testDate = QString();
    r.info.testTime = QString();
    const HoleLoadResult load = decodeHoleFile(bytes, r.info);
    if (!load.ok || load.samplesTruncated) {
        r.reason = load.errorText();
        return r;
    }
    r.samples = load.samples;
    HoleFacts &f = r.facts;
    const CtrlInfo &i = r.info;
    f.project = i.projectName.get().trimmed();
    if (f.project.isEmpty())
        f.project = folderName;
    f.hole = i.holeNo.get().trimmed();
    if (f.hole.isEmpty())
        f.hole = QFileInfo(fileName).completeBaseName();
    f.testDate = i.testDate.get();
    f.testTime = i.testTime.get();
    f.tester = i.tester.get();
    f.testUnit = i.testUnit.get();
    f.constructionUnit = i.constructionUnit.get();
    f.holeDepth = i.holeDepth;
    f.maxDepth = i.maxDepth;
    f.moveDistance = i.moveDistance;
    f.thicknessCm = i.sedimentThickness;
    // A test not judged yet has no quality (and its thickness field no
    // judgement): quality -1 says so to every view.
    f.quality = hasJudgement(i) ? int(i.holeQuality) : -1;
    f.samples = load.samples.size();
    if (load.hasAcceptance) {
        const HoleAcceptance &a = i.acceptance;
        if (a.limitMm >= 0)
            f.limitMm = a.limitMm;
        f.verdict = verdictKey(finalVerdict(i));
        f.overridden = a.overridden;
        f.overrideReason = a.overridden ? OverrideReason::key(a.overrideReason) : QString();
        if (a.designLimitMm > 0)
            f.basis = QStringLiteral("design %1 mm").arg(a.designLimitMm);
        else if (!a.code.isEmpty())
            f.basis = a.code + QLatin1Char(' ') + a.pileType;
        f.position = MeasuringPosition::key(a.position);
        f.sequence = a.sequence;
        f.sequenceRecorded = true;
        f.holeNumberKept = a.holeNumberKept;
    }
    // Empty texts, never null ones: the archive's columns are NOT NULL.
    for (QString *t : {&f.project, &f.hole, &f.testDate, &f.testTime, &f.tester, &f.testUnit, &f.constructionUnit,
                       &f.basis, &f.position, &f.overrideReason}) {
        if (t->isNull())
            *t = QStringLiteral("");
    }
    r.ok = true;
    return r;
}
