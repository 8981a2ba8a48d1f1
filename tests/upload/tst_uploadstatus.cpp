// What the instrument decides and shows about the upload, without a
// server: the pauses between tries, where the archive address comes from,
// when the demonstration stops waiting and what it says, and the main
// screen's upload strip in both languages, following a real sender.

#include "outbox.h"
#include "retrypauses.h"
#include "testseal.h"
#include "testsupport.h"
#include "uploadsender.h"
#include "uploadsettings.h"
#include "uploadstrip.h"
#include "uploadwait.h"

#include <QLabel>
#include <QSettings>
#include <QTcpServer>
#include <QTranslator>
#include <QtTest>

Q_DECLARE_METATYPE(UploadStatus::Failure)

namespace {
UploadStatus status(int pending, UploadStatus::Failure failure = UploadStatus::None, const QString &detail = QString())
{
    UploadStatus s;
    s.pending = pending;
    s.failure = failure;
    s.detail = detail;
    return s;
}

const QList<UploadStatus::Failure> kFailures{UploadStatus::Unreachable, UploadStatus::Secure,      UploadStatus::Refused,
                                             UploadStatus::Rejected,    UploadStatus::ServerFault, UploadStatus::BadAnswer,
                                             UploadStatus::Unreadable};
} // namespace

class TestUploadStatus : public QObject {
    Q_OBJECT
private slots:
    void retryPauses_data();
    void retryPauses();
    void settingsSources_data();
    void settingsSources();
    void waitOver_data();
    void waitOver();
    void waitLine_data();
    void waitLine();
    void stripText_data();
    void stripText();
    void stripNamesEveryFailure();
    void stripFollowsSender();

private:
    QTranslator m_english;
};

void TestUploadStatus::retryPauses_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("longest");
    QTest::addColumn<QList<int>>("pauses"); // after each failure in a row
    QTest::newRow("the instrument's: 1 s up to 3 minutes")
        << -1 << -1
        << QList<int>{1000, 2000, 4000, 8000, 16000, 32000, 64000, 128000, 180000, 180000, 180000};
    QTest::newRow("the longest not a doubling") << 1500 << 5000 << QList<int>{1500, 3000, 5000, 5000};
    QTest::newRow("longest below first") << 800 << 100 << QList<int>{800, 800};
    QTest::newRow("no pause asked") << 0 << 0 << QList<int>{1, 1};
    QTest::newRow("near the int range") << (1 << 30) << std::numeric_limits<int>::max()
                                         << QList<int>{1 << 30, std::numeric_limits<int>::max(),
                                                       std::numeric_limits<int>::max()};
}

void TestUploadStatus::retryPauses()
{
    QFETCH(int, first);
    QFETCH(int, longest);
    QFETCH(QList<int>, pauses);
    RetryPauses p = first < 0 ? RetryPauses() : RetryPauses(first, longest);
    for (int round = 0; round < 2; ++round) {
        QList<int> got;
        for (int i = 0; i < pauses.size(); ++i)
            got << p.afterFailure();
        QCOMPARE(got, pauses);
        // A success starts the pauses again from the first.
        p.afterSuccess();
    }
}

void TestUploadStatus::settingsSources_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("env");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("url"); // empty: nothing sent, nothing shown
    const QString a = QStringLiteral("https://127.0.0.1:8443"), b = QStringLiteral("https://archive-b.lan:8443"),
                  c = QStringLiteral("https://archive.lan/x");
    QTest::newRow("nowhere") << QString() << QString() << QString() << true << QString();
    QTest::newRow("settings file") << QString() << QString() << c << true << c;
    QTest::newRow("environment over file") << QString() << b << c << true << b;
    QTest::newRow("option over all") << a << b << c << true << a;
    QTest::newRow("plain http refused") << QStringLiteral("http://127.0.0.1:8443") << QString() << QString() << false
                                        << QString();
    QTest::newRow("no host refused") << QStringLiteral("https://") << QString() << QString() << false << QString();
}

