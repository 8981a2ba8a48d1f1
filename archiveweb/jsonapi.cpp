#include "jsonapi.h"

#include "apitokens.h"
#include "archivedb.h"
#include "archivequeries.h"
#include "archivesummary.h"
#include "audittrail.h"
#include "holefacts.h"
#include "threadarchive.h"
#include "webreply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextCodec>
#include <QUrl>
#include <cmath>
#include <httplib.h>

namespace {
const char kPrefix[] = "/api/v1/projects";

void sendJsonError(httplib::Response &res, int status, const QString &message)
{
    sendJson(res, status, QJsonDocument(QJsonObject{{QStringLiteral("error"), message}}).toJson(QJsonDocument::Compact));
}

void sendValue(httplib::Response &res, const QJsonValue &v)
{
    const QByteArray json = v.isArray() ? QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact)
                                        : QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact);
    sendJson(res, 200, json);
}

QJsonValue number(float v) { return std::isfinite(v) ? QJsonValue(double(v)) : QJsonValue(QJsonValue::Null); }
QJsonValue limit(const std::optional<int> &mm) { return mm ? QJsonValue(*mm) : QJsonValue(QJsonValue::Null); }

QJsonObject projectJson(const ProjectRow &p)
{
    return {{QStringLiteral("project"), p.project}, {QStringLiteral("holes"), p.holes},
            {QStringLiteral("tests"), p.tests},     {QStringLiteral("versions"), p.versions},
            {QStringLiteral("passed"), p.passed},   {QStringLiteral("failed"), p.failed},
            {QStringLiteral("notJudged"), p.notJudged}};
}

// The judgement a stored test carries, alike for a hole's newest test and
// for each version.
template <class Row> QJsonObject withJudgement(QJsonObject o, const Row &r)
{
    o.insert(QStringLiteral("thicknessCm"), r.thicknessCm);
    o.insert(QStringLiteral("quality"), r.quality);
    o.insert(QStringLiteral("limitMm"), limit(r.limitMm));
    o.insert(QStringLiteral("verdict"), r.verdict);
    o.insert(QStringLiteral("overridden"), r.overridden);
    o.insert(QStringLiteral("overrideReason"), r.overrideReason);
    o.insert(QStringLiteral("samples"), r.samples);
    return o;
}

QJsonObject holeJson(const HoleRow &h)
{
    return withJudgement({{QStringLiteral("hole"), h.hole},
                          {QStringLiteral("testDate"), h.testDate},
                          {QStringLiteral("testTime"), h.testTime},
                          {QStringLiteral("versionId"), h.versionId},
                          {QStringLiteral("version"), h.version},
                          {QStringLiteral("sha256"), h.sha256},
                          {QStringLiteral("fileName"), h.fileName}},
                         h);
}

QJsonObject versionJson(const VersionRow &r)
{
    QJsonArray companions;
    for (const CompanionRow &c : r.companions)
        companions.append(QJsonObject{{QStringLiteral("name"), c.name},
                                      {QStringLiteral("sha256"), c.sha256},
                                      {QStringLiteral("size"), c.size}});
    return withJudgement({{QStringLiteral("versionId"), r.id},
                          {QStringLiteral("test"), r.testName},
                          {QStringLiteral("testDate"), r.testDate},
                          {QStringLiteral("testTime"), r.testTime},
                          {QStringLiteral("version"), r.version},
                          {QStringLiteral("fileName"), r.fileName},
                          {QStringLiteral("sha256"), r.sha256},
                          {QStringLiteral("size"), r.size},
                          {QStringLiteral("importedAt"), r.importedAt},
                          {QStringLiteral("importedBy"), r.importedBy},
                          {QStringLiteral("source"), r.source},
                          {QStringLiteral("tester"), r.tester},
                          {QStringLiteral("companions"), companions}},
                         r);
}

QString verdictName(int32_t v)
{
    return v == AcceptanceVerdict::Pass   ? QStringLiteral("pass")
           : v == AcceptanceVerdict::Fail ? QStringLiteral("fail")
                                          : QStringLiteral("not judged");
}

