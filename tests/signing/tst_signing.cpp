// The device key, the signed manifest of a saved test, its chain, the outbox
// and the hole tool's verify, on files in a temporary application folder.

#include "devicekey.h"
#include "outbox.h"
#include "savedigests.h"
#include "sha256.h"
#include "sha256pipeline.h"
#include "sealcheck.h"
#include "testmanifest.h"
#include "testseal.h"
#include "testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <sys/stat.h>

namespace {
// A sealed test: files in a project folder, signed by the folder's key.
struct Sealed {
    QString hole, pdf;
    SealResult seal;
};

Sealed sealTest(const TestAppDir &app, const QString &name, const QByteArray &holeBytes)
{
    Sealed s;
    s.hole = app.file(QStringLiteral("data/Bridge/%1.CZO").arg(name));
    s.pdf = app.file(QStringLiteral("data/Bridge/%1.PDF").arg(name));
    writeFileBytes(s.hole, holeBytes);
    writeFileBytes(s.pdf, "%PDF " + holeBytes.left(8));
    QString error;
    if (!sealSavedFiles(app.path(), {s.hole, s.pdf}, {QStringLiteral("跨江大桥"), name, QStringLiteral("2026-03-01 10:00:00")},
                        &s.seal, &error))
        qWarning() << error;
    return s;
}

// Replaces a file by renaming a new one over it, as every save does.
void replaceByRename(const QString &path, const QByteArray &bytes)
{
    writeFileBytes(path + QStringLiteral(".new"), bytes);
    QFile::remove(path);
    QFile::rename(path + QStringLiteral(".new"), path);
}
} // namespace

class TestSigning : public QObject {
    Q_OBJECT
private slots:
    void keyIsMadeOnceOwnerOnlyAndKept();
    void damagedKeyIsRefusedNotReplaced();
    void deviceIdIsReadableAndStable();
    void sealChainsManifests();
    void tamperingIsCaught_data();
    void tamperingIsCaught();
    void outboxKeepsSealedBytesInOrder();
    void outboxCompletesACutEnqueue();
    void holeToolVerify();
    void pipelinedDigestIsTheWholeDigest_data();
    void pipelinedDigestIsTheWholeDigest();
    void sealTakesDigestsWorkedOutAhead();
    void deviceOptionPrintsTheKey();
};

void TestSigning::keyIsMadeOnceOwnerOnlyAndKept()
{
    TestAppDir app;
    DeviceKey first, again;
    QString error;
    QVERIFY2(loadOrCreateDeviceKey(app.path(), &first, &error), qPrintable(error));
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(deviceKeyPath(app.path())).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0600);
    QVERIFY(loadOrCreateDeviceKey(app.path(), &again, &error));
    QCOMPARE(again.publicKey(), first.publicKey());
    // The file holds the secret; the public key is not it.
    QVERIFY(!readFileBytes(deviceKeyPath(app.path())).contains(first.publicKeyBase64().toLatin1()));
    const QByteArray msg("message");
    QVERIFY(signatureValid(first.publicKey(), msg, first.sign(msg)));
    QVERIFY(!signatureValid(first.publicKey(), "massage", first.sign(msg)));
}

void TestSigning::damagedKeyIsRefusedNotReplaced()
{
    TestAppDir app;
    writeFileBytes(deviceKeyPath(app.path()), "not a key\n");
    DeviceKey key;
    QString error;
    QVERIFY(!loadOrCreateDeviceKey(app.path(), &key, &error));
    QVERIFY(error.contains(QLatin1String("not a device key")));
    QCOMPARE(readFileBytes(deviceKeyPath(app.path())), QByteArray("not a key\n"));
}

