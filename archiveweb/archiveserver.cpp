#include "archiveserver.h"

#include "archivedb.h"
#include "archivepages.h"
#include "archivequeries.h"
#include "archivesummary.h"
#include "guardedserver.h"
#include "audittrail.h"
#include "holefacts.h"
#include "htmltext.h"
#include "officerejudge.h"
#include "rejudgeform.h"
#include "sedimentsuggest.h"
#include "suggestionmarker.h"
#include "threadarchive.h"
#include "uploadapi.h"
#include "jsonapi.h"
#include "webgate.h"
#include "webreply.h"
#include "webaccess.h"
#include "summarywriters.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>
#include <QTemporaryDir>
#include <algorithm>
#include <httplib.h>
#include <memory>

namespace {
QString tr(const char *source) { return QCoreApplication::translate("CArchivePages", source); }

QString param(const httplib::Request &req, const char *name) { return requestParam(req, name); }

void sendBytes(httplib::Response &res, const QByteArray &bytes, const char *type, const QString &fileName)
{
    res.status = 200;
    res.set_header("X-Content-Type-Options", "nosniff");
    // ASCII fallback plus the UTF-8 name (RFC 6266 / 5987).
    QString ascii = fileName;
    for (QChar &c : ascii) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e || c == QLatin1Char('"') || c == QLatin1Char('\\'))
            c = QLatin1Char('_');
    }
    const std::string disposition = QStringLiteral("attachment; filename=\"%1\"; filename*=UTF-8''%2")
                                         .arg(ascii, QString::fromLatin1(QUrl::toPercentEncoding(fileName)))
                                         .toStdString();
    res.set_header("Content-Disposition", disposition);
    res.set_content(bytes.constData(), size_t(bytes.size()), type);
}

// Every download is an entry of the trail, as an export is, made before a
// byte is sent: a download that cannot be recorded (a read-only archive) is
// refused. head receives the trail's head after it.
bool recordDownload(CArchiveDb &db, const httplib::Request &req, const QString &project, const QString &hole,
                    const QString &what, const QString &sha256, QString *head, httplib::Response &res)
{
    const QString detail = QStringLiteral("%1 to %2 through the web view")
                               .arg(what, QString::fromStdString(req.remote_addr));
    QString error;
    if (appendAuditEntry(db, QStringLiteral("download"), project, hole, detail, sha256, head, &error))
        return true;
    sendError(res, 503, tr("下载无法记入审计记录，因此不提供：%1").arg(error));
    return false;
}

bool isSha256(const QString &s)
{
    static const QRegularExpression re(QStringLiteral("^[0-9a-f]{64}$"));
    return re.match(s).hasMatch();
}

// A whole number from 1 up, or 0 when absent; -1 when malformed.
qint64 positive(const QString &s)
{
    if (s.isEmpty())
        return 0;
    static const QRegularExpression re(QStringLiteral("^[1-9][0-9]{0,15}$"));
    return re.match(s).hasMatch() ? s.toLongLong() : -1;
}

bool loadHolePage(CArchiveDb &db, const QString &project, const QString &hole, qint64 versionId, int tablePage,
                  HolePageData *d, int *status, QString *error)
{
    d->project = project;
    d->hole = hole;
    if (!holeHistory(db, project, hole, &d->history, error)) {
        *status = 500;
        return false;
    }
    if (d->history.isEmpty()) {
        *status = 404;
        *error = tr("工程“%1”中没有孔“%2”。").arg(project, hole);
        return false;
    }
    d->shown = versionId > 0 ? nullptr : pickVersion(d->history, 0, QString());
    for (const VersionRow &r : d->history) {
        if (r.id == versionId)
            d->shown = &r;
    }
    if (!d->shown) {
        *status = 404;
        *error = tr("这个孔没有这个版本。");
        return false;
    }
    if (!versionSignature(db, d->shown->id, &d->signature, error)) {
        *status = 500;
        return false;
    }
    for (const VersionRow &r : d->history) {
        QByteArray bytes;
        if (!storedBytes(db, r.sha256, &bytes, error)) {
            *status = 500;
            return false;
        }
        HoleFactsResult read = readHoleFacts(bytes, QString(), r.fileName);
        CurveSeries s;
        s.main = &r == d->shown;
        // Tests of an older instrument's run share their time: the name tells them apart.
        s.label = QStringLiteral("%1 %2 %3 v%4").arg(r.testName, r.testDate, r.testTime, QString::number(r.version));
        s.samples = read.samples;
        if (s.main)
            d->record = read;
        d->series.append(s);
    }
    const CtrlInfo &info = d->record.info;
    d->marks.maxDepthMm = info.maxDepth;
    d->marks.judgedThicknessCm = info.sedimentThickness;
    d->marks.judgedLabel = tr("沉渣 %1 cm").arg(int(info.sedimentThickness));
    const SedimentSuggestion s = suggestSedimentInterface(d->record.samples, info.maxDepth, info.moveDistance);
    d->marks.suggested = s.shown();
    d->marks.suggestedDepthMm = s.depth;
    d->marks.suggestedLabel = suggestionLabel(s);
    d->tablePage = tablePage;
    return true;
}