void projects(CArchiveDb &db, httplib::Response &res)
{
    QVector<ProjectRow> rows;
    QString error;
    if (!listProjects(db, &rows, &error))
        return sendJsonError(res, 500, error);
    QJsonArray a;
    for (const ProjectRow &p : rows)
        a.append(projectJson(p));
    sendValue(res, a);
}

void holes(CArchiveDb &db, const QString &project, httplib::Response &res)
{
    QVector<HoleRow> rows;
    QString error;
    if (!listHoles(db, project, &rows, &error))
        return sendJsonError(res, 500, error);
    if (rows.isEmpty())
        return sendJsonError(res, 404, QStringLiteral("no such project"));
    QJsonArray a;
    for (const HoleRow &h : rows)
        a.append(holeJson(h));
    sendValue(res, QJsonObject{{QStringLiteral("project"), project}, {QStringLiteral("holes"), a}});
}

void hole(CArchiveDb &db, const QString &project, const QString &name, const QString &versionText,
          httplib::Response &res)
{
    static const QRegularExpression id(QStringLiteral("^[1-9][0-9]{0,15}$"));
    if (!versionText.isEmpty() && !id.match(versionText).hasMatch())
        return sendJsonError(res, 400, QStringLiteral("version is a version id (a whole number)"));
    QVector<VersionRow> history;
    QString error;
    if (!holeHistory(db, project, name, &history, &error))
        return sendJsonError(res, 500, error);
    if (history.isEmpty())
        return sendJsonError(res, 404, QStringLiteral("no such hole"));
    const VersionRow *shown = versionText.isEmpty() ? pickVersion(history, 0, QString()) : nullptr;
    for (const VersionRow &r : history) {
        if (!versionText.isEmpty() && r.id == versionText.toLongLong())
            shown = &r;
    }
    if (!shown)
        return sendJsonError(res, 404, QStringLiteral("no such version"));
    QByteArray bytes;
    if (!storedBytes(db, shown->sha256, &bytes, &error))
        return sendJsonError(res, 500, error);
    const HoleFactsResult read = readHoleFacts(bytes, QString(), shown->fileName);
    QJsonArray samples;
    for (const Sample &s : read.samples)
        samples.append(QJsonObject{{QStringLiteral("depthMm"), s.depth},
                                   {QStringLiteral("resistivity"), number(s.resistivity)},
                                   {QStringLiteral("rawResistivity"), number(s.rawResistivity)}});
    QJsonArray versions;
    for (const VersionRow &r : history)
        versions.append(versionJson(r));
    QJsonObject shownJson = versionJson(*shown);
    shownJson.insert(QStringLiteral("sampleValues"), samples);
    sendValue(res, QJsonObject{{QStringLiteral("project"), project},
                               {QStringLiteral("hole"), name},
                               {QStringLiteral("versions"), versions},
                               {QStringLiteral("shown"), shownJson}});
}

void summary(CArchiveDb &db, const QString &project, const QString &trailHead, httplib::Response &res)
{
    ProjectSummary s;
    QString error;
    if (!archiveProjectSummary(db, project, &s, &error))
        return sendJsonError(res, 404, error);
    QJsonArray holes;
    for (const HoleResult &h : s.holes) {
        const HoleTestRecord &t = h.latest();
        holes.append(QJsonObject{{QStringLiteral("hole"), h.hole},
                                 {QStringLiteral("tests"), h.tests()},
                                 {QStringLiteral("verdict"), verdictName(h.verdict())},
                                 {QStringLiteral("latestFile"), t.fileName},
                                 {QStringLiteral("testDate"), t.testDate},
                                 {QStringLiteral("testTime"), t.testTime},
                                 {QStringLiteral("thicknessCm"), t.sedimentThicknessCm},
                                 {QStringLiteral("tester"), t.tester}});
    }
    QJsonArray unreadable;
    for (const HoleTestRecord &t : s.unreadable)
        unreadable.append(QJsonObject{{QStringLiteral("fileName"), t.fileName}, {QStringLiteral("error"), t.error}});
    sendValue(res, QJsonObject{{QStringLiteral("project"), project},
                               {QStringLiteral("tested"), s.tested()},
                               {QStringLiteral("passed"), s.passed()},
                               {QStringLiteral("failed"), s.failed()},
                               {QStringLiteral("notJudged"), s.notJudged()},
                               {QStringLiteral("holes"), holes},
                               {QStringLiteral("unreadable"), unreadable},
                               {QStringLiteral("trailHead"), trailHead}});
}