void TestSigning::deviceIdIsReadableAndStable()
{
    const DeviceKey a = DeviceKey::fromSeed(QByteArray(32, 'a'));
    const DeviceKey b = DeviceKey::fromSeed(QByteArray(32, 'b'));
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-HJKMNP-TV-Z]{4}(-[0-9A-HJKMNP-TV-Z]{4}){3}$"))
                .match(a.deviceId()).hasMatch());
    QCOMPARE(a.deviceId(), deviceIdOf(a.publicKey()));
    QCOMPARE(DeviceKey::fromSeed(QByteArray(32, 'a')).deviceId(), a.deviceId());
    QVERIFY(a.deviceId() != b.deviceId());
}

void TestSigning::sealChainsManifests()
{
    TestAppDir app;
    const Sealed one = sealTest(app, QStringLiteral("Z1"), "hole one");
    const Sealed two = sealTest(app, QStringLiteral("Z2"), "hole two");
    QCOMPARE(one.seal.sequence, 1);
    QCOMPARE(two.seal.sequence, 2);
    QCOMPARE(one.seal.manifestPath, app.file(QStringLiteral("data/Bridge/Z1.SIG")));
    SignedManifest m1, m2;
    QVERIFY(readManifest(readFileBytes(one.seal.manifestPath), &m1, nullptr));
    QVERIFY(readManifest(readFileBytes(two.seal.manifestPath), &m2, nullptr));
    QVERIFY(m1.statement.previousManifest.isEmpty());
    QCOMPARE(m2.statement.previousManifest, sha256Hex(readFileBytes(one.seal.manifestPath)));
    QCOMPARE(m2.statement.projectFolder, QStringLiteral("Bridge"));
    QCOMPARE(m2.statement.project, QStringLiteral("跨江大桥"));
    QCOMPARE(m2.statement.subjects.size(), 2);
    QCOMPARE(m2.statement.subjects.at(0).name, QStringLiteral("Z2.CZO"));
    QCOMPARE(m2.statement.subjects.at(0).sha256, sha256Hex("hole two"));
    QVERIFY(m2.signedBy(m2.statedPublicKey()));
    // Nothing replaced: the statement has the layout it always had.
    QVERIFY(m2.statement.supersedes.isEmpty());
    QVERIFY(!statementToJson(m2.statement).contains("supersedes"));
    // Z1 judged again, twice: each manifest names those it replaced beside
    // the file; Z2's is untouched by them.
    sealTest(app, QStringLiteral("Z1"), "hole one judged");
    const Sealed again = sealTest(app, QStringLiteral("Z1"), "hole one judged again");
    SignedManifest m4;
    QVERIFY(readManifest(readFileBytes(again.seal.manifestPath), &m4, nullptr));
    QCOMPARE(m4.statement.sequence, 4);
    QCOMPARE(m4.statement.supersedes, (QVector<qint64>{1, 3}));
    TestStatement back;
    QVERIFY(statementFromJson(statementToJson(m4.statement), &back, nullptr));
    QCOMPARE(back.supersedes, m4.statement.supersedes);
    // A statement that claims to replace a later number is no manifest.
    TestStatement bad = m4.statement;
    bad.supersedes = {4};
    QString why;
    QVERIFY(!statementFromJson(statementToJson(bad), &back, &why));
    QVERIFY2(why.contains("not an earlier one"), qPrintable(why));
    // Lower-case hole files get a lower-case manifest, as their report.
    QCOMPARE(manifestPathFor(QStringLiteral("/d/z1.czo")), QStringLiteral("/d/z1.sig"));
    QCOMPARE(manifestPathFor(QStringLiteral("/d/Z1")), QStringLiteral("/d/Z1.SIG"));
}

void TestSigning::tamperingIsCaught_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("fault");
    QTest::newRow("hole byte") << "hole" << "Z1.CZO does not match";
    QTest::newRow("report gone") << "nopdf" << "Z1.PDF is missing";
    QTest::newRow("statement edited") << "payload" << "signature does not match";
    QTest::newRow("re-signed by another key") << "otherkey" << "another key";
    QTest::newRow("not an envelope") << "garbage" << "not a signed envelope";
}

