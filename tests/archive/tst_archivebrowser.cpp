// The web view in a real browser: an archive made from demonstration tests
// (zpvw --demo), served by zpvw-archive serve on 127.0.0.1, opened in
// headless Chromium. The hole page's curve must be drawn with one point per
// sample, and the pages must show without a console error.

#include "archivefixture.h"
#include "testsupport.h"
#include "webserverchild.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <cstdio>
#include <ftw.h>

namespace {
const char kChromium[] = "/usr/bin/chromium";
QString u(const char *utf8) { return QString::fromUtf8(utf8); }

struct Browser {
    int exitCode = -1;
    QString out;
    QString err;
};

// One headless Chromium run with a fresh profile; at most 90 s.
Browser chromium(const QStringList &extra, const QString &url)
{
    QTemporaryDir profile;
    QProcess p;
    QStringList args{QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                     QStringLiteral("--disable-quic"), QStringLiteral("--no-first-run"),
                     QStringLiteral("--disable-background-networking"), QStringLiteral("--disable-component-update"),
                     QStringLiteral("--disable-sync"), QStringLiteral("--user-data-dir=") + profile.path(),
                     QStringLiteral("--enable-logging=stderr"), QStringLiteral("--v=0")};
    args << extra << url;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    p.setProcessEnvironment(env);
    p.start(QString::fromLatin1(kChromium), args);
    Browser b;
    if (!p.waitForFinished(90000)) {
        p.kill();
        p.waitForFinished(5000);
        return b;
    }
    b.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    b.out = QString::fromUtf8(p.readAllStandardOutput());
    b.err = QString::fromUtf8(p.readAllStandardError());
    return b;
}

// Lines of Chromium's log that tell of a page error.
QStringList pageErrors(const QString &log)
{
    QStringList bad;
    for (const QString &line : log.split(QLatin1Char('\n'))) {
        if (line.contains(QLatin1String("Uncaught")) || line.contains(QLatin1String("CONSOLE"))
            || line.contains(QLatin1String("Refused to")) || line.contains(QLatin1String("Failed to load resource")))
            bad << line;
    }
    return bad;
}
} // namespace

class TestArchiveBrowser : public QObject {
    Q_OBJECT

    TestAppDir m_app;
    QTemporaryDir m_shots;
    std::unique_ptr<CServeChild> m_server;
    const QString m_project = u("跨江大桥");
    const int m_depthMm = 1000;
    const int m_moveMm = 50;

