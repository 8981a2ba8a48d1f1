// The acceptance section of the hole file: a reader that knows only the
// older layout reads every new file to the same values, our reader never
// takes the section for samples, and files without it read as before.

#include "acceptancesection.h"
#include "holefile.h"
#include "testsupport.h"

#include <QtTest>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// A reader of the older layout, written from the documented byte layout
// only: 40-byte header, nine 32-bit table entries at 40, section 1 (five
// 80-byte texts, 10-byte date, 8-byte time) at entry 0, section 2 (58 packed
// bytes) at entry 1, section 3 at entry 8: count n, record size 12, then n
// records of depth (int32), resistivity and raw value (float32), all
// little-endian. It uses n and ignores whatever follows; entries 2..7 are
// reserved and never looked at.
struct OldLayoutFile {
    QByteArray header;
    int32_t table[9] = {};
    QByteArray texts;   // section 1, 418 bytes
    QByteArray numbers; // section 2, 58 bytes
    int32_t count = -1;
    int32_t recordSize = -1;
    struct Rec {
        int32_t depth;
        float res, raw;
    };
    QVector<Rec> records;
    bool ok = false;
};

int32_t le32At(const QByteArray &b, int off)
{
    uint32_t u = 0;
    for (int i = 3; i >= 0; --i)
        u = (u << 8) | uint8_t(b.at(off + i));
    return int32_t(u);
}

float leRealAt(const QByteArray &b, int off)
{
    const int32_t v = le32At(b, off);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

OldLayoutFile readOldLayout(const QByteArray &b)
{
    OldLayoutFile f;
    if (b.size() < 76 || !b.startsWith("KRV"))
        return f;
    f.header = b.left(40);
    for (int i = 0; i < 9; ++i)
        f.table[i] = le32At(b, 40 + 4 * i);
    f.texts = b.mid(f.table[0], 5 * 80 + 10 + 8);
    f.numbers = b.mid(f.table[1], 58);
    const int s = f.table[8];
    if (b.size() < s + 8)
        return f;
    f.count = le32At(b, s);
    f.recordSize = le32At(b, s + 4);
    if (b.size() < s + 8 + qint64(f.count) * f.recordSize)
        return f;
    for (int i = 0; i < f.count; ++i) {
        const int at = s + 8 + i * f.recordSize;
        f.records.append({le32At(b, at), leRealAt(b, at + 4), leRealAt(b, at + 8)});
    }
    f.ok = true;
    return f;
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, 4) == 0; }

CtrlInfo someRecord()
{
    CtrlInfo info;
    info.projectName = QStringLiteral("滨江大桥");
    info.holeNo = QStringLiteral("Z17");
    info.tester = QStringLiteral("李工");
    info.testDate = QStringLiteral("2026-12-10");
    info.testTime = QStringLiteral("10:20:30");
    info.maxDepth = 20000;
    info.holeDepth = 20000;
    info.holeDiameter = 1200;
    info.moveDistance = 50;
    info.sedimentThickness = 3;
    info.holeQuality = 0;
    return info;
}

QVector<Sample> someSamples(int n)
{
    QVector<Sample> v;
    for (int i = 0; i < n; ++i)
        v.append(Sample{20000 - 50 * i, 12.5f + i, 12.0f + i});
    if (n > 2)
        v[1].resistivity = std::numeric_limits<float>::quiet_NaN();
    return v;
}

HoleAcceptance tableBasis()
{
    HoleAcceptance a;
    a.code = QStringLiteral("JGJ 94-2008");
    a.pileType = QStringLiteral("端承桩");
    a.limitMm = 50;
    a.verdict = AcceptanceVerdict::Pass;
    a.position = MeasuringPosition::XPrime;
    a.sequence = 2;
    return a;
}

} // namespace

Q_DECLARE_METATYPE(HoleAcceptance)

class TestAcceptanceFile : public QObject {
    Q_OBJECT
private slots:
    void oldReaderReadsNewFiles_data();
    void oldReaderReadsNewFiles();
    void withoutAcceptanceDataTheLayoutIsUnchanged();
    void progressSaveWritesTheSection();
    void announcedCountNeverReachesTheSection_data();
    void announcedCountNeverReachesTheSection();
    void olderFilesReadAsBefore();
    void damagedSections_data();
    void damagedSections();
    void unknownEntriesAreSkipped();
    void notJudgedIsMarkedOnlyWhileWaiting();
    void overrideReasonOnlyWithAnOverride();
};

