// Sealed tests from an instrument's outbox to a real archive server over
// HTTPS on 127.0.0.1, with a CA the openssl command makes for the test:
// the real "zpvw --sync", "zpvw --demo" and "zpvw-archive serve", or the
// upload library's sender in this process; network faults from a proxy on
// 127.0.0.1 (faultproxy.h). Each child is stopped by its PID at the end,
// each wait is bounded.

#include "devicekey.h"
#include "faultproxy.h"
#include "outbox.h"
#include "testmanifest.h"
#include "testseal.h"
#include "testsupport.h"
#include "uploadsender.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <memory>
#include <vector>

namespace {
QString bin(const char *name) { return testBinDir() + QLatin1Char('/') + QLatin1String(name); }

// The test's CA and the server's certificate for 127.0.0.1.
bool makeCertificates(const QString &dir)
{
    const QString ext = dir + QStringLiteral("/ext");
    writeFileBytes(ext, "subjectAltName=IP:127.0.0.1\n");
    auto ssl = [&](const QStringList &args) { return runChild(QStringLiteral("openssl"), args, QProcessEnvironment::systemEnvironment(), 30000).exitCode == 0; };
    const QString d = dir + QLatin1Char('/');
    return ssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2",
                "-subj", "/CN=zpvw test CA", "-keyout", d + "ca.key", "-out", d + "ca.pem"})
           && ssl({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-subj", "/CN=127.0.0.1",
                   "-keyout", d + "srv.key", "-out", d + "srv.csr"})
           && ssl({"x509", "-req", "-in", d + "srv.csr", "-CA", d + "ca.pem", "-CAkey", d + "ca.key", "-CAcreateserial",
                   "-days", "2", "-extfile", ext, "-out", d + "srv.pem"});
}

// zpvw-archive serve over TLS; stopped by its PID.
class Server {
public:
    Server(const QString &dir, int port = 0) : m_dir(dir)
    {
        m_proc.setProgram(bin("zpvw-archive"));
        m_proc.setArguments({"--db", dir + "/archive.sqlite", "serve", "--listen",
                             QStringLiteral("127.0.0.1:%1").arg(port), "--tls-cert", dir + "/srv.pem", "--tls-key",
                             dir + "/srv.key"});
        m_proc.start();
        QElapsedTimer t;
        t.start();
        QByteArray out;
        while (t.elapsed() < 10000 && !out.contains('\n') && m_proc.state() != QProcess::NotRunning) {
            m_proc.waitForReadyRead(200);
            out += m_proc.readAllStandardOutput();
        }
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral(":(\\d+)/")).match(QString::fromUtf8(out));
        m_port = m.hasMatch() ? m.captured(1).toInt() : 0;
    }
    ~Server() { stop(); }
    void stop()
    {
        if (m_proc.state() != QProcess::NotRunning) {
            m_proc.kill(); // by its PID
            m_proc.waitForFinished(5000);
        }
    }
    int port() const { return m_port; }
    QString url() const { return QStringLiteral("https://127.0.0.1:%1").arg(m_port); }

private:
    QString m_dir;
    QProcess m_proc;
    int m_port = 0;
};

ChildRun archive(const QString &dir, const QStringList &args)
{
    return runChild(bin("zpvw-archive"), QStringList{"--db", dir + "/archive.sqlite"} + args,
                    QProcessEnvironment::systemEnvironment(), 60000);
}

// A real hole file of `samples` points, written by the hole tool.
QString writeHole(const TestAppDir &app, const QString &name, int variant, int samples = 2)
{
    const QString hole = app.file(QStringLiteral("data/Bridge/%1.CZO").arg(name));
    QDir().mkpath(QFileInfo(hole).absolutePath());
    // The hole tool writes a real hole file from JSON.
    const QString json = app.file(name + QStringLiteral(".json"));
    QStringList points;
    for (int i = 0; i < samples; ++i)
        points << QStringLiteral("[%1,12.5,12.5]").arg(1000 - i);
    writeFileBytes(json, QStringLiteral("{\"projectName\":\"Bridge\",\"holeNo\":\"%1\",\"testDate\":\"2026-03-01\","
                                        "\"testTime\":\"10:00:0%2\",\"maxDepth\":1000,\"moveDistance\":%3,"
                                        "\"samples\":[%4]}")
                             .arg(name, QString::number(variant), samples > 2 ? QStringLiteral("1") : QStringLiteral("100"),
                                  points.join(QLatin1Char(',')))
                             .toUtf8());
    const ChildRun w = runChild(bin("zpvw-hole"), {"write", json, hole});
    if (w.exitCode != 0)
        qWarning("zpvw-hole write: %s", w.err.constData());
    return hole;
}