void TestSigning::tamperingIsCaught()
{
    QFETCH(QString, change);
    QFETCH(QString, fault);
    TestAppDir app;
    const Sealed s = sealTest(app, QStringLiteral("Z1"), QByteArray(5000, 'x'));
    DeviceKey key;
    QVERIFY(loadOrCreateDeviceKey(app.path(), &key, nullptr));
    QVERIFY(checkSealedFile(s.hole, key.publicKey()).ok());
    const QByteArray sig = readFileBytes(s.seal.manifestPath);
    if (change == QLatin1String("hole")) {
        QByteArray b = readFileBytes(s.hole);
        b[100] = 'y';
        writeFileBytes(s.hole, b);
    } else if (change == QLatin1String("nopdf")) {
        QFile::remove(s.pdf);
    } else if (change == QLatin1String("payload")) {
        // The thickness of a test changed in the statement, signature kept.
        QJsonObject o = QJsonDocument::fromJson(sig).object();
        QByteArray payload = QByteArray::fromBase64(o.value(QStringLiteral("payload")).toString().toLatin1());
        payload.replace("Z1", "Z9");
        o.insert(QStringLiteral("payload"), QString::fromLatin1(payload.toBase64()));
        writeFileBytes(s.seal.manifestPath, QJsonDocument(o).toJson());
    } else if (change == QLatin1String("otherkey")) {
        SignedManifest m;
        QVERIFY(readManifest(sig, &m, nullptr));
        const DeviceKey other = DeviceKey::fromSeed(QByteArray(32, 'o'));
        m.statement.device = other.deviceId();
        m.statement.publicKey = other.publicKeyBase64();
        writeFileBytes(s.seal.manifestPath, signManifest(m.statement, other));
    } else {
        writeFileBytes(s.seal.manifestPath, "{\"payload\": 3}");
    }
    const SealCheck c = checkSealedFile(s.hole, key.publicKey());
    QVERIFY(!c.ok());
    QVERIFY2(c.faults.join(QLatin1Char('|')).contains(fault), qPrintable(c.faults.join(QLatin1Char('|'))));
}

void TestSigning::outboxKeepsSealedBytesInOrder()
{
    TestAppDir app;
    Outbox box(outboxFolder(app.path()));
    QString error;
    for (const QString &name : {QStringLiteral("Z1"), QStringLiteral("Z2")}) {
        const Sealed s = sealTest(app, name, name.toLatin1() + " first");
        QVERIFY2(box.enqueue(s.seal, {s.hole, s.pdf}, QStringLiteral("P"), name, &error), qPrintable(error));
    }
    // Z1 judged again: a new seal, and the queued first one keeps its bytes.
    const QString z1 = app.file(QStringLiteral("data/Bridge/Z1.CZO"));
    replaceByRename(z1, "Z1 judged");
    const Sealed again = sealTest(app, QStringLiteral("Z1"), "Z1 judged");
    QVERIFY(box.enqueue(again.seal, {again.hole, again.pdf}, QStringLiteral("P"), QStringLiteral("Z1"), &error));
    const QVector<OutboxItem> items = box.pending();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items.at(0).sequence, 1);
    QCOMPARE(items.at(2).sequence, 3);
    QCOMPARE(readFileBytes(items.at(0).files.first()), QByteArray("Z1 first"));
    QCOMPARE(readFileBytes(items.at(2).files.first()), QByteArray("Z1 judged"));
    QCOMPARE(sha256Hex(readFileBytes(items.at(0).files.last())), items.at(0).manifestSha256);
    QCOMPARE(items.at(0).holeSha256, sha256Hex("Z1 first"));
    // The sender takes the oldest alone.
    QCOMPARE(box.pending(1).size(), 1);
    QCOMPARE(box.pending(1).first().sequence, 1);
    QVERIFY(box.remove(items.at(1)));
    QCOMPARE(box.count(), 2);
    QCOMPARE(box.pending().at(1).sequence, 3);
    QCOMPARE(box.pending(1).first().sequence, 1);
    // An item of another folder is never removed.
    OutboxItem foreign = items.at(0);
    foreign.folder = app.file(QStringLiteral("data"));
    QVERIFY(!box.remove(foreign));
    QVERIFY(QFileInfo::exists(app.file(QStringLiteral("data"))));
}