QString bearerToken(const httplib::Request &req)
{
    const QString header = QString::fromStdString(req.get_header_value("Authorization")).trimmed();
    static const QRegularExpression re(QStringLiteral("^Bearer +([A-Za-z0-9_\\-]{16,128})$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(header);
    return m.hasMatch() ? m.captured(1) : QString();
}

void answer(CArchiveDb &db, const httplib::Request &req, httplib::Response &res)
{
    QString tokenName, error;
    if (!findApiToken(db, bearerToken(req), &tokenName, &error)) {
        if (!error.isEmpty())
            return sendJsonError(res, 503, error);
        res.set_header("WWW-Authenticate", "Bearer realm=\"zpvw-archive\"");
        return sendJsonError(res, 401, QStringLiteral("a valid bearer token is needed"));
    }
    const QString target = QString::fromStdString(req.target.empty() ? req.path : req.target);
    QStringList seg;
    if (!apiPathSegments(target, &seg))
        return sendJsonError(res, 400, QStringLiteral("malformed path"));
    const QString project = seg.value(0), holeName = seg.size() == 3 ? seg.at(2) : QString();
    QString head;
    const QString detail = QStringLiteral("GET %1 with token %2 from %3")
                               .arg(target.left(300), tokenName, QString::fromStdString(req.remote_addr));
    if (!appendAuditEntry(db, QStringLiteral("api"), project, holeName, detail, QString(), &head, &error))
        return sendJsonError(res, 503, QStringLiteral("the request cannot be recorded in the audit trail: %1").arg(error));
    if (seg.isEmpty())
        return projects(db, res);
    if (seg.size() == 2 && seg.at(1) == QLatin1String("holes"))
        return holes(db, project, res);
    if (seg.size() == 3 && seg.at(1) == QLatin1String("holes"))
        return hole(db, project, holeName, requestParam(req, "version"), res);
    if (seg.size() == 2 && seg.at(1) == QLatin1String("summary"))
        return summary(db, project, head, res);
    sendJsonError(res, 404, QStringLiteral("no such resource"));
}
} // namespace

bool apiPathSegments(const QString &rawTarget, QStringList *segments)
{
    segments->clear();
    QString path = rawTarget.left(rawTarget.indexOf(QLatin1Char('?')));
    if (!path.startsWith(QLatin1String(kPrefix)))
        return false;
    path = path.mid(int(sizeof kPrefix) - 1);
    if (path.isEmpty() || path == QLatin1String("/"))
        return true;
    if (!path.startsWith(QLatin1Char('/')))
        return false;
    QTextCodec::ConverterState state;
    for (const QString &raw : path.mid(1).split(QLatin1Char('/'))) {
        const QByteArray bytes = QByteArray::fromPercentEncoding(raw.toLatin1());
        const QString text = QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
        if (raw.isEmpty() || state.invalidChars > 0)
            return false;
        segments->append(text);
    }
    return true;
}

void addJsonApiRoutes(httplib::Server &server, const ArchiveAddress &archive)
{
    server.Get(R"(/api/v1/projects(/.*)?)", [archive](const httplib::Request &req, httplib::Response &res) {
        QString error;
        CArchiveDb *db = threadArchive(archive, &error);
        if (!db)
            return sendJsonError(res, 503, error);
        answer(*db, req, res);
    });
}