// A real hole file sealed into the outbox, as a save does.
void sealHole(const TestAppDir &app, const QString &name, int variant, int samples = 2)
{
    const QString hole = writeHole(app, name, variant, samples);
    QVERIFY(QFileInfo::exists(hole));
    SealResult seal;
    QString error;
    QVERIFY2(sealSavedFiles(app.path(), {hole}, {QStringLiteral("Bridge"), name, QStringLiteral("2026-03-01 10:00:00")},
                            &seal, &error),
             qPrintable(error));
    QVERIFY(Outbox(outboxFolder(app.path())).enqueue(seal, {hole}, QStringLiteral("Bridge"), name, &error));
}

ChildRun sync(const TestAppDir &app, const QString &url, const QString &ca)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZPVW_APP_DIR"), app.path());
    return runChild(bin("zpvw"), {"--sync", "--archive-url", url, "--archive-ca", ca}, env, 60000);
}

// The upload library's sender in this process, with short pauses between
// tries; the sequence numbers it got acknowledged, in order.
struct LocalSender {
    LocalSender(const TestAppDir &app, const QString &url, const QString &ca)
        : sender(UploadSettings{QUrl(url), ca}, outboxFolder(app.path()))
    {
        sender.setRetryPauses(100, 800);
        QObject::connect(&sender, &CUploadSender::sent, [this](qint64 seq) { sent << seq; });
    }
    CUploadSender sender;
    QVector<qint64> sent;
};

// The archive's versions of a hole signed by `device`.
int signedVersions(const QString &dir, const QString &project, const QString &hole, const QString &device)
{
    return archive(dir, {"history", project, hole}).out.count(QString(QLatin1Char('\t') + device + QLatin1Char('\n')).toUtf8());
}

// The demonstration's environment: offscreen, no winch, the archive as given.
QProcessEnvironment demoEnvironment(const QString &url = QString(), const QString &ca = QString())
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"ZPVW_DEMO_VERBOSE", "DISPLAY", "WAYLAND_DISPLAY", "ZPVW_ARCHIVE_URL", "ZPVW_ARCHIVE_CA"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!url.isEmpty()) {
        env.insert(QStringLiteral("ZPVW_ARCHIVE_URL"), url);
        env.insert(QStringLiteral("ZPVW_ARCHIVE_CA"), ca);
    }
    return env;
}

QStringList demoArguments(int maxSeconds)
{
    return {"--demo", "--mode", "manual", "--depth", "0.5", "--move", "100", "--max-seconds", QString::number(maxSeconds)};
}

// A loopback port nothing listens on (a server started there and stopped).
int closedPort(const QString &dir)
{
    Server gone(dir);
    return gone.port();
}
} // namespace

class TestUpload : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void refusedUntilKnownThenDrainsInOrder();
    void serverDownThenBack();
    void revokedKeyAndTamperedFile();
    void untrustedServerIsNotSentTo();
    void connectionCutMidUpload();
    void answerLostThenKnown();
    void serverRestartWhileQueued();
    void farOffInstrumentClock();
    void demoWaitsForItsUpload();
    void demoSaysWhyStillQueued_data();
    void demoSaysWhyStillQueued();
    void killedBetweenSaveAndAnswer();
    void folderImportAccountsForReplacedManifests();
    void verifyRechecksStoredManifests_data();
    void verifyRechecksStoredManifests();

private:
    // The server's certificate and key in its folder.
    void serverFiles(const QTemporaryDir &dir) const
    {
        for (const QString &f : QStringList{"srv.pem", "srv.key"})
            QFile::copy(m_tls.filePath(f), dir.filePath(f));
    }
    // The instrument's key made and known to the archive as `name`.
    static bool registerDevice(const TestAppDir &app, const QTemporaryDir &dir, const QString &name)
    {
        DeviceKey key;
        return loadOrCreateDeviceKey(app.path(), &key, nullptr)
               && archive(dir.path(), {"device", "add", name, key.publicKeyBase64()}).exitCode == 0;
    }
    QTemporaryDir m_tls;
};

