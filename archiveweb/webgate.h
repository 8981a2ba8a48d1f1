#pragma once
// The access gate of zpvw-archive serve. On an archive without users it
// lets every GET through as the read-only view of old (the server then
// listens on loopback only) and refuses every POST. Once a user exists,
// every page and download needs a session: without one a GET is sent to
// /login?next=..., a POST gets 403. Every POST also carries the session's
// CSRF token in the field "csrf", compared in constant time (403 when it
// is missing or wrong).
//
//   GET  /login    the sign-in form (a login CSRF token in a cookie and the form)
//   POST /login    name, password, csrf, next: a new session, 303 to next
//   POST /logout   ends the session, 303 to /login
//
// Failed logins are counted per name and per socket peer address (never a
// header the client sends): after 5 within 5 minutes, tries for that name
// or from that address are refused with 429 until the oldest of them is 5
// minutes old. Logins, failures, refusals and logouts are entries of the
// audit trail (action "login") with the peer address.

#include "archiveaddress.h"
#include "archivesessions.h"
#include "webaccess.h"

#include <QHash>
#include <QMutex>
#include <QString>
#include <QVector>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
}
class CArchiveDb;

// Failed logins per name and per address within a sliding window.
class CLoginThrottle {
public:
    static constexpr int kMaxFailures = 5;
    static constexpr qint64 kWindowSeconds = 5 * 60;
    bool refused(const QString &name, const QString &peer, qint64 now);
    void failed(const QString &name, const QString &peer, qint64 now);
    void succeeded(const QString &name);

private:
    using Times = QHash<QString, QVector<qint64>>;
    static bool full(Times &times, const QString &key, qint64 now);
    static void note(Times &times, const QString &key, qint64 now);
    QMutex m_mutex;
    Times m_names;
    Times m_peers;
};

// The cookie names: "__Host-" prefixed over HTTPS.
QString sessionCookieName(bool https);
QString loginCookieName(bool https);
// A Set-Cookie value: HttpOnly, SameSite=Strict, Path=/, Secure over HTTPS;
// an empty value removes the cookie.
std::string setCookie(const QString &name, const QString &value, bool https);
// The value of a cookie in the request's Cookie headers, or empty.
QString requestCookie(const httplib::Request &req, const QString &name);
// Where a login may send the browser: a path of this server only.
bool isLocalPath(const QString &path);
// The role a stored role name gives.
WebRole webRole(const QString &role);

struct WebGateOptions {
    bool https = false;
    SessionLimits limits;
};

class CWebGate {
public:
    explicit CWebGate(const WebGateOptions &options) : m_options(options) {}
    // Who asks; false when the answer is already made (the way to the
    // login, 403 for a POST without a session or its CSRF token, 503).
    bool admit(CArchiveDb &db, const httplib::Request &req, httplib::Response &res, WebAccess *access);
    // The signed-in user and the logout button in an HTML page's header.
    void decorate(const WebAccess &access, httplib::Response &res) const;
    void addRoutes(httplib::Server &server, const ArchiveAddress &archive);

private:
    void loginForm(CArchiveDb &db, const httplib::Request &req, httplib::Response &res);
    void login(CArchiveDb &db, const httplib::Request &req, httplib::Response &res);
    void logout(CArchiveDb &db, const WebAccess &access, const httplib::Request &req, httplib::Response &res);
    WebGateOptions m_options;
    CLoginThrottle m_throttle;
};