void TestAcceptanceFile::oldReaderReadsNewFiles_data()
{
    QTest::addColumn<HoleAcceptance>("acceptance");
    QTest::addColumn<int>("samples");
    HoleAcceptance design;
    design.designLimitMm = 80;
    design.limitMm = 80;
    design.verdict = AcceptanceVerdict::Fail;
    design.overridden = true;
    HoleAcceptance onlyPosition;
    onlyPosition.position = MeasuringPosition::Centre;
    HoleAcceptance longTexts = tableBasis();
    longTexts.code = QString(300, QChar(0x6865)); // longer than any old field
    QTest::newRow("table basis, pass, X', second test") << tableBasis() << 40;
    QTest::newRow("design value, fail, overridden") << design << 3;
    HoleAcceptance withReason = design;
    withReason.overrideReason = OverrideReason::SupervisorConfirmed;
    QTest::newRow("overridden with a reason") << withReason << 3;
    QTest::newRow("position only") << onlyPosition << 1;
    QTest::newRow("no samples") << tableBasis() << 0;
    QTest::newRow("long texts") << longTexts << 200;
    HoleAcceptance waiting;
    waiting.awaitingJudgement = true;
    QTest::newRow("a test not judged yet") << waiting << 5;
}

// Every new file reads, with the older layout's reader, to the same header,
// the same bytes of sections 1 and 2, the same sample count and values as
// the file of the same test without acceptance fields; our reader gives
// back the fields and exactly the samples.
void TestAcceptanceFile::oldReaderReadsNewFiles()
{
    QFETCH(HoleAcceptance, acceptance);
    QFETCH(int, samples);
    CtrlInfo info = someRecord();
    const QVector<Sample> v = someSamples(samples);
    const QByteArray plain = encodeHoleFile(info, v);
    info.acceptance = acceptance;
    const QByteArray withSection = encodeHoleFile(info, v);
    QVERIFY(withSection.size() > plain.size());

    const OldLayoutFile a = readOldLayout(plain);
    const OldLayoutFile b = readOldLayout(withSection);
    QVERIFY(a.ok);
    QVERIFY(b.ok);
    QCOMPARE(b.header, a.header);
    for (int i : {0, 1, 8})
        QCOMPARE(b.table[i], a.table[i]);
    QCOMPARE(b.texts, a.texts);
    QCOMPARE(b.numbers, a.numbers);
    QCOMPARE(b.count, samples);
    QCOMPARE(b.recordSize, 12);
    QCOMPARE(b.records.size(), samples);
    for (int i = 0; i < samples; ++i) {
        QCOMPARE(b.records[i].depth, v[i].depth);
        QVERIFY(sameBits(b.records[i].res, v[i].resistivity));
        QVERIFY(sameBits(b.records[i].raw, v[i].rawResistivity));
    }
    // The section starts right after the last sample and entry 2 names it.
    QCOMPARE(b.table[AcceptanceSection::TableEntry], int32_t(plain.size()));
    QCOMPARE(withSection.left(plain.size()).mid(40 + 36), plain.mid(40 + 36));

    TestAppDir dir;
    const QString path = dir.file(QStringLiteral("Z17-2.CZO"));
    QVERIFY(writeFileBytes(path, withSection));
    CtrlInfo back;
    const HoleLoadResult r = readHoleFile(path, back);
    QVERIFY(r.ok);
    QVERIFY(r.hasAcceptance);
    QVERIFY(!r.samplesTruncated);
    QCOMPARE(r.samples.size(), samples);
    for (int i = 0; i < samples; ++i)
        QVERIFY(sameBits(r.samples[i].resistivity, v[i].resistivity) && r.samples[i].depth == v[i].depth);
    QVERIFY(back.acceptance == acceptance);
    QCOMPARE(back.projectName.get(), info.projectName.get());
}

// A record with nothing to accept is stored exactly in the older layout:
// entry 2 stays 0 and the file ends after the last sample.
void TestAcceptanceFile::withoutAcceptanceDataTheLayoutIsUnchanged()
{
    CtrlInfo info = someRecord();
    const QByteArray b = encodeHoleFile(info, someSamples(3));
    QCOMPARE(b.size(), 560 + 12 * 3);
    for (int i = 2; i < 8; ++i)
        QCOMPARE(le32At(b, 40 + 4 * i), 0);
    TestAppDir dir;
    QVERIFY(writeFileBytes(dir.file(QStringLiteral("A.CZO")), b));
    CtrlInfo back;
    back.acceptance = tableBasis(); // left over from an earlier file
    const HoleLoadResult r = readHoleFile(dir.file(QStringLiteral("A.CZO")), back);
    QVERIFY(r.ok);
    QVERIFY(!r.hasAcceptance);
    QVERIFY(back.acceptance == HoleAcceptance());
}

