// Names as sites write them ("K12+300", "A%1B", "桥 / 隧 & 1") through every
// output: the web pages and their links, the CLI, the audit trail, the
// summary as CSV and PDF, the hole report, the LAS log and the instrument's
// own texts. Each must come out exactly as it went in: a "%1" in a name or a
// date, or the "%2B" that URL encoding makes of "+", is never a placeholder
// of a later substitution. And a crawl of the pages of an archive of hostile
// names reaches every project and every hole.

#include "archivefixture.h"
#include "audittrail.h"
#include "archivedb.h"
#include "archiveaddress.h"
#include "holefile.h"
#include "holereport.h"
#include "lasexport.h"
#include "reportdata.h"
#include "testsupport.h"
#include "usbdisk.h"
#include "usbexport.h"
#include "verdict.h"
#include "webserverchild.h"

#include <QElapsedTimer>
#include <QQueue>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <QtTest>
#include <httplib.h>

namespace {
QString u(const char *utf8) { return QString::fromUtf8(utf8); }

QString esc(const QString &t)
{
    QString s = t;
    s.replace(QLatin1Char('&'), QLatin1String("&amp;")).replace(QLatin1Char('<'), QLatin1String("&lt;"));
    s.replace(QLatin1Char('>'), QLatin1String("&gt;")).replace(QLatin1Char('"'), QLatin1String("&quot;"));
    return s.replace(QLatin1Char('\''), QLatin1String("&#39;"));
}

QString unescape(QString t)
{
    t.replace(QLatin1String("&lt;"), QLatin1String("<")).replace(QLatin1String("&gt;"), QLatin1String(">"));
    t.replace(QLatin1String("&quot;"), QLatin1String("\"")).replace(QLatin1String("&#39;"), QLatin1String("'"));
    return t.replace(QLatin1String("&amp;"), QLatin1String("&"));
}

// The sites of the one-pass check: names, testers and dates with "%1",
// "%2", "+", "/", "&", spaces and Chinese.
struct Site {
    const char *project;
    const char *hole;
    const char *tester;
    const char *date;
    const char *time;
};
const Site kSites[] = {
    {"A%1B", "%2", "%1 王工 %2", "%1", "%2"},
    {"K12+300", "Z1+2", "Li & Wang", "2026/03/01", "09:00:00"},
    {"桥 / 隧 & 1", "孔 %9", "a/b+c", "2026-03-02", "%1%2"},
    {"100%2B done", "%%1", "%1%2%3", "2026-03-03", "10:00:00"},
};

// Fragments that a careless substitution or encoding breaks, for the crawl.
const char *const kFragments[] = {"%1",  "%2", "%9", "+",  "&",   "/",   "?",  "#",  "=",    "%25",
                                  "%2B", "<b>", "\"", "'", "\\", "；", "桥", "a b", "-x", "=cmd"};

QString holeFileNameOf(const QString &hole) { return hole + QStringLiteral(".CZO"); }

QString squeezed(QString t) { return t.remove(QRegularExpression(QStringLiteral("\\s"))); }

// The text of a PDF as pdftotext reads it, without white space: it joins
// or splits words by their distances, which says nothing about the string
// drawn.
QString pdfText(const QByteArray &pdf, const QString &dir)
{
    const QString path = dir + QStringLiteral("/t.pdf");
    if (!writeFileBytes(path, pdf))
        return QString();
    const ChildRun r = runChild(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    return squeezed(QString::fromUtf8(r.out));
}

QStringList lines(const QByteArray &out) { return QString::fromUtf8(out).split(QLatin1Char('\n')); }
} // namespace

class TestArchiveNames : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    CTestEngine m_engine;
    QString m_db;
    std::unique_ptr<CServeChild> m_server;
    // project -> holes of the crawl's archive, and every site's folder
    QMap<QString, QStringList> m_holes;
    QMap<QString, QString> m_folderOf;

    QString path(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }

    httplib::Result get(const QString &target)
    {
        httplib::Client c("127.0.0.1", m_server->port());
        c.set_read_timeout(30, 0);
        return c.Get(target.toUtf8().constData());
    }

