#include "archivecommands.h"

#include "manifestcheck.h"
#include <QHash>

#include "archiveexport.h"
#include "archiveimport.h"
#include "archivequeries.h"
#include "archivesummary.h"
#include "atomicfile.h"
#include "summarywriters.h"
#include "archiveverify.h"
#include "audittrail.h"
#include "clitext.h"
#include "filenames.h"
#include "officerejudge.h"

#include <QElapsedTimer>
#include <cstdio>
#include <unistd.h>

namespace ArchiveCommands {

bool takeOption(QStringList &args, const QString &name, QString *value, bool *present)
{
    const int i = args.indexOf(name);
    if (present)
        *present = i >= 0;
    if (i < 0)
        return true;
    if (i + 1 >= args.size())
        return false;
    *value = args.at(i + 1);
    args.erase(args.begin() + i, args.begin() + i + 2);
    return true;
}

namespace {
void line(const QString &text)
{
    fputs(qUtf8Printable(text), stdout);
    fputc('\n', stdout);
}

// A name as printed: visible escapes for what could forge lines or columns.
QString v(const QString &name) { return visibleText(name); }

QString limitText(const std::optional<int> &limit) { return limit ? QString::number(*limit) : QStringLiteral("-"); }
QString textOrDash(const QString &t) { return t.isEmpty() ? QStringLiteral("-") : t; }
// quality < 0: a test not judged yet, without quality or thickness.
QString qualityText(int q)
{
    return q < 0 ? QStringLiteral("-") : q == 0 ? QStringLiteral("qualified") : QStringLiteral("unqualified");
}
QString thicknessText(int cm, int quality) { return quality < 0 ? QStringLiteral("-") : QString::number(cm); }
// The operator's override: its reason's key, "yes" without a reason, "-" without an override.
QString overrideText(bool overridden, const QString &reason)
{
    return !overridden ? QStringLiteral("-") : reason.isEmpty() ? QStringLiteral("yes") : reason;
}
} // namespace

int fail(const QString &reason)
{
    fprintf(stderr, "zpvw-archive: %s\n", qUtf8Printable(visibleText(reason)));
    return 1;
}

int importPaths(CArchiveDb &db, const QStringList &paths)
{
    ImportOptions options;
    // Progress only for a person watching a terminal; never in a pipe or log.
    const bool terminal = isatty(fileno(stdout));
    QElapsedTimer shown;
    shown.start();
    if (terminal) {
        options.progress = [&shown](int done, int total) {
            if (done == total || shown.elapsed() >= 200) {
                fprintf(stdout, "\r%d of %d files", done, total);
                fflush(stdout);
                shown.restart();
            }
        };
    }
    options.pauseAfterFiles = qEnvironmentVariableIntValue("ZPVW_ARCHIVE_PAUSE_AFTER");
    if (options.pauseAfterFiles <= 0)
        options.pauseAfterFiles = -1;
    ImportSummary summary;
    QString error;
    const bool ok = importIntoArchive(db, paths, options, &summary, &error);
    if (terminal)
        fputc('\n', stdout);
    for (const QString &r : qAsConst(summary.refusals))
        line(QStringLiteral("refused %1").arg(v(r)));
    line(summary.line());
    // The head goes into the log of every import, to be kept elsewhere.
    QString head, headError;
    if (auditHead(db, &head, &headError))
        line(QStringLiteral("audit trail head %1").arg(head));
    fflush(stdout);
    if (!ok)
        return fail(error);
    return summary.refused > 0 ? 2 : 0;
}

int projects(CArchiveDb &db)
{
    QVector<ProjectRow> rows;
    QString error;
    if (!listProjects(db, &rows, &error))
        return fail(error);
    line(QStringLiteral("project\tholes\ttests\tversions\tfailed"));
    for (const ProjectRow &r : rows)
        line(QStringLiteral("%1\t%2\t%3\t%4\t%5").arg(v(r.project), QString::number(r.holes), QString::number(r.tests), QString::number(r.versions), QString::number(r.failed)));
    return 0;
}

int holes(CArchiveDb &db, const QString &project)
{
    QVector<HoleRow> rows;
    QString error;
    if (!listHoles(db, project, &rows, &error))
        return fail(error);
    if (rows.isEmpty())
        return fail(QStringLiteral("no project %1 in the archive").arg(project));
    line(QStringLiteral("hole\ttested\tthickness_cm\tlimit_mm\tverdict\tquality\tversion\toverride"));
    for (const HoleRow &r : rows)
        line(QStringLiteral("%1\t%2 %3\t%4\t%5\t%6\t%7\t%8\t%9")
                 .arg(v(r.hole), v(r.testDate), v(r.testTime), thicknessText(r.thicknessCm, r.quality), limitText(r.limitMm),
                      textOrDash(r.verdict), qualityText(r.quality), QString::number(r.version),
                      overrideText(r.overridden, r.overrideReason)));
    return 0;
}

int history(CArchiveDb &db, const QString &project, const QString &hole)
{
    QVector<VersionRow> rows;
    QString error;
    if (!holeHistory(db, project, hole, &rows, &error))
        return fail(error);
    if (rows.isEmpty())
        return fail(QStringLiteral("no hole %1 in project %2").arg(hole, project));
    QVector<qint64> ids;
    for (const VersionRow &r : rows)
        ids << r.id;
    QHash<qint64, QString> signers;
    if (!signersOf(db, ids, &signers, &error))
        return fail(error);
    line(QStringLiteral("tested\tversion\tthickness_cm\tlimit_mm\tverdict\tquality\tsamples\tfile\tsha256\timported\tby"
                        "\toverride\tsigned"));
    for (const VersionRow &r : rows) {
        line(QStringLiteral("%1 %2\t%3\t%4\t%5\t%6\t%7\t%8\t%9")
                 .arg(v(r.testDate), v(r.testTime), QString::number(r.version), thicknessText(r.thicknessCm, r.quality),
                      limitText(r.limitMm), textOrDash(r.verdict), qualityText(r.quality), QString::number(r.samples),
                      v(r.fileName))
             + QStringLiteral("\t%1\t%2\t%3\t%4\t%5").arg(r.sha256, r.importedAt, v(r.importedBy),
                                                            overrideText(r.overridden, r.overrideReason),
                                                            v(signers.value(r.id, r.officeRejudgement()
                                                                                     ? QStringLiteral("office")
                                                                                     : QStringLiteral("unsigned")))));
        for (const CompanionRow &c : r.companions)
            line(QStringLiteral("\t\twith %1\t%2").arg(v(c.name), c.sha256));
        if (r.officeRejudgement()) {
            const VersionRow *from = instrumentJudgement(rows, r);
            line(QStringLiteral("\t\trejudged in the office by %1 at %2: %3\tinstrument's judgement: %4")
                     .arg(v(r.rejudgedBy), r.rejudgedAt, v(r.rejudgeReason),
                          from ? QStringLiteral("version %1, %2 cm, %3")
                                     .arg(QString::number(from->version), thicknessText(from->thicknessCm, from->quality),
                                          textOrDash(from->verdict))
                               : QStringLiteral("-")));
        }
    }
    return 0;
}

int exportFiles(CArchiveDb &db, const QString &project, const QString &hole, int version, const QString &test,
                const QString &dir)
{
    QStringList written;
    QString error;
    if (!exportHoleFiles(db, project, hole, version, test, dir, &written, &error))
        return fail(error);
    for (const QString &w : qAsConst(written))
        line(v(FileNames::shown(w)));
    return 0;
}

int verify(CArchiveDb &db, const QString &keptHead)
{
    VerifyReport r;
    QString error;
    if (!verifyArchive(db, &r, &error, keptHead))
        return fail(error);
    for (const QString &f : qAsConst(r.faults))
        line(QStringLiteral("FAULT %1").arg(v(f)));
    line(QStringLiteral("%1 manifests checked (signature, files, each device's sequence)").arg(r.manifests));
    if (r.officeVersions > 0)
        line(QStringLiteral("%1 office re-judgements checked against the versions they started from")
                 .arg(r.officeVersions));
    line(QStringLiteral("%1 files (%2 bytes) re-hashed, %3 versions re-read, %4 audit entries checked: %5")
             .arg(QString::number(r.files), QString::number(r.bytes), QString::number(r.versions),
                  QString::number(r.chain.entries),
                  r.ok() ? QStringLiteral("all correct") : QStringLiteral("%1 faults").arg(r.faults.size())));
    if (!keptHead.isEmpty() && r.chain.keptHeadSeq >= 0)
        line(QStringLiteral("the kept head %1 is audit entry %2").arg(keptHead, QString::number(r.chain.keptHeadSeq)));
    line(QStringLiteral("audit trail head %1").arg(r.head));
    if (!r.notRecorded.isEmpty())
        fprintf(stderr, "zpvw-archive: this verification is not recorded in the audit trail: %s\n",
                qUtf8Printable(r.notRecorded));
    return r.ok() ? 0 : 3;
}

int log(CArchiveDb &db, const QString &project, const QString &hole)
{
    QVector<AuditEntry> entries;
    QString error;
    if (!readAuditLog(db, project, hole, &entries, &error))
        return fail(error);
    line(QStringLiteral("seq\tat\twho\taction\thole\tsha256\tdetail"));
    for (const AuditEntry &e : entries)
        line(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7")
                 .arg(QString::number(e.seq), e.at, v(e.who), e.action, v(e.hole), e.sha256, v(e.detail)));
    return 0;
}

int summary(CArchiveDb &db, const QString &project, const QString &csvPath, const QString &pdfPath)
{
    ProjectSummary s;
    QString error;
    if (!archiveProjectSummary(db, project, &s, &error) || !auditHead(db, &s.trailHead, &error))
        return fail(error);
    if (!csvPath.isEmpty()) {
        CAtomicFileWriter w(csvPath);
        if (!w.open() || !w.write(projectSummaryCsv(s)) || !w.commit())
            return fail(QStringLiteral("%1: %2").arg(FileNames::shown(csvPath), w.errorString()));
        line(v(FileNames::shown(csvPath)));
    }
    if (!pdfPath.isEmpty()) {
        if (!writeProjectSummaryPdf(s, pdfPath, &error))
            return fail(QStringLiteral("%1: %2").arg(FileNames::shown(pdfPath), error));
        line(v(FileNames::shown(pdfPath)));
    }
    return 0;
}

int rejudge(CArchiveDb &db, const QStringList &arguments)
{
    QStringList args = arguments;
    QString thickness, quality, limit, basis, test, reason, by;
    const QVector<QPair<QString, QString *>> options{
        {QStringLiteral("--thickness"), &thickness}, {QStringLiteral("--quality"), &quality},
        {QStringLiteral("--limit"), &limit},         {QStringLiteral("--basis"), &basis},
        {QStringLiteral("--test"), &test},           {QStringLiteral("--reason"), &reason},
        {QStringLiteral("--by"), &by}};
    for (const auto &o : options) {
        const int i = args.indexOf(o.first);
        if (i < 0)
            continue;
        if (i + 1 >= args.size())
            return fail(QStringLiteral("%1 needs a value").arg(o.first));
        *o.second = args.at(i + 1);
        args.erase(args.begin() + i, args.begin() + i + 2);
    }
    if (args.size() != 2)
        return fail(QStringLiteral("rejudge PROJECT HOLE --thickness CM [--quality 0|1] [--limit MM|--basis"
                                   " \"CODE|PILE TYPE\"] [--test NAME] --reason TEXT --by NAME"));
    OfficeRejudgement r;
    r.project = args.at(0);
    r.hole = args.at(1);
    r.reason = reason;
    r.by = by;
    r.via = QStringLiteral("zpvw-archive run by %1").arg(archiveUser());
    bool ok = false;
    r.judgement.thicknessCm = thickness.toInt(&ok);
    if (!ok)
        return fail(QStringLiteral("--thickness: a whole number of centimetres is needed"));
    if (!quality.isEmpty()) {
        r.judgement.quality = quality.toInt(&ok);
        if (!ok)
            return fail(QStringLiteral("--quality: 0 (qualified) or 1 (unqualified)"));
    }
    if (!limit.isEmpty()) {
        r.judgement.designLimitMm = limit.toInt(&ok);
        if (!ok)
            return fail(QStringLiteral("--limit: a whole number of millimetres"));
    }
    if (!basis.isEmpty()) {
        const int bar = basis.indexOf(QLatin1Char('|'));
        r.judgement.code = basis.left(bar).trimmed();
        r.judgement.pileType = bar < 0 ? QString() : basis.mid(bar + 1).trimmed();
    }
    QVector<VersionRow> history;
    QString error;
    if (!holeHistory(db, r.project, r.hole, &history, &error))
        return fail(error);
    const VersionRow *newest = pickVersion(history, 0, test);
    if (!newest)
        return fail(QStringLiteral("no such test of hole %1 in project %2").arg(r.hole, r.project));
    r.versionId = newest->id;
    const RejudgeResult done = rejudgeInOffice(db, r, CPileLimits::instrument());
    if (!done.ok())
        return fail(done.message);
    line(QStringLiteral("version %1 of %2 %3: %4 -> %5")
             .arg(QString::number(done.version), v(newest->testDate), v(newest->testTime), done.oldVerdict,
                  done.newVerdict));
    return 0;
}

int find(CArchiveDb &db, const QString &text)
{
    QVector<FoundHole> rows;
    QString error;
    if (!findInArchive(db, text, &rows, &error))
        return fail(error);
    for (const FoundHole &r : rows)
        line(QStringLiteral("%1\t%2\t%3").arg(v(r.project), v(r.hole), v(r.matched)));
    return 0;
}
} // namespace ArchiveCommands
