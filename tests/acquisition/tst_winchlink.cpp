// The winch link against a controller played by the test on loopback.

#include "acqstate.h"
#include "appmodel.h"
#include "ctrlinfo.h"
#include "testsupport.h"
#include "winchctrl.h"
#include "winchframe.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <functional>
#include <memory>

namespace {
// The request as it must look on the wire, written out byte by byte.
QByteArray expectedRequest(bool clear)
{
    const char bytes[16] = {0x53, 0x10, 0, 0, 0, 0, 0, 0, 0, char(clear ? 1 : 0), 0, 0, 0, 0, 0, 0x45};
    return QByteArray(bytes, 16);
}

QByteArray report(int32_t pulses, float raw = 1.0f, bool cleared = false)
{
    WinchReport r;
    r.pulseCount = pulses;
    r.rawValue = raw;
    r.cleared = cleared;
    return buildWinchReport(r);
}

QByteArray corrupted(QByteArray bytes, int offset, char value)
{
    bytes[offset] = value;
    return bytes;
}

// A winch controller on loopback: records every request with the time it
// arrived and, when an answer is set, answers each one.
class LoopbackController : public QObject {
public:
    LoopbackController()
    {
        QVERIFY(m_server.listen(QHostAddress::LocalHost, 0));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                ++connections;
                current = s;
                connect(s, &QTcpSocket::readyRead, this, [this, s] { onRead(s); });
            }
        });
        m_clock.start();
    }
    quint16 port() const { return m_server.serverPort(); }
    void write(const QByteArray &bytes)
    {
        if (current) {
            current->write(bytes);
            current->flush();
        }
    }

    int connections = 0;
    QPointer<QTcpSocket> current;
    QVector<QByteArray> requests;
    QVector<qint64> times;
    std::function<QByteArray(const QByteArray &)> answer; // empty: silent

private:
    void onRead(QTcpSocket *s)
    {
        QByteArray &buf = m_pending[s];
        buf += s->readAll();
        while (buf.size() >= 16) {
            const QByteArray req = buf.left(16);
            buf.remove(0, 16);
            requests << req;
            times << m_clock.elapsed();
            if (answer && s == current)
                s->write(answer(req));
        }
    }
    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QElapsedTimer m_clock;
};

// Records each stored report at the moment the link announces it (on the
// link thread) and counts the deliveries that reach the GUI thread.
struct LinkWatch {
    explicit LinkWatch(CWinchCtrl &link) : m_link(link)
    {
        QObject::connect(&link, &CWinchCtrl::StateChanged, &link, [this] {
            QMutexLocker l(&lock);
            seen << m_link.report().fields.pulseCount;
        }, Qt::DirectConnection);
        QObject::connect(&link, &CWinchCtrl::StateChanged, &receiver, [this] {
            ++stateOnGui;
            if (QThread::currentThread() != qApp->thread())
                ++offGui;
        });
        QObject::connect(&link, &CWinchCtrl::ConnectStateChanged, &receiver, [this] {
            ++checks;
            lastConnected = m_link.isConnected();
            (lastConnected ? checksUp : checksDown)++;
            if (QThread::currentThread() != qApp->thread())
                ++offGui;
        });
    }
    QVector<int> pulses() const
    {
        QMutexLocker l(&lock);
        return seen;
    }

    mutable QMutex lock; // guards seen
    QVector<int> seen;
    QObject receiver;
    int stateOnGui = 0, checks = 0, checksUp = 0, checksDown = 0, offGui = 0;
    bool lastConnected = false;

private:
    CWinchCtrl &m_link;
};

std::unique_ptr<CWinchCtrl> startedLink(quint16 port, int livenessMs = CWinchCtrl::DefaultLivenessIntervalMs,
                                        int sendDisabled = 0)
{
    auto link = std::make_unique<CWinchCtrl>();
    link->configure(sendDisabled, QStringLiteral("127.0.0.1"), port);
    link->setLivenessIntervalMs(livenessMs);
    link->startLink();
    return link;
}
}

class TestWinchLink : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("ZPVW_WINCH", "127.0.0.1:9"); }

    void requestBytesAndPollRate();
    void reports_data();
    void reports();
    void malformedReportsStillCountAsAlive();
    void livenessLossAndReconnect();
    void peerClosesAndLinkComesBack();
    void clearHandshake();
    void sendDisabledSendsNothingAndIgnoresReports();
    void stopsWhileNothingAnswers();
    void neverToldAnAddressNeverConnects();
    void frameReassembly_data();
    void frameReassembly();
};

