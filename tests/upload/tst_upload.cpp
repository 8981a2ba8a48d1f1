// Sealed tests from an instrument's outbox to a real archive server over
// HTTPS on 127.0.0.1, with a CA the openssl command makes for the test:
// the real "zpvw --sync" and "zpvw-archive serve", each child stopped by
// its PID at the end.

#include "devicekey.h"
#include "outbox.h"
#include "testmanifest.h"
#include "testseal.h"
#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <memory>

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

// A real hole file sealed into the outbox, as a save does.
void sealHole(const TestAppDir &app, const QString &name, int variant)
{
    const QString hole = app.file(QStringLiteral("data/Bridge/%1.CZO").arg(name));
    QDir().mkpath(QFileInfo(hole).absolutePath());
    // The hole tool writes a real hole file from JSON.
    const QString json = app.file(name + QStringLiteral(".json"));
    writeFileBytes(json, QStringLiteral("{\"projectName\":\"Bridge\",\"holeNo\":\"%1\",\"testDate\":\"2026-03-01\","
                                        "\"testTime\":\"10:00:0%2\",\"maxDepth\":1000,\"moveDistance\":100,"
                                        "\"samples\":[[1000,12.5,12.5],[900,12.0,12.0]]}")
                             .arg(name, QString::number(variant))
                             .toUtf8());
    const ChildRun w = runChild(bin("zpvw-hole"), {"write", json, hole});
    QVERIFY2(w.exitCode == 0, w.err.constData());
    SealResult seal;
    QString error;
    QVERIFY2(sealSavedFiles(app.path(), {hole}, {QStringLiteral("Bridge"), name, QStringLiteral("2026-03-01 10:00:00")},
                            &seal, &error),
             qPrintable(error));
    QVERIFY(Outbox(outboxFolder(app.path())).enqueue(seal, {hole}, QStringLiteral("Bridge"), name, &error));
}

ChildRun sync(const TestAppDir &app, const QString &url, const QString &ca)
{
    return runChild(bin("zpvw"), {"--sync", "--archive-url", url, "--archive-ca", ca},
                    QProcessEnvironment::systemEnvironment(), 60000);
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

private:
    // The server's certificate and key in its folder.
    void serverFiles(const QTemporaryDir &dir) const
    {
        for (const QString &f : {"srv.pem", "srv.key"})
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

QTEST_GUILESS_MAIN(TestUpload)
#include "tst_upload.moc"
