#pragma once
// The web server's connections, read by the server itself before the HTTP
// library sees a request: the library's own limits are fixed when it is
// built (Debian's cpp-httplib reads a chunked body or a body without a
// length whole, believes a REMOTE_ADDR header, and keeps a refused
// request's unread body as the next request).
//
// For each connection the guard reads the head (request line and headers)
// itself, within a size limit and a deadline; judges it (serverlimits.h)
// and the peer's request rate; answers a refusal itself and closes the
// connection; else hands the head, without headers only the server sets,
// to the library, which reads at most the body the head declared. Between
// requests a connection is kept at most keepAliveMs. While another
// connection waits for a thread, an answer closes its connection, a kept
// connection idle for half a second is closed, and a head still coming
// after a second is refused (408): neither slow nor idle clients hold the
// threads.

#include "serverlimits.h"

#include <QString>
#include <atomic>
#include <functional>
#include <httplib.h>
#include <memory>
#include <type_traits>
#include <utility>

struct ConnectionTimes {
    int readMs = 10000;      // a read, and the whole head of a request
    int writeMs = 10000;     // a write
    int keepAliveMs = 5000;  // idle between two requests
    int keepAliveMax = 100;  // requests on one connection
};

// Reads and writes one connection: a plain socket or TLS.
class CConnectionIo {
public:
    virtual ~CConnectionIo() = default;
    virtual ssize_t receive(char *data, size_t size) = 0; // > 0 bytes, else closed or failed
    virtual ssize_t send(const char *data, size_t size) = 0;
    virtual bool buffered() const { return false; }     // bytes read but not yet given out
    virtual int socket() const = 0;
};

class CConnectionGuard {
public:
    CConnectionGuard(const ServerLimits &limits, const ConnectionTimes &times, int requestsPerMinute);

    ServerLimits &limits() { return m_limits; }
    const ConnectionTimes &times() const { return m_times; }
    void setRequestsPerMinute(int perMinute);

    using Process = std::function<bool(httplib::Stream &, bool closeConnection, bool &connectionClosed)>;
    // Serves a connection's requests until it ends; running() false stops it.
    void serve(CConnectionIo &io, const Process &process, const std::function<bool()> &running);

    // Waits until the socket can be read: false after idleMs, or after
    // yieldAfterMs while another connection waits for a thread, or when the
    // server stops.
    bool awaitBytes(int socket, int idleMs, int yieldAfterMs, const std::function<bool()> &running) const;

    // A pool of n threads that counts connections waiting for one.
    httplib::TaskQueue *newPool(int threads);
    int waiting() const { return m_waiting.load(); }

private:
    ServerLimits m_limits;
    ConnectionTimes m_times;
    std::unique_ptr<CPeerRateLimiter> m_rate;
    std::atomic<int> m_waiting{0};
};

// The socket's timeouts, so that no blocking read or write outlasts them.
void setSocketTimeouts(int socket, const ConnectionTimes &times);
// Shuts a connection that was refused: what the client sends is read and
// dropped for a moment (bounded), so that it sees the answer, not a reset.
void lingeringClose(CConnectionIo &io);
// Serves one TLS connection with ctx (handshake, requests, close).
void serveTlsConnection(SSL_CTX *ctx, int socket, CConnectionGuard &guard, const CConnectionGuard::Process &process,
                        const std::function<bool()> &running);
// Serves one plain connection.
void servePlainConnection(int socket, CConnectionGuard &guard, const CConnectionGuard::Process &process,
                          const std::function<bool()> &running);
// Why host:port cannot be bound ("Address already in use"), found by trying.
QString bindProblem(const QString &host, int port);

// httplib::Server or httplib::SSLServer with the guard on every connection,
// an exclusive bind (SO_REUSEADDR, never SO_REUSEPORT: a second server on a
// used address fails) and a full listen backlog.
template <class Base>
class CGuardedServer : public Base {
public:
    template <class... Args>
    explicit CGuardedServer(std::shared_ptr<CConnectionGuard> guard, Args &&...args)
        : Base(std::forward<Args>(args)...), m_guard(std::move(guard))
    {
        this->set_socket_options([](socket_t sock) {
            int yes = 1;
            setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
        });
    }
    // The library listens with a backlog of 5; a bound socket takes a new one.
    bool widenBacklog() { return ::listen(this->svr_sock_, SOMAXCONN) == 0; }

private:
    bool process_and_close_socket(socket_t sock) override
    {
        auto process = [this](httplib::Stream &strm, bool closeConnection, bool &connectionClosed) {
            return this->process_request(strm, closeConnection, connectionClosed, nullptr);
        };
        auto running = [this] { return this->svr_sock_ != INVALID_SOCKET; };
        if constexpr (std::is_same_v<Base, httplib::SSLServer>)
            serveTlsConnection(this->ssl_context(), sock, *m_guard, process, running);
        else
            servePlainConnection(sock, *m_guard, process, running);
        return true;
    }

    std::shared_ptr<CConnectionGuard> m_guard;
};
