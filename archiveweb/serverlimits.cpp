#include "serverlimits.h"

#include <QCoreApplication>
#include <arpa/inet.h>
#include <cstring>

namespace {
QString tr(const char *source) { return QCoreApplication::translate("CArchivePages", source); }

bool isToken(const QByteArray &s)
{
    if (s.isEmpty())
        return false;
    for (char c : s) {
        if (c <= ' ' || c >= 127 || c == ':' || c == '(' || c == ')' || c == '"' || c == ',' || c == ';')
            return false;
    }
    return true;
}

const QByteArray kServerHeaders[] = {"remote_addr", "remote_port", "local_addr", "local_port"};

bool isServerHeader(const QByteArray &name)
{
    const QByteArray lower = name.toLower();
    for (const QByteArray &h : kServerHeaders) {
        if (lower == h)
            return true;
    }
    return false;
}

// The host of a Host header, without port and IPv6 brackets, lower case.
QString hostName(const QByteArray &host)
{
    QString h = QString::fromLatin1(host.trimmed()).toLower();
    if (h.startsWith(QLatin1Char('['))) {
        const int close = h.indexOf(QLatin1Char(']'));
        return close < 0 ? QString() : h.mid(1, close - 1);
    }
    const int colon = h.indexOf(QLatin1Char(':'));
    return colon < 0 ? h : h.left(colon);
}

// An IP address as 16 bytes (IPv4 mapped into IPv6); false for a name.
bool addressBytes(const QString &text, unsigned char out[16])
{
    const QByteArray t = text.toLatin1();
    in_addr v4;
    if (inet_pton(AF_INET, t.constData(), &v4) == 1) {
        static const unsigned char mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
        memcpy(out, mapped, 12);
        memcpy(out + 12, &v4, 4);
        return true;
    }
    return inet_pton(AF_INET6, t.constData(), out) == 1;
}

bool isLoopback(const QString &name)
{
    unsigned char a[16];
    if (!addressBytes(name, a))
        return false;
    static const unsigned char v6[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    static const unsigned char mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    return memcmp(a, v6, 16) == 0 || (memcmp(a, mapped, 12) == 0 && a[12] == 127);
}

bool sameAddress(const QString &a, const QString &b)
{
    unsigned char x[16], y[16];
    if (addressBytes(a, x) && addressBytes(b, y))
        return memcmp(x, y, 16) == 0;
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

QByteArray RequestHead::value(const QByteArray &name, int *count) const
{
    QByteArray first;
    int n = 0;
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0) {
            if (n++ == 0)
                first = h.second;
        }
    }
    if (count)
        *count = n;
    return first;
}

QByteArray RequestHead::path() const
{
    const int q = target.indexOf('?');
    return q < 0 ? target : target.left(q);
}

int endOfHead(const QByteArray &bytes)
{
    // The library takes a bare LF as well as CRLF at the end of a line.
    for (int i = bytes.indexOf('\n'); i >= 0; i = bytes.indexOf('\n', i + 1)) {
        if (i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            return i + 2;
        if (i + 2 < bytes.size() && bytes.at(i + 1) == '\r' && bytes.at(i + 2) == '\n')
            return i + 3;
    }
    return -1;
}

bool parseRequestHead(const QByteArray &head, RequestHead *out)
{
    *out = RequestHead();
    out->bytes = head.size();
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return false;
    const QList<QByteArray> request = lines.first().split(' ');
    if (request.size() != 3 || !isToken(request.at(0)) || request.at(1).isEmpty()
        || !request.at(2).startsWith("HTTP/1."))
        return false;
    out->method = request.at(0);
    out->target = request.at(1);
    out->version = request.at(2);
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        const int colon = line.indexOf(':');
        // No folded lines, no space before the colon (RFC 7230 3.2.4).
        if (colon <= 0 || !isToken(line.left(colon)))
            return false;
        out->headers.append({line.left(colon), line.mid(colon + 1).trimmed()});
    }
    return true;
}

QByteArray headWithoutServerHeaders(const RequestHead &head)
{
    QByteArray out = head.method + ' ' + head.target + ' ' + head.version + "\r\n";
    for (const auto &h : head.headers) {
        if (!isServerHeader(h.first))
            out += h.first + ": " + h.second + "\r\n";
    }
    return out + "\r\n";
}

int rangeCount(const QByteArray &range)
{
    const QByteArray r = range.trimmed();
    return r.isEmpty() ? 0 : int(r.count(',')) + 1;
}

bool hostAllowed(const QByteArray &host, const ServerLimits &limits)
{
    const QString name = hostName(host);
    if (name.isEmpty())
        return false;
    if (name == QLatin1String("localhost") || isLoopback(name))
        return true;
    if (!limits.listenHost.isEmpty() && sameAddress(name, limits.listenHost.toLower()))
        return true;
    for (const QString &allowed : limits.hostNames) {
        if (sameAddress(name, hostName(allowed.toLatin1())))
            return true;
    }
    return false;
}

qint64 bodyLimit(const RequestHead &head, const ServerLimits &limits)
{
    if (head.method != "POST")
        return 0;
    return head.path() == "/api/v1/tests" ? limits.maxUploadBytes : limits.maxFormBytes;
}

RequestVerdict checkRequestLimits(const RequestHead &head, const ServerLimits &limits)
{
    if (head.headers.size() > limits.maxHeaderCount || head.bytes > limits.maxHeaderBytes)
        return {431, tr("请求头太多或太长。")};
    int hosts = 0;
    const QByteArray host = head.value("Host", &hosts);
    if (hosts > 1 || (hosts == 0 && head.version != "HTTP/1.0"))
        return {400, tr("请求不正确。")};
    if (hosts == 1 && !hostAllowed(host, limits))
        return {421, tr("这个服务器不以这个名字提供页面。")};
    int lengths = 0;
    const QByteArray lengthText = head.value("Content-Length", &lengths);
    int transfers = 0;
    head.value("Transfer-Encoding", &transfers);
    // The library reads a body without a length until the connection ends.
    const bool bodyMethod = head.method == "POST" || head.method == "PUT" || head.method == "PATCH";
    if (transfers > 0 || (bodyMethod && lengths == 0))
        return {411, tr("请求正文须带 Content-Length，不分块传送。")};
    const QByteArray encoding = head.value("Content-Encoding").trimmed().toLower();
    if (!encoding.isEmpty() && encoding != "identity")
        return {415, tr("不接受压缩的请求正文。")};
    qint64 length = 0;
    if (lengths > 1)
        return {400, tr("请求不正确。")};
    if (lengths == 1) {
        bool ok = false;
        length = lengthText.toLongLong(&ok);
        if (!ok || length < 0 || lengthText.isEmpty() || lengthText.at(0) == '+')
            return {400, tr("请求不正确。")};
    }
    const qint64 limit = bodyLimit(head, limits);
    if (length > 0 && head.method != "POST")
        return {400, tr("请求不正确。")};
    if (length > limit)
        return {413, tr("请求正文太大（最多 %1 字节）。").arg(limit)};
    if (rangeCount(head.value("Range")) > limits.maxRanges)
        return {416, tr("请求的范围太多。")};
    return {};
}

CPeerRateLimiter::CPeerRateLimiter(int perMinute, int maxPeers) : m_perMinute(perMinute), m_maxPeers(qMax(1, maxPeers))
{
}

bool CPeerRateLimiter::allow(const QString &peer, qint64 nowMs)
{
    constexpr qint64 kWindowMs = 60000;
    QMutexLocker locker(&m_lock);
    auto it = m_windows.find(peer);
    if (it == m_windows.end()) {
        if (m_windows.size() >= m_maxPeers) {
            // Windows that have ended go first, then the oldest.
            for (auto w = m_windows.begin(); w != m_windows.end();)
                w = nowMs - w->startMs >= kWindowMs ? m_windows.erase(w) : std::next(w);
            if (m_windows.size() >= m_maxPeers) {
                auto oldest = m_windows.begin();
                for (auto w = m_windows.begin(); w != m_windows.end(); ++w) {
                    if (w->startMs < oldest->startMs)
                        oldest = w;
                }
                m_windows.erase(oldest);
            }
        }
        it = m_windows.insert(peer, Window{nowMs, 0});
    }
    if (nowMs - it->startMs >= kWindowMs)
        *it = Window{nowMs, 0};
    if (it->count >= m_perMinute)
        return false;
    ++it->count;
    return true;
}

int CPeerRateLimiter::peers() const
{
    QMutexLocker locker(&m_lock);
    return m_windows.size();
}