    QString holeUrl(const QString &hole) const
    {
        return m_server->base() + QStringLiteral("/hole?project=") + QString::fromLatin1(QUrl::toPercentEncoding(m_project))
             + QStringLiteral("&hole=") + QString::fromLatin1(QUrl::toPercentEncoding(hole));
    }

private slots:
    void initTestCase()
    {
        if (!QFileInfo(QString::fromLatin1(kChromium)).isExecutable())
            QSKIP("Chromium (Debian package chromium) is not installed");
        // Two demonstration tests of a 1 m hole, one judged; the program
        // needs no winch in the paced mode and is pointed at a closed port.
        const QList<QStringList> demos{
            {"--hole", "Z1", "--judge", "0.85"},
            {"--hole", "Z2"},
        };
        for (const QStringList &d : demos) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "ZPVW_DEMO_VERBOSE"})
                env.remove(QString::fromLatin1(name));
            env.insert(QStringLiteral("ZPVW_WINCH"), QStringLiteral("127.0.0.1:9"));
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            p.setProcessEnvironment(env);
            p.start(testBinDir() + QStringLiteral("/zpvw"),
                    QStringList{"--demo", "--winch", "127.0.0.1:9", "--max-seconds", "90", "--mode", "4s", "--depth",
                                QString::number(m_depthMm / 1000.0), "--move", QString::number(m_moveMm), "--project",
                                m_project}
                        << d);
            QVERIFY(p.waitForFinished(120000));
            QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, p.readAllStandardError().constData());
        }
        const QString db = m_app.file(QStringLiteral("archive.sqlite"));
        // The office knows the instrument that signed the tests.
        QProcess device;
        device.start(testBinDir() + QStringLiteral("/zpvw"), {QStringLiteral("--device")});
        QVERIFY(device.waitForFinished(30000));
        const QList<QByteArray> idAndKey = device.readAllStandardOutput().trimmed().split(' ');
        QCOMPARE(idAndKey.size(), 2);
        const ToolRun added = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("device"), QStringLiteral("add"),
                                              QStringLiteral("rig-1"), QString::fromLatin1(idAndKey.at(1))});
        QVERIFY2(added.exitCode == 0, added.err.constData());
        const ToolRun r = runArchiveTool(
            {QStringLiteral("--db"), db, QStringLiteral("import"), m_app.file(QStringLiteral("ZPV_CZL-FILE"))});
        QCOMPARE(withoutHead(r.out), QByteArray("new 2, versions 0, skipped 0, refused 0"));
        m_server = std::make_unique<CServeChild>(db);
        QVERIFY2(m_server->ok(), qUtf8Printable(m_server->output()));
    }

    void cleanupTestCase()
    {
        m_server.reset();
        // The demonstration's folders carry GBK names, which Qt cannot name
        // to remove them: remove the tree by its bytes.
        nftw(QFile::encodeName(m_app.file(QStringLiteral("ZPV_CZL-FILE"))).constData(),
             [](const char *path, const struct stat *, int, struct FTW *) { return ::remove(path); }, 16,
             FTW_DEPTH | FTW_PHYS);
    }

    void holeCurveIsDrawnWithEverySample()
    {
        const Browser b = chromium({QStringLiteral("--dump-dom")}, holeUrl(QStringLiteral("Z1")));
        QCOMPARE(b.exitCode, 0);
        // The DOM as the browser built it: the curve's polyline, its points.
        static const QRegularExpression main(QStringLiteral("<polyline class=\"main\" points=\"([^\"]*)\""));
        const QRegularExpressionMatch m = main.match(b.out);
        QVERIFY2(m.hasMatch(), qUtf8Printable(b.out.left(2000)));
        const QStringList points = m.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QCOMPARE(points.size(), m_depthMm / m_moveMm + 1); // one sample every move distance, bottom to top
        QVERIFY(b.out.contains(QStringLiteral("<line class=\"judged\"")));
        QVERIFY(b.out.contains(u("沉渣 15 cm")));
        QVERIFY2(pageErrors(b.err).isEmpty(), qUtf8Printable(pageErrors(b.err).join('\n')));
    }

    void pagesShowWithoutConsoleErrors_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("name");
        const QString p = QString::fromLatin1(QUrl::toPercentEncoding(m_project));
        QTest::newRow("projects") << "/" << u("<h1>工程</h1>") << "archive-projects";
        QTest::newRow("project") << "/project?name=" + p << "<h1>" + m_project + "</h1>" << "archive-project";
        QTest::newRow("hole") << "/hole?project=" + p + "&hole=Z1" << "<h1>Z1</h1>" << "archive-hole";
        QTest::newRow("search") << "/search?q=" + QString::fromLatin1(QUrl::toPercentEncoding(u("大桥"))) << u("<h1>搜索</h1>")
                                << "archive-search";
    }
    void pagesShowWithoutConsoleErrors()
    {
        QFETCH(QString, path);
        QFETCH(QString, heading);
        QFETCH(QString, name);
        const QString url = m_server->base() + path;
        const Browser dom = chromium({QStringLiteral("--dump-dom")}, url);
        QCOMPARE(dom.exitCode, 0);
        QVERIFY2(dom.out.contains(heading), qUtf8Printable(dom.out.left(1500)));
        const QString png = m_shots.filePath(name + QStringLiteral(".png"));
        const Browser b = chromium({QStringLiteral("--screenshot=") + png, QStringLiteral("--window-size=1200,1400"),
                                    QStringLiteral("--hide-scrollbars")},
                                   url);
        QCOMPARE(b.exitCode, 0);
        QVERIFY2(pageErrors(b.err + dom.err).isEmpty(), qUtf8Printable(pageErrors(b.err + dom.err).join('\n')));
        const QImage shot(png);
        QCOMPARE(shot.size(), QSize(1200, 1400));
        // Drawn, not blank: the header band's colour is there.
        QCOMPARE(shot.pixelColor(5, 5), QColor(0x1f, 0x3b, 0x63));
        const QString keep = qEnvironmentVariable("ZPVW_ARCHIVE_SHOTS");
        if (!keep.isEmpty()) {
            QDir().mkpath(keep);
            QFile::remove(keep + QLatin1Char('/') + name + QStringLiteral(".png"));
            QVERIFY(QFile::copy(png, keep + QLatin1Char('/') + name + QStringLiteral(".png")));
        }
    }

    // Last: once a user exists, every page asks for a login. An engineer
    // signs in, re-judges Z2 on its page and is sent back to the page that
    // now shows the office version, by name and reason, beside the
    // instrument's judgement; in both languages, with a screenshot each.
    void engineerRejudgesInTheBrowser_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("thickness");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("zh") << "zh" << "12" << QStringList{u("在办公室改判"), u("仪器的判定")};
        QTest::newRow("en") << "en" << "18" << QStringList{"Re-judged in the office by", "Instrument's judgement"};
    }
    void engineerRejudgesInTheBrowser()
    {
        QFETCH(QString, lang);
        QFETCH(QString, thickness);
        QFETCH(QStringList, expected);
        if (!QFileInfo(QStringLiteral("/usr/bin/chromedriver")).isExecutable())
            QSKIP("ChromeDriver (Debian package chromium-driver) is not installed");
        const QString db = m_app.file(QStringLiteral("archive.sqlite"));
        const QString user = QStringLiteral("engineer-") + lang;
        const QString password = QStringLiteral("Kiln-%1-river-stone").arg(lang);
        const QString passwordFile = m_app.file(user + QStringLiteral(".pw"));
        QFile pw(passwordFile);
        QVERIFY(pw.open(QIODevice::WriteOnly));
        pw.write(password.toUtf8() + '\n');
        pw.close();
        const ToolRun added = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("user"), QStringLiteral("add"), user,
                                              QStringLiteral("--role"), QStringLiteral("engineer"),
                                              QStringLiteral("--password-file"), passwordFile});
        QVERIFY2(added.exitCode == 0, added.err.constData());
        m_server = std::make_unique<CServeChild>(db, QStringList{QStringLiteral("--lang"), lang});
        QVERIFY2(m_server->ok(), qUtf8Printable(m_server->output()));

        const QString reason = QStringLiteral("Design change %1: pile Z2 end-bearing").arg(lang);
        const QString png = m_shots.filePath(QStringLiteral("archive-rejudged-%1.png").arg(lang));
        const QString path = holeUrl(QStringLiteral("Z2")).mid(m_server->base().size());
        QProcess driver;
        driver.setProcessChannelMode(QProcess::MergedChannels);
        driver.start(QStringLiteral("/usr/bin/python3"),
                     QStringList{QFINDTESTDATA("rejudge_in_browser.py"), m_server->base(), path, user, password, thickness,
                                 reason, png, user}
                         << expected);
        if (!driver.waitForFinished(120000)) {
            driver.kill();
            driver.waitForFinished(5000);
            QFAIL("the browser did not finish within two minutes");
        }
        QVERIFY2(driver.exitStatus() == QProcess::NormalExit && driver.exitCode() == 0,
                 driver.readAll().constData());
        // The viewport: the window less the browser's own frame.
        const QImage shot(png);
        QCOMPARE(shot.width(), 1200);
        QVERIFY(shot.height() > 1000);

        // The archive holds it as the browser showed it: a new version by
        // that engineer, with the reason.
        const ToolRun history = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("history"), m_project,
                                                QStringLiteral("Z2")});
        QCOMPARE(history.exitCode, 0);
        const QString out = QString::fromUtf8(history.out);
        QVERIFY2(out.contains(user) && out.contains(reason), history.out.constData());
        const QString keep = qEnvironmentVariable("ZPVW_ARCHIVE_SHOTS");
        if (!keep.isEmpty()) {
            QDir().mkpath(keep);
            const QString to = keep + QStringLiteral("/archive-rejudged-%1.png").arg(lang);
            QFile::remove(to);
            QVERIFY(QFile::copy(png, to));
        }
    }
};

QTEST_MAIN(TestArchiveBrowser)
#include "tst_archivebrowser.moc"