void TestUpload::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
        QSKIP("the openssl command is missing");
    QVERIFY(makeCertificates(m_tls.path()));
}

void TestUpload::refusedUntilKnownThenDrainsInOrder()
{
    TestAppDir app;
    QTemporaryDir dir;
    serverFiles(dir);
    sealHole(app, QStringLiteral("Z1"), 1);
    sealHole(app, QStringLiteral("Z2"), 2);
    Server server(dir.path());
    QVERIFY(server.port() > 0);
    const QString ca = m_tls.filePath(QStringLiteral("ca.pem"));

    // Unknown device: refused, kept, and the refusal is in the trail.
    ChildRun refused = sync(app, server.url(), ca);
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.err.contains("unknown device"), refused.err.constData());
    QCOMPARE(Outbox(outboxFolder(app.path())).count(), 2);
    QVERIFY(archive(dir.path(), {"log", "Bridge"}).out.contains("refused"));

    QVERIFY(registerDevice(app, dir, QStringLiteral("rig-7")));
    const ChildRun sent = sync(app, server.url(), ca);
    QCOMPARE(sent.exitCode, 0);
    QVERIFY(sent.out.indexOf("sent test 1") < sent.out.indexOf("sent test 2"));
    QCOMPARE(Outbox(outboxFolder(app.path())).count(), 0);
    const ChildRun history = archive(dir.path(), {"history", "Bridge", "Z2"});
    QVERIFY2(history.out.contains("\trig-7\n"), history.out.constData());
    // The trail says where a test came from: an upload, not a folder of the server's.
    const ChildRun log = archive(dir.path(), {"log", "Bridge"});
    QVERIFY2(log.out.contains("Z1.CZO from upload/Bridge: test ") && !log.out.contains(QDir::tempPath().toUtf8()),
             log.out.constData());

    // The acknowledgement lost: the item comes back after the archive
    // stored it; sent again, it is known, and nothing is stored twice.
    sealHole(app, QStringLiteral("Z3"), 3);
    const QString item = outboxFolder(app.path()) + QStringLiteral("/000000000003");
    QCOMPARE(runChild(QStringLiteral("cp"), {"-a", item, dir.filePath("kept")}).exitCode, 0);
    QCOMPARE(sync(app, server.url(), ca).exitCode, 0);
    QCOMPARE(runChild(QStringLiteral("cp"), {"-a", dir.filePath("kept"), item}).exitCode, 0);
    QCOMPARE(Outbox(outboxFolder(app.path())).count(), 1);
    QCOMPARE(sync(app, server.url(), ca).exitCode, 0);
    QCOMPARE(Outbox(outboxFolder(app.path())).count(), 0);
    QCOMPARE(archive(dir.path(), {"history", "Bridge", "Z3"}).out.count("rig-7"), 1);
    const ChildRun v = archive(dir.path(), {"verify"});
    QCOMPARE(v.exitCode, 0);
    QVERIFY2(v.out.contains("3 manifests checked"), v.out.constData());
}

void TestUpload::serverDownThenBack()
{
    TestAppDir app;
    QTemporaryDir dir;
    serverFiles(dir);
    sealHole(app, QStringLiteral("Z1"), 1);
    QVERIFY(registerDevice(app, dir, QStringLiteral("rig-1")));
    const QString ca = m_tls.filePath(QStringLiteral("ca.pem"));
    int port = 0;
    {
        Server first(dir.path());
        port = first.port();
    } // down
    const ChildRun down = sync(app, QStringLiteral("https://127.0.0.1:%1").arg(port), ca);
    QCOMPARE(down.exitCode, 1);
    QCOMPARE(Outbox(outboxFolder(app.path())).count(), 1);
    Server back(dir.path(), port);
    QCOMPARE(back.port(), port);
    QCOMPARE(sync(app, back.url(), ca).exitCode, 0);
    // A second item after a server restart goes too.
    sealHole(app, QStringLiteral("Z2"), 2);
    back.stop();
    Server restarted(dir.path(), port);
    QCOMPARE(sync(app, restarted.url(), ca).exitCode, 0);
    QVERIFY(archive(dir.path(), {"verify"}).out.contains("2 manifests checked"));
}

