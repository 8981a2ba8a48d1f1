#include "webgate.h"

#include "accesssecrets.h"
#include "archivedb.h"
#include "archivepages.h"
#include "archiveusers.h"
#include "audittrail.h"
#include "threadarchive.h"
#include "webreply.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QMutexLocker>
#include <QUrl>
#include <httplib.h>

namespace {
QString tr(const char *source) { return QCoreApplication::translate("CArchivePages", source); }

qint64 nowSeconds() { return QDateTime::currentSecsSinceEpoch(); }

QString peerOf(const httplib::Request &req) { return QString::fromStdString(req.remote_addr); }

// The request's path and query, percent-encoded as it came.
QString requestTarget(const httplib::Request &req)
{
    return req.target.empty() ? QString::fromStdString(req.path) : QString::fromStdString(req.target);
}

// An entry of the trail for a login event; a trail that cannot be written
// (a read-only archive) does not stop the answer.
void recordLogin(CArchiveDb &db, const QString &detail)
{
    QString error;
    appendAuditEntry(db, QStringLiteral("login"), QString(), QString(), detail, QString(), nullptr, &error);
}

constexpr int kMaxKeys = 10000;
} // namespace

bool CLoginThrottle::full(Times &times, const QString &key, qint64 now)
{
    auto it = times.find(key);
    if (it == times.end())
        return false;
    QVector<qint64> &t = *it;
    t.erase(std::remove_if(t.begin(), t.end(), [&](qint64 at) { return now - at >= kWindowSeconds; }), t.end());
    if (t.isEmpty()) {
        times.erase(it);
        return false;
    }
    return t.size() >= kMaxFailures;
}

void CLoginThrottle::note(Times &times, const QString &key, qint64 now)
{
    // Memory stays bounded whatever names a client makes up: when too many
    // are counted, those whose failures are all old go first.
    if (times.size() >= kMaxKeys) {
        for (auto it = times.begin(); it != times.end();)
            it = now - it->last() >= kWindowSeconds ? times.erase(it) : std::next(it);
        if (times.size() >= kMaxKeys)
            times.erase(times.begin());
    }
    QVector<qint64> &t = times[key];
    t.append(now);
    if (t.size() > kMaxFailures)
        t.removeFirst();
}

bool CLoginThrottle::refused(const QString &name, const QString &peer, qint64 now)
{
    QMutexLocker lock(&m_mutex);
    const bool byName = full(m_names, name, now);
    return full(m_peers, peer, now) || byName;
}

void CLoginThrottle::failed(const QString &name, const QString &peer, qint64 now)
{
    QMutexLocker lock(&m_mutex);
    note(m_names, name, now);
    note(m_peers, peer, now);
}

void CLoginThrottle::succeeded(const QString &name)
{
    QMutexLocker lock(&m_mutex);
    m_names.remove(name);
}

QString sessionCookieName(bool https)
{
    return https ? QStringLiteral("__Host-zpvw_session") : QStringLiteral("zpvw_session");
}

QString loginCookieName(bool https) { return https ? QStringLiteral("__Host-zpvw_login") : QStringLiteral("zpvw_login"); }

std::string setCookie(const QString &name, const QString &value, bool https)
{
    QString c = QStringLiteral("%1=%2; Path=/; HttpOnly; SameSite=Strict").arg(name, value);
    if (https)
        c += QStringLiteral("; Secure");
    if (value.isEmpty())
        c += QStringLiteral("; Max-Age=0");
    return c.toStdString();
}

QString requestCookie(const httplib::Request &req, const QString &name)
{
    const auto range = req.headers.equal_range("Cookie");
    for (auto it = range.first; it != range.second; ++it) {
        for (const QString &pair : QString::fromStdString(it->second).split(QLatin1Char(';'))) {
            const int eq = pair.indexOf(QLatin1Char('='));
            if (eq > 0 && pair.left(eq).trimmed() == name)
                return pair.mid(eq + 1).trimmed();
        }
    }
    return QString();
}

bool isLocalPath(const QString &path)
{
    return path.startsWith(QLatin1Char('/')) && !path.startsWith(QLatin1String("//"))
           && !path.contains(QLatin1Char('\\')) && !path.contains(QLatin1Char('\r')) && !path.contains(QLatin1Char('\n'));
}

WebRole webRole(const QString &role)
{
    if (role == QLatin1String("admin"))
        return WebRole::Admin;
    if (role == QLatin1String("engineer"))
        return WebRole::Engineer;
    return role == QLatin1String("viewer") ? WebRole::Viewer : WebRole::None;
}

bool CWebGate::admit(CArchiveDb &db, const httplib::Request &req, httplib::Response &res, WebAccess *access)
{
    *access = WebAccess();
    const bool post = req.method == "POST";
    bool users = false;
    QString error;
    if (!archiveHasUsers(db, &users, &error)) {
        sendError(res, 503, error);
        return false;
    }
    if (!users) {
        // The read-only view: nothing that changes the archive.
        if (post)
            sendError(res, 403, tr("这个档案没有用户，只能查看。"));
        return !post;
    }
    SessionInfo session;
    if (!findSession(db, requestCookie(req, sessionCookieName(m_options.https)), m_options.limits, nowSeconds(), &session,
                     &error)) {
        if (!error.isEmpty())
            sendError(res, 503, error);
        else if (post)
            sendError(res, 403, tr("请先登录。"));
        else
            redirectTo(res, QStringLiteral("/login?next=%1").arg(QString::fromLatin1(QUrl::toPercentEncoding(requestTarget(req)))));
        return false;
    }
    access->signedIn = true;
    access->user = session.user;
    access->role = webRole(session.role);
    access->csrfToken = session.csrf;
    if (post && !sameSecret(requestParam(req, "csrf"), session.csrf)) {
        sendError(res, 403, tr("表单已过期或不是本网站的，请重新打开页面再提交。"));
        return false;
    }
    return true;
}