// The pages, one handler each.
// access: who asks (filled by the gate in routes()).
using Handler = void (*)(CArchiveDb &db, const WebAccess &access, const httplib::Request &req, httplib::Response &res);

void projectsPage(CArchiveDb &db, const WebAccess &, const httplib::Request &, httplib::Response &res)
{
    QVector<ProjectRow> rows;
    QString error;
    if (!listProjects(db, &rows, &error))
        return sendError(res, 500, error);
    sendHtml(res, 200, ArchivePages::projectList(rows));
}

void projectPage(CArchiveDb &db, const WebAccess &, const httplib::Request &req, httplib::Response &res)
{
    const QString name = param(req, "name");
    QVector<HoleRow> rows;
    QString error;
    if (!listHoles(db, name, &rows, &error))
        return sendError(res, 500, error);
    if (rows.isEmpty())
        return sendError(res, 404, tr("档案中没有工程“%1”。").arg(name));
    sendHtml(res, 200, ArchivePages::project(name, rows));
}

void sendSummary(CArchiveDb &db, const httplib::Request &req, httplib::Response &res, bool pdf)
{
    const QString name = param(req, "name");
    ProjectSummary summary;
    QString error;
    if (!archiveProjectSummary(db, name, &summary, &error))
        return sendError(res, 404, error);
    const QString file = QStringLiteral("%1-summary.%2").arg(name, pdf ? QStringLiteral("pdf") : QStringLiteral("csv"));
    // The summary carries the head that its own download made.
    if (!recordDownload(db, req, name, QString(), QStringLiteral("the project summary %1").arg(file), QString(),
                        &summary.trailHead, res))
        return;
    if (!pdf)
        return sendBytes(res, projectSummaryCsv(summary), "text/csv; charset=utf-8", file);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("summary.pdf"));
    QFile f(path);
    if (!writeProjectSummaryPdf(summary, path, &error) || !f.open(QIODevice::ReadOnly))
        return sendError(res, 500, error);
    sendBytes(res, f.readAll(), "application/pdf", file);
}

void summaryCsv(CArchiveDb &db, const WebAccess &, const httplib::Request &req, httplib::Response &res) { sendSummary(db, req, res, false); }

void summaryPdf(CArchiveDb &db, const WebAccess &, const httplib::Request &req, httplib::Response &res) { sendSummary(db, req, res, true); }

void holePage(CArchiveDb &db, const WebAccess &access, const httplib::Request &req, httplib::Response &res)
{
    const qint64 version = positive(param(req, "v"));
    const qint64 page = positive(param(req, "page"));
    if (version < 0 || page < 0 || page > 1000000)
        return sendError(res, 400, tr("参数不正确。"));
    HolePageData d;
    int status = 500;
    QString error;
    if (!loadHolePage(db, param(req, "project"), param(req, "hole"), version, int(qMax<qint64>(page, 1) - 1), &d,
                      &status, &error))
        return sendError(res, status, error);
    d.access = access;
    if (access.mayRejudge())
        d.bases = CPileLimits::instrument().choices();
    sendHtml(res, 200, ArchivePages::hole(d));
}

// The longest re-judgement form taken: its fields are a few short texts.
constexpr std::size_t kLargestRejudgeForm = 64 * 1024;

// POST /rejudge: the hole page's form. The gate has checked the session
// and the form's CSRF token before this runs; the role is checked here.
void rejudgePost(CArchiveDb &db, const WebAccess &access, const httplib::Request &req, httplib::Response &res)
{
    if (!access.mayRejudge())
        return sendError(res, 403, tr("只有登录的工程师或管理员可以改判。"));
    if (req.body.size() > kLargestRejudgeForm)
        return sendError(res, 413, tr("请求太大。"));
    OfficeRejudgement r;
    QString why;
    if (!readRejudgeForm(formFields(QByteArray::fromStdString(req.body)), &r, &why))
        return sendError(res, 400, why);
    r.by = access.user;
    r.via = QStringLiteral("the web view from %1").arg(QString::fromStdString(req.remote_addr));
    const RejudgeResult done = rejudgeInOffice(db, r, CPileLimits::instrument());
    const int status = rejudgeHttpStatus(done.status);
    if (done.status == RejudgeResult::Stale)
        return sendError(res, status, tr("这个版本已不是最新的，有人已先改判：%1").arg(done.message));
    if (status != 303)
        return sendError(res, status, done.message);
    res.status = status;
    res.set_header("Cache-Control", "no-store");
    res.set_header("Location", QStringLiteral("/hole?project=%1&hole=%2").arg(urlValue(r.project), urlValue(r.hole)).toStdString());
}