void TestWinchLink::requestBytesAndPollRate()
{
    LoopbackController ctl;
    auto link = startedLink(ctl.port());
    QCOMPARE(link->host(), QStringLiteral("127.0.0.1"));
    QTRY_VERIFY_WITH_TIMEOUT(ctl.requests.size() >= 8, 10000);
    QCOMPARE(ctl.connections, 1);
    for (const QByteArray &r : ctl.requests)
        QCOMPARE(r.toHex(), expectedRequest(false).toHex());
    // One request per poll, polls at least 50 ms apart (a few ms of slack for
    // the receiving side).
    const int n = ctl.requests.size();
    const qint64 span = ctl.times.at(n - 1) - ctl.times.at(1);
    qInfo("%d requests in %lld ms", n - 2, static_cast<long long>(span));
    QVERIFY2(span >= (n - 2) * CWinchCtrl::PollIntervalMs - 15, qPrintable(QString::number(span)));
    QVERIFY(link->stopLink());
    QCOMPARE(link->status(), int(CWinchCtrl::Stopped));
}

void TestWinchLink::reports_data()
{
    QTest::addColumn<QList<QByteArray>>("writes"); // written one after the other
    QTest::addColumn<QVector<int>>("expected");   // pulse counts announced
    const QByteArray good = report(1234, 2.5f);
    QTest::newRow("well-formed") << QList<QByteArray>{good} << QVector<int>{1234};
    QTest::newRow("length byte 39") << QList<QByteArray>{corrupted(good, 1, 39)} << QVector<int>{};
    QTest::newRow("wrong start") << QList<QByteArray>{corrupted(good, 0, 'H')} << QVector<int>{};
    QTest::newRow("wrong end") << QList<QByteArray>{corrupted(good, 39, 'F')} << QVector<int>{};
    QTest::newRow("39 bytes") << QList<QByteArray>{good.left(39)} << QVector<int>{};
    QTest::newRow("two in one read: the first counts") << QList<QByteArray>{report(111) + report(222)}
                                                       << QVector<int>{111};
    QTest::newRow("broken frame then a good one") << QList<QByteArray>{corrupted(good, 39, 0) + report(333)}
                                                  << QVector<int>{333};
    QTest::newRow("split in two reads") << QList<QByteArray>{good.left(17), good.mid(17)} << QVector<int>{1234};
    QTest::newRow("split after the start byte") << QList<QByteArray>{good.left(1), good.mid(1)} << QVector<int>{1234};
}

void TestWinchLink::reports()
{
    QFETCH(QList<QByteArray>, writes);
    QFETCH(QVector<int>, expected);
    LoopbackController ctl;
    auto link = startedLink(ctl.port());
    LinkWatch watch(*link);
    QTRY_VERIFY_WITH_TIMEOUT(!ctl.requests.isEmpty(), 10000);
    qint64 total = 0;
    for (const QByteArray &w : writes) {
        ctl.write(w);
        total += w.size();
        // Each write is read on its own before the next goes out.
        QTRY_COMPARE_WITH_TIMEOUT(link->bytesReceived(), total, 5000);
    }
    ctl.write(report(999)); // marks the end of the test's data
    QTRY_VERIFY_WITH_TIMEOUT(watch.pulses().contains(999), 5000);
    QVector<int> got = watch.pulses();
    got.removeLast();
    QCOMPARE(got, expected);
    QTRY_COMPARE_WITH_TIMEOUT(watch.stateOnGui, expected.size() + 1, 5000);
    QCOMPARE(watch.offGui, 0);
    const WinchReportCopy last = link->report();
    QCOMPARE(last.fields.pulseCount, 999);
    QCOMPARE(last.bytes, report(999));
    if (!expected.isEmpty() && expected.first() == 1234)
        QCOMPARE(decodeWinchReport(report(1234, 2.5f)).rawValue, 2.5f);
}

