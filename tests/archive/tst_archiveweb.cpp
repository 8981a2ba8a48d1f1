// The web view: the point reduction of the curve, and the pages through
// HTTP from a real zpvw-archive serve on 127.0.0.1: the overridden verdict
// with its reason, and who signed a test, in both languages.

#include "archivedb.h"
#include "archivefixture.h"
#include "archiveimport.h"
#include "archivepages.h"
#include "htmltext.h"
#include "pilelimits.h"
#include "rejudgeform.h"
#include "curvesvg.h"
#include "devicekey.h"
#include "reportdata.h"
#include "testseal.h"
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

    httplib::Result get(const QString &path, const CServeChild *server = nullptr)
    {
        httplib::Client c("127.0.0.1", (server ? server : m_server.get())->port());
        c.set_read_timeout(30, 0);
        return c.Get(path.toUtf8().constData());
    }
    QString page(const CServeChild &server, const QString &path)
    {
        const auto res = get(path, &server);
        if (!res || res->status != 200)
            return QStringLiteral("no page %1: %2").arg(path, res ? QString::number(res->status) : QStringLiteral("-"));
        return QString::fromStdString(res->body);
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
        // Failed by the limit, passed by the operator, who says why.
        HoleShape a3 = a2;
        a3.hole = QStringLiteral("A3");
        a3.quality = 0;
        a3.overridden = true;
        a3.overrideReason = OverrideReason::SupervisorConfirmed;
        HoleShape bad = a1;
        bad.project = QString::fromUtf8(kHostile);
        bad.hole = QString::fromUtf8(kHostile);
        bad.tester = QString::fromUtf8(kHostile);
        m_pdf = QByteArray("%PDF-1.4 the report\x00\x01", 21);
        // The project's folder as exported, and A1 judged again in a copy.
        QVERIFY(writeFileBytes(src + QStringLiteral("/1/site/A1.CZO"), m_a1v1));
        QVERIFY(writeFileBytes(src + QStringLiteral("/1/site/A1.PDF"), m_pdf));
        QVERIFY(writeFileBytes(src + QStringLiteral("/1/site/A2.CZO"), holeFileBytes(a2)));
        QVERIFY(writeFileBytes(src + QStringLiteral("/1/site/A3.CZO"), holeFileBytes(a3)));
        // Filed under its name's hole X, the hole number it records differing.
        QVERIFY(writeFileBytes(src + QStringLiteral("/1/site/X.CZO"), holeFileBytes(bad)));
        QVERIFY(writeFileBytes(src + QStringLiteral("/2/site/A1.CZO"), m_a1v2));
        m_db = m_dir.path() + QStringLiteral("/archive.sqlite");
        const ToolRun r = runArchiveTool({QStringLiteral("--db"), m_db, QStringLiteral("import"), src});
        QCOMPARE(withoutHead(r.out), QByteArray("new 4, versions 1, skipped 0, refused 0"));
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
            // And the browser is told so: no scripts or outside sources,
            // not in a frame, not sniffed, not cached, no full referrer.
            const QString csp = QString::fromStdString(res->get_header_value("Content-Security-Policy"));
            QVERIFY2(csp.contains(QStringLiteral("default-src 'none'")) && csp.contains(QStringLiteral("frame-ancestors 'none'"))
                         && !csp.contains(QStringLiteral("script-src")),
                     qUtf8Printable(csp));
            QCOMPARE(res->get_header_value("X-Content-Type-Options"), std::string("nosniff"));
            QCOMPARE(res->get_header_value("Cache-Control"), std::string("no-store"));
            QCOMPARE(res->get_header_value("Referrer-Policy"), std::string("same-origin"));
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

    // The final verdict first, then the override and its reason: on the
    // project page, the hole page's facts and its history, in both languages.
    void overrideAndReasonInBothLanguages_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("listed");  // the verdict cell of the project page and the history
        QTest::addColumn<QString>("stated");  // the hole page's verdict
        QTest::newRow("Chinese") << "zh" << u("合格<br><small class=\"override\">改判：监理确认</small>")
                                 << u("合格（改判，原判 不合格：沉渣 90 mm &gt; 50 mm；理由：监理确认）");
        QTest::newRow("English") << "en" << "Qualified<br><small class=\"override\">Overridden: Supervisor confirmed</small>"
                                 << "qualified (overridden; the verdict was unqualified: Sediment 90 mm &gt; 50 mm;"
                                    " reason: Supervisor confirmed)";
    }
    void overrideAndReasonInBothLanguages()
    {
        QFETCH(QString, lang);
        QFETCH(QString, listed);
        QFETCH(QString, stated);
        const CServeChild server(m_db, {QStringLiteral("--lang"), lang});
        QVERIFY2(server.ok(), qUtf8Printable(server.output()));
        const QString p = QString::fromLatin1(QUrl::toPercentEncoding(u("跨江大桥")));
        const QString project = page(server, "/project?name=" + p);
        const int a3 = project.indexOf(QStringLiteral(">A3</a>"));
        QVERIFY2(a3 > 0, qUtf8Printable(project));
        const QString a3Row = project.mid(a3, project.indexOf(QStringLiteral("</tr>"), a3) - a3);
        QVERIFY2(a3Row.contains(QStringLiteral("<td class=\"pass\">") + listed), qUtf8Printable(a3Row));
        // No other hole was overridden.
        QCOMPARE(project.count(QStringLiteral("class=\"override\"")), 1);
        const QString hole = page(server, "/hole?project=" + p + "&hole=A3");
        QVERIFY2(hole.contains(QStringLiteral("<dd class=\"row pass\">") + stated + QStringLiteral("</dd>")),
                 qUtf8Printable(hole.left(3000)));
        QVERIFY2(hole.contains(QStringLiteral("<td class=\"pass\">") + listed), qUtf8Printable(hole.left(3000)));
        // A hole that was not overridden says only its verdict.
        const QString a2 = page(server, "/hole?project=" + p + "&hole=A2");
        QVERIFY(a2.contains(QStringLiteral("<dd class=\"row fail\">")));
        QVERIFY(!a2.contains(QStringLiteral("override")));
    }

    // The form read into a re-judgement: every field checked, the reason
    // required, numbers whole and in range (a 400 otherwise).
    void rejudgeFormIsRead_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("read"); // project|hole|version|cm|quality|limit|code|pile type|reason, or the refusal
        const QByteArray base = "project=%E8%B7%A8%E6%B1%9F&hole=A1&version=12&csrf=x&";
        const QString refusedField = u("厚度、成孔质量或限值不正确。");
        QTest::newRow("thickness and reason") << base + "thickness=8&quality=&limit=&basis=&reason=supervisor+checked"
                                              << u("跨江|A1|12|8|-|-|||supervisor checked");
        QTest::newRow("quality and design limit") << base + "thickness=0&quality=1&limit=80&reason=r"
                                                  << u("跨江|A1|12|0|1|80|||r");
        QTest::newRow("table basis") << base + "thickness=8&basis=JGJ+94-2008%7C%E7%AB%AF%E6%89%BF%E6%A1%A9&reason=r"
                                     << u("跨江|A1|12|8|-|-|JGJ 94-2008|端承桩|r");
        QTest::newRow("escaped plus") << base + "thickness=8&reason=a%2Bb%26c" << u("跨江|A1|12|8|-|-|||a+b&c");
        QTest::newRow("no reason") << base + "thickness=8" << u("改判必须写明理由。");
        QTest::newRow("blank reason") << base + "thickness=8&reason=+%09+" << u("改判必须写明理由。");
        QTest::newRow("negative thickness") << base + "thickness=-1&reason=r" << refusedField;
        QTest::newRow("thickness with unit") << base + "thickness=8cm&reason=r" << refusedField;
        QTest::newRow("thickness too large") << base + "thickness=10001&reason=r" << refusedField;
        QTest::newRow("no thickness") << base + "reason=r" << refusedField;
        QTest::newRow("quality 2") << base + "thickness=8&quality=2&reason=r" << refusedField;
        QTest::newRow("limit 0") << base + "thickness=8&limit=0&reason=r" << refusedField;
        QTest::newRow("limit in metres") << base + "thickness=8&limit=0.08&reason=r" << refusedField;
        QTest::newRow("basis without pile type") << base + "thickness=8&basis=JGJ&reason=r" << refusedField;
        QTest::newRow("no version") << QByteArray("project=P&hole=A1&thickness=8&reason=r") << u("参数不正确。");
        QTest::newRow("version not a number") << QByteArray("project=P&hole=A1&version=1+OR+1&thickness=8&reason=r")
                                              << u("参数不正确。");
        QTest::newRow("no hole") << QByteArray("project=P&version=1&thickness=8&reason=r") << u("参数不正确。");
    }
    void rejudgeFormIsRead()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, read);
        OfficeRejudgement r;
        QString why;
        if (!readRejudgeForm(formFields(body), &r, &why)) {
            QCOMPARE(why, read);
            return;
        }
        const OfficeJudgement &j = r.judgement;
        auto opt = [](const std::optional<int> &v) { return v ? QString::number(*v) : QStringLiteral("-"); };
        QCOMPARE(QStringList({r.project, r.hole, QString::number(r.versionId), QString::number(j.thicknessCm),
                              opt(j.quality), opt(j.designLimitMm), j.code, j.pileType, r.reason})
                     .join(QLatin1Char('|')),
                 read);
    }

    void rejudgeOutcomeStatus_data()
    {
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("status");
        QTest::newRow("done: back to the hole") << int(RejudgeResult::Done) << 303;
        QTest::newRow("invalid") << int(RejudgeResult::Invalid) << 400;
        QTest::newRow("no such version") << int(RejudgeResult::NotFound) << 404;
        QTest::newRow("re-judged meanwhile") << int(RejudgeResult::Stale) << 409;
        QTest::newRow("nothing changed") << int(RejudgeResult::Unchanged) << 409;
        QTest::newRow("archive failed") << int(RejudgeResult::ArchiveFault) << 503;
    }
    void rejudgeOutcomeStatus()
    {
        QFETCH(int, outcome);
        QFETCH(int, status);
        QCOMPARE(rejudgeHttpStatus(RejudgeResult::Status(outcome)), status);
    }

    // An open archive (nobody signed in) offers no re-judgement, and the
    // server refuses one sent all the same, whatever the form holds: the
    // hole stays as it was.
    void rejudgeRefusedWithoutSignIn_data()
    {
        QTest::addColumn<QByteArray>("form");
        const QByteArray p = QUrl::toPercentEncoding(u("跨江大桥"));
        QTest::newRow("complete form") << "project=" + p + "&hole=A2&version=2&thickness=4&quality=0&reason=checked&csrf=x";
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("without reason") << "project=" + p + "&hole=A2&version=2&thickness=4";
    }
    void rejudgeRefusedWithoutSignIn()
    {
        QFETCH(QByteArray, form);
        const QString hole = QStringLiteral("/hole?project=%1&hole=A2").arg(QString::fromLatin1(QUrl::toPercentEncoding(u("跨江大桥"))));
        const QString before = page(*m_server, hole);
        QVERIFY2(before.contains(QStringLiteral("<h1>A2</h1>")), qUtf8Printable(before.left(500)));
        QVERIFY(!before.contains(QStringLiteral("/rejudge")));
        QVERIFY(!before.contains(QStringLiteral("name=\"csrf\"")));
        httplib::Client c("127.0.0.1", m_server->port());
        c.set_read_timeout(30, 0);
        const auto res = c.Post("/rejudge", form.constData(), size_t(form.size()), "application/x-www-form-urlencoded");
        QVERIFY(res);
        QCOMPARE(res->status, 403);
        QCOMPARE(page(*m_server, hole), before);
    }

    // The form is on the page only for those who may re-judge, and only on
    // the newest version of a test; it carries the session's CSRF token and
    // no script.
    void rejudgeFormOnlyForThoseWhoMay_data()
    {
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<int>("role");
        QTest::addColumn<bool>("newest");
        QTest::addColumn<bool>("form");
        QTest::newRow("open archive") << false << int(WebRole::None) << true << false;
        QTest::newRow("role without a session") << false << int(WebRole::Engineer) << true << false;
        QTest::newRow("viewer") << true << int(WebRole::Viewer) << true << false;
        QTest::newRow("engineer") << true << int(WebRole::Engineer) << true << true;
        QTest::newRow("admin") << true << int(WebRole::Admin) << true << true;
        QTest::newRow("engineer, older version") << true << int(WebRole::Engineer) << false << false;
    }
    void rejudgeFormOnlyForThoseWhoMay()
    {
        QFETCH(bool, signedIn);
        QFETCH(int, role);
        QFETCH(bool, newest);
        QFETCH(bool, form);
        HoleShape shape;
        shape.limitMm = 50;
        shape.verdict = 0;
        shape.thicknessCm = 3;
        const QByteArray bytes = holeFileBytes(shape);
        HolePageData d;
        d.project = u("跨江大桥");
        d.hole = QString::fromUtf8(kHostile);
        VersionRow v1;
        v1.id = 11;
        v1.testId = 1;
        v1.version = 1;
        v1.thicknessCm = 3;
        v1.verdict = QStringLiteral("pass");
        v1.sha256 = sha256Hex(bytes);
        v1.fileName = QStringLiteral("A1.CZO");
        VersionRow v2 = v1;
        v2.id = 12;
        v2.version = 2;
        d.history = {v1, v2};
        d.shown = &d.history.at(newest ? 1 : 0);
        d.record = readHoleFacts(bytes, QString(), v1.fileName);
        d.access.signedIn = signedIn;
        d.access.role = WebRole(role);
        d.access.user = QStringLiteral("Wang");
        d.access.csrfToken = QStringLiteral("tok\"<&");
        d.bases = CPileLimits::builtIn().choices();
        const QString html = QString::fromUtf8(ArchivePages::hole(d));
        QCOMPARE(html.contains(QStringLiteral("<form action=\"/rejudge\" method=\"post\">")), form);
        QVERIFY(!html.contains(QStringLiteral("<script")));
        if (!form) {
            QVERIFY(!html.contains(QStringLiteral("name=\"csrf\"")));
            return;
        }
        QVERIFY(html.contains(QStringLiteral("<input type=\"hidden\" name=\"csrf\" value=\"tok&quot;&lt;&amp;\">")));
        QVERIFY(html.contains(QStringLiteral("<input type=\"hidden\" name=\"version\" value=\"12\">")));
        QVERIFY(html.contains(QStringLiteral("<input type=\"hidden\" name=\"hole\" value=\"%1\">").arg(htmlEscape(d.hole))));
        QVERIFY(html.contains(QStringLiteral("<textarea name=\"reason\" maxlength=\"1000\" rows=\"2\" required>")));
        QVERIFY(html.contains(QStringLiteral("name=\"thickness\" min=\"0\" max=\"10000\" step=\"1\" value=\"3\" required")));
        QVERIFY(html.contains(u("<option value=\"JGJ 94-2008|端承桩\">")));
    }

    // An office version on the hole page: who, when and why, with the
    // instrument's own judgement beside it, in both languages; a signature
    // line that names the office, not a folder import.
    void officeRejudgementOnHolePage_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("instrument");
        QTest::addColumn<QString>("signature");
        QTest::addColumn<QString>("folderImport");
        QTest::addColumn<QString>("listed"); // the project page's verdict cell
        QTest::newRow("Chinese") << "zh" << u("由 王工 于 TIME 在办公室改判：监理复核") << u("版本 1：沉渣 3 cm，合格")
                                 << u("办公室改判（王工），不经仪器签名") << u("未签名")
                                 << u("不合格<br><small class=\"override\">办公室改判：王工</small>");
        QTest::newRow("English") << "en" << u("Re-judged in the office by 王工 at TIME: 监理复核")
                                 << "Version 1: sediment 3 cm, Qualified"
                                 << u("Re-judged in the office (王工): not signed by an instrument") << "Unsigned"
                                 << u("Unqualified<br><small class=\"override\">Re-judged in the office: 王工</small>");
    }
    void officeRejudgementOnHolePage()
    {
        QFETCH(QString, lang);
        QFETCH(QString, note);
        QFETCH(QString, instrument);
        QFETCH(QString, signature);
        QFETCH(QString, folderImport);
        QFETCH(QString, listed);
        const QString where = m_dir.path() + QStringLiteral("/office-") + lang;
        HoleShape a1;
        a1.project = u("跨江大桥");
        a1.limitMm = 50;
        a1.verdict = 0;
        a1.thicknessCm = 3;
        QVERIFY(writeFileBytes(where + QStringLiteral("/usb/site/A1.CZO"), holeFileBytes(a1)));
        const QString db = where + QStringLiteral("/archive.sqlite");
        QCOMPARE(runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("import"), where + QStringLiteral("/usb")}).exitCode, 0);
        const QStringList rejudge{QStringLiteral("--db"), db, QStringLiteral("rejudge"), a1.project, a1.hole,
                                  QStringLiteral("--thickness"), QStringLiteral("8"), QStringLiteral("--by"), u("王工")};
        const ToolRun noReason = runArchiveTool(rejudge);
        QCOMPARE(noReason.exitCode, 1);
        QVERIFY2(noReason.err.contains("needs a reason"), noReason.err.constData());
        const ToolRun done = runArchiveTool(rejudge + QStringList{QStringLiteral("--reason"), u("监理复核")});
        QVERIFY2(done.exitCode == 0, done.err.constData());
        QVERIFY2(done.out.startsWith("version 2 of 2026-03-01 09:00:00: pass -> fail"), done.out.constData());

        const CServeChild server(db, {QStringLiteral("--lang"), lang});
        QVERIFY2(server.ok(), qUtf8Printable(server.output()));
        const QString hole = page(server, QStringLiteral("/hole?project=%1&hole=A1")
                                              .arg(QString::fromLatin1(QUrl::toPercentEncoding(a1.project))));
        const QString time = QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d UTC");
        const QRegularExpression stated(QStringLiteral("<dd class=\"row office\">%1</dd>")
                                            .arg(QRegularExpression::escape(note).replace(QStringLiteral("TIME"), time)));
        QVERIFY2(stated.match(hole).hasMatch(), qUtf8Printable(hole.left(4000)));
        QVERIFY2(hole.contains(QStringLiteral("<dd class=\"row\">%1</dd>").arg(instrument)), qUtf8Printable(hole.left(4000)));
        QVERIFY2(hole.contains(QStringLiteral("<dd class=\"row unsigned\">%1</dd>").arg(signature)),
                 qUtf8Printable(hole.left(4000)));
        QVERIFY(!hole.contains(folderImport));
        QVERIFY(hole.contains(QStringLiteral("<dd>8 cm</dd>")));
        const QString project = page(server, QStringLiteral("/project?name=%1").arg(QString::fromLatin1(QUrl::toPercentEncoding(a1.project))));
        QVERIFY2(project.contains(QStringLiteral("<td class=\"fail\">") + listed), qUtf8Printable(project));
        // The history lists both versions, the office one with its note.
        QCOMPARE(hole.count(QStringLiteral("<small class=\"override\">") + note.left(note.indexOf(QStringLiteral("TIME")))), 1);
    }

    // Who signed a test, and whether that still holds: a signed import and an
    // unsigned one, then the signer revoked, a receipt dated after the
    // revocation, and a damaged manifest.
    void holePageSaysWhoSigned()
    {
        TestAppDir app;
        DeviceKey key;
        QString error;
        QVERIFY2(loadOrCreateDeviceKey(app.path(), &key, &error), qUtf8Printable(error));
        const QString folder = m_dir.path() + QStringLiteral("/signed/") + u("北桥");
        HoleShape s1;
        s1.project = u("北桥");
        s1.hole = QStringLiteral("S1");
        HoleShape u1 = s1;
        u1.hole = QStringLiteral("U1");
        const QString s1File = folder + QStringLiteral("/S1.CZO");
        QVERIFY(writeFileBytes(s1File, holeFileBytes(s1)));
        QVERIFY(writeFileBytes(folder + QStringLiteral("/U1.CZO"), holeFileBytes(u1)));
        SealResult seal;
        QVERIFY2(sealSavedFiles(app.path(), {s1File}, {s1.project, s1.hole, s1.date + QLatin1Char(' ') + s1.time}, &seal,
                                &error),
                 qUtf8Printable(error));
        const QString db = m_dir.path() + QStringLiteral("/signed.sqlite");
        const QStringList onDb{QStringLiteral("--db"), db};
        QCOMPARE(runArchiveTool(onDb + QStringList{"device", "add", "rig-7", key.publicKeyBase64()}).exitCode, 0);
        const ToolRun imported = runArchiveTool(onDb + QStringList{"import", folder});
        QCOMPARE(withoutHead(imported.out), QByteArray("new 2, versions 0, skipped 0, refused 0"));

        const CServeChild zh(db);
        const CServeChild en(db, {QStringLiteral("--lang"), QStringLiteral("en")});
        QVERIFY2(zh.ok() && en.ok(), qUtf8Printable(zh.output() + en.output()));
        const QString p = QString::fromLatin1(QUrl::toPercentEncoding(s1.project));
        auto signature = [&](const CServeChild &server, const QString &hole) {
            const QString body = page(server, "/hole?project=" + p + "&hole=" + hole);
            static const QRegularExpression dd(QStringLiteral("<dd class=\"row (\\w+)\">([^<]*)</dd></dl>"));
            const QRegularExpressionMatch m = dd.match(body);
            return m.hasMatch() ? m.captured(1) + QLatin1Char(' ') + m.captured(2) : body.left(2000);
        };
        QCOMPARE(signature(zh, QStringLiteral("S1")), u("signed 由仪器 rig-7 签名，已验证"));
        QCOMPARE(signature(en, QStringLiteral("S1")), QStringLiteral("signed Signed by instrument rig-7, verified"));
        QCOMPARE(signature(zh, QStringLiteral("U1")), u("unsigned 未签名（从文件夹导入）"));
        QCOMPARE(signature(en, QStringLiteral("U1")), QStringLiteral("unsigned Unsigned (imported from a folder)"));

        // Revoked after the archive received the test: the signature held
        // when it came and the bytes still hold; the page says so.
        QCOMPARE(runArchiveTool(onDb + QStringList{"device", "revoke", "rig-7"}).exitCode, 0);
        QString revoked = signature(en, QStringLiteral("S1"));
        QVERIFY2(revoked.startsWith(QStringLiteral("signed Signed by instrument rig-7, verified (the instrument was revoked on "))
                     && revoked.endsWith(QStringLiteral("; this test was received before)")),
                 qUtf8Printable(revoked));
        QVERIFY(signature(zh, QStringLiteral("S1")).contains(u("吊销，本检测在此之前收到")));

        CArchiveDb archive;
        ArchiveAddress address;
        QVERIFY(parseArchiveAddress(db, &address, &error) && archive.open(address, &error));
        // Received at or after the revocation: nothing vouches for it.
        QVERIFY2(archive.exec(QStringLiteral("UPDATE signed_versions SET received_at = '9999-01-01T00:00:00.000Z'"), &error),
                 qUtf8Printable(error));
        revoked = signature(zh, QStringLiteral("S1"));
        QVERIFY2(revoked.startsWith(u("fail 由仪器 rig-7 签名，但该仪器已于 ")) && revoked.endsWith(u("吊销：未验证")),
                 qUtf8Printable(revoked));
        QVERIFY(!signature(en, QStringLiteral("S1")).contains(QStringLiteral("verified (")));

        // A manifest whose stored bytes no longer verify.
        QVERIFY2(archive.exec(QStringLiteral("UPDATE blobs SET content = X'7b7d' WHERE sha256 = '%1'").arg(seal.manifestSha256),
                              &error),
                 qUtf8Printable(error));
        QCOMPARE(signature(zh, QStringLiteral("S1")), u("fail 由仪器 rig-7 签名，但签名与文件不符：未验证"));
        QCOMPARE(signature(en, QStringLiteral("S1")),
                 QStringLiteral("fail Signed by instrument rig-7, but the signature does not match the files: not verified"));
        QCOMPARE(signature(en, QStringLiteral("U1")), QStringLiteral("unsigned Unsigned (imported from a folder)"));
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