void TestUploadStatus::settingsSources()
{
    QFETCH(QString, option);
    QFETCH(QString, env);
    QFETCH(QString, file);
    QFETCH(bool, accepted);
    QFETCH(QString, url);
    TestAppDir app;
    const QByteArray oldEnv = qgetenv("ZPVW_ARCHIVE_URL");
    qunsetenv("ZPVW_ARCHIVE_CA");
    if (env.isEmpty())
        qunsetenv("ZPVW_ARCHIVE_URL");
    else
        qputenv("ZPVW_ARCHIVE_URL", env.toUtf8());
    if (!file.isEmpty()) {
        QSettings ini(uploadSettingsPath(app.path()), QSettings::IniFormat);
        ini.setValue(QStringLiteral("archive/url"), file);
    }
    UploadSettings s;
    QString error;
    const bool ok = resolveUploadSettings(option, QString(), app.path(), &s, &error);
    qputenv("ZPVW_ARCHIVE_URL", oldEnv);
    QCOMPARE(ok, accepted);
    if (!ok) {
        QVERIFY2(error.contains(QStringLiteral("https://")), qPrintable(error));
        return;
    }
    QCOMPARE(s.enabled(), !url.isEmpty());
    if (!url.isEmpty())
        QCOMPARE(s.url.toString(), url);
}

void TestUploadStatus::waitOver_data()
{
    QTest::addColumn<int>("waiting");
    QTest::addColumn<UploadStatus::Failure>("failure");
    QTest::addColumn<bool>("over");
    QTest::newRow("all sent") << 0 << UploadStatus::None << true;
    QTest::newRow("sent after a failure") << 0 << UploadStatus::Unreachable << true;
    QTest::newRow("on its way") << 1 << UploadStatus::None << false;
    QTest::newRow("out of reach: wait") << 2 << UploadStatus::Unreachable << false;
    QTest::newRow("server fault: wait") << 1 << UploadStatus::ServerFault << false;
    QTest::newRow("wrong answer: wait") << 1 << UploadStatus::BadAnswer << false;
    QTest::newRow("device refused") << 1 << UploadStatus::Refused << true;
    QTest::newRow("files rejected") << 1 << UploadStatus::Rejected << true;
    QTest::newRow("certificate not trusted") << 1 << UploadStatus::Secure << true;
    QTest::newRow("file unreadable") << 1 << UploadStatus::Unreadable << true;
}

void TestUploadStatus::waitOver()
{
    QFETCH(int, waiting);
    QFETCH(UploadStatus::Failure, failure);
    QFETCH(bool, over);
    QCOMPARE(uploadWaitOver(waiting, status(waiting, failure)), over);
}

void TestUploadStatus::waitLine_data()
{
    QTest::addColumn<int>("waiting");
    QTest::addColumn<UploadStatus::Failure>("failure");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("line");
    const QString url = QStringLiteral("https://127.0.0.1:8443");
    QTest::newRow("uploaded") << 0 << UploadStatus::None << QString()
                              << QStringLiteral("uploaded: Demo/DEMO1.CZO to https://127.0.0.1:8443");
    QTest::newRow("refused, the archive's words")
        << 2 << UploadStatus::Refused << QStringLiteral("HTTP 403 signed by an unknown device\nJ1CJ")
        << QStringLiteral("still queued: Demo/DEMO1.CZO (2 waiting for https://127.0.0.1:8443): the archive refused "
                          "this instrument: HTTP 403 signed by an unknown device J1CJ");
    QTest::newRow("no answer yet") << 1 << UploadStatus::None << QString()
                                   << QStringLiteral("still queued: Demo/DEMO1.CZO (1 waiting for "
                                                     "https://127.0.0.1:8443): no answer yet");
    QTest::newRow("out of reach, no words") << 1 << UploadStatus::Unreachable << QStringLiteral(" ")
                                            << QStringLiteral("still queued: Demo/DEMO1.CZO (1 waiting for "
                                                              "https://127.0.0.1:8443): the archive cannot be reached");
}

void TestUploadStatus::waitLine()
{
    QFETCH(int, waiting);
    QFETCH(UploadStatus::Failure, failure);
    QFETCH(QString, detail);
    QFETCH(QString, line);
    QCOMPARE(uploadWaitLine(QStringLiteral("Demo/DEMO1.CZO"), QStringLiteral("https://127.0.0.1:8443"), waiting,
                            status(waiting, failure, detail)),
             line);
}