void CWebGate::decorate(const WebAccess &access, httplib::Response &res) const
{
    if (!access.signedIn || res.get_header_value("Content-Type").rfind("text/html", 0) != 0)
        return;
    const std::string::size_type at = res.body.find("</header>");
    if (at == std::string::npos)
        return;
    const QString role = access.role == WebRole::Admin      ? QStringLiteral("admin")
                         : access.role == WebRole::Engineer ? QStringLiteral("engineer")
                                                            : QStringLiteral("viewer");
    res.body.insert(at, ArchivePages::userBar(access.user, role, access.csrfToken).toUtf8().toStdString());
}

void CWebGate::loginForm(CArchiveDb &db, const httplib::Request &req, httplib::Response &res)
{
    bool users = false;
    QString error;
    if (!archiveHasUsers(db, &users, &error))
        return sendError(res, 503, error);
    if (!users)
        return redirectTo(res, QStringLiteral("/"));
    const QString next = requestParam(req, "next");
    // The login form's own CSRF token: in a cookie and in the form.
    const QString csrf = randomToken();
    res.set_header("Set-Cookie", setCookie(loginCookieName(m_options.https), csrf, m_options.https));
    sendHtml(res, 200, ArchivePages::login(isLocalPath(next) ? next : QStringLiteral("/"), csrf, QString()));
}

void CWebGate::login(CArchiveDb &db, const httplib::Request &req, httplib::Response &res)
{
    const QString formCsrf = requestCookie(req, loginCookieName(m_options.https));
    if (!sameSecret(requestParam(req, "csrf"), formCsrf))
        return sendError(res, 403, tr("表单已过期或不是本网站的，请重新打开页面再提交。"));
    const QString name = requestParam(req, "name").left(64);
    const QString next = isLocalPath(requestParam(req, "next")) ? requestParam(req, "next") : QStringLiteral("/");
    const QString peer = peerOf(req);
    const qint64 now = nowSeconds();
    if (m_throttle.refused(name, peer, now)) {
        recordLogin(db, QStringLiteral("login refused for %1 from %2: too many failed logins").arg(name, peer));
        res.set_header("Retry-After", std::to_string(CLoginThrottle::kWindowSeconds));
        return sendHtml(res, 429, ArchivePages::login(next, formCsrf, tr("登录失败次数过多，请 5 分钟后再试。")));
    }
    UserRow user;
    QString error;
    if (!checkPassword(db, name, requestParam(req, "password"), &user, &error)) {
        if (!error.isEmpty())
            return sendError(res, 503, error);
        m_throttle.failed(name, peer, now);
        recordLogin(db, QStringLiteral("login failed for %1 from %2").arg(name, peer));
        return sendHtml(res, 401, ArchivePages::login(next, formCsrf, tr("用户名或密码不正确。")));
    }
    m_throttle.succeeded(name);
    QString token;
    SessionInfo session;
    if (!purgeSessions(db, m_options.limits, now, &error) || !startSession(db, user.name, now, &token, &session, &error))
        return sendError(res, 503, error);
    recordLogin(db, QStringLiteral("login %1 from %2").arg(user.name, peer));
    res.set_header("Set-Cookie", setCookie(sessionCookieName(m_options.https), token, m_options.https));
    res.set_header("Set-Cookie", setCookie(loginCookieName(m_options.https), QString(), m_options.https));
    redirectTo(res, next);
}

void CWebGate::logout(CArchiveDb &db, const WebAccess &access, const httplib::Request &req, httplib::Response &res)
{
    QString error;
    if (!endSession(db, requestCookie(req, sessionCookieName(m_options.https)), &error))
        return sendError(res, 503, error);
    recordLogin(db, QStringLiteral("logout %1 from %2").arg(access.user, peerOf(req)));
    res.set_header("Set-Cookie", setCookie(sessionCookieName(m_options.https), QString(), m_options.https));
    redirectTo(res, QStringLiteral("/login"));
}

void CWebGate::addRoutes(httplib::Server &server, const ArchiveAddress &archive)
{
    auto withDb = [this, archive](void (CWebGate::*handler)(CArchiveDb &, const httplib::Request &, httplib::Response &)) {
        return [this, archive, handler](const httplib::Request &req, httplib::Response &res) {
            QString error;
            CArchiveDb *db = threadArchive(archive, &error);
            if (!db)
                return sendError(res, 503, error);
            (this->*handler)(*db, req, res);
        };
    };
    server.Get("/login", withDb(&CWebGate::loginForm));
    server.Post("/login", withDb(&CWebGate::login));
    server.Post("/logout", [this, archive](const httplib::Request &req, httplib::Response &res) {
        QString error;
        CArchiveDb *db = threadArchive(archive, &error);
        if (!db)
            return sendError(res, 503, error);
        WebAccess access;
        if (admit(*db, req, res, &access))
            logout(*db, access, req, res);
    });
}
