#pragma once
// The web server's own limits, whatever the HTTP library does: what a
// request's head may carry before its body is read or a page is made.
// Plain decisions over a parsed head, tested without a server.
//
//   - the head (request line and headers): at most maxHeaderCount headers
//     and maxHeaderBytes in all, else 431; a REMOTE_ADDR or other header
//     the server sets itself is dropped, never believed;
//   - the body: only POST carries one, with a Content-Length (a chunked or
//     otherwise encoded transfer is 411) within the route's limit (413),
//     and without a Content-Encoding other than identity (415): nothing is
//     inflated;
//   - at most maxRanges ranges (416);
//   - Host: a loopback name, a name given with serve --host, or the
//     listening address itself, with any port; any other is 421 (the way
//     in for DNS rebinding).
// Every refusal closes the connection: the body it did not read is never
// taken for a next request.

#include "uploadapi.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

struct ServerLimits {
    int maxHeaderCount = 100;
    int maxHeaderBytes = 32 * 1024;    // request line and headers
    int maxRanges = 5;
    qint64 maxFormBytes = 64 * 1024;   // any POST but an upload
    qint64 maxUploadBytes = qint64(kMaxUploadBytes); // POST /api/v1/tests
    QStringList hostNames;             // serve --host, besides loopback
    QString listenHost;                // the address the server listens on
};

// Requests a minute from one peer address: above what the server can
// answer on two cores (50 clients from loopback: about 6,000 a second), so
// that a load test is never throttled; an office sets its own.
constexpr int kDefaultRequestsPerMinute = 600000;

struct RequestHead {
    QByteArray method;
    QByteArray target;                                // as sent: path and query
    QByteArray version;                               // "HTTP/1.1"
    QVector<QPair<QByteArray, QByteArray>> headers;   // names as sent, values trimmed
    int bytes = 0;                                    // the whole head, with its blank line

    // The first value of a header (case-insensitive name), and how many there are.
    QByteArray value(const QByteArray &name, int *count = nullptr) const;
    QByteArray path() const;
};

struct RequestVerdict {
    int status = 0;      // 0: go on; else the answer
    QString reason;      // for the refusal's page (already translated)
    bool ok() const { return status == 0; }
};

// Where the head ends in bytes read so far: the offset just past its blank
// line ("\r\n\r\n", or "\n\n"), or -1 while it is incomplete.
int endOfHead(const QByteArray &bytes);

// Parses a complete head (request line and header lines). False on a
// malformed one (400).
bool parseRequestHead(const QByteArray &head, RequestHead *out);

// The head's bytes for the HTTP library, without headers only the server
// may set (REMOTE_ADDR, REMOTE_PORT, LOCAL_ADDR, LOCAL_PORT).
QByteArray headWithoutServerHeaders(const RequestHead &head);

// A Range header's ranges ("bytes=0-1,5-9" is 2); 0 without one.
int rangeCount(const QByteArray &range);

// Host header against the names allowed (port and IPv6 brackets ignored).
bool hostAllowed(const QByteArray &host, const ServerLimits &limits);

// The largest body the route takes (0: none).
qint64 bodyLimit(const RequestHead &head, const ServerLimits &limits);

// Every limit of the head, in the order a client would want to hear them.
RequestVerdict checkRequestLimits(const RequestHead &head, const ServerLimits &limits);

// Requests per peer address in a fixed one-minute window, with a bounded
// table (the oldest windows go first when it is full). Keyed by the
// socket's peer address only. Thread-safe.
class CPeerRateLimiter {
public:
    explicit CPeerRateLimiter(int perMinute, int maxPeers = 4096);
    // True when the request may go on; now in milliseconds of any steady clock.
    bool allow(const QString &peer, qint64 nowMs);
    int perMinute() const { return m_perMinute; }
    int peers() const;

private:
    struct Window {
        qint64 startMs = 0;
        int count = 0;
    };
    const int m_perMinute;
    const int m_maxPeers;
    mutable QMutex m_lock;
    QHash<QString, Window> m_windows;
};