void TestUpload::revokedKeyAndTamperedFile()
{
    TestAppDir app;
    QTemporaryDir dir;
    serverFiles(dir);
    sealHole(app, QStringLiteral("Z1"), 1);
    QVERIFY(registerDevice(app, dir, QStringLiteral("rig-2")));
    // A tampered hole file with its manifest, imported from a folder.
    const QString copy = dir.filePath(QStringLiteral("usb/Bridge"));
    QDir().mkpath(copy);
    QFile::copy(app.file("data/Bridge/Z1.CZO"), copy + "/Z1.CZO");
    QFile::copy(app.file("data/Bridge/Z1.SIG"), copy + "/Z1.SIG");
    QByteArray b = readFileBytes(copy + "/Z1.CZO");
    b[b.size() - 2] = char(b[b.size() - 2] ^ 1);
    writeFileBytes(copy + "/Z1.CZO", b);
    const ChildRun imported = archive(dir.path(), {"import", dir.filePath("usb")});
    QCOMPARE(imported.exitCode, 2);
    QVERIFY2(imported.err.contains("signature does not match") || imported.out.contains("signature does not match"),
             imported.err.constData());

    QCOMPARE(archive(dir.path(), {"device", "revoke", "rig-2"}).exitCode, 0);
    Server server(dir.path());
    const ChildRun refused = sync(app, server.url(), m_tls.filePath("ca.pem"));
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.err.contains("revoked"), refused.err.constData());
    const ChildRun list = archive(dir.path(), {"device", "list"});
    QVERIFY(list.out.contains("rig-2"));
    QVERIFY(archive(dir.path(), {"log", "Bridge"}).out.contains("refused"));
}

void TestUpload::untrustedServerIsNotSentTo()
{
    TestAppDir app;
    QTemporaryDir dir;
    serverFiles(dir);
    sealHole(app, QStringLiteral("Z1"), 1);
    Server server(dir.path());
    // The server's own certificate is no CA: its chain is not trusted.
    const ChildRun run = sync(app, server.url(), dir.filePath("srv.pem"));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(Outbox(outboxFolder(app.path())).count(), 1);
}

// The upload broken off mid-request, connection after connection: nothing
// stored, nothing lost; once the network lets it through, the queue drains
// in order by itself and each test is stored once.
void TestUpload::connectionCutMidUpload()
{
    TestAppDir app;
    QTemporaryDir dir;
    serverFiles(dir);
    for (int i = 1; i <= 3; ++i)
        sealHole(app, QStringLiteral("Z%1").arg(i), i, 1000);
    QVERIFY(registerDevice(app, dir, QStringLiteral("rig-3")));
    Server server(dir.path());
    QVERIFY(server.port() > 0);
    FaultProxy proxy(quint16(server.port()));
    QVERIFY(proxy.port() > 0);
    // Past the TLS handshake, well inside the first request's body.
    const qint64 cutAt = 4000;
    proxy.setMode(FaultProxy::CutRequest, cutAt);
    LocalSender local(app, proxy.url(), m_tls.filePath(QStringLiteral("ca.pem")));
    local.sender.start();
    // Cut again and again (the network layer's own second tries among them),
    // until the sender has seen its try fail.
    QVERIFY(QTest::qWaitFor(
        [&] { return proxy.faults() >= 3 && local.sender.status().failure != UploadStatus::None; }, 30000));
    QCOMPARE(local.sender.waiting(), 3);
    QVERIFY(local.sent.isEmpty());
    QVERIFY2(local.sender.status().failure == UploadStatus::Unreachable, qPrintable(local.sender.status().detail));
    QVERIFY(archive(dir.path(), {"history", "Bridge", "Z1"}).exitCode != 0); // nothing stored

    proxy.setMode(FaultProxy::Pass);
    QVERIFY(QTest::qWaitFor([&] { return local.sender.waiting() == 0; }, 30000));
    QCOMPARE(local.sent, (QVector<qint64>{1, 2, 3}));
    QVERIFY(local.sender.status().synced());
    // The cut fell inside a request, not before it began.
    QVERIFY2(proxy.largestRequest() > 2 * cutAt, qPrintable(QString::number(proxy.largestRequest())));
    for (int i = 1; i <= 3; ++i)
        QCOMPARE(signedVersions(dir.path(), QStringLiteral("Bridge"), QStringLiteral("Z%1").arg(i), QStringLiteral("rig-3")), 1);
}

