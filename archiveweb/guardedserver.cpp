#include "guardedserver.h"

#include "archivepages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <netdb.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
QString tr(const char *source) { return QCoreApplication::translate("CArchivePages", source); }

// Waits until the socket can be read (or written); false on timeout.
bool waitFor(int socket, short events, int timeoutMs)
{
    pollfd p{socket, events, 0};
    int n;
    do {
        n = ::poll(&p, 1, qMax(0, timeoutMs));
    } while (n < 0 && errno == EINTR);
    return n > 0;
}

class CPlainIo : public CConnectionIo {
public:
    explicit CPlainIo(int socket) : m_socket(socket) {}
    ssize_t receive(char *data, size_t size) override
    {
        ssize_t n;
        do {
            n = ::recv(m_socket, data, size, 0);
        } while (n < 0 && errno == EINTR);
        return n;
    }
    ssize_t send(const char *data, size_t size) override
    {
        ssize_t n;
        do {
            n = ::send(m_socket, data, size, MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        return n;
    }
    int socket() const override { return m_socket; }

private:
    int m_socket;
};

class CTlsIo : public CConnectionIo {
public:
    CTlsIo(SSL *ssl, int socket) : m_ssl(ssl), m_socket(socket) {}
    ssize_t receive(char *data, size_t size) override
    {
        const int n = SSL_read(m_ssl, data, int(qMin<size_t>(size, 1 << 30)));
        return n > 0 ? n : -1;
    }
    ssize_t send(const char *data, size_t size) override
    {
        const int n = SSL_write(m_ssl, data, int(qMin<size_t>(size, 1 << 30)));
        return n > 0 ? n : -1;
    }
    bool buffered() const override { return SSL_pending(m_ssl) > 0; }
    int socket() const override { return m_socket; }

private:
    SSL *m_ssl;
    int m_socket;
};

// The connection as the library reads it: the head the guard read and
// checked, then the body, at most the length the head declared.
class CGuardedStream : public httplib::Stream {
public:
    CGuardedStream(CConnectionIo &io, const ConnectionTimes &times) : m_io(io), m_times(times)
    {
        sockaddr_storage a{};
        socklen_t len = sizeof(a);
        char host[NI_MAXHOST] = {0}, port[NI_MAXSERV] = {0};
        if (::getpeername(io.socket(), reinterpret_cast<sockaddr *>(&a), &len) == 0
            && ::getnameinfo(reinterpret_cast<sockaddr *>(&a), len, host, sizeof(host), port, sizeof(port),
                             NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
            m_peer = host;
            m_peerPort = atoi(port);
        }
        len = sizeof(a);
        if (::getsockname(io.socket(), reinterpret_cast<sockaddr *>(&a), &len) == 0
            && ::getnameinfo(reinterpret_cast<sockaddr *>(&a), len, host, sizeof(host), port, sizeof(port),
                             NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
            m_local = host;
            m_localPort = atoi(port);
        }
        // An IPv4 peer of an IPv6 socket is named as IPv4.
        if (m_peer.rfind("::ffff:", 0) == 0 && m_peer.find('.') != std::string::npos)
            m_peer = m_peer.substr(7);
    }

    const std::string &peer() const { return m_peer; }
    const QByteArray &pending() const { return m_buffer; }
    bool hasPending() const { return !m_buffer.isEmpty() || m_io.buffered(); }

    // Reads more into the buffer, waiting at most timeoutMs; false when
    // the connection ended or nothing came.
    bool fill(int timeoutMs)
    {
        if (!m_io.buffered() && !waitFor(m_io.socket(), POLLIN, timeoutMs))
            return false;
        char chunk[16384];
        const ssize_t n = m_io.receive(chunk, sizeof(chunk));
        if (n <= 0)
            return false;
        m_buffer.append(chunk, int(n));
        return true;
    }
    // The first `headBytes` of the buffer replaced by `head`, and the
    // library allowed to read that head and `body` bytes more.
    void handOver(int headBytes, const QByteArray &head, qint64 body)
    {
        m_buffer = head + m_buffer.mid(headBytes);
        m_budget = head.size() + body;
    }

    bool consumedAll() const { return m_budget == 0; }

    bool is_readable() const override
    {
        return m_budget > 0 && (hasPending() || waitFor(m_io.socket(), POLLIN, m_times.readMs));
    }
    bool is_writable() const override { return waitFor(m_io.socket(), POLLOUT, m_times.writeMs); }
    ssize_t read(char *ptr, size_t size) override
    {
        // Past what the head declared the library reads nothing: a body
        // without a length cannot make it read on.
        if (m_budget <= 0)
            return -1;
        if (m_buffer.isEmpty() && !fill(m_times.readMs))
            return -1;
        const int n = int(qMin<qint64>(qMin<qint64>(qint64(size), m_buffer.size()), m_budget));
        memcpy(ptr, m_buffer.constData(), size_t(n));
        m_buffer.remove(0, n);
        m_budget -= n;
        return n;
    }
    ssize_t write(const char *ptr, size_t size) override
    {
        size_t sent = 0;
        while (sent < size) {
            const ssize_t n = m_io.send(ptr + sent, size - sent);
            if (n <= 0)
                return sent > 0 ? ssize_t(sent) : -1;
            sent += size_t(n);
        }
        return ssize_t(sent);
    }
    void get_remote_ip_and_port(std::string &ip, int &port) const override
    {
        ip = m_peer;
        port = m_peerPort;
    }
    void get_local_ip_and_port(std::string &ip, int &port) const override
    {
        ip = m_local;
        port = m_localPort;
    }
    socket_t socket() const override { return m_io.socket(); }

private:
    CConnectionIo &m_io;
    const ConnectionTimes &m_times;
    QByteArray m_buffer;
    qint64 m_budget = 0;
    std::string m_peer, m_local;
    int m_peerPort = 0, m_localPort = 0;
};

const char *reasonPhrase(int status)
{
    switch (status) {
    case 400: return "Bad Request";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 415: return "Unsupported Media Type";
    case 416: return "Range Not Satisfiable";
    case 421: return "Misdirected Request";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    default: return "Error";
    }
}

// The refusal, as the page or (the API) as JSON, and the connection's end.
void refuse(CGuardedStream &stream, const QByteArray &path, const RequestVerdict &verdict)
{
    QByteArray body, type;
    if (path.startsWith("/api/")) {
        body = QJsonDocument(QJsonObject{{QStringLiteral("status"), QStringLiteral("refused")},
                                         {QStringLiteral("error"), verdict.reason}})
                   .toJson(QJsonDocument::Compact);
        type = "application/json";
    } else {
        body = ArchivePages::error(verdict.status, verdict.reason);
        type = "text/html; charset=utf-8";
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(verdict.status) + ' ' + reasonPhrase(verdict.status) + "\r\n";
    head += "Content-Type: " + type + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n";
    head += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n";
    head += "Content-Security-Policy: default-src 'none'; style-src 'self'; frame-ancestors 'none'\r\n";
    if (verdict.status == 429)
        head += "Retry-After: 60\r\n";
    head += "Connection: close\r\n\r\n";
    const QByteArray all = head + body;
    stream.write(all.constData(), size_t(all.size()));
}

qint64 steadyMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

// A ThreadPool that counts what waits in it.
class CCountingPool : public httplib::TaskQueue {
public:
    CCountingPool(int threads, std::atomic<int> &waiting) : m_pool(size_t(threads)), m_waiting(waiting) {}
    void enqueue(std::function<void()> fn) override
    {
        ++m_waiting;
        m_pool.enqueue([this, fn = std::move(fn)] {
            --m_waiting;
            fn();
        });
    }
    void shutdown() override { m_pool.shutdown(); }

private:
    httplib::ThreadPool m_pool;
    std::atomic<int> &m_waiting;
};
} // namespace

CConnectionGuard::CConnectionGuard(const ServerLimits &limits, const ConnectionTimes &times, int requestsPerMinute)
    : m_limits(limits), m_times(times), m_rate(std::make_unique<CPeerRateLimiter>(requestsPerMinute))
{
    // A client that goes while its answer is written (TLS writes through
    // write(2)) ends that connection, not the server.
    ::signal(SIGPIPE, SIG_IGN);
}

void CConnectionGuard::setRequestsPerMinute(int perMinute) { m_rate = std::make_unique<CPeerRateLimiter>(perMinute); }

httplib::TaskQueue *CConnectionGuard::newPool(int threads) { return new CCountingPool(threads, m_waiting); }

void CConnectionGuard::serve(CConnectionIo &io, const Process &process, const std::function<bool()> &running)
{
    CGuardedStream stream(io, m_times);
    const QString peer = QString::fromStdString(stream.peer());
    for (int n = 0; n < m_times.keepAliveMax && running(); ++n) {
        // Idle: a kept connection gives its thread up when another
        // connection waits for one and it has been idle for half a second
        // (as a browser leaves it); a new one after a second without a
        // byte. Closing sooner cut off load-test clients that were about
        // to ask again.
        const int idleMs = n == 0 ? m_times.readMs : m_times.keepAliveMs;
        const int yieldAfterMs = n == 0 ? 1000 : 500;
        if (!stream.hasPending() && !awaitBytes(io.socket(), idleMs, yieldAfterMs, running))
            return;
        // The head, within its size and its deadline; a head still coming
        // after a second gives the thread up to a connection that waits
        // (a client sends its head at once; one that drips it does not
        // hold the server).
        const qint64 headStart = steadyMs();
        int end;
        while ((end = endOfHead(stream.pending())) < 0) {
            if (stream.pending().size() > m_limits.maxHeaderBytes) {
                refuse(stream, QByteArray(), {431, tr("请求头太多或太长。")});
                lingeringClose(io);
                return;
            }
            const qint64 took = steadyMs() - headStart;
            if (took >= m_times.readMs || (took >= 1000 && m_waiting.load() > 0)) {
                refuse(stream, QByteArray(), {408, tr("请求头没有按时收完。")});
                return;
            }
            if (!io.buffered() && !waitFor(io.socket(), POLLIN, int(qMin<qint64>(100, m_times.readMs - took))))
                continue;
            if (!stream.fill(0))
                return;
        }
        RequestHead head;
        RequestVerdict verdict;
        if (end > m_limits.maxHeaderBytes)
            verdict = {431, tr("请求头太多或太长。")};
        else if (!parseRequestHead(stream.pending().left(end), &head))
            verdict = {400, tr("请求不正确。")};
        else
            verdict = checkRequestLimits(head, m_limits);
        if (verdict.ok() && !m_rate->allow(peer, steadyMs()))
            verdict = {429, tr("这个地址的请求太多，请稍后再试。")};
        if (!verdict.ok()) {
            refuse(stream, head.path(), verdict);
            lingeringClose(io);
            return;
        }
        stream.handOver(end, headWithoutServerHeaders(head), head.value("Content-Length").toLongLong());
        // While other connections wait for a thread, this answer is the
        // connection's last ("Connection: close"): the client comes again
        // behind them, and no thread stays with one client.
        const bool last = n + 1 == m_times.keepAliveMax || m_waiting.load() > 0;
        bool closed = false;
        // A body the library left unread is never taken for a next request.
        if (!process(stream, last, closed) || closed || last || !stream.consumedAll())
            return;
    }
}

bool CConnectionGuard::awaitBytes(int socket, int idleMs, int yieldAfterMs, const std::function<bool()> &running) const
{
    const qint64 start = steadyMs();
    for (;;) {
        if (waitFor(socket, POLLIN, 25))
            return true;
        const qint64 idle = steadyMs() - start;
        if (idle >= idleMs || (idle >= yieldAfterMs && m_waiting.load() > 0) || !running())
            return false;
    }
}

void setSocketTimeouts(int socket, const ConnectionTimes &times)
{
    const timeval read{times.readMs / 1000, (times.readMs % 1000) * 1000};
    const timeval write{times.writeMs / 1000, (times.writeMs % 1000) * 1000};
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &read, sizeof(read));
    setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &write, sizeof(write));
}

void lingeringClose(CConnectionIo &io)
{
    ::shutdown(io.socket(), SHUT_WR);
    char sink[16384];
    qint64 dropped = 0;
    const qint64 until = steadyMs() + 1000;
    while (dropped < 1024 * 1024 && steadyMs() < until && waitFor(io.socket(), POLLIN, int(until - steadyMs()))) {
        const ssize_t n = ::recv(io.socket(), sink, sizeof(sink), MSG_DONTWAIT);
        if (n <= 0)
            break;
        dropped += n;
    }
}

void servePlainConnection(int socket, CConnectionGuard &guard, const CConnectionGuard::Process &process,
                          const std::function<bool()> &running)
{
    setSocketTimeouts(socket, guard.times());
    CPlainIo io(socket);
    guard.serve(io, process, running);
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
}

void serveTlsConnection(SSL_CTX *ctx, int socket, CConnectionGuard &guard, const CConnectionGuard::Process &process,
                        const std::function<bool()> &running)
{
    setSocketTimeouts(socket, guard.times());
    SSL *ssl = SSL_new(ctx);
    if (ssl) {
        SSL_set_fd(ssl, socket);
        // A client that connects and says nothing holds no thread that
        // another connection waits for (as before a plain request).
        if (guard.awaitBytes(socket, guard.times().readMs, 1000, running) && SSL_accept(ssl) == 1) {
            CTlsIo io(ssl, socket);
            guard.serve(io, process, running);
            SSL_shutdown(ssl);
        }
        SSL_free(ssl);
    }
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
}

QString bindProblem(const QString &host, int port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo *found = nullptr;
    const QByteArray service = QByteArray::number(port);
    const int rc = ::getaddrinfo(host.toUtf8().constData(), service.constData(), &hints, &found);
    if (rc != 0)
        return QString::fromLocal8Bit(gai_strerror(rc));
    QString problem = QStringLiteral("unknown");
    const int s = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (s >= 0) {
        int yes = 1;
        setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
        if (::bind(s, found->ai_addr, found->ai_addrlen) != 0)
            problem = QString::fromLocal8Bit(strerror(errno));
        ::close(s);
    } else {
        problem = QString::fromLocal8Bit(strerror(errno));
    }
    freeaddrinfo(found);
    return problem;
}
