// The web server against hostile and careless clients, over HTTP from a
// real zpvw-archive serve on 127.0.0.1: slow and idle clients do not hold
// the rest; bodies too large, compressed or chunked are refused unread,
// with the server's memory bounded, and the connection closed; head limits
// and Host; the request rate keyed by the socket's peer, not a header; a
// second server on a used address; the listen backlog.

#include "archivefixture.h"
#include "testsupport.h"
#include "webserverchild.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QtTest>
#include <httplib.h>
#include <memory>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace {
// A field of /proc/PID/status in kB ("VmRSS", "VmHWM"); -1 when unknown.
qint64 statusKb(qint64 pid, const char *field)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression re(QStringLiteral("^%1:\\s+(\\d+) kB").arg(QLatin1String(field)),
                                QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(f.readAll()));
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

// Sends bytes and reads the answer until the server closes (at most limitMs).
struct Exchange {
    QByteArray answer;
    bool closedByServer = false;
};
Exchange exchange(int port, const QByteArray &request, int limitMs = 10000)
{
    Exchange e;
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
    if (!s.waitForConnected(5000))
        return e;
    s.write(request);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < limitMs) {
        if (s.bytesToWrite() > 0)
            s.waitForBytesWritten(200);
        else
            s.waitForReadyRead(200);
        e.answer += s.readAll();
        if (s.state() != QAbstractSocket::ConnectedState) {
            e.closedByServer = true;
            break;
        }
    }
    e.answer += s.readAll();
    return e;
}

