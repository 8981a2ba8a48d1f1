// zpvw-uploadbench: the way from the instrument to the office, measured on
// loopback with the real archive server over TLS ("zpvw-archive serve
// --tls-cert --tls-key", a child stopped at the end):
//   - a queue of N sealed tests drained by one instrument's sender, as
//     "zpvw --sync" and the running program send it (one request at a time);
//   - the server's rate with several instruments sending at once;
//   - "zpvw-archive verify" over everything received, and the manifest
//     check alone (parse, Ed25519 signature, SHA-256 of each subject);
// with the archive in SQLite and, when its server is installed, in a
// PostgreSQL server of its own (Unix socket, flushed as in production).
// Prints figures, judges nothing.
//   zpvw-uploadbench --tls DIR [--tests N] [--senders K] [--keep]
// --keep leaves the instruments' folders and the SQLite archive in place
// (the folder is printed), for a closer look at verify or the server.
// DIR holds ca.pem, srv.pem and srv.key for 127.0.0.1 (scripts/bench.sh
// makes them with the openssl command).

#include "benchsupport.h"

#include "devicekey.h"
#include "holefile.h"
#include "holereport.h"
#include "outbox.h"
#include "postgresserver.h"
#include "procstat.h"
#include "testmanifest.h"
#include "testseal.h"
#include "uploadsender.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

QString binDir() { return QCoreApplication::applicationDirPath(); }

// The archive server over TLS on a free loopback port; killed by its PID
// when the object goes.
class CServer {
public:
    CServer(const QString &db, const QString &tls)
    {
        m_p.start(binDir() + QStringLiteral("/zpvw-archive"),
                  {"--db", db, "serve", "--listen", "127.0.0.1:0", "--tls-cert", tls + "/srv.pem", "--tls-key",
                   tls + "/srv.key"});
        m_port = servedPort(m_p);
    }
    ~CServer()
    {
        if (m_p.state() != QProcess::NotRunning) {
            m_p.kill();
            m_p.waitForFinished(5000);
        }
    }
    QUrl url() const { return QUrl(QStringLiteral("https://127.0.0.1:%1").arg(m_port)); }
    // The server's CPU time so far (user and system), in seconds: what it
    // spends of the cores its senders share with it here.
    double cpuSeconds() const { return readProcCpu(pid_t(m_p.processId())).processSeconds; }
    bool up() const { return m_port > 0; }

private:
    QProcess m_p;
    int m_port = 0;
};

// One instrument: its application folder, key and outbox of `count`
// sealed tests of 300 samples, each with a real-sized report.
struct Instrument {
    QString appDir;
    QString name;
    QString error;
    double sealMs = 0; // the seals alone
};

bool makeInstrument(Instrument *in, const QString &appDir, const QString &name, int count, const QByteArray &pdf)
{
    in->appDir = appDir;
    in->name = name;
    const QString folder = appDir + QStringLiteral("/data/P");
    QDir().mkpath(folder);
    QElapsedTimer sealing;
    qint64 sealNs = 0;
    for (int i = 0; i < count; ++i) {
        CtrlInfo info;
        info.projectName = QStringLiteral("Bench");
        info.holeNo = QStringLiteral("%1-%2").arg(name, QString::number(i + 1));
        info.maxDepth = info.holeDepth = 30000;
        info.moveDistance = 100;
        const QString hole = folder + QLatin1Char('/') + info.holeNo.get() + QStringLiteral(".CZO");
        HoleSaveOptions o;
        o.sync = false;
        if (!saveHoleFile(hole, info, benchHole(300, 30000, 100), o)) {
            in->error = QStringLiteral("hole file not written");
            return false;
        }
        QFile report(holeReportPath(hole));
        if (!report.open(QIODevice::WriteOnly) || report.write(pdf) != pdf.size()) {
            in->error = QStringLiteral("report not written");
            return false;
        }
        report.close();
        const QStringList files{hole, holeReportPath(hole)};
        SealResult seal;
        sealing.start();
        if (!sealSavedFiles(appDir, files, {info.projectName.get(), info.holeNo.get(), QStringLiteral("2026-12-11 10:00:00")},
                            &seal, &in->error))
            return false;
        sealNs += sealing.nsecsElapsed();
        if (!Outbox(outboxFolder(appDir)).enqueue(seal, files, info.projectName.get(), info.holeNo.get(), &in->error))
            return false;
    }
    in->sealMs = double(sealNs) / 1e6;
    return true;
}

bool registerInstrument(const QString &db, const Instrument &in)
{
    DeviceKey key;
    return loadOrCreateDeviceKey(in.appDir, &key, nullptr)
           && runArchive(db, {"device", "add", in.name, key.publicKeyBase64()}) == 0;
}