    // The target of the link whose text is exactly text, HTML-decoded.
    static QString linkTo(const QString &page, const QString &text)
    {
        const QRegularExpression re(QStringLiteral("<a href=\"([^\"]*)\"( download)?>") + QRegularExpression::escape(esc(text))
                                    + QStringLiteral("</a>"));
        return unescape(re.match(page).captured(1));
    }

private slots:
    void initTestCase()
    {
        QString why;
        if (m_engine.skipBecauseAbsent())
            QSKIP("the PostgreSQL run is skipped: no server binaries");
        QVERIFY2(m_engine.ready(&why), qUtf8Printable(why));
        m_db = m_engine.freshArchive();
        int n = 0;
        HoleShape shape;
        for (const Site &s : kSites) {
            shape.project = u(s.project);
            shape.hole = u(s.hole);
            shape.tester = u(s.tester);
            shape.date = u(s.date);
            shape.time = u(s.time);
            const QString folder = path(QStringLiteral("sites/site%1").arg(++n));
            QVERIFY(writeFileBytes(folder + QLatin1Char('/') + holeFileNameOf(shape.hole), holeFileBytes(shape)));
            m_holes[shape.project] << shape.hole;
            m_folderOf[shape.project] = folder;
        }
        // Twenty projects of two holes each, every fragment in a project and
        // a hole name (file names cannot hold "/").
        n = 0;
        for (const char *f : kFragments) {
            const QString fragment = u(f);
            shape = HoleShape();
            shape.project = QStringLiteral("P") + QString::number(++n) + QLatin1Char(' ') + fragment + QStringLiteral(" 工程");
            const QString folder = path(QStringLiteral("crawl/c%1").arg(n));
            for (const QString &hole : {QStringLiteral("H") + fragment, fragment + QStringLiteral("2")}) {
                shape.hole = QString(hole).replace(QLatin1Char('/'), QLatin1Char('_'));
                QVERIFY(writeFileBytes(folder + QLatin1Char('/') + holeFileNameOf(shape.hole), holeFileBytes(shape)));
                m_holes[shape.project] << shape.hole;
            }
        }
        const ToolRun r = runArchiveTool({QStringLiteral("--db"), m_db, QStringLiteral("import"), path(QStringLiteral("sites")),
                                          path(QStringLiteral("crawl"))});
        QVERIFY2(r.exitCode == 0, r.out + r.err);
        QVERIFY2(r.out.contains(QStringLiteral("new %1, versions 0, skipped 0, refused 0").arg(44).toUtf8()), r.out);
        m_server.reset(new CServeChild(m_db));
        QVERIFY2(m_server->ok(), qUtf8Printable(m_server->output()));
    }

    void cleanupTestCase() { m_server.reset(); }

    // From the project list, following links only: every project and hole.
    void crawlReachesEveryProjectAndHole()
    {
        QSet<QString> seen{QStringLiteral("/")};
        QQueue<QString> queue;
        queue.enqueue(QStringLiteral("/"));
        QSet<QString> projects, holes;
        QStringList broken;
        QElapsedTimer t;
        t.start();
        int pages = 0;
        static const QRegularExpression href(QStringLiteral("href=\"(/(?:project|hole)\\?[^\"]*)\""));
        static const QRegularExpression h1(QStringLiteral("<h1>(.*?)</h1>"));
        static const QRegularExpression crumbs(QStringLiteral("<p class=\"crumbs\"><a href=\"[^\"]*\">(.*?)</a>"));
        while (!queue.isEmpty() && pages < 400 && t.elapsed() < 120000) {
            const QString target = queue.dequeue();
            ++pages;
            const httplib::Result res = get(target);
            if (!res || res->status != 200) {
                broken << QStringLiteral("%1 -> %2").arg(target, res ? QString::number(res->status) : QStringLiteral("no answer"));
                continue;
            }
            const QString page = QString::fromUtf8(res->body.data(), int(res->body.size()));
            const QString heading = unescape(h1.match(page).captured(1));
            if (target.startsWith(QLatin1String("/project?")))
                projects << heading;
            else if (target.startsWith(QLatin1String("/hole?")))
                holes << unescape(crumbs.match(page).captured(1)) + QLatin1Char('\n') + heading;
            for (auto it = href.globalMatch(page); it.hasNext();) {
                const QString link = unescape(it.next().captured(1));
                if (!seen.contains(link)) {
                    seen << link;
                    queue.enqueue(link);
                }
            }
        }
        QVERIFY2(broken.isEmpty(), qUtf8Printable(broken.join(QLatin1Char('\n'))));
        QVERIFY2(queue.isEmpty(), "the crawl did not finish within its bounds");
        QSet<QString> wantedProjects, wantedHoles;
        for (auto it = m_holes.cbegin(); it != m_holes.cend(); ++it) {
            wantedProjects << it.key();
            for (const QString &h : it.value())
                wantedHoles << it.key() + QLatin1Char('\n') + h;
        }
        QCOMPARE(projects, wantedProjects);
        QCOMPARE(holes, wantedHoles);
    }