// The archive stores the test but its answer never arrives: the item
// stays, is sent again, answered as known, and the archive holds it once.
void TestUpload::answerLostThenKnown()
{
    TestAppDir app;
    QTemporaryDir dir;
    serverFiles(dir);
    sealHole(app, QStringLiteral("Z1"), 1, 1000);
    QVERIFY(registerDevice(app, dir, QStringLiteral("rig-4")));
    Server server(dir.path());
    FaultProxy proxy(quint16(server.port()));
    proxy.setMode(FaultProxy::DropAnswer, 4000);
    LocalSender local(app, proxy.url(), m_tls.filePath(QStringLiteral("ca.pem")));
    local.sender.start();
    QVERIFY(QTest::qWaitFor([&] { return local.sender.status().failure != UploadStatus::None; }, 30000));
    QVERIFY(proxy.faults() >= 1);
    QCOMPARE(local.sender.waiting(), 1);
    // Stored, though the instrument does not know it.
    QCOMPARE(signedVersions(dir.path(), QStringLiteral("Bridge"), QStringLiteral("Z1"), QStringLiteral("rig-4")), 1);

    proxy.setMode(FaultProxy::Pass);
    QVERIFY(QTest::qWaitFor([&] { return local.sender.waiting() == 0; }, 30000));
    QCOMPARE(local.sent, (QVector<qint64>{1}));
    QCOMPARE(signedVersions(dir.path(), QStringLiteral("Bridge"), QStringLiteral("Z1"), QStringLiteral("rig-4")), 1);
    const ChildRun v = archive(dir.path(), {"verify"});
    QVERIFY2(v.exitCode == 0 && v.out.contains("1 manifests checked"), v.out.constData());
}

// The archive restarted while tests wait: the running sender finds it back
// by itself and sends them in order.
void TestUpload::serverRestartWhileQueued()
{
    TestAppDir app;
    QTemporaryDir dir;
    serverFiles(dir);
    QVERIFY(registerDevice(app, dir, QStringLiteral("rig-5")));
    auto server = std::make_unique<Server>(dir.path());
    const int port = server->port();
    QVERIFY(port > 0);
    LocalSender local(app, server->url(), m_tls.filePath(QStringLiteral("ca.pem")));
    local.sender.start();
    sealHole(app, QStringLiteral("Z1"), 1);
    QVERIFY(QTest::qWaitFor([&] { return local.sent.size() == 1; }, 30000));

    server->stop();
    sealHole(app, QStringLiteral("Z2"), 2);
    sealHole(app, QStringLiteral("Z3"), 3);
    QVERIFY(QTest::qWaitFor([&] { return local.sender.status().failure == UploadStatus::Unreachable; }, 30000));
    QCOMPARE(local.sender.waiting(), 2);
    QCOMPARE(local.sender.status().pending, 2);

    server = std::make_unique<Server>(dir.path(), port);
    QCOMPARE(server->port(), port);
    QVERIFY(QTest::qWaitFor([&] { return local.sender.waiting() == 0; }, 30000));
    QCOMPARE(local.sent, (QVector<qint64>{1, 2, 3}));
    QVERIFY(local.sender.status().synced());
    QVERIFY(archive(dir.path(), {"verify"}).out.contains("3 manifests checked"));
}

