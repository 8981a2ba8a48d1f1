#pragma once
// zpvw-archive serve: the archive's pages over HTTP (cpp-httplib), read-only.
//
// Routes (anything else is 404):
//   /                               the project list
//   /project?name=P                 a project's holes, failed first
//   /summary.csv?name=P, /summary.pdf?name=P   the project summary
//   /hole?project=P&hole=H[&v=ID][&page=N]     curve, versions, samples
//   /file?sha=HEX[&name=N]          stored bytes of a hole or companion file
//   /search?q=TEXT
//   /style.css
//   POST /api/v1/tests              a signed test from an instrument (uploadapi.h)
//   GET /api/v1/projects...         the read-only JSON API (jsonapi.h, bearer tokens)
//   /login, POST /logout            sessions (webgate.h)
// Every page and download passes the access gate (webgate.h): once the
// archive has users, only with a session.
//   POST /rejudge                   the hole page's re-judgement form: a new
//                                   version (officerejudge.h), for engineers
// Parameters are checked (a SHA-256 is 64 hex digits, ids and pages are
// numbers) and only files that belong to an archived version are served;
// nothing on the disk is ever opened by a request. Every connection is
// read through the guard of guardedserver.h first: limits of the head and
// the body, Host, the peer's request rate, timeouts.

#include "archiveaddress.h"
#include "archivesessions.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace httplib {
class Server;
}
class CWebGate;
class CConnectionGuard;

struct ListenAddress {
    QString host = QStringLiteral("127.0.0.1");
    int port = 8080;
};
// "HOST:PORT" (or "[v6]:PORT"); port 0 takes a free one. False with a reason.
bool parseListenAddress(const QString &text, ListenAddress *out, QString *error);

// Whether a listen address is this machine's loopback (127.0.0.0/8, ::1,
// localhost): an archive without users is served there only.
bool isLoopbackHost(const QString &host);

// HTTPS when both are given (PEM files).
struct TlsFiles {
    QString certificate;
    QString key;
    bool enabled() const { return !certificate.isEmpty() && !key.isEmpty(); }
};

class CArchiveWebServer {
public:
    explicit CArchiveWebServer(const ArchiveAddress &archive, const TlsFiles &tls = TlsFiles(),
                               const SessionLimits &limits = SessionLimits());
    ~CArchiveWebServer();
    // Host names the pages are served under besides the loopback names and
    // the listening address (serve --host); any other Host is refused.
    void setHostNames(const QStringList &names);
    // Requests a minute from one peer address before 429 (serverlimits.h).
    // Both setters before run().
    void setRequestsPerMinute(int perMinute);
    // Binds; false with a reason. boundPort() then tells the port.
    bool bind(const ListenAddress &address, QString *error);
    int boundPort() const { return m_port; }
    // Serves until stop() (from another thread or a signal).
    bool run();
    void stop();

private:
    void routes();
    ArchiveAddress m_archive;
    std::shared_ptr<CConnectionGuard> m_guard;
    std::unique_ptr<httplib::Server> m_server;
    std::unique_ptr<CWebGate> m_gate;
    std::function<bool()> m_widenBacklog;
    int m_port = 0;
    bool m_https = false;
};