void TestWinchLink::malformedReportsStillCountAsAlive()
{
    LoopbackController ctl;
    ctl.answer = [](const QByteArray &) { return corrupted(report(5), 1, 39); };
    auto link = startedLink(ctl.port(), 300);
    LinkWatch watch(*link);
    QTRY_VERIFY_WITH_TIMEOUT(watch.checks >= 2, 10000);
    QCOMPARE(watch.checksDown, 0);
    QVERIFY(link->isConnected());
    QCOMPARE(link->connectAttempts(), 1);
    QCOMPARE(ctl.connections, 1);
    QVERIFY(watch.pulses().isEmpty());
    QCOMPARE(watch.offGui, 0);
}

void TestWinchLink::livenessLossAndReconnect()
{
    LoopbackController ctl; // silent at first
    auto link = startedLink(ctl.port(), 300);
    LinkWatch watch(*link);
    QTRY_VERIFY_WITH_TIMEOUT(watch.checksDown >= 1, 10000);
    QVERIFY(!watch.lastConnected);
    QTRY_VERIFY_WITH_TIMEOUT(ctl.connections >= 2, 10000);
    QVERIFY(link->connectAttempts() >= 2);
    // The controller speaks again: the next check finds the link up.
    ctl.answer = [](const QByteArray &) { return report(42); };
    QTRY_VERIFY_WITH_TIMEOUT(watch.lastConnected, 10000);
    QVERIFY(link->isConnected());
    QTRY_VERIFY_WITH_TIMEOUT(watch.pulses().contains(42), 5000);
    QCOMPARE(watch.offGui, 0);
}

