// The web server's decisions over a request's head, without a server: the
// head's end, its parsing, the limits of head, body, ranges and Host, and
// the per-address request rate.

#include "serverlimits.h"

#include <QtTest>

namespace {
QByteArray headOf(const QByteArray &requestLine, const QByteArray &headers)
{
    return requestLine + "\r\n" + headers + "\r\n";
}
} // namespace

class TestServerLimits : public QObject {
    Q_OBJECT

private slots:
    void endOfHead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("end");
        QTest::newRow("CRLF") << QByteArray("GET / HTTP/1.1\r\nHost: a\r\n\r\nBODY") << 27;
        QTest::newRow("bare LF") << QByteArray("GET / HTTP/1.1\nHost: a\n\nBODY") << 24;
        QTest::newRow("mixed") << QByteArray("GET / HTTP/1.1\r\nHost: a\n\r\nX") << 26;
        QTest::newRow("incomplete") << QByteArray("GET / HTTP/1.1\r\nHost: a\r\n") << -1;
        QTest::newRow("a CR alone is no end") << QByteArray("GET / HTTP/1.1\r\nHost: a\r\n\r") << -1;
        QTest::newRow("nothing") << QByteArray() << -1;
    }
    void endOfHead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, end);
        QCOMPARE(::endOfHead(bytes), end);
    }

    void parseRequestHead_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<int>("headers");
        QTest::newRow("page") << headOf("GET /hole?project=P HTTP/1.1", "Host: a\r\nAccept: */*\r\n") << true
                              << QByteArray("/hole") << 2;
        QTest::newRow("no headers, HTTP/1.0") << headOf("GET / HTTP/1.0", "") << true << QByteArray("/") << 0;
        QTest::newRow("two spaces") << headOf("GET  / HTTP/1.1", "Host: a\r\n") << false << QByteArray() << 0;
        QTest::newRow("not HTTP") << headOf("GET / SPDY/3", "Host: a\r\n") << false << QByteArray() << 0;
        QTest::newRow("no colon") << headOf("GET / HTTP/1.1", "Host a\r\n") << false << QByteArray() << 0;
        QTest::newRow("space before colon") << headOf("GET / HTTP/1.1", "Host : a\r\n") << false << QByteArray() << 0;
        QTest::newRow("folded line") << headOf("GET / HTTP/1.1", "Host: a\r\n b\r\n") << false << QByteArray() << 0;
        QTest::newRow("method not a token") << headOf("G(T / HTTP/1.1", "Host: a\r\n") << false << QByteArray() << 0;
    }
    void parseRequestHead()
    {
        QFETCH(QByteArray, head);
        QFETCH(bool, ok);
        QFETCH(QByteArray, path);
        QFETCH(int, headers);
        RequestHead h;
        QCOMPARE(::parseRequestHead(head, &h), ok);
        if (!ok)
            return;
        QCOMPARE(h.path(), path);
        QCOMPARE(h.headers.size(), headers);
        QCOMPARE(h.bytes, head.size());
    }

    void serverHeadersAreDropped()
    {
        RequestHead h;
        QVERIFY(::parseRequestHead(headOf("GET / HTTP/1.1", "Host: a\r\nREMOTE_ADDR: 203.0.113.9\r\nremote_port: 1\r\n"
                                                            "Local_Addr: 198.51.100.9\r\nLOCAL_PORT: 2\r\nX-A: b\r\n"),
                                    &h));
        QCOMPARE(headWithoutServerHeaders(h), QByteArray("GET / HTTP/1.1\r\nHost: a\r\nX-A: b\r\n\r\n"));
    }

    void limits_data()
    {
        QTest::addColumn<QByteArray>("requestLine");
        QTest::addColumn<QByteArray>("headers");
        QTest::addColumn<int>("status");
        const QByteArray host = "Host: 127.0.0.1:8080\r\n";
        QByteArray hundred = host, big = host;
        for (int i = 0; i < 99; ++i)
            hundred += "X-" + QByteArray::number(i) + ": 1\r\n";
        big += "X-Big: " + QByteArray(33 * 1024, 'a') + "\r\n";
        QTest::newRow("a page") << QByteArray("GET / HTTP/1.1") << host << 0;
        QTest::newRow("100 headers") << QByteArray("GET / HTTP/1.1") << hundred << 0;
        QTest::newRow("101 headers") << QByteArray("GET / HTTP/1.1") << hundred + "X-Last: 1\r\n" << 431;
        QTest::newRow("a head over 32 KB") << QByteArray("GET / HTTP/1.1") << big << 431;
        QTest::newRow("no Host, HTTP/1.1") << QByteArray("GET / HTTP/1.1") << QByteArray() << 400;
        QTest::newRow("no Host, HTTP/1.0") << QByteArray("GET / HTTP/1.0") << QByteArray() << 0;
        QTest::newRow("two Hosts") << QByteArray("GET / HTTP/1.1") << host + "Host: localhost\r\n" << 400;
        QTest::newRow("foreign Host") << QByteArray("GET / HTTP/1.1") << QByteArray("Host: evil.example\r\n") << 421;
        QTest::newRow("chunked upload") << QByteArray("POST /api/v1/tests HTTP/1.1")
                                        << host + "Transfer-Encoding: chunked\r\n" << 411;
        QTest::newRow("chunked with a length") << QByteArray("POST /api/v1/tests HTTP/1.1")
                                               << host + "Transfer-Encoding: chunked\r\nContent-Length: 5\r\n" << 411;
        QTest::newRow("POST without a length") << QByteArray("POST /x HTTP/1.1") << host << 411;
        QTest::newRow("PUT without a length") << QByteArray("PUT /x HTTP/1.1") << host << 411;
        QTest::newRow("gzip body") << QByteArray("POST /api/v1/tests HTTP/1.1")
                                   << host + "Content-Encoding: gzip\r\nContent-Length: 10\r\n" << 415;
        QTest::newRow("identity body") << QByteArray("POST /api/v1/tests HTTP/1.1")
                                       << host + "Content-Encoding: identity\r\nContent-Length: 10\r\n" << 0;
        QTest::newRow("upload at its limit") << QByteArray("POST /api/v1/tests HTTP/1.1")
                                             << host + "Content-Length: 67108864\r\n" << 0;
        QTest::newRow("upload a byte over") << QByteArray("POST /api/v1/tests HTTP/1.1")
                                            << host + "Content-Length: 67108865\r\n" << 413;
        QTest::newRow("form at its limit") << QByteArray("POST /hole HTTP/1.1") << host + "Content-Length: 65536\r\n"
                                           << 0;
        QTest::newRow("form a byte over") << QByteArray("POST /hole HTTP/1.1") << host + "Content-Length: 65537\r\n"
                                          << 413;
        QTest::newRow("upload's limit on another path")
            << QByteArray("POST /api/v1/tests/x HTTP/1.1") << host + "Content-Length: 1000000\r\n" << 413;
        QTest::newRow("a body on a GET") << QByteArray("GET / HTTP/1.1") << host + "Content-Length: 5\r\n" << 400;
        QTest::newRow("an empty body on a GET") << QByteArray("GET / HTTP/1.1") << host + "Content-Length: 0\r\n" << 0;
        QTest::newRow("two lengths") << QByteArray("POST /x HTTP/1.1")
                                     << host + "Content-Length: 5\r\nContent-Length: 6\r\n" << 400;
        QTest::newRow("negative length") << QByteArray("POST /x HTTP/1.1") << host + "Content-Length: -1\r\n" << 400;
        QTest::newRow("signed length") << QByteArray("POST /x HTTP/1.1") << host + "Content-Length: +5\r\n" << 400;
        QTest::newRow("length not a number") << QByteArray("POST /x HTTP/1.1") << host + "Content-Length: 5x\r\n"
                                             << 400;
        QTest::newRow("5 ranges") << QByteArray("GET /style.css HTTP/1.1")
                                  << host + "Range: bytes=0-1,2-3,4-5,6-7,8-9\r\n" << 0;
        QTest::newRow("6 ranges") << QByteArray("GET /style.css HTTP/1.1")
                                  << host + "Range: bytes=0-1,2-3,4-5,6-7,8-9,10-11\r\n" << 416;
    }
    void limits()
    {
        QFETCH(QByteArray, requestLine);
        QFETCH(QByteArray, headers);
        QFETCH(int, status);
        RequestHead h;
        QVERIFY(::parseRequestHead(headOf(requestLine, headers), &h));
        ServerLimits limits;
        limits.listenHost = QStringLiteral("127.0.0.1");
        const RequestVerdict v = checkRequestLimits(h, limits);
        QCOMPARE(v.status, status);
        QCOMPARE(v.reason.isEmpty(), status == 0);
    }

    void hostAllowed_data()
    {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<QString>("listen");
        QTest::addColumn<bool>("allowed");
        const QString any = QStringLiteral("0.0.0.0");
        QTest::newRow("localhost") << QByteArray("localhost") << any << true;
        QTest::newRow("LOCALHOST with a port") << QByteArray("LOCALHOST:8080") << any << true;
        QTest::newRow("127.0.0.1 with a port") << QByteArray("127.0.0.1:8080") << any << true;
        QTest::newRow("127.0.0.2") << QByteArray("127.0.0.2") << any << true;
        QTest::newRow("[::1] with a port") << QByteArray("[::1]:8080") << any << true;
        QTest::newRow("a --host name") << QByteArray("archive.office:8443") << any << true;
        QTest::newRow("a --host name, other case") << QByteArray("Archive.Office") << any << true;
        QTest::newRow("a --host address") << QByteArray("198.51.100.20:8443") << any << true;
        QTest::newRow("the listening address") << QByteArray("198.51.100.30:8080") << QStringLiteral("198.51.100.30")
                                               << true;
        QTest::newRow("the listening v6 address") << QByteArray("[fd00::1]:8080") << QStringLiteral("fd00::1") << true;
        QTest::newRow("a rebinding name") << QByteArray("attacker.example") << any << false;
        QTest::newRow("a --host name's suffix") << QByteArray("evil-archive.office") << any << false;
        QTest::newRow("a name ending in localhost") << QByteArray("localhost.attacker.example") << any << false;
        QTest::newRow("another address") << QByteArray("198.51.100.21") << any << false;
        QTest::newRow("empty") << QByteArray("") << any << false;
        QTest::newRow("unclosed bracket") << QByteArray("[::1") << any << false;
    }
    void hostAllowed()
    {
        QFETCH(QByteArray, host);
        QFETCH(QString, listen);
        QFETCH(bool, allowed);
        ServerLimits limits;
        limits.listenHost = listen;
        limits.hostNames = QStringList{QStringLiteral("archive.office"), QStringLiteral("198.51.100.20")};
        QCOMPARE(::hostAllowed(host, limits), allowed);
    }

    void rangeCount_data()
    {
        QTest::addColumn<QByteArray>("range");
        QTest::addColumn<int>("count");
        QTest::newRow("none") << QByteArray() << 0;
        QTest::newRow("one") << QByteArray("bytes=0-99") << 1;
        QTest::newRow("suffix and open") << QByteArray("bytes=-5, 10-") << 2;
        QTest::newRow("2,700") << "bytes=" + QByteArray("0-1,").repeated(2699) + "0-1" << 2700;
    }
    void rangeCount()
    {
        QFETCH(QByteArray, range);
        QFETCH(int, count);
        QCOMPARE(::rangeCount(range), count);
    }

    void rateIsPerPeerAndWindow()
    {
        CPeerRateLimiter rate(3);
        for (int i = 0; i < 3; ++i)
            QVERIFY(rate.allow(QStringLiteral("203.0.113.1"), 1000 + i));
        QVERIFY(!rate.allow(QStringLiteral("203.0.113.1"), 1010));
        // Another address has its own count; the next minute starts anew.
        QVERIFY(rate.allow(QStringLiteral("203.0.113.2"), 1010));
        QVERIFY(!rate.allow(QStringLiteral("203.0.113.1"), 60999));
        QVERIFY(rate.allow(QStringLiteral("203.0.113.1"), 61000));
    }

    void rateTableStaysBounded()
    {
        CPeerRateLimiter rate(2, 100);
        QVERIFY(rate.allow(QStringLiteral("busy"), 0));
        QVERIFY(rate.allow(QStringLiteral("busy"), 0));
        for (int i = 0; i < 1000; ++i)
            QVERIFY(rate.allow(QStringLiteral("198.18.%1.%2").arg(QString::number(i / 256), QString::number(i % 256)), 1 + i));
        QVERIFY(rate.peers() <= 100);
        // The oldest went first: "busy" starts a fresh window.
        QVERIFY(rate.allow(QStringLiteral("busy"), 2000));
    }
};

QTEST_GUILESS_MAIN(TestServerLimits)
#include "tst_serverlimits.moc"