// An instrument whose clock is years off: the archive keeps the manifest's
// save time as the instrument's and records its own time of receipt.
void TestUpload::farOffInstrumentClock()
{
    TestAppDir app;
    QTemporaryDir dir;
    serverFiles(dir);
    QVERIFY(registerDevice(app, dir, QStringLiteral("rig-6")));
    const QString hole = writeHole(app, QStringLiteral("Z1"), 1);
    DeviceKey key;
    QVERIFY(loadOrCreateDeviceKey(app.path(), &key, nullptr));
    // Signed as a save does, with the instrument's clock at 1999.
    TestStatement s;
    s.subjects.append({QStringLiteral("Z1.CZO"), sha256Hex(readFileBytes(hole))});
    s.device = key.deviceId();
    s.publicKey = key.publicKeyBase64();
    s.project = s.projectFolder = QStringLiteral("Bridge");
    s.hole = QStringLiteral("Z1");
    s.testStart = QStringLiteral("1999-01-01 00:00:00");
    s.savedAt = QStringLiteral("1999-01-01T00:05:00.000Z");
    s.sequence = 1;
    const QByteArray manifest = signManifest(s, key);
    QVERIFY(writeFileBytes(manifestPathFor(hole), manifest));
    const SealResult seal{manifestPathFor(hole), sha256Hex(manifest), s.subjects.first().sha256, 1};
    QString error;
    QVERIFY2(Outbox(outboxFolder(app.path())).enqueue(seal, {hole}, QStringLiteral("Bridge"), QStringLiteral("Z1"), &error),
             qPrintable(error));

    Server server(dir.path());
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-2);
    QCOMPARE(sync(app, server.url(), m_tls.filePath(QStringLiteral("ca.pem"))).exitCode, 0);
    const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(2);
    server.stop();

    QString savedAt, receivedAt;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("clock"));
        db.setDatabaseName(dir.filePath(QStringLiteral("archive.sqlite")));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT saved_at, received_at FROM signed_versions")));
        QVERIFY(q.next());
        savedAt = q.value(0).toString();
        receivedAt = q.value(1).toString();
        QVERIFY(!q.next());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("clock"));
    QCOMPARE(savedAt, s.savedAt);
    const QDateTime received = QDateTime::fromString(receivedAt, Qt::ISODateWithMs);
    QVERIFY2(received >= before && received <= after, qPrintable(receivedAt));
    // What the history shows as imported is the archive's own time, too.
    const ChildRun history = archive(dir.path(), {"history", "Bridge", "Z1"});
    QVERIFY2(!history.out.contains("1999"), history.out.constData());
    QVERIFY2(history.out.contains(before.date().toString(Qt::ISODate).toUtf8())
                 || history.out.contains(after.date().toString(Qt::ISODate).toUtf8()),
             history.out.constData());
}

// The demonstration with an archive address (here from the environment)
// waits until its test is in the archive and says so.
void TestUpload::demoWaitsForItsUpload()
{
    TestAppDir app;
    QTemporaryDir dir;
    serverFiles(dir);
    QVERIFY(registerDevice(app, dir, QStringLiteral("rig-8")));
    Server server(dir.path());
    const ChildRun run = runChild(bin("zpvw"), demoArguments(120),
                                  demoEnvironment(server.url(), m_tls.filePath(QStringLiteral("ca.pem"))), 180000);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QString line = QStringLiteral("uploaded: Demo/DEMO1.CZO to %1\n").arg(server.url());
    QVERIFY2(run.out.endsWith(line.toUtf8()), run.out.constData());
    QCOMPARE(Outbox(outboxFolder(app.path())).count(), 0);
    QCOMPARE(signedVersions(dir.path(), QStringLiteral("Demo"), QStringLiteral("DEMO1"), QStringLiteral("rig-8")), 1);
}

void TestUpload::demoSaysWhyStillQueued_data()
{
    QTest::addColumn<bool>("serverUp");
    QTest::addColumn<int>("maxSeconds");
    QTest::addColumn<QString>("why");
    // A refusal ends the wait at once; an archive out of reach is waited
    // for until the time limit.
    QTest::newRow("device not registered") << true << 120 << "the archive refused this instrument: HTTP 403";
    QTest::newRow("archive down") << false << 20 << "the archive cannot be reached";
}

void TestUpload::demoSaysWhyStillQueued()
{
    QFETCH(bool, serverUp);
    QFETCH(int, maxSeconds);
    QFETCH(QString, why);
    TestAppDir app;
    QTemporaryDir dir;
    serverFiles(dir);
    std::unique_ptr<Server> server;
    QString archiveUrl = QStringLiteral("https://127.0.0.1:%1").arg(closedPort(dir.path()));
    if (serverUp) {
        server = std::make_unique<Server>(dir.path());
        archiveUrl = server->url();
    }
    QElapsedTimer clock;
    clock.start();
    const ChildRun run = runChild(bin("zpvw"),
                                  demoArguments(maxSeconds)
                                      + QStringList{"--archive-url", archiveUrl, "--archive-ca", m_tls.filePath("ca.pem")},
                                  demoEnvironment(), (maxSeconds + 60) * 1000);
    // The test is saved and queued: the demonstration did its part.
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QString line = QStringLiteral("still queued: Demo/DEMO1.CZO (1 waiting for %1): %2").arg(archiveUrl, why);
    QVERIFY2(run.err.contains(line.toUtf8()), run.err.constData());
    QVERIFY(!run.out.contains("uploaded:"));
    QCOMPARE(Outbox(outboxFolder(app.path())).count(), 1);
    if (serverUp)
        QVERIFY2(clock.elapsed() < maxSeconds * 1000, "a refusal is not waited out");
}