// The end-of-test save, sample by sample with its progress bar, writes the
// same bytes as the plain save, the section included.
void TestAcceptanceFile::progressSaveWritesTheSection()
{
    TestAppDir dir;
    CtrlInfo info = someRecord();
    info.acceptance = tableBasis();
    const QVector<Sample> v = someSamples(7);
    HoleSaveOptions o;
    o.sync = false;
    o.progressWaitMs = 0;
    int calls = 0;
    o.progress = [&](int) { ++calls; };
    QVERIFY(saveHoleFile(dir.file(QStringLiteral("P")), info, v, o));
    QCOMPARE(calls, 7);
    QCOMPARE(readFileBytes(dir.file(QStringLiteral("P.CZO"))), encodeHoleFile(info, v));
}

void TestAcceptanceFile::announcedCountNeverReachesTheSection_data()
{
    QTest::addColumn<int>("announced");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("truncated");
    QTest::newRow("as written") << 5 << 5 << false;
    QTest::newRow("one more") << 6 << 5 << true;
    QTest::newRow("far more") << 1000000 << 5 << true;
    QTest::newRow("fewer") << 2 << 2 << false;
}

// A count larger than the samples present stops at the section, not at the
// end of the file.
void TestAcceptanceFile::announcedCountNeverReachesTheSection()
{
    QFETCH(int, announced);
    QFETCH(int, expected);
    QFETCH(bool, truncated);
    CtrlInfo info = someRecord();
    info.acceptance = tableBasis();
    QByteArray b = encodeHoleFile(info, someSamples(5));
    const QByteArray count = QByteArray::fromRawData(reinterpret_cast<const char *>(&announced), 4);
    b.replace(HoleFile::SamplesOffset, 4, count); // little-endian machine, as the layout
    CtrlInfo back;
    const HoleLoadResult r = decodeHoleFile(b, back);
    QVERIFY(r.ok);
    QCOMPARE(r.samples.size(), expected);
    QCOMPARE(r.samplesTruncated, truncated);
    QVERIFY(back.acceptance == tableBasis());
}

// A file of the older layout with bytes left behind its last sample (an old
// writer over a longer file) and a count larger than its samples: the
// samples come out as before, to the end of the data, and no acceptance
// fields are invented.
void TestAcceptanceFile::olderFilesReadAsBefore()
{
    CtrlInfo info = someRecord();
    QByteArray b = encodeHoleFile(info, someSamples(4));
    CtrlInfo back;
    HoleLoadResult r = decodeHoleFile(b, back);
    QVERIFY(r.ok);
    QCOMPARE(r.samples.size(), 4);
    QVERIFY(!r.hasAcceptance);
    QVERIFY(back.acceptance == HoleAcceptance());

    // Bytes that even look like a section, with entry 2 at 0: no section,
    // but bytes after the layout, so the file is damaged.
    CtrlInfo other = someRecord();
    other.acceptance = tableBasis();
    const QByteArray stale = AcceptanceSection::encode(other.acceptance);
    r = decodeHoleFile(b + stale, back);
    QVERIFY(!r.ok);
    QCOMPARE(r.error, HoleLoadError::TrailingBytes);
    QCOMPARE(r.trailingBytes, qint64(stale.size()));
    b += stale;

    const int32_t more = 100;
    b.replace(HoleFile::SamplesOffset, 4, QByteArray::fromRawData(reinterpret_cast<const char *>(&more), 4));
    r = decodeHoleFile(b, back);
    QVERIFY(r.ok);
    QVERIFY(r.samplesTruncated);
    QCOMPARE(r.samples.size(), (b.size() - 560) / 12); // as before: complete samples to the end
}

void TestAcceptanceFile::damagedSections_data()
{
    QTest::addColumn<int>("entry");      // value of table entry 2, -1: the real offset
    QTest::addColumn<QByteArray>("tail"); // what follows the samples
    QTest::addColumn<bool>("has"); // false: the bytes are no section, the file is damaged
    CtrlInfo info = someRecord();
    info.acceptance = tableBasis();
    const QByteArray good = AcceptanceSection::encode(info.acceptance);
    QByteArray hugeSize = good;
    const int32_t huge = 0x7FFFFFF0;
    hugeSize.replace(8, 4, QByteArray::fromRawData(reinterpret_cast<const char *>(&huge), 4));
    QByteArray badEntry = good;
    const int32_t neg = -5;
    badEntry.replace(16, 4, QByteArray::fromRawData(reinterpret_cast<const char *>(&neg), 4));
    QTest::newRow("intact") << -1 << good << true;
    QTest::newRow("cut short") << -1 << good.left(good.size() - 3) << false;
    QTest::newRow("only the tag") << -1 << good.left(6) << false;
    QTest::newRow("wrong tag") << -1 << (QByteArray("XXXX") + good.mid(4)) << false;
    QTest::newRow("size past the end") << -1 << hugeSize << false;
    QTest::newRow("entry with negative length") << -1 << badEntry << true;
    QTest::newRow("offset past the end") << 100000 << good << false;
    QTest::newRow("offset inside the samples") << 600 << good << true; // cuts the samples there
    QTest::newRow("negative offset") << -7 << good << false;
}