void TestSigning::outboxCompletesACutEnqueue()
{
    TestAppDir app;
    Outbox box(outboxFolder(app.path()));
    const Sealed s = sealTest(app, QStringLiteral("Z1"), "hole");
    QVERIFY(box.enqueue(s.seal, {s.hole, s.pdf}, QStringLiteral("P"), QStringLiteral("Z1"), nullptr));
    // Power cut after the item's description, before its rename.
    QDir(box.folder()).rename(QStringLiteral("000000000001"), QStringLiteral(".000000000001.part"));
    // And one cut before its description was written.
    QDir(box.folder()).mkpath(QStringLiteral(".000000000002.part"));
    writeFileBytes(box.folder() + QStringLiteral("/.000000000002.part/Z2.CZO"), "half");
    // Counted as the sender counts, the cut items are mended first.
    QCOMPARE(box.count(), 1);
    const QVector<OutboxItem> items = box.pending();
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.first().sequence, 1);
    QVERIFY(!QFileInfo::exists(box.folder() + QStringLiteral("/.000000000002.part")));
}

void TestSigning::holeToolVerify()
{
    TestAppDir app;
    const Sealed s = sealTest(app, QStringLiteral("Z1"), QByteArray(2000, 'h'));
    DeviceKey key;
    QVERIFY(loadOrCreateDeviceKey(app.path(), &key, nullptr));
    const QString tool = testBinDir() + QStringLiteral("/zpvw-hole");
    ChildRun ok = runChild(tool, {QStringLiteral("verify"), s.hole, QStringLiteral("--key"), key.publicKeyBase64()});
    QCOMPARE(ok.exitCode, 0);
    QVERIFY(ok.out.contains(key.deviceId().toLatin1()));
    QVERIFY(ok.out.contains("Z1.PDF: intact"));
    const ChildRun wrongKey = runChild(
        tool, {QStringLiteral("verify"), s.hole, QStringLiteral("--key"), DeviceKey::fromSeed(QByteArray(32, 'w')).publicKeyBase64()});
    QCOMPARE(wrongKey.exitCode, 1);
    QVERIFY(wrongKey.out.contains("NOT the one given"));
    writeFileBytes(s.pdf, "%PDF other");
    const ChildRun tampered = runChild(tool, {QStringLiteral("verify"), s.hole});
    QCOMPARE(tampered.exitCode, 1);
    QVERIFY(tampered.out.contains("FAULT Z1.PDF does not match"));
    QVERIFY(tampered.out.contains("Z1.CZO: intact"));
    QFile::remove(s.seal.manifestPath);
    QCOMPARE(runChild(tool, {QStringLiteral("verify"), s.hole}).exitCode, 1);
}

void TestSigning::deviceOptionPrintsTheKey()
{
    TestAppDir app;
    const ChildRun run = runChild(testBinDir() + QStringLiteral("/zpvw"), {QStringLiteral("--device")});
    QCOMPARE(run.exitCode, 0);
    DeviceKey key;
    QVERIFY(loadOrCreateDeviceKey(app.path(), &key, nullptr));
    QCOMPARE(run.out, (key.deviceId() + QLatin1Char(' ') + key.publicKeyBase64() + QLatin1Char('\n')).toLatin1());
}