void TestWinchLink::peerClosesAndLinkComesBack()
{
    LoopbackController ctl;
    ctl.answer = [](const QByteArray &) { return report(7); };
    auto link = startedLink(ctl.port(), 300);
    QTRY_VERIFY_WITH_TIMEOUT(ctl.requests.size() >= 3, 10000);
    QPointer<QTcpSocket> first = ctl.current;
    first->abort();
    QTRY_VERIFY_WITH_TIMEOUT(ctl.connections >= 2, 10000);
    const int before = ctl.requests.size();
    QTRY_VERIFY_WITH_TIMEOUT(ctl.requests.size() >= before + 3, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(link->isConnected(), 10000);
}

void TestWinchLink::clearHandshake()
{
    LoopbackController ctl;
    bool controllerCleared = false;
    ctl.answer = [&](const QByteArray &req) {
        // Like the controller: a request with the clear flag zeroes the count.
        if (req.at(9) == 1)
            controllerCleared = true;
        return controllerCleared ? report(0, 1.0f, true) : report(5000, 1.0f);
    };
    CAppModel model({QStringLiteral("127.0.0.1"), ctl.port()}, true);
    connect(model.link(), &CWinchCtrl::StateChanged, &model, [&model] { model.update(); });
    QTRY_VERIFY_WITH_TIMEOUT(model.winchHeight.load() > 1000, 10000);
    const int firstClear = ctl.requests.size();
    // Hold the controller's confirmation back for a while: every request
    // keeps asking.
    ctl.answer = [](const QByteArray &) { return report(5000, 1.0f); };
    model.requestClear();
    QTRY_VERIFY_WITH_TIMEOUT(ctl.requests.size() >= firstClear + 6, 10000);
    int flagged = 0;
    for (int i = firstClear; i < ctl.requests.size(); ++i) {
        if (ctl.requests.at(i).at(9) == 1)
            ++flagged;
        else
            QCOMPARE(flagged, 0); // once set, it stays set
    }
    QVERIFY(flagged >= 4);
    QCOMPARE(ctl.requests.last().toHex(), expectedRequest(true).toHex());
    ctl.answer = [&](const QByteArray &req) {
        if (req.at(9) == 1)
            controllerCleared = true;
        return controllerCleared ? report(0, 1.0f, true) : report(5000, 1.0f);
    };
    QTRY_COMPARE_WITH_TIMEOUT(model.clearRequest, uint8_t(0), 10000);
    QCOMPARE(model.winchHeight.load(), 0);
    const int afterClear = ctl.requests.size();
    QTRY_VERIFY_WITH_TIMEOUT(ctl.requests.size() >= afterClear + 3, 10000);
    // The one request that may have left before the model saw the confirmation
    // aside, the flag is down again.
    for (int i = afterClear + 1; i < ctl.requests.size(); ++i)
        QCOMPARE(ctl.requests.at(i).toHex(), expectedRequest(false).toHex());
}

void TestWinchLink::sendDisabledSendsNothingAndIgnoresReports()
{
    LoopbackController ctl;
    auto link = startedLink(ctl.port(), CWinchCtrl::DefaultLivenessIntervalMs, 1);
    LinkWatch watch(*link);
    QTRY_COMPARE_WITH_TIMEOUT(ctl.connections, 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(ctl.current, 5000);
    ctl.write(report(77));
    QTRY_COMPARE_WITH_TIMEOUT(link->bytesReceived(), qint64(40), 5000);
    QCOMPARE(link->requestsSent(), 0);
    QVERIFY(ctl.requests.isEmpty());
    QVERIFY(watch.pulses().isEmpty());
    QCOMPARE(link->report().sequence, quint64(0));
}

void TestWinchLink::stopsWhileNothingAnswers()
{
    quint16 port;
    {
        QTcpServer probe; // a port that nobody listens on any more
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    auto link = startedLink(port, 200);
    LinkWatch watch(*link);
    QTRY_VERIFY_WITH_TIMEOUT(watch.checksDown >= 2, 10000);
    QVERIFY(link->connectAttempts() >= 2);
    QCOMPARE(link->requestsSent(), 0);
    QVERIFY(link->stopLink());
    QVERIFY(!link->isRunning());
}

void TestWinchLink::neverToldAnAddressNeverConnects()
{
    CWinchCtrl link;
    QVERIFY(link.host().isEmpty());
    link.setLivenessIntervalMs(50);
    LinkWatch watch(link);
    link.startLink();
    // Each liveness check that finds no data would reconnect: two of them
    // have passed without a single attempt.
    QTRY_VERIFY_WITH_TIMEOUT(watch.checksDown >= 2, 10000);
    QCOMPARE(link.connectAttempts(), 0);
    QCOMPARE(link.requestsSent(), 0);
    QVERIFY(link.stopLink());
}

void TestWinchLink::frameReassembly_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QVector<int>>("expected");
    const QByteArray a = report(1), b = report(2);
    QTest::newRow("whole") << QList<QByteArray>{a} << QVector<int>{1};
    QTest::newRow("byte by byte") << [&] {
        QList<QByteArray> l;
        for (char c : a)
            l << QByteArray(1, c);
        return l;
    }() << QVector<int>{1};
    QTest::newRow("two glued") << QList<QByteArray>{a + b} << QVector<int>{1, 2};
    QTest::newRow("noise before") << QList<QByteArray>{QByteArray("xyzG\x27") + a} << QVector<int>{1};
    QTest::newRow("cut frame then a whole one") << QList<QByteArray>{a.left(20), b} << QVector<int>{2};
    QTest::newRow("many false starts, then a report")
        << QList<QByteArray>{QByteArray("G(").repeated(5000) + QByteArray("G") + a} << QVector<int>{1};
    QTest::newRow("false starts across reads") << QList<QByteArray>{QByteArray("G(").repeated(30), QByteArray("GG(") + a.left(7), a.mid(7)}
                                               << QVector<int>{1};
    QTest::newRow("glued across reads") << QList<QByteArray>{a + b.left(10), b.mid(10)} << QVector<int>{1, 2};
}

void TestWinchLink::frameReassembly()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QVector<int>, expected);
    CWinchFrameAssembler assembler;
    QVector<int> got;
    for (const QByteArray &c : chunks) {
        for (const QByteArray &frame : assembler.feed(c)) {
            QVERIFY(isWinchReport(frame));
            got << decodeWinchReport(frame).pulseCount;
        }
    }
    QCOMPARE(got, expected);
    // Requests reassemble the same way.
    CWinchFrameAssembler requests(CWinchFrameAssembler::Requests);
    const QList<QByteArray> r = requests.feed(QByteArray("\x01\x02", 2) + expectedRequest(true) + expectedRequest(false).left(5));
    QCOMPARE(r.size(), 1);
    bool clear = false;
    QVERIFY(parseWinchRequest(r.first(), &clear));
    QVERIFY(clear);
    QCOMPARE(requests.feed(expectedRequest(false).mid(5)).size(), 1);
}

QTEST_MAIN(TestWinchLink)
#include "tst_winchlink.moc"