// Damaged or forged sections never break the read: the samples stay the
// complete ones before the section (or to the end of the file when there
// is none) and nothing reads outside the file.
void TestAcceptanceFile::damagedSections()
{
    QFETCH(int, entry);
    QFETCH(QByteArray, tail);
    QFETCH(bool, has);
    CtrlInfo info = someRecord();
    QByteArray b = encodeHoleFile(info, someSamples(6)); // no section of its own
    const int32_t offset = entry == -1 ? b.size() : entry;
    b.replace(40 + 4 * AcceptanceSection::TableEntry, 4,
              QByteArray::fromRawData(reinterpret_cast<const char *>(&offset), 4));
    if (entry == 600) // a section right inside the sample data
        b.replace(600, tail.size(), tail);
    else
        b += tail;
    CtrlInfo back;
    const HoleLoadResult r = decodeHoleFile(b, back);
    if (!has) {
        // No section there: the bytes after the samples are damage.
        QVERIFY(!r.ok);
        QCOMPARE(r.error, HoleLoadError::TrailingBytes);
        QVERIFY(back.acceptance == HoleAcceptance());
        return;
    }
    QVERIFY(r.ok);
    QCOMPARE(r.hasAcceptance, has);
    if (entry == 600)
        QCOMPARE(r.samples.size(), (600 - 560) / 12);
    else
        QCOMPARE(r.samples.size(), 6);
}

// A later layout may add entries: a reader of this one skips them and keeps
// the fields it knows, before and after.
void TestAcceptanceFile::unknownEntriesAreSkipped()
{
    HoleAcceptance a = tableBasis();
    QByteArray s = AcceptanceSection::encode(a);
    auto le = [](int32_t v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
    const QByteArray extra = QByteArray("NEWK") + le(5) + QByteArray("abcde") + QByteArray("LIMT") + le(2) + "xy";
    s.insert(AcceptanceSection::HeaderSize, extra);
    s.replace(8, 4, le(s.size()));
    HoleAcceptance back;
    QVERIFY(AcceptanceSection::decode(s, &back));
    QVERIFY(back == a);
}


// Only a test still waiting for its judgement carries the mark: a judged
// test's section keeps the bytes it had before the mark existed, and such a
// section (or one written before) reads as judged.
void TestAcceptanceFile::notJudgedIsMarkedOnlyWhileWaiting()
{
    HoleAcceptance judged = tableBasis();
    const QByteArray plain = AcceptanceSection::encode(judged);
    QVERIFY(!plain.contains("PEND"));
    HoleAcceptance back;
    QVERIFY(AcceptanceSection::decode(plain, &back));
    QVERIFY(!back.awaitingJudgement);

    HoleAcceptance waiting = judged;
    waiting.verdict = AcceptanceVerdict::NotJudged;
    waiting.awaitingJudgement = true;
    const QByteArray marked = AcceptanceSection::encode(waiting);
    QVERIFY(marked.contains("PEND"));
    QVERIFY(AcceptanceSection::decode(marked, &back));
    QVERIFY(back.awaitingJudgement);
    QVERIFY(!back.judged());
    // A verdict beside the mark (a forged or inconsistent section) still
    // counts as no judgement.
    waiting.verdict = AcceptanceVerdict::Pass;
    QVERIFY(AcceptanceSection::decode(AcceptanceSection::encode(waiting), &back));
    QVERIFY(!back.judged());
}

// The reason is a new entry, written only with an override: a judged test
// without one keeps the bytes it always had, and the reason reads back.
void TestAcceptanceFile::overrideReasonOnlyWithAnOverride()
{
    HoleAcceptance overridden = tableBasis();
    overridden.verdict = AcceptanceVerdict::Fail;
    overridden.overridden = true;
    const QByteArray before = AcceptanceSection::encode(overridden);
    QVERIFY(!before.contains("OVRS"));

    HoleAcceptance notOverridden = tableBasis();
    notOverridden.overrideReason = OverrideReason::DesignChange; // stray: never written
    QCOMPARE(AcceptanceSection::encode(notOverridden), AcceptanceSection::encode(tableBasis()));

    overridden.overrideReason = OverrideReason::SupervisorConfirmed;
    const QByteArray withReason = AcceptanceSection::encode(overridden);
    QCOMPARE(withReason.size(), before.size() + 12); // one int32 entry more, nothing else moved
    QCOMPARE(withReason.mid(AcceptanceSection::HeaderSize, before.size() - AcceptanceSection::HeaderSize),
             before.mid(AcceptanceSection::HeaderSize));
    HoleAcceptance back;
    QVERIFY(AcceptanceSection::decode(withReason, &back));
    QCOMPARE(back, overridden);
}

QTEST_MAIN(TestAcceptanceFile)
#include "tst_acceptancefile.moc"