// Sends the outboxes of all instruments at once, each with its own sender
// (one request at a time each); the seconds until all are done, or -1.
double drain(const std::vector<Instrument> &instruments, const QUrl &url, const QString &ca, int *left)
{
    std::vector<std::unique_ptr<CUploadSender>> senders;
    QEventLoop loop;
    int running = 0;
    for (const Instrument &in : instruments) {
        UploadSettings s;
        s.url = url;
        s.caFile = ca;
        senders.push_back(std::make_unique<CUploadSender>(s, outboxFolder(in.appDir)));
        ++running;
        QObject::connect(senders.back().get(), &CUploadSender::finished, &loop, [&] {
            if (--running == 0)
                loop.quit();
        });
    }
    QTimer::singleShot(300000, &loop, &QEventLoop::quit); // a bound, never the measure
    QElapsedTimer t;
    t.start();
    for (auto &s : senders)
        s->sendOnce();
    if (running > 0)
        loop.exec();
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    *left = 0;
    QStringList why;
    for (auto &s : senders) {
        const UploadStatus st = s->status();
        *left += st.pending;
        if (st.pending > 0 && !why.contains(st.detail))
            why << st.detail;
    }
    if (!why.isEmpty())
        std::printf("  left because: %s\n", qUtf8Printable(why.join(QStringLiteral("; "))));
    return running == 0 ? seconds : -1;
}

// Parse, signature and subjects of every manifest of the instruments'
// sent tests, as the archive checks them; manifests per second.
double manifestChecks(const std::vector<Instrument> &instruments, int *checked, int *faults)
{
    struct Item {
        QByteArray sig;
        QMap<QString, QByteArray> files;
    };
    QVector<Item> items;
    for (const Instrument &in : instruments) {
        const QDir folder(in.appDir + QStringLiteral("/data/P"));
        for (const QString &sig : folder.entryList({QStringLiteral("*.SIG")})) {
            Item item;
            QFile f(folder.filePath(sig));
            f.open(QIODevice::ReadOnly);
            item.sig = f.readAll();
            const QString base = sig.left(sig.size() - 3);
            for (const QString &ext : {QStringLiteral("CZO"), QStringLiteral("PDF")}) {
                QFile g(folder.filePath(base + ext));
                g.open(QIODevice::ReadOnly);
                item.files.insert(base + ext, g.readAll());
            }
            items.append(item);
        }
    }
    *checked = 0;
    *faults = 0;
    QElapsedTimer t;
    t.start();
    for (const Item &item : qAsConst(items)) {
        SignedManifest m;
        QString error;
        const bool ok = readManifest(item.sig, &m, &error) && m.signedBy(m.statedPublicKey())
                        && m.subjectFaults(item.files).isEmpty();
        ++*checked;
        *faults += ok ? 0 : 1;
    }
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    return seconds > 0 ? *checked / seconds : 0;
}

// One instrument with the whole queue, `senders` more sharing as many
// tests, all sent to a fresh server on the archive `db`; then verify.
bool measureRound(const QString &round, const QString &db, const QString &tls, int tests, int senders, const QByteArray &pdf)
{
    const QString ca = tls + QStringLiteral("/ca.pem");
    std::vector<Instrument> queue(1);
    std::vector<Instrument> crowd(static_cast<size_t>(senders));
    bool ok = makeInstrument(&queue[0], round + QStringLiteral("/queue"), QStringLiteral("Q"), tests, pdf)
              && registerInstrument(db, queue[0]);
    for (int k = 0; ok && k < senders; ++k)
        ok = makeInstrument(&crowd[size_t(k)], round + QStringLiteral("/crowd%1").arg(k), QStringLiteral("C%1").arg(k),
                            tests / senders, pdf)
             && registerInstrument(db, crowd[size_t(k)]);
    if (!ok) {
        std::fprintf(stderr, "zpvw-uploadbench: preparing the instruments failed\n");
        return false;
    }
    std::printf("sealing a 300-sample test with a %lld kB report: %.3f ms each (%d tests)\n",
                static_cast<long long>(pdf.size() / 1024), queue[0].sealMs / tests, tests);

    CServer server(db, tls);
    if (!server.up()) {
        std::fprintf(stderr, "zpvw-uploadbench: the archive server did not start\n");
        return false;
    }
    int left = 0;
    const double queueSeconds = drain(queue, server.url(), ca, &left);
    std::printf("a queue of %d tests, one sender over TLS: drained in %.1f s (%.0f uploads/s), %d left\n", tests,
                queueSeconds, queueSeconds > 0 ? tests / queueSeconds : 0.0, left);
    const int crowdTests = (tests / senders) * senders;
    const double cpuBefore = server.cpuSeconds();
    const double sendersBefore = readProcCpu(getpid()).processSeconds;
    const double crowdSeconds = drain(crowd, server.url(), ca, &left);
    const double cpuPerUpload = crowdTests > 0 ? (server.cpuSeconds() - cpuBefore) / crowdTests : 0.0;
    const double senderCpuPerUpload = crowdTests > 0 ? (readProcCpu(getpid()).processSeconds - sendersBefore) / crowdTests : 0.0;
    std::printf("the server, %d senders at once over TLS: %d tests in %.1f s (%.0f uploads/s), %d left\n", senders,
                crowdTests, crowdSeconds, crowdSeconds > 0 ? crowdTests / crowdSeconds : 0.0, left);
    std::printf("  the server's own CPU: %.2f ms per upload, %.0f uploads/s per core it is given\n",
                cpuPerUpload * 1e3, cpuPerUpload > 0 ? 1.0 / cpuPerUpload : 0.0);
    std::printf("  the senders' CPU (this process, on the same cores): %.2f ms per upload\n", senderCpuPerUpload * 1e3);

    QElapsedTimer t;
    t.start();
    QByteArray out;
    const int status = runArchive(db, {"verify"}, &out);
    const double verifySeconds = double(t.nsecsElapsed()) / 1e9;
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("(\\d+) manifests checked")).match(QString::fromUtf8(out));
    const int manifests = m.hasMatch() ? m.captured(1).toInt() : 0;
    std::printf("zpvw-archive verify: %d manifests (and every file re-hashed, the audit chain walked) in %.2f s: "
                "%.0f manifests/s, exit status %d\n",
                manifests, verifySeconds, verifySeconds > 0 ? manifests / verifySeconds : 0.0, status);
    std::vector<Instrument> all = queue;
    all.insert(all.end(), crowd.begin(), crowd.end());
    int checked = 0, faults = 0;
    const double rate = manifestChecks(all, &checked, &faults);
    std::printf("manifest check alone (parse, signature, subjects' SHA-256): %.0f manifests/s (%d checked, %d faults)\n",
                rate, checked, faults);
    return true;
}