    void namesComeOutAsTheyWentIn_data()
    {
        QTest::addColumn<int>("site");
        for (int i = 0; i < int(sizeof kSites / sizeof kSites[0]); ++i)
            QTest::newRow(kSites[i].project) << i;
    }
    void namesComeOutAsTheyWentIn()
    {
        QFETCH(int, site);
        const Site &s = kSites[site];
        const QString project = u(s.project), hole = u(s.hole), tester = u(s.tester);
        const QString when = u(s.date) + QLatin1Char(' ') + u(s.time);
        const QString file = holeFileNameOf(hole);
        const QString holePath = m_folderOf.value(project) + QLatin1Char('/') + file;
        const QStringList db{QStringLiteral("--db"), m_db};

        // The CLI.
        QVERIFY(lines(runArchiveTool(db + QStringList{QStringLiteral("projects")}).out)
                    .contains(project + QStringLiteral("\t1\t1\t1\t0")));
        QVERIFY(lines(runArchiveTool(db + QStringList{QStringLiteral("holes"), project}).out)
                    .contains(hole + QLatin1Char('\t') + when + QStringLiteral("\t12\t-\t-\tqualified\t1\t-")));
        const QString history = QString::fromUtf8(runArchiveTool(db + QStringList{QStringLiteral("history"), project, hole}).out);
        QVERIFY2(history.contains(QLatin1Char('\n') + when + QStringLiteral("\t1\t12\t-\t-\tqualified\t40\t") + file + QLatin1Char('\t')),
                 qUtf8Printable(history));
        bool found = false;
        for (const QString &l : lines(runArchiveTool(db + QStringList{QStringLiteral("find"), tester}).out))
            found = found || (l.startsWith(project + QLatin1Char('\t') + hole + QLatin1Char('\t')) && l.contains(QStringLiteral("tester ") + tester));
        QVERIFY(found);

        // The audit trail: the import entry records the file's own values.
        CArchiveDb archive;
        ArchiveAddress address;
        QString error;
        QVERIFY(parseArchiveAddress(m_db, &address, &error) && archive.open(address, &error));
        QVector<AuditEntry> log;
        QVERIFY2(readAuditLog(archive, project, hole, &log, &error), qUtf8Printable(error));
        QVERIFY(!log.isEmpty());
        QCOMPARE(log.first().hole, hole);
        QCOMPARE(log.first().detail, file + QStringLiteral(" from ") + m_folderOf.value(project) + QStringLiteral(": test ")
                                         + when + QStringLiteral(", version 1, 40 samples, thickness 12 cm"));
        QVERIFY(runArchiveTool(db + QStringList{QStringLiteral("log"), project, hole}).out.contains(log.first().detail.toUtf8()));

        // The summary through the CLI: CSV and PDF.
        const QString csv = path(QStringLiteral("s%1.csv").arg(site)), pdf = path(QStringLiteral("s%1.pdf").arg(site));
        QCOMPARE(runArchiveTool(db + QStringList{QStringLiteral("summary"), project, QStringLiteral("--csv"), csv,
                                                 QStringLiteral("--pdf"), pdf})
                     .exitCode,
                 0);
        const QStringList csvLines = QString::fromUtf8(readFileBytes(csv)).split(QLatin1Char('\n'));
        QVERIFY2(csvLines.value(1).startsWith(hole + QStringLiteral(",,1,") + when + QLatin1Char(',') + tester + QLatin1Char(',')),
                 qUtf8Printable(csvLines.value(1)));
        const QString summaryText = pdfText(readFileBytes(pdf), m_dir.path());
        for (const QString &t : {project, hole, tester, when})
            QVERIFY2(summaryText.contains(squeezed(t)), qUtf8Printable(t + QStringLiteral(" not in\n") + summaryText));

        // The hole report and the LAS log, from the file.
        HoleReportData report;
        QVERIFY2(readHoleReportData(holePath, &report, &error), qUtf8Printable(error));
        const QString reportText = pdfText(renderHoleReportPdf(report, &error), m_dir.path());
        for (const QString &t : {project, hole, tester, when, file})
            QVERIFY2(reportText.contains(squeezed(t)), qUtf8Printable(t + QStringLiteral(" not in\n") + reportText));
        const QString las = QString::fromUtf8(holeToLas(report.info, report.samples, file));
        for (const QString &t : {project, hole, tester, u(s.date), file})
            QVERIFY2(las.contains(QStringLiteral(" ") + t + QStringLiteral(" ")), qUtf8Printable(t + QStringLiteral(" not in\n") + las));

        // The web view: links followed as a browser would, texts escaped and
        // nothing else.
        auto body = [](const httplib::Result &r) { return QString::fromUtf8(r->body.data(), int(r->body.size())); };
        const httplib::Result list = get(QStringLiteral("/"));
        QVERIFY(list && list->status == 200);
        const QString projectHref = linkTo(body(list), project);
        QVERIFY2(!projectHref.isEmpty(), qUtf8Printable(body(list)));
        const httplib::Result projectPage = get(projectHref);
        QVERIFY2(projectPage && projectPage->status == 200, qUtf8Printable(projectHref));
        QVERIFY(body(projectPage).contains(QStringLiteral("<h1>") + esc(project) + QStringLiteral("</h1>")));
        QVERIFY(body(projectPage).contains(QStringLiteral("<td>") + esc(when) + QStringLiteral("</td>")));
        const httplib::Result holePage = get(linkTo(body(projectPage), hole));
        QVERIFY(holePage && holePage->status == 200);
        QVERIFY(body(holePage).contains(QStringLiteral("<h1>") + esc(hole) + QStringLiteral("</h1>")));
        QVERIFY(body(holePage).contains(QStringLiteral("<dd>") + esc(when) + QStringLiteral("</dd>")));
        QVERIFY(body(holePage).contains(QStringLiteral("<dd>") + esc(tester) + QStringLiteral("</dd>")));
        const httplib::Result download = get(linkTo(body(holePage), file));
        QVERIFY(download && download->status == 200);
        QCOMPARE(QByteArray(download->body.data(), int(download->body.size())), readFileBytes(holePath));
        // The client library hands header values over percent-decoded.
        const QString disposition = QString::fromStdString(download->get_header_value("Content-Disposition"));
        QVERIFY2(disposition.endsWith(QStringLiteral("filename*=UTF-8''") + file), qUtf8Printable(disposition));
        static const QRegularExpression summaryLink(QStringLiteral("href=\"(/summary\\.csv\\?[^\"]*)\""));
        const httplib::Result webCsv = get(unescape(summaryLink.match(body(projectPage)).captured(1)));
        QVERIFY(webCsv && webCsv->status == 200);
        QVERIFY(body(webCsv).contains(QLatin1Char(',') + when + QLatin1Char(',') + tester + QLatin1Char(',')));
        const httplib::Result search = get(QStringLiteral("/search?q=") + QString::fromLatin1(QUrl::toPercentEncoding(tester)));
        QVERIFY(search && search->status == 200);
        QVERIFY(body(search).contains(esc(u("“") + tester + u("”："))));
        QCOMPARE(linkTo(body(search), project), projectHref);

        // The downloads are in the trail, with the file's own values.
        QVERIFY(readAuditLog(archive, project, hole, &log, &error));
        QCOMPARE(log.last().action, QStringLiteral("download"));
        QCOMPARE(log.last().detail, file + QStringLiteral(" (test ") + when
                                        + QStringLiteral(", version 1) to 127.0.0.1 through the web view"));

        // The instrument's texts that carry these names.
        QCOMPARE(CUsbExport::fileMessage(project, file),
                 u("正在导出文件：") + UsbDisk::projectFolder(project) + QLatin1Char('/') + file);
        QCOMPARE(CUsbExport::fileQuestion(file), u("桩文件 ") + file + u(" 已存在，确定要重新导出吗？"));
        QCOMPARE(comparisonLine(150, 200, tester), u("沉渣 150 mm ≤ 200 mm（") + tester + u("）合格"));
    }
};

QTEST_MAIN(TestArchiveNames)
#include "tst_archivenames.moc"