// Pieces of every size around the hand-over size, in one order: the digest
// made on the hashing thread is the digest of all the bytes together.
void TestSigning::pipelinedDigestIsTheWholeDigest_data()
{
    QTest::addColumn<QVector<int>>("pieces");
    QTest::addColumn<bool>("closedEarly");
    QTest::newRow("nothing") << QVector<int>{} << false;
    QTest::newRow("empty pieces") << QVector<int>{0, 0} << true;
    QTest::newRow("one byte") << QVector<int>{1} << false;
    QTest::newRow("just under a piece") << QVector<int>{65535} << true;
    QTest::newRow("exactly a piece") << QVector<int>{65536} << false;
    QTest::newRow("a piece and a byte") << QVector<int>{65536, 1} << true;
    QTest::newRow("small writes") << QVector<int>(3000, 97) << false;
    QTest::newRow("a large write at the end") << QVector<int>{100, 200, 300000, 7} << true;
    QTest::newRow("report-sized") << QVector<int>{1500000} << false;
}

void TestSigning::pipelinedDigestIsTheWholeDigest()
{
    QFETCH(QVector<int>, pieces);
    QFETCH(bool, closedEarly);
    QByteArray all;
    Sha256Pipeline pipeline;
    for (int i = 0; i < pieces.size(); ++i) {
        QByteArray piece(pieces.at(i), '\0');
        for (int j = 0; j < piece.size(); ++j)
            piece[j] = char((i * 131 + j * 7) & 0xff);
        all += piece;
        pipeline.add(piece.constData(), piece.size());
    }
    if (closedEarly) {
        pipeline.close();
        pipeline.add("late", 4); // after close: not part of the file
    }
    QCOMPARE(pipeline.finish().toHex(), sha256Digest(all).toHex());
    QCOMPARE(pipeline.finish().toHex(), sha256Digest(all).toHex()); // asked again

    Sha256Pipeline abandoned;
    abandoned.add(all.constData(), all.size());
    abandoned.abandon();
    QVERIFY(abandoned.finish().isEmpty());
}

// A seal given digests worked out ahead signs those; one whose report bytes
// were abandoned reads the report from the disk instead. Both manifests
// match the files.
void TestSigning::sealTakesDigestsWorkedOutAhead()
{
    TestAppDir app;
    const QString hole = app.file(QStringLiteral("data/Bridge/Z9.CZO"));
    const QString pdf = app.file(QStringLiteral("data/Bridge/Z9.PDF"));
    const QByteArray report = "%PDF-1.4 report of Z9";
    QVERIFY(writeFileBytes(hole, "hole Z9"));
    QVERIFY(writeFileBytes(pdf, report));
    const SealFacts facts{QStringLiteral("跨江大桥"), QStringLiteral("Z9"), QStringLiteral("2026-03-01 10:00:00")};
    for (const bool abandoned : {false, true}) {
        SaveDigests ahead(hole, pdf);
        ahead.report()->add(report.constData(), report.size());
        if (abandoned)
            ahead.report()->abandon();
        SealResult seal;
        QString error;
        QVERIFY2(sealSavedFiles(app.path(), {hole, pdf}, facts, &seal, &error, &ahead), qPrintable(error));
        SignedManifest m;
        QVERIFY(readManifest(readFileBytes(seal.manifestPath), &m, &error));
        const QMap<QString, QByteArray> files{{QStringLiteral("Z9.CZO"), readFileBytes(hole)},
                                              {QStringLiteral("Z9.PDF"), report}};
        QCOMPARE(m.subjectFaults(files), QStringList());
        QCOMPARE(seal.holeSha256, sha256Hex("hole Z9"));
    }
    // Digests that are not those of the files are signed as given, and the
    // check of the manifest then finds the report changed.
    SaveDigests wrong(hole, pdf);
    wrong.report()->add("another report", 14);
    SealResult seal;
    QString error;
    QVERIFY(sealSavedFiles(app.path(), {hole, pdf}, facts, &seal, &error, &wrong));
    SignedManifest m;
    QVERIFY(readManifest(readFileBytes(seal.manifestPath), &m, &error));
    QCOMPARE(m.subjectFaults({{QStringLiteral("Z9.CZO"), readFileBytes(hole)}, {QStringLiteral("Z9.PDF"), report}}).size(), 1);
}

QTEST_GUILESS_MAIN(TestSigning)
#include "tst_signing.moc"