QString arg(const QStringList &args, const QString &name, const QString &fallback = QString())
{
    const int i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the report needs fonts
    const QStringList args = app.arguments();
    const QString tls = arg(args, QStringLiteral("--tls"));
    const int tests = arg(args, QStringLiteral("--tests"), QStringLiteral("1000")).toInt();
    const int senders = std::max(1, arg(args, QStringLiteral("--senders"), QStringLiteral("4")).toInt());
    if (tls.isEmpty() || tests <= 0) {
        std::fprintf(stderr, "usage: zpvw-uploadbench --tls DIR [--tests N] [--senders K] [--keep]\n");
        return 2;
    }
    QTemporaryDir work;
    if (args.contains(QStringLiteral("--keep"))) {
        work.setAutoRemove(false);
        std::printf("kept in %s\n", qUtf8Printable(work.path()));
    }

    // A real report of a 300-sample hole: the bytes every test carries.
    const QString sample = work.filePath(QStringLiteral("sample.CZO"));
    CtrlInfo info;
    info.maxDepth = info.holeDepth = 30000;
    info.moveDistance = 100;
    HoleSaveOptions o;
    o.sync = false;
    QString error;
    if (!saveHoleFile(sample, info, benchHole(300, 30000, 100), o) || !writeHoleReport(sample, &error)) {
        std::fprintf(stderr, "zpvw-uploadbench: no sample report: %s\n", qUtf8Printable(error));
        return 1;
    }
    QFile pdfFile(holeReportPath(sample));
    pdfFile.open(QIODevice::ReadOnly);
    const QByteArray pdf = pdfFile.readAll();

    std::vector<QString> engines{QStringLiteral("SQLite")};
    std::unique_ptr<CPostgresServer> pg;
    if (!CPostgresServer::binDir().isEmpty()) {
        // The server runs as an unprivileged user: it must reach its folder.
        QFile::setPermissions(work.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                               | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                               | QFileDevice::ReadOther | QFileDevice::ExeOther);
        QDir().mkpath(work.filePath(QStringLiteral("pg")));
        pg = std::make_unique<CPostgresServer>(work.filePath(QStringLiteral("pg")), true); // flushed as in production
        if (pg->start(&error) && pg->createDatabase(QStringLiteral("uploads"), &error))
            engines.push_back(QStringLiteral("PostgreSQL"));
        else
            std::fprintf(stderr, "zpvw-uploadbench: PostgreSQL not started: %s\n", qUtf8Printable(error));
    }
    for (const QString &engine : engines) {
        const QString round = work.filePath(engine);
        const QString db = engine == QLatin1String("SQLite") ? round + QStringLiteral("/archive.sqlite")
                                                            : pg->url(QStringLiteral("uploads"));
        std::printf("-- archive in %s\n", qUtf8Printable(engine));
        if (!measureRound(round, db, tls, tests, senders, pdf))
            return 1;
    }
    return 0;
}