int statusOf(const QByteArray &answer)
{
    static const QRegularExpression re(QStringLiteral("^HTTP/1\\.1 (\\d{3}) "));
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(answer.left(64)));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QByteArray gzipOfZeros(qint64 inflated)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    const QByteArray zeros(1 << 20, '\0');
    QByteArray out;
    char buffer[65536];
    for (qint64 done = 0; done < inflated; done += zeros.size()) {
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.constData()));
        z.avail_in = uInt(zeros.size());
        const int flush = done + zeros.size() >= inflated ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = reinterpret_cast<Bytef *>(buffer);
            z.avail_out = sizeof(buffer);
            deflate(&z, flush);
            out.append(buffer, int(sizeof(buffer) - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

QByteArray head(const QByteArray &requestLine, const QByteArray &headers)
{
    return requestLine + "\r\nHost: 127.0.0.1\r\n" + headers + "\r\n";
}
} // namespace

class TestWebHardening : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_db;
    std::unique_ptr<CServeChild> m_server; // --host archive.office

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        HoleShape a1;
        a1.project = QStringLiteral("Bridge 7");
        QVERIFY(writeFileBytes(m_dir.path() + QStringLiteral("/usb/1/site/A1.CZO"), holeFileBytes(a1)));
        m_db = m_dir.path() + QStringLiteral("/archive.sqlite");
        const ToolRun r = runArchiveTool({QStringLiteral("--db"), m_db, QStringLiteral("import"),
                                          m_dir.path() + QStringLiteral("/usb")});
        QCOMPARE(r.exitCode, 0);
        m_server = std::make_unique<CServeChild>(m_db, QStringList{QStringLiteral("--host"), QStringLiteral("archive.office")});
        QVERIFY2(m_server->ok(), qUtf8Printable(m_server->output()));
    }
    void cleanupTestCase() { m_server.reset(); }

    // Slow clients (a header line every 2 s) and kept connections left
    // idle, as a browser leaves them, while a normal client asks for a page.
    void slowAndIdleClientsDoNotHoldTheRest_data()
    {
        QTest::addColumn<int>("slow");
        QTest::addColumn<int>("idle");
        QTest::newRow("8 slow clients") << 8 << 0;
        QTest::newRow("40 idle kept connections") << 0 << 40;
        QTest::newRow("8 slow and 40 idle") << 8 << 40;
    }
    void slowAndIdleClientsDoNotHoldTheRest()
    {
        QFETCH(int, slow);
        QFETCH(int, idle);
        const CServeChild server(m_db);
        QVERIFY2(server.ok(), qUtf8Printable(server.output()));
        std::vector<std::unique_ptr<QTcpSocket>> idles, slows;
        for (int i = 0; i < idle; ++i) {
            auto s = std::make_unique<QTcpSocket>();
            s->connectToHost(QStringLiteral("127.0.0.1"), quint16(server.port()));
            QVERIFY(s->waitForConnected(5000));
            s->write(head("GET /style.css HTTP/1.1", QByteArray()));
            QByteArray answer;
            QElapsedTimer t;
            t.start();
            while (!answer.contains("\r\n\r\n") && t.elapsed() < 10000 && s->waitForReadyRead(1000))
                answer += s->readAll();
            QCOMPARE(statusOf(answer), 200);
            QVERIFY(!answer.contains("Connection: close"));
            idles.push_back(std::move(s));
        }
        for (int i = 0; i < slow; ++i) {
            auto s = std::make_unique<QTcpSocket>();
            s->connectToHost(QStringLiteral("127.0.0.1"), quint16(server.port()));
            QVERIFY(s->waitForConnected(5000));
            s->write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n");
            QVERIFY(s->waitForBytesWritten(5000));
            slows.push_back(std::move(s));
        }
        for (int line = 0; line < 2; ++line) {
            QTest::qWait(2000);
            for (auto &s : slows) {
                s->write(QStringLiteral("X-Slow-%1: still typing\r\n").arg(line).toLatin1());
                QVERIFY(s->waitForBytesWritten(5000));
            }
        }
        httplib::Client c("127.0.0.1", server.port());
        c.set_read_timeout(20, 0);
        QElapsedTimer t;
        t.start();
        const auto res = c.Get("/project?name=Bridge%207");
        const qint64 ms = t.elapsed();
        QVERIFY(res);
        QCOMPARE(res->status, 200);
        QVERIFY2(ms < 1000, qPrintable(QStringLiteral("answered after %1 ms").arg(ms)));
        // The slow clients were still held, unanswered, all the while.
        for (auto &s : slows) {
            QCOMPARE(s->state(), QAbstractSocket::ConnectedState);
            QCOMPARE(s->bytesAvailable(), qint64(0));
        }
    }

    // Each on a server of its own, so that its peak memory is this request's.
    void refusedBodiesAreNotRead_data()
    {
        QTest::addColumn<QByteArray>("headers");
        QTest::addColumn<int>("bodyKind"); // 0 none, 1 a gzip bomb, 2 chunks until the server closes
        QTest::addColumn<int>("status");
        const QByteArray upload = "POST /api/v1/tests HTTP/1.1";
        const QByteArray multipart = "Content-Type: multipart/form-data; boundary=b\r\n";
        QTest::newRow("gzip of 1 GiB of zeros")
            << head(upload, multipart + "Content-Encoding: gzip\r\nContent-Length: %1\r\n") << 1 << 415;
        QTest::newRow("1 GB chunked") << head(upload, multipart + "Transfer-Encoding: chunked\r\n") << 2 << 411;
        QTest::newRow("100 MB declared, none sent")
            << head(upload, multipart + "Content-Length: 104857600\r\n") << 0 << 413;
        QTest::newRow("a 1 MB form") << head("POST /hole HTTP/1.1", "Content-Length: 1048576\r\n") << 0 << 413;
    }
    void refusedBodiesAreNotRead()
    {
        QFETCH(QByteArray, headers);
        QFETCH(int, bodyKind);
        QFETCH(int, status);
        const CServeChild server(m_db);
        QVERIFY2(server.ok(), qUtf8Printable(server.output()));
        QVERIFY(get(server.port(), "/") == 200); // the server's usual pages are in memory
        const qint64 before = statusKb(server.pid(), "VmRSS");
        QVERIFY(before > 0);
        // A plain socket: what the server answered is kept when it then
        // resets the connection on the rest of the body.
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(s >= 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(quint16(server.port()));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QVERIFY(::connect(s, reinterpret_cast<sockaddr *>(&to), sizeof(to)) == 0);
        QByteArray out = headers;
        if (bodyKind == 1) {
            const QByteArray bomb = gzipOfZeros(qint64(1) << 30);
            QVERIFY(bomb.size() > 500000);
            out = QString::fromLatin1(headers).arg(bomb.size()).toLatin1() + bomb;
        }
        const qint64 gigabyte = qint64(1) << 30;
        const QByteArray chunk = QByteArray::number(65536, 16) + "\r\n" + QByteArray(65536, 'z') + "\r\n";
        QByteArray answer;
        qint64 sent = 0;
        bool closed = false;
        QElapsedTimer t;
        t.start();
        while (!closed && t.elapsed() < 30000) {
            if (out.isEmpty() && bodyKind == 2 && sent < gigabyte)
                out = chunk;
            pollfd p{s, short(POLLIN | (out.isEmpty() ? 0 : POLLOUT)), 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
                char buffer[65536];
                const ssize_t n = ::recv(s, buffer, sizeof(buffer), 0);
                if (n > 0)
                    answer.append(buffer, int(n));
                closed = n <= 0;
            } else if (p.revents & POLLOUT) {
                const ssize_t n = ::send(s, out.constData(), size_t(out.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
                if (n > 0) {
                    out.remove(0, int(n));
                    sent += n;
                }
                closed = n < 0 && errno != EAGAIN;
            }
        }
        ::close(s);
        QVERIFY(closed); // by the server
        QCOMPARE(statusOf(answer), status);
        QVERIFY(answer.contains("Connection: close"));
        if (bodyKind == 2)
            QVERIFY2(sent < 64 * 1024 * 1024, qPrintable(QStringLiteral("%1 bytes sent").arg(sent)));
        const qint64 peak = statusKb(server.pid(), "VmHWM");
        QVERIFY2(peak - before < 50 * 1024,
                 qPrintable(QStringLiteral("RSS %1 kB before, peak %2 kB").arg(QString::number(before), QString::number(peak))));
        QCOMPARE(get(server.port(), "/"), 200); // and it goes on serving
    }

    // A refused request's body is never read as the next request.
    void refusalClosesTheConnection_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        const QByteArray inner = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        const QByteArray length = "Content-Length: " + QByteArray::number(inner.size()) + "\r\n";
        QTest::newRow("gzip") << head("POST /api/v1/tests HTTP/1.1", length + "Content-Encoding: gzip\r\n") + inner
                              << 415;
        QTest::newRow("a body on a GET") << head("GET /style.css HTTP/1.1", length) + inner << 400;
        QTest::newRow("chunked") << head("POST /api/v1/tests HTTP/1.1", "Transfer-Encoding: chunked\r\n") + inner
                                 << 411;
        QTest::newRow("over the form limit")
            << head("POST /hole HTTP/1.1", "Content-Length: 70000\r\n") + inner << 413;
        QTest::newRow("foreign Host") << QByteArray("GET / HTTP/1.1\r\nHost: evil.example\r\n\r\n") + inner << 421;
    }
    void refusalClosesTheConnection()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        const Exchange e = exchange(m_server->port(), request);
        QVERIFY(e.closedByServer);
        QCOMPARE(statusOf(e.answer), status);
        QCOMPARE(e.answer.count("HTTP/1.1 "), 1);
    }

    void headLimits_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        QByteArray many, flood;
        for (int i = 0; i < 150; ++i)
            many += "X-" + QByteArray::number(i) + ": 1\r\n";
        for (int i = 0; i < 200000; ++i)
            flood += "X-" + QByteArray::number(i) + ": 1\r\n";
        QTest::newRow("a page") << head("GET / HTTP/1.1", QByteArray()) << 200;
        QTest::newRow("150 headers") << head("GET / HTTP/1.1", many) << 431;
        QTest::newRow("200,000 headers") << head("GET / HTTP/1.1", flood) << 431;
        QTest::newRow("a 40 KB header") << head("GET / HTTP/1.1", "X-Big: " + QByteArray(40000, 'a') + "\r\n") << 431;
        QTest::newRow("5 ranges") << head("GET /style.css HTTP/1.1", "Range: bytes=0-1,2-3,4-5,6-7,8-9\r\n") << 206;
        QTest::newRow("6 ranges") << head("GET /style.css HTTP/1.1", "Range: bytes=0-1,2-3,4-5,6-7,8-9,10-11\r\n")
                                  << 416;
        QTest::newRow("2,700 ranges")
            << head("GET /style.css HTTP/1.1", "Range: bytes=" + QByteArray("0-1,").repeated(2699) + "0-1\r\n") << 416;
        QTest::newRow("a foreign Host") << QByteArray("GET / HTTP/1.1\r\nHost: attacker.example:8080\r\n\r\n") << 421;
        QTest::newRow("the --host name") << QByteArray("GET / HTTP/1.1\r\nHost: archive.office:8080\r\n\r\n") << 200;
        QTest::newRow("localhost") << QByteArray("GET / HTTP/1.1\r\nHost: localhost\r\n\r\n") << 200;
        QTest::newRow("[::1]") << QByteArray("GET / HTTP/1.1\r\nHost: [::1]:8080\r\n\r\n") << 200;
        QTest::newRow("no Host") << QByteArray("GET / HTTP/1.1\r\n\r\n") << 400;
    }
    void headLimits()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        // One request a connection: a page's connection is closed after it.
        request.replace("GET / HTTP/1.1\r\n", "GET / HTTP/1.1\r\nConnection: close\r\n");
        request.replace("GET /style.css HTTP/1.1\r\n", "GET /style.css HTTP/1.1\r\nConnection: close\r\n");
        const Exchange e = exchange(m_server->port(), request);
        QVERIFY(e.closedByServer);
        QCOMPARE(statusOf(e.answer), status);
    }

    // Without --host the name is foreign; the refusal is a page in the
    // server's language.
    void aNameNotGivenIsRefusedByDefault()
    {
        const CServeChild plain(m_db, {QStringLiteral("--lang"), QStringLiteral("en")});
        QVERIFY2(plain.ok(), qUtf8Printable(plain.output()));
        const Exchange e = exchange(plain.port(), "GET / HTTP/1.1\r\nHost: archive.office\r\nConnection: close\r\n\r\n");
        QCOMPARE(statusOf(e.answer), 421);
        QVERIFY(e.answer.contains("Content-Type: text/html"));
        QVERIFY2(e.answer.contains("This server does not serve pages under this name."), e.answer.constData());
    }

    // The request rate is counted per socket peer: a REMOTE_ADDR header
    // (which the library once let shadow the peer) changes nothing.
    void spoofedRemoteAddrDoesNotChangeTheRateKey()
    {
        const CServeChild server(m_db, {QStringLiteral("--rate-limit"), QStringLiteral("5")});
        QVERIFY2(server.ok(), qUtf8Printable(server.output()));
        QList<int> statuses;
        for (int i = 0; i < 7; ++i) {
            const QByteArray spoof = "REMOTE_ADDR: 203.0.113." + QByteArray::number(i + 1) + "\r\nX-Forwarded-For: 198.51.100."
                                     + QByteArray::number(i + 1) + "\r\nX-Real-IP: 192.0.2." + QByteArray::number(i + 1)
                                     + "\r\nConnection: close\r\n";
            const Exchange e = exchange(server.port(), head("GET /style.css HTTP/1.1", spoof));
            statuses << statusOf(e.answer);
            if (i == 6)
                QVERIFY(e.answer.contains("Retry-After: 60"));
        }
        QCOMPARE(statuses, (QList<int>{200, 200, 200, 200, 200, 429, 429}));
    }

    void secondServerOnAUsedAddressExits()
    {
        const ChildRun second = runChild(testBinDir() + QStringLiteral("/zpvw-archive"),
                                         {QStringLiteral("--db"), m_db, QStringLiteral("serve"), QStringLiteral("--listen"),
                                          QStringLiteral("127.0.0.1:%1").arg(m_server->port())},
                                         QProcessEnvironment::systemEnvironment(), 15000);
        QVERIFY(!second.timedOut);
        QCOMPARE(second.exitCode, 1);
        QVERIFY2(second.err.contains("cannot listen on 127.0.0.1:") && second.err.contains("in use"), second.err.constData());
        QCOMPARE(get(m_server->port(), "/"), 200); // the first still serves
    }

    void listenBacklogIsTheSystemsFull()
    {
        const QString ss = QStandardPaths::findExecutable(QStringLiteral("ss"));
        if (ss.isEmpty())
            QSKIP("ss (iproute2) is not installed");
        QFile max(QStringLiteral("/proc/sys/net/core/somaxconn"));
        QVERIFY(max.open(QIODevice::ReadOnly));
        const int expected = qMin(SOMAXCONN, max.readAll().trimmed().toInt());
        const ChildRun r = runChild(ss, {QStringLiteral("-ltnH"), QStringLiteral("sport = :%1").arg(m_server->port())},
                                    QProcessEnvironment::systemEnvironment(), 10000);
        // LISTEN 0 4096 127.0.0.1:PORT 0.0.0.0:*  (Send-Q is the backlog)
        const QStringList fields = QString::fromLatin1(r.out).simplified().split(QLatin1Char(' '));
        QVERIFY2(fields.size() >= 3, r.out.constData());
        QCOMPARE(fields.at(2).toInt(), expected);
        QVERIFY(expected > 5);
    }

private:
    static int get(int port, const char *path)
    {
        httplib::Client c("127.0.0.1", port);
        c.set_read_timeout(20, 0);
        const auto res = c.Get(path);
        return res ? res->status : -1;
    }
};

QTEST_GUILESS_MAIN(TestWebHardening)
#include "tst_webhardening.moc"
