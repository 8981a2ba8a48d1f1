// zpvw-webloadbench: the web view under an office's load, on loopback. An
// archive of H holes (300 samples each) in SQLite, one viewer, and the real
// "zpvw-archive serve" (a child, stopped by its PID at the end); C clients
// each sign in (a session of their own) and then ask for hole pages as fast
// as they are answered, on a kept-alive connection as a browser does, for
// S seconds. Prints requests/s, the latency's median and 99th percentile,
// the errors (anything but 200, or no answer) and the server's resident
// memory before and after. Judges nothing.
//   zpvw-webloadbench [--clients C] [--seconds S] [--holes H]

#include "benchsupport.h"

#include "holefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <httplib.h>
#include <thread>
#include <vector>

namespace {
const char kPassword[] = "bench-load-password-1";

QString binDir() { return QCoreApplication::applicationDirPath(); }

// Resident memory of a process in MB, from /proc.
double rssMb(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

QString cookieValue(const httplib::Result &res, const char *name)
{
    if (!res)
        return QString();
    const auto range = res->headers.equal_range("Set-Cookie");
    for (auto it = range.first; it != range.second; ++it) {
        const QString c = QString::fromStdString(it->second);
        if (c.startsWith(QLatin1String(name) + QLatin1Char('=')))
            return c.section(QLatin1Char(';'), 0, 0).section(QLatin1Char('='), 1);
    }
    return QString();
}

// A session of its own, by the login form.
QString signIn(int port)
{
    httplib::Client c("127.0.0.1", port);
    c.set_read_timeout(30, 0);
    const auto form = c.Get("/login");
    const QString login = cookieValue(form, "zpvw_login");
    if (login.isEmpty())
        return QString();
    const httplib::Headers h{{"Cookie", ("zpvw_login=" + login).toStdString()}};
    const auto res = c.Post("/login", h,
                            httplib::Params{{"csrf", login.toStdString()}, {"name", "bench"}, {"password", kPassword}});
    return cookieValue(res, "zpvw_session");
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int clients = 50, seconds = 20, holes = 20;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--clients"))
            clients = qBound(1, args.at(i + 1).toInt(), 500);
        else if (args.at(i) == QLatin1String("--seconds"))
            seconds = qBound(1, args.at(i + 1).toInt(), 600);
        else if (args.at(i) == QLatin1String("--holes"))
            holes = qBound(1, args.at(i + 1).toInt(), 1000);
    }
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("usb/P"));
    QDir().mkpath(folder);
    for (int i = 0; i < holes; ++i) {
        CtrlInfo info;
        info.projectName = QStringLiteral("Bench");
        info.holeNo = QStringLiteral("H%1").arg(i + 1);
        info.maxDepth = info.holeDepth = 30000;
        info.moveDistance = 100;
        HoleSaveOptions o;
        o.sync = false;
        if (!saveHoleFile(folder + QStringLiteral("/H%1.CZO").arg(i + 1), info, benchHole(300, 30000, 100), o)) {
            fprintf(stderr, "webloadbench: hole file not written\n");
            return 1;
        }
    }
    const QString db = dir.filePath(QStringLiteral("archive.sqlite"));
    const QString pw = dir.filePath(QStringLiteral("pw"));
    QFile f(pw);
    if (!f.open(QIODevice::WriteOnly) || f.write(QByteArray(kPassword) + '\n') <= 0)
        return 1;
    f.close();
    if (runArchive(db, {"import", dir.filePath(QStringLiteral("usb"))}) != 0
        || runArchive(db, {"user", "add", "bench", "--role", "viewer", "--password-file", pw}) != 0) {
        fprintf(stderr, "webloadbench: the archive could not be made\n");
        return 1;
    }

    QProcess server;
    server.start(binDir() + QStringLiteral("/zpvw-archive"), {"--db", db, "serve", "--listen", "127.0.0.1:0"});
    const int port = servedPort(server);
    auto stop = [&server] {
        if (server.state() != QProcess::NotRunning) {
            server.kill();
            server.waitForFinished(5000);
        }
    };
    if (port <= 0) {
        fprintf(stderr, "webloadbench: the server did not start\n");
        stop();
        return 1;
    }

    // Every client signs in first (Argon2id, one after another).
    QElapsedTimer logins;
    logins.start();
    std::vector<QString> sessions;
    for (int i = 0; i < clients; ++i) {
        sessions.push_back(signIn(port));
        if (sessions.back().isEmpty()) {
            fprintf(stderr, "webloadbench: login %d failed\n", i + 1);
            stop();
            return 1;
        }
    }
    const double loginMs = logins.elapsed() / double(clients);
    const double rssBefore = rssMb(server.processId());

    std::atomic<long> errors{0};
    std::vector<std::vector<double>> latencies(static_cast<size_t>(clients));
    const double end = monotonicMs() + seconds * 1000.0;
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&, i] {
            httplib::Client c("127.0.0.1", port);
            c.set_keep_alive(true);
            c.set_read_timeout(30, 0);
            const httplib::Headers h{{"Cookie", ("zpvw_session=" + sessions[size_t(i)]).toStdString()}};
            // Bounded in time, and in count as well.
            for (long n = 0; n < 10000000L && monotonicMs() < end; ++n) {
                const std::string path = "/hole?project=Bench&hole=H" + std::to_string((i + n) % holes + 1);
                const double t0 = monotonicMs();
                const auto res = c.Get(path.c_str(), h);
                latencies[size_t(i)].push_back(monotonicMs() - t0);
                if (!res || res->status != 200)
                    ++errors;
            }
        });
    }
    for (std::thread &th : threads)
        th.join();
    const double rssAfter = rssMb(server.processId());
    stop();

    std::vector<double> all;
    size_t fewest = latencies.empty() ? 0 : latencies.front().size(), most = 0;
    for (const auto &l : latencies) {
        all.insert(all.end(), l.begin(), l.end());
        fewest = std::min(fewest, l.size());
        most = std::max(most, l.size());
    }
    std::sort(all.begin(), all.end());
    auto pct = [&all](double p) { return all.empty() ? 0.0 : all[std::min(all.size() - 1, size_t(p * double(all.size())))]; };
    printf("web view under load: %d logged-in clients, %d s, hole pages of %d holes (300 samples), SQLite, loopback HTTP\n",
           clients, seconds, holes);
    printf("  requests      %zu (%.0f/s), errors %ld\n", all.size(), double(all.size()) / seconds, errors.load());
    printf("  latency       p50 %.1f ms, p99 %.1f ms, max %.1f ms\n", pct(0.50), pct(0.99), all.empty() ? 0.0 : all.back());
    // Kept-alive connections hold a server thread each: more clients than
    // threads share them unevenly.
    printf("  per client    %zu to %zu requests\n", fewest, most);
    printf("  login         %.0f ms each (Argon2id)\n", loginMs);
    printf("  server RSS    %.1f MB before, %.1f MB after\n", rssBefore, rssAfter);
    return 0;
}
