// The web view: the point reduction of the curve, and the pages through
// HTTP from a real zpvw-archive serve on 127.0.0.1.

#include "archivedb.h"
#include "archivefixture.h"
#include "archiveimport.h"
#include "curvesvg.h"
#include "reportdata.h"
#include "testsupport.h"
#include "webserverchild.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>
#include <cmath>
#include <httplib.h>
#include <limits>

namespace {
QString u(const char *utf8) { return QString::fromUtf8(utf8); }

QVector<Sample> noisy(int n, int fromMm, int stepMm, quint32 seed)
{
    QRandomGenerator rng(seed);
    QVector<Sample> v;
    for (int i = 0; i < n; ++i) {
        Sample s;
        s.depth = fromMm - i * stepMm;
        s.resistivity = float(10 + rng.bounded(1000) / 10.0);
        v << s;
    }
    return v;
}

const char kHostile[] = "<script>alert(\"x\")</script>&'";
} // namespace

class TestArchiveWeb : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_db;
    std::unique_ptr<CServeChild> m_server;
    QByteArray m_a1v1, m_a1v2, m_pdf;

    httplib::Result get(const QString &path)
    {
        httplib::Client c("127.0.0.1", m_server->port());
        c.set_read_timeout(30, 0);
        return c.Get(path.toUtf8().constData());
    }