void storedFile(CArchiveDb &db, const WebAccess &, const httplib::Request &req, httplib::Response &res)
{
    const QString sha = param(req, "sha");
    if (!isSha256(sha))
        return sendError(res, 400, tr("参数不正确。"));
    // Only bytes filed as a hole file or a companion, under their names.
    QVector<FiledAs> filed;
    QString error;
    if (!whereFiled(db, sha, &filed, &error))
        return sendError(res, 500, error);
    if (filed.isEmpty())
        return sendError(res, 404, tr("档案中没有这个文件。"));
    const QString asked = param(req, "name");
    const auto named = std::find_if(filed.cbegin(), filed.cend(), [&](const FiledAs &f) { return f.name == asked; });
    const FiledAs &f = named == filed.cend() ? filed.first() : *named;
    const QString name = f.name;
    QByteArray bytes;
    if (!storedBytes(db, sha, &bytes, &error))
        return sendError(res, 500, error);
    const QString what = QStringLiteral("%1 (test %2 %3, version %4)")
                             .arg(name, f.testDate, f.testTime, QString::number(f.version));
    if (!recordDownload(db, req, f.project, f.hole, what, sha, nullptr, res))
        return;
    const bool pdf = name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
    sendBytes(res, bytes, pdf ? "application/pdf" : "application/octet-stream", name);
    res.set_header("X-SHA-256", sha.toStdString());
}

void searchPage(CArchiveDb &db, const WebAccess &, const httplib::Request &req, httplib::Response &res)
{
    const QString text = param(req, "q").left(200);
    QVector<FoundHole> found;
    QString error;
    if (!text.trimmed().isEmpty() && !findInArchive(db, text, &found, &error))
        return sendError(res, 500, error);
    sendHtml(res, 200, ArchivePages::search(text, found));
}

void styleSheet(const httplib::Request &, httplib::Response &res)
{
    const QByteArray css = ArchivePages::styleSheet();
    res.set_header("Cache-Control", "max-age=3600");
    res.set_content(css.constData(), size_t(css.size()), "text/css; charset=utf-8");
}

void otherRequest(const httplib::Request &, httplib::Response &res)
{
    if (res.status == 404 && res.body.empty())
        sendError(res, 404, tr("没有这个页面。"));
    else if (res.body.empty())
        sendError(res, res.status, tr("请求不正确。"));
}
} // namespace