// The instrument killed after the save, before the archive answered: the
// sealed test survives in the outbox on disk and goes after a restart.
void TestUpload::killedBetweenSaveAndAnswer()
{
    TestAppDir app;
    QTemporaryDir dir;
    serverFiles(dir);
    QVERIFY(registerDevice(app, dir, QStringLiteral("rig-9")));
    // No archive there: the demonstration waits for it after the save.
    const QString url = QStringLiteral("https://127.0.0.1:%1").arg(closedPort(dir.path()));
    QProcess zpvw;
    zpvw.setProcessEnvironment(demoEnvironment());
    zpvw.start(bin("zpvw"), demoArguments(120) + QStringList{"--archive-url", url, "--archive-ca", m_tls.filePath("ca.pem")});
    QVERIFY(zpvw.waitForStarted(10000));
    const Outbox box(outboxFolder(app.path()));
    const bool queued = QTest::qWaitFor([&] { return box.count() == 1 || zpvw.state() == QProcess::NotRunning; }, 120000);
    const bool running = zpvw.state() == QProcess::Running;
    zpvw.kill(); // SIGKILL, by its PID
    zpvw.waitForFinished(10000);
    QVERIFY(queued && running);
    QCOMPARE(zpvw.exitStatus(), QProcess::CrashExit);

    const QString hole = app.file(QStringLiteral("ZPV_CZL-FILE/Demo/DEMO1.CZO"));
    QVERIFY(QFileInfo::exists(manifestPathFor(hole)));
    QCOMPARE(box.count(), 1);
    Server server(dir.path());
    const ChildRun sent = sync(app, server.url(), m_tls.filePath(QStringLiteral("ca.pem")));
    QVERIFY2(sent.exitCode == 0, sent.err.constData());
    QVERIFY(sent.out.contains("sent test 1\n"));
    QCOMPARE(box.count(), 0);
    QCOMPARE(signedVersions(dir.path(), QStringLiteral("Demo"), QStringLiteral("DEMO1"), QStringLiteral("rig-9")), 1);
}

// A stored manifest swapped for another (each stored under its own SHA-256,
// so that every stored byte still hashes right): verify checks each one's
// signature with the archive's key of the device and its subjects against
// the version's files.
void TestUpload::verifyRechecksStoredManifests_data()
{
    QTest::addColumn<QString>("swap");
    QTest::addColumn<QString>("fault");
    QTest::newRow("as imported") << "" << "";
    QTest::newRow("signed by another key") << "other key" << "signature does not match";
    QTest::newRow("signed over other bytes") << "other bytes" << "Z1.CZO does not match its SHA-256 in the manifest";
    QTest::newRow("not a manifest") << "not a manifest" << "manifest of Z1.CZO";
    QTest::newRow("bytes not stored") << "missing" << "its bytes are not in the archive";
}