private slots:
    void reductionKeepsEveryRowsExtremes_data()
    {
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("stepMm");
        QTest::addColumn<int>("rows");
        QTest::newRow("fewer samples than rows") << 21 << 50 << 840;
        QTest::newRow("20,000 samples, 10 mm") << 20000 << 10 << 840;
        QTest::newRow("several per row") << 3000 << 10 << 1000;
        QTest::newRow("one row") << 50 << 10 << 1;
    }
    void reductionKeepsEveryRowsExtremes()
    {
        QFETCH(int, samples);
        QFETCH(int, stepMm);
        QFETCH(int, rows);
        QVector<Sample> s = noisy(samples, 200000, stepMm, 7);
        s[samples / 2].resistivity = std::numeric_limits<float>::quiet_NaN();
        const double top = s.last().depth, bottom = s.first().depth;
        const QVector<int> kept = reduceToPixelRows(s, top, bottom, rows);
        QVERIFY(kept.size() <= 4 * rows);
        if (samples - 1 <= rows)
            QCOMPARE(kept.size(), samples - 1); // nothing to reduce; only the NaN goes
        for (int k = 1; k < kept.size(); ++k)
            QVERIFY(kept.at(k) > kept.at(k - 1));
        QVERIFY(!kept.contains(samples / 2));
        // Every pixel row keeps its lowest and highest value.
        QHash<int, QPair<float, float>> extremes;
        for (int i = 0; i < s.size(); ++i) {
            if (!std::isfinite(s.at(i).resistivity))
                continue;
            const int row = qBound(0, int(std::floor((s.at(i).depth - top) / (bottom - top) * rows)), rows - 1);
            auto it = extremes.find(row);
            if (it == extremes.end())
                extremes.insert(row, {s.at(i).resistivity, s.at(i).resistivity});
            else
                *it = {qMin(it->first, s.at(i).resistivity), qMax(it->second, s.at(i).resistivity)};
        }
        QHash<int, QPair<float, float>> keptExtremes;
        for (int i : kept) {
            const int row = qBound(0, int(std::floor((s.at(i).depth - top) / (bottom - top) * rows)), rows - 1);
            auto it = keptExtremes.find(row);
            if (it == keptExtremes.end())
                keptExtremes.insert(row, {s.at(i).resistivity, s.at(i).resistivity});
            else
                *it = {qMin(it->first, s.at(i).resistivity), qMax(it->second, s.at(i).resistivity)};
        }
        QCOMPARE(keptExtremes, extremes);
    }

    void svgOfAHugeHoleStaysSmall()
    {
        CurveSeries main;
        main.main = true;
        main.samples = noisy(20000, 200000, 10, 3);
        CurveSeries older = main;
        older.main = false;
        CurveMarks marks;
        marks.maxDepthMm = 200000;
        marks.judgedThicknessCm = 30;
        marks.judgedLabel = kHostile;
        const QByteArray svg = curveSvg({older, main}, marks);
        QVERIFY2(svg.size() < 500 * 1024, QByteArray::number(svg.size()));
        QVERIFY(!svg.contains("<script>"));
        QVERIFY(svg.contains("&lt;script&gt;"));
        QCOMPARE(svg.count("<polyline"), 2);
    }

    void initTestCase()
    {
        QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QString src = m_dir.path() + QStringLiteral("/usb");
        HoleShape a1;
        a1.project = u("跨江大桥");
        a1.hole = QStringLiteral("A1");
        a1.limitMm = 50;
        a1.verdict = 0;
        m_a1v1 = holeFileBytes(a1);
        HoleShape judged = a1;
        judged.thicknessCm = 20;
        m_a1v2 = holeFileBytes(judged);
        HoleShape a2 = a1;
        a2.hole = QStringLiteral("A2");
        a2.thicknessCm = 9;
        a2.verdict = 1;
        a2.quality = 1;
        HoleShape bad = a1;
        bad.project = QString::fromUtf8(kHostile);
        bad.hole = QString::fromUtf8(kHostile);
        bad.tester = QString::fromUtf8(kHostile);
        m_pdf = QByteArray("%PDF-1.4 the report\x00\x01", 21);
        // The project's folder as exported, and A1 judged again in a copy.
        QVERIFY(writeFileBytes(src + QStringLiteral("/1/site/A1.CZO"), m_a1v1));
        QVERIFY(writeFileBytes(src + QStringLiteral("/1/site/A1.PDF"), m_pdf));
        QVERIFY(writeFileBytes(src + QStringLiteral("/1/site/A2.CZO"), holeFileBytes(a2)));
        // Filed under its name's hole X, the hole number it records differing.
        QVERIFY(writeFileBytes(src + QStringLiteral("/1/site/X.CZO"), holeFileBytes(bad)));
        QVERIFY(writeFileBytes(src + QStringLiteral("/2/site/A1.CZO"), m_a1v2));
        m_db = m_dir.path() + QStringLiteral("/archive.sqlite");
        const ToolRun r = runArchiveTool({QStringLiteral("--db"), m_db, QStringLiteral("import"), src});
        QCOMPARE(withoutHead(r.out), QByteArray("new 3, versions 1, skipped 0, refused 0"));
        m_server = std::make_unique<CServeChild>(m_db);
        QVERIFY2(m_server->ok(), qUtf8Printable(m_server->output()));
    }

    void cleanupTestCase() { m_server.reset(); }

    void statusCodes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("contains");
        const QString p = QString::fromLatin1(QUrl::toPercentEncoding(u("跨江大桥")));
        const QString sha = sha256Hex(m_a1v1);
        QTest::newRow("projects") << "/" << 200 << u("跨江大桥");
        QTest::newRow("project") << "/project?name=" + p << 200 << u("A2");
        QTest::newRow("hole") << "/hole?project=" + p + "&hole=A1" << 200 << "<polyline class=\"main\"";
        QTest::newRow("search chinese") << "/search?q=" + QString::fromLatin1(QUrl::toPercentEncoding(u("大桥"))) << 200
                                        << "hole=A1";
        QTest::newRow("style") << "/style.css" << 200 << "svg polyline";
        QTest::newRow("missing hole") << "/hole?project=" + p + "&hole=A9" << 404 << u("A9");
        QTest::newRow("missing project") << "/project?name=nope" << 404 << "nope";
        QTest::newRow("version of another hole") << "/hole?project=" + p + "&hole=A2&v=1" << 404 << "";
        QTest::newRow("bad version") << "/hole?project=" + p + "&hole=A1&v=1%27%20OR%20%27a" << 400 << "";
        QTest::newRow("path outside") << "/../../etc/passwd" << 404 << "";
        QTest::newRow("encoded path outside") << "/%2e%2e/%2e%2e/etc/passwd" << 404 << "";
        QTest::newRow("file by path") << "/file?sha=../../../etc/passwd" << 400 << "";
        QTest::newRow("unknown file") << "/file?sha=" + QString(64, QLatin1Char('0')) << 404 << "";
        QTest::newRow("known file") << "/file?sha=" + sha << 200 << "";
    }
    void statusCodes()
    {
        QFETCH(QString, path);
        QFETCH(int, status);
        QFETCH(QString, contains);
        const auto res = get(path);
        QVERIFY(res);
        QCOMPARE(res->status, status);
        const QString body = QString::fromStdString(res->body);
        QVERIFY2(body.contains(contains), qUtf8Printable(body.left(400)));
        QVERIFY(!body.contains(QStringLiteral("root:")));
        if (QString::fromStdString(res->get_header_value("Content-Type")).startsWith(QStringLiteral("text/html"))) {
            QVERIFY(res->get_header_value("Content-Type").find("charset=utf-8") != std::string::npos);
            // Nothing from elsewhere: every link, source and form stays here.
            static const QRegularExpression outside(QStringLiteral("(src|href|action)=\"(?!/)"));
            QVERIFY2(!outside.match(body).hasMatch(), qUtf8Printable(outside.match(body).captured(0)));
            QVERIFY(!body.contains(QStringLiteral("<script")));
        }
    }

    void hostileNamesAreEscapedEverywhere()
    {
        const QString enc = QString::fromLatin1(QUrl::toPercentEncoding(QString::fromUtf8(kHostile)));
        const QString paths[] = {QStringLiteral("/"), "/project?name=" + enc, "/hole?project=" + enc + "&hole=X",
                                 "/hole?project=" + enc + "&hole=" + enc, "/search?q=" + enc,
                                 "/hole?project=" + enc + "&hole=nothing"};
        for (const QString &path : paths) {
            const auto res = get(path);
            QVERIFY(res);
            const QString body = QString::fromStdString(res->body);
            QVERIFY2(!body.contains(QString::fromUtf8(kHostile)), qUtf8Printable(path));
            QVERIFY2(!body.contains(QStringLiteral("<script>")), qUtf8Printable(path));
            QVERIFY2(body.contains(QStringLiteral("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;&amp;&#39;")),
                     qUtf8Printable(path));
        }
    }

    void projectPageListsFailedHolesFirstWithSummaries()
    {
        const QString p = QString::fromLatin1(QUrl::toPercentEncoding(u("跨江大桥")));
        const auto res = get("/project?name=" + p);
        QVERIFY(res);
        const QString body = QString::fromStdString(res->body);
        const int a2 = body.indexOf(QStringLiteral(">A2</a>"));
        const int a1 = body.indexOf(QStringLiteral(">A1</a>"));
        QVERIFY(a2 > 0 && a1 > a2); // A2 failed
        const auto csv = get("/summary.csv?name=" + p);
        QVERIFY(csv);
        QCOMPARE(csv->status, 200);
        const QString out = m_dir.path() + QStringLiteral("/summary.csv");
        QCOMPARE(runArchiveTool({QStringLiteral("--db"), m_db, QStringLiteral("summary"), u("跨江大桥"),
                                 QStringLiteral("--csv"), out})
                     .exitCode,
                 0);
        QCOMPARE(QByteArray::fromStdString(csv->body), readFileBytes(out));
        const auto pdf = get("/summary.pdf?name=" + p);
        QVERIFY(pdf);
        QCOMPARE(pdf->status, 200);
        QVERIFY(QByteArray::fromStdString(pdf->body).startsWith("%PDF"));
    }

    void holePageShowsCurveVersionsAndExactFiles()
    {
        const QString p = QString::fromLatin1(QUrl::toPercentEncoding(u("跨江大桥")));
        const auto res = get("/hole?project=" + p + "&hole=A1");
        QVERIFY(res);
        const QString body = QString::fromStdString(res->body);
        // The newest version drawn, the first laid over it.
        QCOMPARE(body.count(QStringLiteral("<polyline class=\"main\"")), 1);
        QCOMPARE(body.count(QStringLiteral("<polyline class=\"overlay\"")), 1);
        static const QRegularExpression points(QStringLiteral("<polyline class=\"main\" points=\"([^\"]*)\""));
        QCOMPARE(points.match(body).captured(1).split(QLatin1Char(' ')).size(), HoleShape().samples);
        QVERIFY(body.contains(QStringLiteral("<line class=\"judged\"")));
        QVERIFY(body.contains(u("沉渣 20 cm")));
        QVERIFY(body.contains(QStringLiteral("<line class=\"suggested\"")));
        QCOMPARE(body.count(QStringLiteral("<table class=\"samples\"")), 1);
        QCOMPARE(body.mid(body.indexOf(QStringLiteral("<table class=\"samples\""))).count(QStringLiteral("<tr><td>")),
                 HoleShape().samples);
        // Both versions' files with their SHA-256, and their exact bytes.
        for (const QByteArray &bytes : {m_a1v1, m_a1v2, m_pdf}) {
            const QString sha = sha256Hex(bytes);
            QVERIFY(body.contains(QStringLiteral("<code>%1</code>").arg(sha)));
            const auto file = get(QStringLiteral("/file?sha=") + sha);
            QVERIFY(file);
            QCOMPARE(file->status, 200);
            QCOMPARE(QByteArray::fromStdString(file->body), bytes);
            QCOMPARE(QString::fromStdString(file->get_header_value("X-SHA-256")), sha);
        }
    }
};

QTEST_MAIN(TestArchiveWeb)
#include "tst_archiveweb.moc"