bool parseListenAddress(const QString &text, ListenAddress *out, QString *error)
{
    static const QRegularExpression re(QStringLiteral("^(\\[[0-9A-Fa-f:.]+\\]|[A-Za-z0-9.\\-]+):([0-9]{1,5})$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch() || m.captured(2).toInt() > 65535) {
        *error = QStringLiteral("--listen \"%1\": expected HOST:PORT, e.g. 127.0.0.1:8080").arg(text);
        return false;
    }
    QString host = m.captured(1);
    if (host.startsWith(QLatin1Char('[')))
        host = host.mid(1, host.size() - 2);
    out->host = host;
    out->port = m.captured(2).toInt();
    return true;
}

bool isLoopbackHost(const QString &host)
{
    static const QRegularExpression v4(QStringLiteral("^127(\\.(25[0-5]|2[0-4][0-9]|1?[0-9]?[0-9])){3}$"));
    return host == QLatin1String("localhost") || host == QLatin1String("::1") || v4.match(host).hasMatch();
}

CArchiveWebServer::CArchiveWebServer(const ArchiveAddress &archive, const TlsFiles &tls, const SessionLimits &limits)
    : m_archive(archive)
{
    m_https = tls.enabled();
    WebGateOptions gate;
    gate.https = tls.enabled();
    gate.limits = limits;
    m_gate = std::make_unique<CWebGate>(gate);
    // The server's own limits, whatever the library's (guardedserver.h):
    // a read, and the whole head of a request, within 10 s; a kept
    // connection idle at most 5 s, and not at all while another waits.
    ServerLimits serverLimits;
    serverLimits.maxUploadBytes = qint64(kMaxUploadBytes);
    m_guard = std::make_shared<CConnectionGuard>(serverLimits, ConnectionTimes(), kDefaultRequestsPerMinute);
    const ConnectionTimes times = m_guard->times();
    if (tls.enabled()) {
        auto server = std::make_unique<CGuardedServer<httplib::SSLServer>>(
            m_guard, tls.certificate.toLocal8Bit().constData(), tls.key.toLocal8Bit().constData());
        m_widenBacklog = [s = server.get()] { return s->widenBacklog(); };
        m_server = std::move(server);
    } else {
        auto server = std::make_unique<CGuardedServer<httplib::Server>>(m_guard);
        m_widenBacklog = [s = server.get()] { return s->widenBacklog(); };
        m_server = std::move(server);
    }
    m_server->set_payload_max_length(kMaxUploadBytes);
    m_server->set_read_timeout(times.readMs / 1000, 0);
    m_server->set_write_timeout(times.writeMs / 1000, 0);
    m_server->set_keep_alive_max_count(size_t(times.keepAliveMax));
    m_server->set_keep_alive_timeout(times.keepAliveMs / 1000);
    // An answer goes out at once, not after the client's delayed ACK.
    m_server->set_tcp_nodelay(true);
    // A connection holds a thread while it is served: slow clients until
    // their head's deadline, kept ones until another waits. Each thread
    // keeps its own database connection for the server's life, so a
    // PostgreSQL server sees at most kWorkerThreads from here (its default
    // max_connections is 100). Figures in the README (Web view).
    constexpr int kWorkerThreads = 32;
    m_server->new_task_queue = [guard = m_guard] { return guard->newPool(kWorkerThreads); };
    routes();
}

CArchiveWebServer::~CArchiveWebServer() = default;

void CArchiveWebServer::setHostNames(const QStringList &names) { m_guard->limits().hostNames = names; }

void CArchiveWebServer::setRequestsPerMinute(int perMinute) { m_guard->setRequestsPerMinute(perMinute); }

bool CArchiveWebServer::bind(const ListenAddress &address, QString *error)
{
    if (!m_server->is_valid()) {
        *error = QStringLiteral("the TLS certificate or key cannot be used");
        return false;
    }
    const std::string host = address.host.toStdString();
    if (address.port == 0)
        m_port = m_server->bind_to_any_port(host);
    else
        m_port = m_server->bind_to_port(host, address.port) ? address.port : -1;
    if (m_port <= 0) {
        *error = QStringLiteral("cannot listen on %1:%2: %3")
                     .arg(address.host, QString::number(address.port), bindProblem(address.host, address.port));
        return false;
    }
    m_guard->limits().listenHost = address.host;
    if (!m_widenBacklog()) {
        *error = QStringLiteral("cannot listen on %1:%2 with a full backlog").arg(address.host, QString::number(m_port));
        return false;
    }
    return true;
}

bool CArchiveWebServer::run() { return m_server->listen_after_bind(); }

void CArchiveWebServer::stop() { m_server->stop(); }

void CArchiveWebServer::routes()
{
    httplib::Server &s = *m_server;
    const ArchiveAddress archive = m_archive;
    CWebGate *gate = m_gate.get();
    // Every page: its archive connection or a 503 page, then the gate
    // (a session once the archive has users; the CSRF token of a POST).
    auto withDb = [archive, gate](Handler page) {
        return [archive, gate, page](const httplib::Request &req, httplib::Response &res) {
            QString error;
            CArchiveDb *db = threadArchive(archive, &error);
            if (!db)
                return sendError(res, 503, error);
            WebAccess access;
            if (!gate->admit(*db, req, res, &access))
                return;
            page(*db, access, req, res);
            gate->decorate(access, res);
        };
    };
    s.Get("/", withDb(projectsPage));
    s.Get("/project", withDb(projectPage));
    s.Get("/summary.csv", withDb(summaryCsv));
    s.Get("/summary.pdf", withDb(summaryPdf));
    s.Get("/hole", withDb(holePage));
    s.Get("/file", withDb(storedFile));
    s.Get("/search", withDb(searchPage));
    s.Get("/style.css", styleSheet);
    s.Post("/rejudge", withDb(rejudgePost));
    addUploadRoutes(s, archive);
    addJsonApiRoutes(s, archive);
    gate->addRoutes(s, archive);
    // Everything else (other paths, other methods, traversal attempts).
    s.set_error_handler(otherRequest);
    // Served over HTTPS, a browser is told to come back only that way, so
    // a session cookie never travels in clear to a forged plain address.
    if (m_https)
        s.set_post_routing_handler([](const httplib::Request &, httplib::Response &res) {
            res.set_header("Strict-Transport-Security", "max-age=31536000");
        });
}