void TestUploadStatus::stripText_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("pending");
    QTest::addColumn<UploadStatus::Failure>("failure");
    QTest::addColumn<QString>("text");
    QTest::newRow("waiting") << false << 2 << UploadStatus::None << QStringLiteral("待上传 2 个测试");
    QTest::newRow("waiting, English") << true << 2 << UploadStatus::None << QStringLiteral("2 tests waiting for upload");
    QTest::newRow("one waiting, English") << true << 1 << UploadStatus::None << QStringLiteral("1 test waiting for upload");
    QTest::newRow("one waiting") << false << 1 << UploadStatus::None << QStringLiteral("待上传 1 个测试");
    QTest::newRow("synchronised") << false << 0 << UploadStatus::None << QStringLiteral("已全部上传到档案");
    QTest::newRow("synchronised, English") << true << 0 << UploadStatus::None
                                           << QStringLiteral("All tests are in the archive");
    QTest::newRow("failure") << false << 3 << UploadStatus::Unreachable
                             << QStringLiteral("上传失败：档案服务器无法连接，待上传 3 个测试，稍后自动重试");
    QTest::newRow("failure, English")
        << true << 3 << UploadStatus::Refused
        << QStringLiteral("Upload failed: the archive refused this instrument (not registered or revoked); 3 tests "
                          "waiting, trying again shortly");
    QTest::newRow("failure, one, English")
        << true << 1 << UploadStatus::ServerFault
        << QStringLiteral("Upload failed: the archive server failed; 1 test waiting, trying again shortly");
}

void TestUploadStatus::stripText()
{
    QFETCH(bool, english);
    QFETCH(int, pending);
    QFETCH(UploadStatus::Failure, failure);
    QFETCH(QString, text);
    if (english) {
        QVERIFY(m_english.load(QStringLiteral(":/Language/English.qm")));
        QVERIFY(QCoreApplication::installTranslator(&m_english));
    }
    const QString shown = CUploadStrip::text(status(pending, failure, QStringLiteral("Connection refused")));
    QCoreApplication::removeTranslator(&m_english);
    QCOMPARE(shown, text);
}

// Each failure in its own words, in each language (the English catalogue
// has them all).
void TestUploadStatus::stripNamesEveryFailure()
{
    QVERIFY(m_english.load(QStringLiteral(":/Language/English.qm")));
    for (bool english : {false, true}) {
        if (english)
            QVERIFY(QCoreApplication::installTranslator(&m_english));
        QSet<QString> seen;
        for (UploadStatus::Failure f : kFailures) {
            const QString text = CUploadStrip::text(status(1, f));
            seen.insert(text);
            const bool chinese = std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x4e00; });
            QVERIFY2(chinese != english, qPrintable(text));
        }
        QCOMPARE(seen.size(), kFailures.size());
    }
    QCoreApplication::removeTranslator(&m_english);
}

// The strip made for a real sender follows its signals: what waits, the
// failure of a try (an archive address where nothing listens), and all
// sent once the outbox is empty.
void TestUploadStatus::stripFollowsSender()
{
    TestAppDir app;
    const QString hole = app.file(QStringLiteral("data/Bridge/Z1.CZO"));
    QVERIFY(writeFileBytes(hole, QByteArray("a sealed test")));
    SealResult seal;
    QString error;
    QVERIFY2(sealSavedFiles(app.path(), {hole}, {QStringLiteral("Bridge"), QStringLiteral("Z1"), QStringLiteral("2026-03-01 10:00:00")},
                            &seal, &error),
             qPrintable(error));
    Outbox box(outboxFolder(app.path()));
    QVERIFY(box.enqueue(seal, {hole}, QStringLiteral("Bridge"), QStringLiteral("Z1"), &error));
    quint16 closed = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        closed = probe.serverPort();
    }
    CUploadSender sender(UploadSettings{QUrl(QStringLiteral("https://127.0.0.1:%1").arg(closed)), QString()}, box.folder());
    QWidget screen;
    auto *label = new QLabel(&screen);
    label->hide(); // as the main screen has it without an archive
    new CUploadStrip(label, &sender);
    QVERIFY(!label->isHidden());
    QCOMPARE(label->text(), QStringLiteral("待上传 1 个测试"));

    QSignalSpy finished(&sender, &CUploadSender::finished);
    sender.sendOnce();
    QVERIFY(finished.count() == 1 || finished.wait(30000));
    QCOMPARE(label->text(), QStringLiteral("上传失败：档案服务器无法连接，待上传 1 个测试，稍后自动重试"));

    QVERIFY(box.remove(box.pending().first()));
    sender.sendOnce();
    QVERIFY(finished.count() == 2 || finished.wait(30000));
    QCOMPARE(label->text(), QStringLiteral("已全部上传到档案"));
}

QTEST_MAIN(TestUploadStatus)
#include "tst_uploadstatus.moc"