void TestUpload::verifyRechecksStoredManifests()
{
    QFETCH(QString, swap);
    QFETCH(QString, fault);
    TestAppDir app;
    QTemporaryDir dir;
    sealHole(app, QStringLiteral("Z1"), 1);
    sealHole(app, QStringLiteral("Z2"), 1);
    QVERIFY(registerDevice(app, dir, QStringLiteral("rig-5")));
    const QString usb = dir.filePath(QStringLiteral("usb/Bridge"));
    QDir().mkpath(usb);
    for (const QString &f : QStringList{"Z1.CZO", "Z1.SIG", "Z2.CZO", "Z2.SIG"})
        QVERIFY(QFile::copy(app.file(QStringLiteral("data/Bridge/") + f), usb + QLatin1Char('/') + f));
    QCOMPARE(archive(dir.path(), {"import", dir.filePath("usb")}).exitCode, 0);

    // The replacement manifest of Z1.
    const QString other = dir.filePath(QStringLiteral("other/Bridge/Z1.CZO"));
    QDir().mkpath(QFileInfo(other).absolutePath());
    QByteArray bytes = readFileBytes(usb + QStringLiteral("/Z1.CZO"));
    if (swap == QLatin1String("other bytes"))
        bytes[bytes.size() - 2] = char(bytes[bytes.size() - 2] ^ 1);
    QVERIFY(writeFileBytes(other, bytes));
    const SealFacts facts{QStringLiteral("Bridge"), QStringLiteral("Z1"), QStringLiteral("2026-03-01 10:00:00")};
    SealResult seal;
    QString error;
    const QString keyFolder = swap == QLatin1String("other key") ? dir.filePath(QStringLiteral("other")) : app.path();
    QVERIFY2(sealSavedFiles(keyFolder, {other}, facts, &seal, &error), qPrintable(error));
    QByteArray manifest = readFileBytes(seal.manifestPath);
    if (swap == QLatin1String("not a manifest"))
        manifest = "{\"payloadType\":\"text/plain\"}";
    const QString sha = sha256Hex(manifest);
    if (!swap.isEmpty()) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("swap"));
        db.setDatabaseName(dir.filePath(QStringLiteral("archive.sqlite")));
        QVERIFY(db.open());
        QSqlQuery q(db);
        if (swap != QLatin1String("missing")) {
            QVERIFY(q.prepare(QStringLiteral("INSERT INTO blobs (sha256, size, content) VALUES (?, ?, ?)")));
            q.addBindValue(sha);
            q.addBindValue(manifest.size());
            q.addBindValue(manifest);
            QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        }
        QVERIFY(q.prepare(QStringLiteral("UPDATE signed_versions SET manifest_sha256 = ? WHERE version_id ="
                                         " (SELECT id FROM versions WHERE file_name = 'Z1.CZO')")));
        q.addBindValue(sha);
        QVERIFY2(q.exec() && q.numRowsAffected() == 1, qPrintable(q.lastError().text()));
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("swap"));

    const ChildRun v = archive(dir.path(), {"verify"});
    QVERIFY2(v.out.contains("2 manifests checked"), v.out.constData());
    if (fault.isEmpty()) {
        QVERIFY2(v.exitCode == 0, v.out.constData());
        return;
    }
    QCOMPARE(v.exitCode, 3);
    QStringList faults;
    for (const QString &line : QString::fromUtf8(v.out).split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("FAULT ")))
            faults << line;
    QCOMPARE(faults.size(), 1); // Z1's manifest only; every stored byte still holds
    QVERIFY2(faults.first().contains(QStringLiteral("manifest of Z1.CZO")) && faults.first().contains(fault),
             qUtf8Printable(faults.first()));
}

QTEST_GUILESS_MAIN(TestUpload)
#include "tst_upload.moc"

// A test judged again on the instrument keeps one manifest beside it, the
// last; a folder import of the disk finds only that one. The numbers it
// replaced are accounted for; a test deleted before export is still missing.
void TestUpload::folderImportAccountsForReplacedManifests()
{
    TestAppDir app;
    QTemporaryDir dir;
    for (const auto &[name, variant] : std::vector<std::pair<QString, int>>{
             {"Z1", 1}, {"Z2", 1}, {"Z1", 2}, {"Z3", 1}, {"Z1", 3}, {"Z4", 1}})
        sealHole(app, name, variant); // Z1: 1, 3 and 5; Z2: 2; Z3: 4; Z4: 6
    QVERIFY(registerDevice(app, dir, QStringLiteral("rig-8")));
    SignedManifest last;
    QVERIFY(readManifest(readFileBytes(app.file("data/Bridge/Z1.SIG")), &last, nullptr));
    QCOMPARE(last.statement.sequence, 5);
    QCOMPARE(last.statement.supersedes, (QVector<qint64>{1, 3}));
    // Z3 deleted on the instrument before the export.
    const QString usb = dir.filePath(QStringLiteral("usb/Bridge"));
    QDir().mkpath(usb);
    for (const QString &f : QStringList{"Z1.CZO", "Z1.SIG", "Z2.CZO", "Z2.SIG", "Z4.CZO", "Z4.SIG"})
        QVERIFY(QFile::copy(app.file(QStringLiteral("data/Bridge/") + f), usb + QLatin1Char('/') + f));
    const ChildRun imported = archive(dir.path(), {"import", dir.filePath("usb")});
    QVERIFY2(imported.exitCode == 0, imported.out + imported.err);
    const ChildRun verify = archive(dir.path(), {"verify"});
    QCOMPARE(verify.exitCode, 3);
    QVERIFY2(verify.out.contains(": missing sequence numbers 4\n"), verify.out.constData());
    QVERIFY2(verify.out.contains("3 manifests checked"), verify.out.constData());
}
