#include "atomicfile.h"
#include "ctrlinfo.h"
#include "gbktext.h"
#include "holefile.h"
#include "holefixture.h"
#include "paramfile.h"
#include "paramgolden.h"
#include "projectfolder.h"
#include "platform.h"
#include "recordstyle.h"
#include "sysconfig.h"
#include "testrecord.h"
#include "testsupport.h"

#include <QDataStream>
#include <QDir>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <cstring>
#include <limits>

namespace {
QString u(const char *utf8) { return QString::fromUtf8(utf8); }

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

Fixture::Hole distinctFixture()
{
    Fixture::Hole h;
    h.projectName = u("桥梁工程");
    h.holeNo = QStringLiteral("A12");
    h.testUnit = u("检测单位");
    h.constructionUnit = u("施工单位");
    h.tester = u("张三");
    h.testDate = QStringLiteral("2024-05-06");
    h.testTime = QStringLiteral("07:08:09");
    h.maxDepth = 31000;
    h.holeDiameter = 1500;
    h.holeDepth = 30500;
    h.elevation = -1200;
    h.moveDistance = 100;
    h.offsetAngle = -45;
    h.mode = SampleModes::Manual6;
    h.wheelD = 64;
    h.lineD = 8;
    h.winchSpeed = 9;
    h.spare1 = 0.1f;
    h.spare2 = -2.5e-7f;
    h.holeQuality = 1;
    h.sedimentThickness = 42;
    h.rows = {{30500, 12.5f, 12.25f}, {30400, 0.1f, 7.0f}, {-3, -1.0f, 3.4e38f}};
    return h;
}

// The record a fixture file stands for.
CtrlInfo recordOf(const Fixture::Hole &h)
{
    CtrlInfo c;
    c.projectName = h.projectName;
    c.holeNo = h.holeNo;
    c.testUnit = h.testUnit;
    c.constructionUnit = h.constructionUnit;
    c.tester = h.tester;
    c.testDate = h.testDate;
    c.testTime = h.testTime;
    c.maxDepth = h.maxDepth;
    c.holeDiameter = h.holeDiameter;
    c.holeDepth = h.holeDepth;
    c.elevation = h.elevation;
    c.moveDistance = h.moveDistance;
    c.offsetAngle = h.offsetAngle;
    c.sampleMode = h.mode;
    c.wheelD = h.wheelD;
    c.lineD = h.lineD;
    c.winchSpeed = h.winchSpeed;
    c.spareValue1 = h.spare1;
    c.spareValue2 = h.spare2;
    c.holeQuality = h.holeQuality;
    c.sedimentThickness = h.sedimentThickness;
    return c;
}

// A record whose every stored field differs from the defaults and from its
// neighbours, so that a swapped or shifted field shows.
CtrlInfo distinctRecord() { return recordOf(distinctFixture()); }

// Colours and fonts of every kind the stream knows, beside distinctRecord().
CtrlInfo goldenRecord()
{
    CtrlInfo c = distinctRecord();
    c.projectPath = u("项目目录");
    c.curHoleName = u("二号");
    c.lastHoleNo = u("一号");
    c.displayFlag = 3;
    c.savedFlag = 5;
    c.brightness = 2;
    c.screensaverSeconds = 99;
    c.colors[0] = toStoredColor(QColor(1, 2, 3, 4));
    c.colors[1] = toStoredColor(QColor::fromHsv(120, 200, 100, 50));
    c.colors[2] = toStoredColor(QColor());
    c.colors[3] = toStoredColor(QColor::fromRgba64(1, 2, 3, 4));
    c.colors[4] = toStoredColor(QColor::fromCmyk(10, 20, 30, 40));
    c.colors[5] = toStoredColor(QColor::fromHsl(300, 10, 250));
    c.colors[6] = toStoredColor(QColor(200, 100, 50));
    c.fonts[0] = toFontBytes(QFont(QStringLiteral("Serif"), 40, QFont::Bold, true));
    QFont px(u("宋体"));
    px.setPixelSize(21);
    px.setUnderline(true);
    px.setStrikeOut(true);
    c.fonts[1] = toFontBytes(px);
    QFont odd(QStringLiteral("Mono"));
    odd.setPointSizeF(10.5);
    odd.setStyleHint(QFont::TypeWriter, QFont::NoAntialias);
    odd.setFixedPitch(true);
    odd.setKerning(false);
    odd.setStyle(QFont::StyleOblique);
    c.fonts[2] = toFontBytes(odd);
    c.acceptance.designLimitMm = 80;
    c.acceptance.code = u("JTG/T 3650-2020");
    c.acceptance.pileType = u("摩擦桩");
    c.acceptance.position = MeasuringPosition::XPrime;
    return c;
}

QVector<Sample> toSamples(const QVector<Fixture::Row> &rows)
{
    QVector<Sample> v;
    for (const Fixture::Row &r : rows) {
        Sample s;
        s.depth = r.depth;
        s.resistivity = r.resistivity;
        s.rawResistivity = r.raw;
        v.append(s);
    }
    return v;
}

bool sameSamples(const QVector<Sample> &a, const QVector<Sample> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].depth != b[i].depth || !sameBits(a[i].resistivity, b[i].resistivity)
            || !sameBits(a[i].rawResistivity, b[i].rawResistivity))
            return false;
    }
    return true;
}

HoleSaveOptions quiet()
{
    HoleSaveOptions o;
    o.sync = false;
    return o;
}

// The stored fields of the hole file, in file order, with their place.
struct HoleField {
    const char *name;
    int offset;
    int size;
    std::function<QString(const CtrlInfo &)> value;
};

template <typename T>
QString num(T v) { return QString::number(v); }

QVector<HoleField> holeFields()
{
    auto text = [](SharedText CtrlInfo::*f) { return [f](const CtrlInfo &c) { return (c.*f).get(); }; };
    auto word = [](SharedValue<int32_t> CtrlInfo::*f) { return [f](const CtrlInfo &c) { return num(int32_t(c.*f)); }; };
    auto real = [](SharedValue<float> CtrlInfo::*f) {
        return [f](const CtrlInfo &c) { float v = c.*f; uint32_t b; std::memcpy(&b, &v, 4); return num(b); };
    };
    return {
        {"projectName", 76, 80, text(&CtrlInfo::projectName)},
        {"holeNo", 156, 80, text(&CtrlInfo::holeNo)},
        {"testUnit", 236, 80, text(&CtrlInfo::testUnit)},
        {"constructionUnit", 316, 80, text(&CtrlInfo::constructionUnit)},
        {"tester", 396, 80, text(&CtrlInfo::tester)},
        {"testDate", 476, 10, text(&CtrlInfo::testDate)},
        {"testTime", 486, 8, text(&CtrlInfo::testTime)},
        {"maxDepth", 494, 4, word(&CtrlInfo::maxDepth)},
        {"holeDiameter", 498, 4, word(&CtrlInfo::holeDiameter)},
        {"holeDepth", 502, 4, word(&CtrlInfo::holeDepth)},
        {"elevation", 506, 4, word(&CtrlInfo::elevation)},
        {"moveDistance", 510, 4, word(&CtrlInfo::moveDistance)},
        {"offsetAngle", 514, 4, word(&CtrlInfo::offsetAngle)},
        {"sampleMode", 518, 1, word(&CtrlInfo::sampleMode)},
        {"wheelD", 519, 4, word(&CtrlInfo::wheelD)},
        {"lineD", 523, 4, word(&CtrlInfo::lineD)},
        {"winchSpeed", 527, 1, word(&CtrlInfo::winchSpeed)},
        {"spareValue1", 528, 4, real(&CtrlInfo::spareValue1)},
        {"spareValue2", 532, 4, real(&CtrlInfo::spareValue2)},
        {"holeQuality", 536, 4, word(&CtrlInfo::holeQuality)},
        {"sedimentThickness", 540, 4, word(&CtrlInfo::sedimentThickness)},
    };
}

// A record whose stored fields all differ from distinctRecord().
CtrlInfo sentinelRecord()
{
    Fixture::Hole h;
    h.projectName = QStringLiteral("old project");
    h.holeNo = QStringLiteral("old hole");
    h.testUnit = QStringLiteral("old unit");
    h.constructionUnit = QStringLiteral("old builder");
    h.tester = QStringLiteral("old tester");
    h.testDate = QStringLiteral("1999-01-01");
    h.testTime = QStringLiteral("01:01:01");
    h.maxDepth = 1;
    h.holeDiameter = 2;
    h.holeDepth = 3;
    h.elevation = 4;
    h.moveDistance = 5;
    h.offsetAngle = 6;
    h.wheelD = 7;
    h.lineD = 8000;
    h.winchSpeed = 11;
    h.spare1 = 12.0f;
    h.spare2 = 13.0f;
    h.holeQuality = 14;
    h.sedimentThickness = 15;
    CtrlInfo c = recordOf(h);
    c.sampleMode = 99; // no mode
    return c;
}
} // namespace

class TestRecords : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_info = CtrlInfo();
        samples.clear();
        resetSysBaseConfig();
    }

    // Test record
    void depthsFollowRaisedDistance_data();
    void depthsFollowRaisedDistance();
    void markSediment_data();
    void markSediment();
    void editResistivityKeepsRawThroughFile();

    // Hole data file: layout
    void layoutMatchesHandBuiltFile();
    void headerOfThreeSampleFile();
    void negativeZeroStoredAsZero();
    void progressSaveWritesSameBytes();
    void syncRuns();
    void extensionRule_data();
    void extensionRule();
    void gbkFields_data();
    void gbkFields();
    void modeCodes_data();
    void modeCodes();
    void saveReplacesLongerFileWhole();

    // Hole data file: reading
    void readsHandBuiltFile();
    void refusals_data();
    void refusals();
    void shortFilesFieldByField();
    void sampleCountNotTrusted_data();
    void sampleCountNotTrusted();
    void recordSizes_data();
    void recordSizes();
    void loadIntoSampleList();
    void missingSampleSectionKeepsFieldsRead();

    // Hole data file: interruption and failures
    void interruptedSaveKeepsOldFile();
    void interruptedFirstSaveLeavesNoFile();
    void interruptedProgressSave();
    void saveFailures();
    void judgedReviewRewritesFile();
    void saveWhileSamplesArrive();

    // Test-parameter file
    void paramsMissingFileGivesDefaults();
    void paramsRoundTrip_data();
    void paramsRoundTrip();
    void paramsStreamLayout();
    void paramsForeignVersionDeleted();
    void paramsBasisTail_data();
    void paramsBasisTail();
    void paramsUnsafeProjectFolderRefused_data();
    void paramsUnsafeProjectFolderRefused();
    void paramsStaleLongerFile();
    void paramsCutShortGivesDefaults();
    void paramsFontsFollowScreen_data();
    void paramsFontsFollowScreen();
    void paramsBytesAsBefore();

    // Display colours and fonts of the record
    void displayDefaults();
    void streamedFontIsQFontsBytes_data();
    void streamedFontIsQFontsBytes();
    void colourConversions_data();
    void colourConversions();

private:
    // The record and the list a review fills, as the session's.
    CtrlInfo m_info;
    SampleList samples;
};

// ---- Test record ---------------------------------------------------------

void TestRecords::depthsFollowRaisedDistance_data()
{
    QTest::addColumn<int>("raised");
    QTest::addColumn<int>("holeDepth");
    QTest::addColumn<bool>("fromTop");
    QTest::addColumn<int>("depth");
    QTest::newRow("at the bottom") << 0 << 20000 << false << 20000;
    QTest::newRow("one step up") << 50 << 20000 << false << 19950;
    QTest::newRow("at the top") << 20000 << 20000 << false << 0;
    QTest::newRow("counted from the top") << 50 << 20000 << true << 50;
    QTest::newRow("deep hole, no overflow") << 1 << 200000 << false << 199999;
}

void TestRecords::depthsFollowRaisedDistance()
{
    QFETCH(int, raised);
    QFETCH(int, holeDepth);
    QFETCH(bool, fromTop);
    QFETCH(int, depth);
    QCOMPARE(depthForRaisedDistance(raised, holeDepth, fromTop), depth);
}

void TestRecords::markSediment_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("marked");
    QTest::addColumn<int>("thickness");
    QTest::newRow("whole") << 19650 << 0 << true << 35;
    QTest::newRow("cut toward zero") << 19655 << 0 << true << 34;
    QTest::newRow("below the bottom") << 20030 << 0 << true << -3;
    QTest::newRow("damaged depth") << std::numeric_limits<int32_t>::min() << 0 << true
                                   << int((20000LL - std::numeric_limits<int32_t>::min()) / 10);
    QTest::newRow("no selection") << 19650 << -1 << false << 77;
    QTest::newRow("past the end") << 19650 << 1 << false << 77;
}

void TestRecords::markSediment()
{
    QFETCH(int, depth);
    QFETCH(int, index);
    QFETCH(bool, marked);
    QFETCH(int, thickness);
    m_info.maxDepth = 20000;
    m_info.sedimentThickness = 77;
    samples.append(depth, 1.0f);
    QCOMPARE(markSedimentPosition(m_info, samples, index), marked);
    QCOMPARE(int32_t(m_info.sedimentThickness), thickness);
}

void TestRecords::editResistivityKeepsRawThroughFile()
{
    TestAppDir dir;
    samples.append(20000, 4.0f);
    samples.append(19950, 5.0f);
    QVERIFY(!samples.editResistivity(2, 1.0f)); // no such sample
    QVERIFY(samples.editResistivity(0, 9.5f));
    const QString path = dir.file(QStringLiteral("h.CZO"));
    QVERIFY(saveHoleFile(path, m_info, samples.snapshot(), quiet()));
    CtrlInfo info;
    const HoleLoadResult r = readHoleFile(path, info);
    QVERIFY(r.ok);
    QCOMPARE(r.samples.size(), 2);
    QCOMPARE(r.samples[0].resistivity, 9.5f);
    QCOMPARE(r.samples[0].rawResistivity, 4.0f);
    QCOMPARE(r.samples[1].resistivity, 5.0f);
}

// ---- Hole data file: layout ----------------------------------------------

void TestRecords::layoutMatchesHandBuiltFile()
{
    TestAppDir dir;
    const Fixture::Hole h = distinctFixture();
    const QString path = dir.file(QStringLiteral("A12.CZO"));
    QVERIFY(saveHoleFile(path, distinctRecord(), toSamples(h.rows), quiet()));
    const QByteArray written = readFileBytes(path);
    const QByteArray expected = Fixture::bytes(h);
    QCOMPARE(written.size(), 596);
    for (int i = 0; i < expected.size(); ++i) {
        if (written.at(i) != expected.at(i))
            QFAIL(qPrintable(QStringLiteral("first difference at byte %1").arg(i)));
    }
    QCOMPARE(encodeHoleFile(distinctRecord(), toSamples(h.rows)), expected);
}

void TestRecords::headerOfThreeSampleFile()
{
    TestAppDir dir;
    const QString path = dir.file(QStringLiteral("x.CZO"));
    QVector<Sample> three(3);
    QVERIFY(saveHoleFile(path, m_info, three, quiet()));
    const QByteArray b = readFileBytes(path);
    QCOMPARE(b.size(), 596);
    QCOMPARE(b.left(21), QByteArray("KRV-CZ-2.0.0-20151030"));
    QCOMPARE(b.mid(21, 19), QByteArray(19, ' '));
    QCOMPARE(b.mid(40, 36), Fixture::le32(76) + Fixture::le32(494) + QByteArray(24, '\0') + Fixture::le32(552));
    QCOMPARE(b.mid(552, 4), Fixture::le32(3));
    QCOMPARE(b.mid(556, 4), Fixture::le32(12));
}

void TestRecords::negativeZeroStoredAsZero()
{
    TestAppDir dir;
    const QString path = dir.file(QStringLiteral("z.CZO"));
    QVector<Sample> v(2);
    v[0] = {20000, -0.0f, -0.0f};
    v[1] = {19950, -1.5f, 2.0f};
    QVERIFY(saveHoleFile(path, m_info, v, quiet()));
    const QByteArray b = readFileBytes(path);
    // Sample records follow the count and the record size at 552.
    QCOMPARE(b.mid(560, 12).toHex(), (Fixture::le32(20000) + QByteArray(8, '\0')).toHex());
    QCOMPARE(b.mid(576, 4).toHex(), QByteArray("0000c0bf")); // -1.5 stays negative
    const QByteArray image = encodeHoleFile(m_info, v);
    QCOMPARE(image.mid(560, 12), b.mid(560, 12));
}

void TestRecords::progressSaveWritesSameBytes()
{
    TestAppDir dir;
    const Fixture::Hole h = distinctFixture();
    QVector<int> seen;
    HoleSaveOptions o = quiet();
    o.progress = [&seen](int p) { seen.append(p); };
    const QString path = dir.file(QStringLiteral("p.CZO"));
    QVERIFY(saveHoleFile(path, distinctRecord(), toSamples(h.rows), o));
    QCOMPARE(readFileBytes(path), Fixture::bytes(h));
    QCOMPARE(seen, (QVector<int>{0, 33, 66}));
}

void TestRecords::syncRuns()
{
    TestAppDir dir;
    ScopedCommandRecorder rec;
    QVERIFY(saveHoleFile(dir.file(QStringLiteral("s")), m_info, {}));
    QCOMPARE(rec.recorder.commands(), (QStringList{"sync", "sync", "sync"}));
    rec.recorder.clear();
    QVERIFY(saveHoleFile(dir.file(QStringLiteral("s")), m_info, {}, quiet()));
    QVERIFY(rec.recorder.commands().isEmpty());
    // A save that fails does not pretend to have reached the disk.
    QVERIFY(!saveHoleFile(dir.file(QStringLiteral("missing/s")), m_info, {}));
    QVERIFY(rec.recorder.commands().isEmpty());
}

void TestRecords::extensionRule_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("stored");
    QTest::newRow("plain") << "A12" << "A12.CZO";
    QTest::newRow("upper") << "A12.CZO" << "A12.CZO";
    QTest::newRow("lower") << "A12.czo" << "A12.czo";
    QTest::newRow("mixed") << "A12.cZo" << "A12.cZo";
    QTest::newRow("no dot") << "A12czo" << "A12czo.CZO";
    QTest::newRow("other extension") << "A12.CZ" << "A12.CZ.CZO";
    QTest::newRow("inner dot") << "1#.5" << "1#.5.CZO";
    QTest::newRow("chinese") << u("一号") << u("一号.CZO");
}

void TestRecords::extensionRule()
{
    QFETCH(QString, given);
    QFETCH(QString, stored);
    TestAppDir dir;
    QCOMPARE(withHoleExtension(dir.file(given)), dir.file(stored));
    QVERIFY(saveHoleFile(dir.file(given), m_info, {}, quiet()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{stored});
    CtrlInfo info;
    const HoleLoadResult r = readHoleFile(dir.file(given), info);
    QVERIFY(r.ok);
    QCOMPARE(r.path, dir.file(stored));
}

void TestRecords::gbkFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("loaded");
    const QByteArray zhong = Fixture::gbk(u("中"));
    QTest::newRow("two chinese") << u("项目") << Fixture::gbk(u("项目")) + QByteArray(76, ' ') << u("项目");
    QTest::newRow("90 ascii bytes") << QString(90, QLatin1Char('x')) << QByteArray(80, 'x') << QString(80, QLatin1Char('x'));
    QTest::newRow("45 chinese, cut even") << QString(45, u("中").at(0)) << zhong.repeated(40) << QString(40, u("中").at(0));
    QTest::newRow("odd cut keeps whole characters")
        << QStringLiteral("a") + QString(45, u("中").at(0)) << QByteArray("a") + zhong.repeated(39) + ' '
        << QStringLiteral("a") + QString(39, u("中").at(0));
    QTest::newRow("exactly 80") << QString(40, u("中").at(0)) << zhong.repeated(40) << QString(40, u("中").at(0));
    QTest::newRow("empty") << QString() << QByteArray(80, ' ') << QString();
    QTest::newRow("mixed") << u("1#桩 B") << Fixture::padded(Fixture::gbk(u("1#桩 B")), 80, ' ') << u("1#桩 B");
}

void TestRecords::gbkFields()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, field);
    QFETCH(QString, loaded);
    QCOMPARE(field.size(), 80);
    TestAppDir dir;
    CtrlInfo c;
    c.projectName = text;
    c.tester = text;
    const QString path = dir.file(QStringLiteral("g.CZO"));
    QVERIFY(saveHoleFile(path, c, {}, quiet()));
    const QByteArray b = readFileBytes(path);
    QCOMPARE(b.mid(76, 80), field);
    QCOMPARE(b.mid(396, 80), field);
    CtrlInfo back;
    QVERIFY(readHoleFile(path, back).ok);
    QCOMPARE(back.projectName.get(), loaded);
    QCOMPARE(back.tester.get(), loaded);
    QCOMPARE(c.projectName.get(), text); // the record keeps the full text
}

void TestRecords::modeCodes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("code");
    for (int i = 0; i <= SampleModes::Wireless; ++i)
        QTest::newRow(qPrintable(SampleModes::sourceText(i))) << i << i;
    QTest::newRow("unknown mode") << -1 << 0;
}

void TestRecords::modeCodes()
{
    QFETCH(int, mode);
    QFETCH(int, code);
    TestAppDir dir;
    CtrlInfo c;
    c.sampleMode = mode;
    const QString path = dir.file(QStringLiteral("m.CZO"));
    QVERIFY(saveHoleFile(path, c, {}, quiet()));
    const QByteArray b = readFileBytes(path);
    QCOMPARE(int(uint8_t(b.at(518))), code);
    QCOMPARE(b.mid(544, 4), Fixture::le32(code));
    QCOMPARE(b.mid(548, 4), Fixture::le32(code));
    CtrlInfo back;
    QVERIFY(readHoleFile(path, back).ok);
    QCOMPARE(int(back.sampleMode), code);
}

void TestRecords::saveReplacesLongerFileWhole()
{
    TestAppDir dir;
    const QString path = dir.file(QStringLiteral("l.CZO"));
    QVERIFY(saveHoleFile(path, m_info, QVector<Sample>(10), quiet()));
    QCOMPARE(QFileInfo(path).size(), qint64(680));
    QVERIFY(saveHoleFile(path, m_info, QVector<Sample>(3), quiet()));
    QCOMPARE(QFileInfo(path).size(), qint64(596));
    // Only the target remains in the folder: no temporary file left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("l.CZO")});
}

// ---- Hole data file: reading ---------------------------------------------

void TestRecords::readsHandBuiltFile()
{
    TestAppDir dir;
    const Fixture::Hole h = distinctFixture();
    const QString path = dir.file(QStringLiteral("r.CZO"));
    QVERIFY(writeFileBytes(path, Fixture::bytes(h)));
    CtrlInfo info = sentinelRecord();
    const HoleLoadResult r = readHoleFile(path, info);
    QVERIFY(r.ok);
    QVERIFY(!r.samplesTruncated);
    const CtrlInfo want = distinctRecord();
    for (const HoleField &f : holeFields())
        QVERIFY2(f.value(info) == f.value(want), f.name);
    QVERIFY(sameSamples(r.samples, toSamples(h.rows)));
    QVERIFY(samples.isEmpty()); // reading alone leaves the list alone
}

void TestRecords::refusals_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("error");
    Fixture::Hole h = distinctFixture();
    const QByteArray good = Fixture::bytes(h);
    QTest::newRow("complete") << good << true << int(HoleLoadError::None);
    h.magic = "krv";
    QTest::newRow("lower-case magic") << Fixture::bytes(h) << true << int(HoleLoadError::None);
    h.magic = "BAD";
    QTest::newRow("interrupted save") << Fixture::bytes(h) << false << int(HoleLoadError::Incomplete);
    h.magic = "Krv";
    QTest::newRow("mixed-case magic") << Fixture::bytes(h) << false << int(HoleLoadError::NotHoleFile);
    h.magic = "KRV";
    h.typeCode = "cz";
    QTest::newRow("lower-case type") << Fixture::bytes(h) << true << int(HoleLoadError::None);
    h.typeCode = "CX";
    QTest::newRow("other type") << Fixture::bytes(h) << false << int(HoleLoadError::WrongType);
    h.typeCode = "Cz";
    QTest::newRow("mixed-case type") << Fixture::bytes(h) << false << int(HoleLoadError::WrongType);
    QTest::newRow("text file") << QByteArray("hello world\n") << false << int(HoleLoadError::NotHoleFile);
    // Nothing is ever written after the layout: appended bytes are damage.
    QTest::newRow("1000 zero bytes appended") << good + QByteArray(1000, '\0') << false
                                              << int(HoleLoadError::TrailingBytes);
    QTest::newRow("one byte appended") << good + QByteArray("x") << false << int(HoleLoadError::TrailingBytes);
    CtrlInfo judged = distinctRecord();
    judged.acceptance.designLimitMm = 80;
    judged.acceptance.limitMm = 80;
    const QByteArray withSection = encodeHoleFile(judged, QVector<Sample>(3));
    QTest::newRow("acceptance section") << withSection << true << int(HoleLoadError::None);
    QTest::newRow("bytes after the acceptance section") << withSection + QByteArray(16, '\0') << false
                                                        << int(HoleLoadError::TrailingBytes);
    QTest::newRow("missing") << QByteArray() << false << int(HoleLoadError::CannotOpen);
}

void TestRecords::refusals()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, ok);
    QFETCH(int, error);
    TestAppDir dir;
    const QString path = dir.file(QStringLiteral("f.CZO"));
    if (!content.isEmpty())
        QVERIFY(writeFileBytes(path, content));
    samples.append(1, 2.0f);
    m_info = sentinelRecord();
    int hookCalls = 0;
    HoleLoadOptions o;
    o.beforeSamples = [this, &hookCalls] { ++hookCalls; samples.clear(); };
    const HoleLoadResult r = loadHoleFile(path, m_info, samples, o);
    QCOMPARE(r.ok, ok);
    QCOMPARE(int(r.error), error);
    QCOMPARE(r.errorText().isEmpty(), ok);
    if (r.error == HoleLoadError::TrailingBytes)
        QVERIFY2(r.errorText().startsWith(QStringLiteral("damaged: ")), qUtf8Printable(r.errorText()));
    if (ok) {
        QCOMPARE(hookCalls, 1);
        QCOMPARE(m_info.holeNo.get(), QStringLiteral("A12"));
        QCOMPARE(samples.size(), 3);
    } else {
        // Refused before anything was taken: record and list as they were.
        QCOMPARE(hookCalls, 0);
        const CtrlInfo sentinel = sentinelRecord();
        for (const HoleField &f : holeFields())
            QVERIFY2(f.value(m_info) == f.value(sentinel), f.name);
        QCOMPARE(samples.size(), 1);
    }
}

void TestRecords::shortFilesFieldByField()
{
    TestAppDir dir;
    const Fixture::Hole h = distinctFixture();
    const QByteArray full = Fixture::bytes(h);
    const QVector<HoleField> fields = holeFields();
    const CtrlInfo want = distinctRecord();
    const CtrlInfo sentinel = sentinelRecord();
    const QString path = dir.file(QStringLiteral("short.CZO"));
    for (int len = 0; len <= full.size(); ++len) {
        QVERIFY(writeFileBytes(path, full.left(len)));
        CtrlInfo info = sentinelRecord();
        const HoleLoadResult r = readHoleFile(path, info);
        const QString at = QStringLiteral("length %1").arg(len);
        // "KRV-CZ" is the shortest header that passes the checks; the sample
        // section needs the whole table (its entry ends at byte 76).
        const bool headerOk = len >= 6;
        QVERIFY2(r.headerAccepted() == headerOk, qPrintable(at));
        QVERIFY2(r.ok == (len >= 76), qPrintable(at));
        bool sectionGoesOn = true;
        int section = 1;
        for (const HoleField &f : fields) {
            const int fieldSection = f.offset < 494 ? 1 : 2;
            if (fieldSection != section) {
                section = fieldSection;
                sectionGoesOn = true;
            }
            // Sections are read only with their table entry present.
            const bool tablePresent = len >= (section == 1 ? 44 : 48);
            sectionGoesOn = sectionGoesOn && tablePresent && f.offset + f.size <= len;
            const QString expected = sectionGoesOn ? f.value(want) : f.value(sentinel);
            QVERIFY2(f.value(info) == expected, qPrintable(at + QLatin1Char(' ') + QLatin1String(f.name)));
        }
        const int complete = len < 560 ? 0 : (len - 560) / 12;
        QVERIFY2(r.samples.size() == complete, qPrintable(at));
        QVERIFY2(sameSamples(r.samples, toSamples(h.rows.mid(0, complete))), qPrintable(at));
        QVERIFY2(r.samplesTruncated == (len >= 556 && complete < 3), qPrintable(at));
    }
}

void TestRecords::sampleCountNotTrusted_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("loaded");
    QTest::addColumn<bool>("truncated");
    QTest::addColumn<int>("trailing"); // bytes after the announced samples: the file is damaged
    QTest::newRow("two thousand million") << 2000000000 << 3 << true << 0;
    QTest::newRow("largest") << std::numeric_limits<int32_t>::max() << 3 << true << 0;
    QTest::newRow("one more") << 4 << 3 << true << 0;
    QTest::newRow("as held") << 3 << 3 << false << 0;
    QTest::newRow("fewer than held") << 2 << 0 << false << 12;
    QTest::newRow("zero") << 0 << 0 << false << 36;
    QTest::newRow("negative") << -5 << 0 << false << 36;
}

void TestRecords::sampleCountNotTrusted()
{
    QFETCH(int, count);
    QFETCH(int, loaded);
    QFETCH(bool, truncated);
    QFETCH(int, trailing);
    TestAppDir dir;
    Fixture::Hole h = distinctFixture();
    h.count = count;
    const QString path = dir.file(QStringLiteral("n.CZO"));
    QVERIFY(writeFileBytes(path, Fixture::bytes(h)));
    CtrlInfo info;
    const HoleLoadResult r = readHoleFile(path, info);
    if (trailing > 0) {
        // Samples the count does not announce lie after the layout.
        QVERIFY(!r.ok);
        QCOMPARE(r.error, HoleLoadError::TrailingBytes);
        QCOMPARE(r.trailingBytes, qint64(trailing));
        return;
    }
    QVERIFY(r.ok);
    QCOMPARE(r.announcedSamples, qint64(count));
    QCOMPARE(r.samplesTruncated, truncated);
    QVERIFY(sameSamples(r.samples, toSamples(h.rows.mid(0, loaded))));
    QVERIFY(r.samples.capacity() <= 3);
}

void TestRecords::recordSizes_data()
{
    QTest::addColumn<int>("recordSize");
    QTest::addColumn<int>("fields");
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("3") << 3 << 0;
    QTest::newRow("4") << 4 << 1;
    QTest::newRow("8") << 8 << 2;
    QTest::newRow("12") << 12 << 3;
    QTest::newRow("16") << 16 << 3;
    QTest::newRow("negative") << -12 << 0;
}

// The record size says which fields each sample has; the next sample
// follows the bytes read.
void TestRecords::recordSizes()
{
    QFETCH(int, recordSize);
    QFETCH(int, fields);
    TestAppDir dir;
    Fixture::Hole h = distinctFixture();
    h.recordSize = recordSize;
    h.count = 2;
    h.rows.clear();
    QByteArray file = Fixture::bytes(h);
    // The words of the two samples after the header, taken from
    // 1, 2.0, 3.0, 4, 5.0, 6.0 (anything more would lie after the layout).
    const QByteArray sixWords = Fixture::le32(1) + Fixture::leReal(2.0f) + Fixture::leReal(3.0f) + Fixture::le32(4)
        + Fixture::leReal(5.0f) + Fixture::leReal(6.0f);
    file += sixWords.left(2 * 4 * fields);
    const QString path = dir.file(QStringLiteral("rs.CZO"));
    QVERIFY(writeFileBytes(path, file));
    CtrlInfo info;
    const HoleLoadResult r = readHoleFile(path, info);
    QVERIFY(r.ok);
    if (fields == 0) {
        QVERIFY(r.samples.isEmpty());
        return;
    }
    QCOMPARE(r.samples.size(), 2);
    // Reinterpret the words as a sample stream of `fields` words each.
    const QByteArray words = file.mid(560);
    for (int i = 0; i < 2; ++i) {
        const int base = i * fields * 4;
        int32_t depth;
        std::memcpy(&depth, words.constData() + base, 4);
        QCOMPARE(r.samples[i].depth, depth);
        float res = 0, raw = 0;
        if (fields > 1)
            std::memcpy(&res, words.constData() + base + 4, 4);
        if (fields > 2)
            std::memcpy(&raw, words.constData() + base + 8, 4);
        QVERIFY(sameBits(r.samples[i].resistivity, res));
        QVERIFY(sameBits(r.samples[i].rawResistivity, raw));
    }
}

void TestRecords::loadIntoSampleList()
{
    TestAppDir dir;
    const Fixture::Hole h = distinctFixture();
    const QString path = dir.file(QStringLiteral("l.CZO"));
    QVERIFY(writeFileBytes(path, Fixture::bytes(h)));
    const QVector<Sample> fromFile = toSamples(h.rows);

    // Without a handle the samples are appended to the list.
    samples.append(5, 6.0f);
    QVERIFY(loadHoleFile(path, m_info, samples).ok);
    QVERIFY(sameSamples(samples.snapshot(), QVector<Sample>{samples.snapshot().first()} + fromFile));

    // With the handle the list is cleared first; events are processed.
    HoleLoadOptions o;
    o.beforeSamples = [this] { samples.clear(); };
    o.processEvents = true;
    QVERIFY(loadHoleFile(path, m_info, samples, o).ok);
    QVERIFY(sameSamples(samples.snapshot(), fromFile));
    QCOMPARE(m_info.projectName.get(), u("桥梁工程"));
}

void TestRecords::missingSampleSectionKeepsFieldsRead()
{
    TestAppDir dir;
    QByteArray file = Fixture::bytes(distinctFixture());
    file.replace(72, 4, Fixture::le32(0));
    const QString path = dir.file(QStringLiteral("ns.CZO"));
    QVERIFY(writeFileBytes(path, file));
    samples.append(1, 1.0f);
    int hookCalls = 0;
    HoleLoadOptions o;
    o.beforeSamples = [this, &hookCalls] { ++hookCalls; samples.clear(); };
    const HoleLoadResult r = loadHoleFile(path, m_info, samples, o);
    QVERIFY(!r.ok);
    QCOMPARE(r.error, HoleLoadError::NoSampleSection);
    QCOMPARE(hookCalls, 1);
    QVERIFY(samples.isEmpty());
    QCOMPARE(int32_t(m_info.sedimentThickness), 42);
    QCOMPARE(m_info.tester.get(), u("张三"));
}

// ---- Hole data file: interruption and failures ---------------------------

void TestRecords::interruptedSaveKeepsOldFile()
{
    TestAppDir dir;
    const QString path = dir.file(QStringLiteral("k.CZO"));
    QVERIFY(saveHoleFile(path, m_info, QVector<Sample>(5), quiet()));
    const QByteArray old = readFileBytes(path);

    const CtrlInfo next = distinctRecord();
    const QVector<Sample> nextSamples = toSamples(distinctFixture().rows);
    // Every byte the save writes: the file, then "KRV" and the table again.
    const int total = 596 + 3 + 36;
    for (int kill = 0; kill < total; ++kill) {
        HoleSaveOptions o = quiet();
        o.simulateKillAfterBytes = kill;
        QVERIFY(!saveHoleFile(path, next, nextSamples, o));
        QVERIFY2(readFileBytes(path) == old, qPrintable(QString::number(kill)));
        // What the killed save left behind never passes for a hole file.
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        for (const QString &name : left)
            QVERIFY(name == QLatin1String("k.CZO") || !name.endsWith(QLatin1String(".czo"), Qt::CaseInsensitive));
        CtrlInfo info;
        const HoleLoadResult r = readHoleFile(path, info);
        QVERIFY(r.ok);
        QCOMPARE(r.samples.size(), 5);
    }
    // The kill that comes after everything was written: nothing stops it.
    HoleSaveOptions o = quiet();
    o.simulateKillAfterBytes = total;
    QVERIFY(saveHoleFile(path, next, nextSamples, o));
    QCOMPARE(readFileBytes(path), Fixture::bytes(distinctFixture()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("k.CZO")});
}

void TestRecords::interruptedFirstSaveLeavesNoFile()
{
    TestAppDir dir;
    const QString path = dir.file(QStringLiteral("first.CZO"));
    HoleSaveOptions o = quiet();
    o.simulateKillAfterBytes = 300;
    QVERIFY(!saveHoleFile(path, m_info, QVector<Sample>(3), o));
    QVERIFY(!QFile::exists(path));
    // The partial file left behind carries "BAD".
    const QByteArray partial = readFileBytes(CAtomicFileWriter::tempPathFor(path));
    QCOMPARE(partial.size(), 300);
    QCOMPARE(partial.left(3), QByteArray("BAD"));
}

void TestRecords::interruptedProgressSave()
{
    TestAppDir dir;
    const QString path = dir.file(QStringLiteral("pk.CZO"));
    QVERIFY(saveHoleFile(path, m_info, {}, quiet()));
    const QByteArray old = readFileBytes(path);
    QVector<int> seen;
    HoleSaveOptions o = quiet();
    o.progress = [&seen](int p) { seen.append(p); };
    o.simulateKillAfterBytes = 560 + 12 * 2 + 5; // inside the third sample
    QVERIFY(!saveHoleFile(path, m_info, QVector<Sample>(4), o));
    QCOMPARE(seen, (QVector<int>{0, 25}));
    QCOMPARE(readFileBytes(path), old);
}

void TestRecords::saveFailures()
{
    TestAppDir dir;
    QString why;
    QVERIFY(!saveHoleFile(dir.file(QStringLiteral("no-such-folder/a")), m_info, {}, quiet(), &why));
    QVERIFY(!why.isEmpty());
    QVERIFY(QDir().mkpath(dir.file(QStringLiteral("folder.CZO"))));
    QVERIFY(!saveHoleFile(dir.file(QStringLiteral("folder.CZO")), m_info, {}, quiet(), &why));
    QVERIFY(QFileInfo(dir.file(QStringLiteral("folder.CZO"))).isDir());
    CtrlInfo info;
    QCOMPARE(readHoleFile(dir.file(QStringLiteral("folder")), info).error, HoleLoadError::CannotOpen);
}

void TestRecords::judgedReviewRewritesFile()
{
    TestAppDir dir;
    ScopedCommandRecorder rec;
    const Fixture::Hole h = distinctFixture();
    const QString path = dir.file(QStringLiteral("review.CZO"));
    QVERIFY(writeFileBytes(path, Fixture::bytes(h)));
    HoleLoadOptions o;
    o.beforeSamples = [this] { samples.clear(); };
    QVERIFY(loadHoleFile(path, m_info, samples, o).ok);
    m_info.filePath = path;
    QVERIFY(markSedimentPosition(m_info, samples, 1)); // depth 30400, maxDepth 31000
    QVERIFY(rewriteReviewedFile(m_info, samples.snapshot()));
    QCOMPARE(rec.recorder.commands().count(QStringLiteral("sync")), 3);
    Fixture::Hole judged = h;
    judged.sedimentThickness = 60;
    QCOMPARE(readFileBytes(path), Fixture::bytes(judged));
}

// The acquisition thread keeps appending while the GUI thread saves: each
// saved file is one consistent state of the list.
void TestRecords::saveWhileSamplesArrive()
{
    TestAppDir dir;
    m_info.filePath = dir.file(QStringLiteral("live.CZO"));
    std::atomic<bool> stop{false};
    QThread *producer = QThread::create([this, &stop] {
        for (int i = 0; i < 20000 && !stop; ++i)
            samples.append(i, float(i));
    });
    producer->start();
    for (int round = 0; round < 20; ++round) {
        QVERIFY(saveHoleFile(m_info.filePath.get(), m_info, samples.snapshot(), quiet()));
        CtrlInfo info;
        const HoleLoadResult r = readHoleFile(m_info.filePath.get(), info);
        QVERIFY(r.ok);
        QVERIFY(!r.samplesTruncated);
        for (int i = 0; i < r.samples.size(); ++i)
            QVERIFY(r.samples[i].depth == i && r.samples[i].rawResistivity == float(i));
    }
    stop = true;
    QVERIFY(producer->wait(30000));
    delete producer;
}

// ---- Test-parameter file -------------------------------------------------

void TestRecords::paramsMissingFileGivesDefaults()
{
    TestAppDir dir;
    CtrlInfo c = distinctRecord();
    c.testDate = QStringLiteral("2000-01-01");
    QCOMPARE(loadTestParams(c), 1);
    QCOMPARE(c.holeNo.get(), QStringLiteral("1#"));
    QCOMPARE(int32_t(c.maxDepth), 20000);
    QCOMPARE(int32_t(c.holeDepth), 20000);
    QCOMPARE(int32_t(c.moveDistance), 50);
    QCOMPARE(int32_t(c.holeDiameter), 2000);
    QCOMPARE(int32_t(c.wheelD), 63);
    QCOMPARE(int32_t(c.lineD), 7);
    QCOMPARE(int(c.sampleMode), int(SampleModes::AutoRaise));
    QCOMPARE(c.testDate.get(), QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    QCOMPARE(c.dataDir.get(), dir.file(QStringLiteral("ZPV_CZL-FILE")));
    QVERIFY(QFileInfo(c.dataDir.get()).isDir());
    QVERIFY(!QFile::exists(testParamFilePath())); // written only by an accepted set-up
    QVERIFY(samples.isEmpty());
}

void TestRecords::paramsRoundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("chinese") << u("沉渣测试工程");
    QTest::newRow("empty") << QString();
    QTest::newRow("long") << u("很长的工程名").repeated(30);
}

void TestRecords::paramsRoundTrip()
{
    QFETCH(QString, name);
    TestAppDir dir;
    CtrlInfo c = goldenRecord();
    c.projectName = name;
    c.colors[7] = toStoredColor(QColor(9, 9, 9)); // not stored
    QVERIFY(saveTestParams(c));

    light = 5;
    screensaverLevel = 2;
    CtrlInfo back;
    back.testTime = QStringLiteral("11:11:11");
    back.colors[7] = StoredColor::rgb(7, 7, 7);
    QCOMPARE(loadTestParams(back), 1);
    for (SharedText CtrlInfo::*t : {&CtrlInfo::paramVersion, &CtrlInfo::projectName, &CtrlInfo::projectPath,
                                     &CtrlInfo::testUnit, &CtrlInfo::constructionUnit, &CtrlInfo::tester,
                                     &CtrlInfo::testDate, &CtrlInfo::holeNo, &CtrlInfo::curHoleName,
                                     &CtrlInfo::lastHoleNo})
        QCOMPARE((back.*t).get(), (c.*t).get());
    for (SharedValue<int32_t> CtrlInfo::*v :
         {&CtrlInfo::holeDepth, &CtrlInfo::moveDistance, &CtrlInfo::maxDepth, &CtrlInfo::elevation,
          &CtrlInfo::holeDiameter, &CtrlInfo::offsetAngle, &CtrlInfo::wheelD, &CtrlInfo::lineD, &CtrlInfo::winchSpeed,
          &CtrlInfo::sampleMode})
        QCOMPARE(int32_t(back.*v), int32_t(c.*v));
    QVERIFY(sameBits(back.spareValue1, c.spareValue1));
    QVERIFY(sameBits(back.spareValue2, c.spareValue2));
    QCOMPARE(back.displayFlag, 3);
    QCOMPARE(back.savedFlag, 5);
    for (int i = 0; i < 7; ++i)
        QCOMPARE(back.colors[size_t(i)], c.colors[size_t(i)]);
    QCOMPARE(back.colors[7], StoredColor::rgb(7, 7, 7));
    QCOMPARE(back.testTime.get(), QStringLiteral("11:11:11"));
    // Brightness and screen saver follow the basic configuration.
    QCOMPARE(int32_t(back.brightness), 5);
    QCOMPARE(int32_t(back.screensaverSeconds), 300);
}

// Stream version 7, big-endian: checked against bytes written out by hand.
void TestRecords::paramsStreamLayout()
{
    TestAppDir dir;
    CtrlInfo c;
    c.spareValue1 = 1.5f;
    c.spareValue2 = -0.1f;
    c.winchSpeed = 200;
    c.savedFlag = 0x01020304;
    QVERIFY(saveTestParams(c));
    const QByteArray b = readFileBytes(testParamFilePath());
    // "1.0.020151030": byte length 26, then UTF-16 big-endian.
    QCOMPARE(b.left(6), QByteArray::fromHex("0000001a0031"));
    QCOMPARE(b.mid(4, 26), QByteArray::fromHex("0031002e0030002e00300032003000310035003100300033""0030"));
    // Behind the older layout's last item: the acceptance basis as one byte
    // array (length, then tag "ACPT", version 1, design 0, two null texts,
    // position 0).
    const QByteArray tail = QByteArray::fromHex("00000020" "000000080041004300500054" "00000001" "00000000"
                                                "ffffffff" "ffffffff" "00000000");
    QCOMPARE(b.right(tail.size()), tail);
    // The older layout ends with the two reals (32-bit, big-endian),
    // winchSpeed and savedFlag.
    QCOMPARE(b.mid(b.size() - tail.size() - 16, 16), QByteArray::fromHex("3fc00000" "bdcccccd" "000000c8" "01020304"));
    // The first colour (white) in the Qt 4.0 form: colour model, alpha, r, g, b, pad.
    int off = 0;
    for (int i = 0; i < 8; ++i) {
        quint32 len = 0;
        for (int k = 0; k < 4; ++k)
            len = (len << 8) | uchar(b.at(off + k));
        off += 4 + (len == 0xFFFFFFFFu ? 0 : int(len));
    }
    off += 8 * 4;
    QCOMPARE(b.mid(off, 11), QByteArray::fromHex("01ffffffffffffffff0000"));
    // A font: family text, 64-bit point size, pixel size, hint, strategy,
    // zero, weight 50, bits.
    off += 7 * 11 + 4;
    const QByteArray family = QByteArray::fromHex("0000000e00790061006800650069006b0072");
    QCOMPARE(b.mid(off, family.size()), family);
    QCOMPARE(b.mid(off + family.size(), 8), QByteArray::fromHex("4031000000000000")); // 17.0
    QCOMPARE(int(uchar(b.at(off + family.size() + 8 + 4 + 3))), 50);
}

// The set-up's basis and position sit behind the older layout: they come
// back; a file of the older layout, or one whose tail is damaged, keeps all
// its items and gives no basis.
void TestRecords::paramsBasisTail_data()
{
    QTest::addColumn<QString>("tail");
    QTest::addColumn<bool>("basisBack");
    QTest::newRow("as written") << QStringLiteral("keep") << true;
    QTest::newRow("older layout") << QStringLiteral("cut") << false;
    QTest::newRow("cut inside the tail") << QStringLiteral("half") << false;
    QTest::newRow("foreign bytes") << QStringLiteral("foreign") << false;
}

void TestRecords::paramsBasisTail()
{
    QFETCH(QString, tail);
    QFETCH(bool, basisBack);
    TestAppDir dir;
    CtrlInfo c = distinctRecord();
    QVERIFY(saveTestParams(c));
    const QByteArray older = readFileBytes(testParamFilePath());
    c.acceptance.designLimitMm = 80;
    c.acceptance.code = u("JTG/T 3650-2020");
    c.acceptance.pileType = u("摩擦桩");
    c.acceptance.position = MeasuringPosition::XPrime;
    c.acceptance.limitMm = 80;
    c.acceptance.verdict = AcceptanceVerdict::Fail;
    QVERIFY(saveTestParams(c));
    const QByteArray full = readFileBytes(testParamFilePath());
    QVERIFY(full.startsWith(older.left(older.size() - 36)));
    const int olderSize = older.size() - 36;
    const QByteArray bytes = tail == QLatin1String("keep") ? full
        : tail == QLatin1String("cut")                     ? full.left(olderSize)
        : tail == QLatin1String("half")                    ? full.left(olderSize + (full.size() - olderSize) / 2)
                                                           : full.left(olderSize) + QByteArray(40, '\x7f');
    QVERIFY(writeFileBytes(testParamFilePath(), bytes));

    CtrlInfo back;
    back.acceptance.code = QStringLiteral("left over");
    QCOMPARE(loadTestParams(back), 1);
    QCOMPARE(back.holeNo.get(), c.holeNo.get());
    QCOMPARE(back.projectName.get(), c.projectName.get());
    QCOMPARE(back.savedFlag, c.savedFlag);
    HoleAcceptance expected;
    if (basisBack) {
        // The verdict belongs to the judged test's file, not to the set-up.
        expected.designLimitMm = 80;
        expected.code = u("JTG/T 3650-2020");
        expected.pileType = u("摩擦桩");
        expected.position = MeasuringPosition::XPrime;
    }
    QVERIFY(back.acceptance == expected);
}

void TestRecords::paramsUnsafeProjectFolderRefused_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("reason");
    QTest::newRow("parent") << QStringLiteral("..") << QStringLiteral("holds \"..\"");
    QTest::newRow("parent step") << QStringLiteral("../../etc") << QStringLiteral("is an absolute path|holds \"..\"");
    QTest::newRow("dots inside") << QStringLiteral("a..b") << QStringLiteral("holds \"..\"");
    QTest::newRow("absolute") << QStringLiteral("/tmp/x") << QStringLiteral("is an absolute path");
    QTest::newRow("slash") << QStringLiteral("a/b") << QStringLiteral("holds a path separator");
    QTest::newRow("backslash") << QStringLiteral("a\\b") << QStringLiteral("holds a path separator");
}

void TestRecords::paramsUnsafeProjectFolderRefused()
{
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    TestAppDir dir;
    // A forged file: everything else in it is an ordinary set-up.
    CtrlInfo forged = distinctRecord();
    forged.projectName = QStringLiteral("forged");
    forged.projectPath = folder;
    QVERIFY(saveTestParams(forged));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("ZPV_CZL.ini: the project folder \"%1\" (%2); the defaults are used")
                                                              .arg(QRegularExpression::escape(folder), reason)));
    CtrlInfo back;
    back.projectName = QStringLiteral("before");
    QCOMPARE(loadTestParams(back), 1);
    const CtrlInfo defaults;
    QCOMPARE(back.projectPath.get(), defaults.projectPath.get());
    QCOMPARE(back.projectName.get(), defaults.projectName.get());
    QCOMPARE(back.holeNo.get(), defaults.holeNo.get());
    QCOMPARE(int32_t(back.holeDepth), int32_t(defaults.holeDepth));
    QVERIFY(isSafeProjectFolder(back.projectPath.get()));

    // A safe name in the same file is taken.
    forged.projectPath = QStringLiteral("项目.1");
    QVERIFY(saveTestParams(forged));
    QCOMPARE(loadTestParams(back), 1);
    QCOMPARE(back.projectPath.get(), QStringLiteral("项目.1"));
    QCOMPARE(back.projectName.get(), QStringLiteral("forged"));
}

void TestRecords::paramsForeignVersionDeleted()
{
    TestAppDir dir;
    QByteArray file;
    {
        QDataStream s(&file, QIODevice::WriteOnly);
        s.setVersion(QDataStream::Qt_4_0);
        s << QStringLiteral("1.0.020140101") << u("旧工程") << QStringLiteral("old");
    }
    QVERIFY(writeFileBytes(testParamFilePath(), file));
    CtrlInfo c = distinctRecord();
    QCOMPARE(loadTestParams(c), -1);
    QVERIFY(!QFile::exists(testParamFilePath()));
    QCOMPARE(c.holeNo.get(), QStringLiteral("1#"));
    QCOMPARE(c.projectName.get(), defaultProjectName());
    QVERIFY(QFileInfo(c.dataDir.get()).isDir());
}

void TestRecords::paramsStaleLongerFile()
{
    TestAppDir dir;
    CtrlInfo longer = distinctRecord();
    longer.projectName = u("一个非常非常长的工程名称").repeated(10);
    longer.tester = QString(300, QLatin1Char('t'));
    QVERIFY(saveTestParams(longer));
    const qint64 longSize = QFileInfo(testParamFilePath()).size();

    CtrlInfo shorter = distinctRecord();
    shorter.projectName = u("短");
    shorter.tester = u("李四");
    QVERIFY(saveTestParams(shorter));
    const QByteArray fresh = readFileBytes(testParamFilePath());
    QVERIFY(fresh.size() < longSize); // replaced whole, no stale tail

    // A file that does carry stale bytes behind the last item still loads
    // the new values.
    QVERIFY(writeFileBytes(testParamFilePath(), fresh + QByteArray(700, '\x55')));
    CtrlInfo back;
    QCOMPARE(loadTestParams(back), 1);
    QCOMPARE(back.projectName.get(), u("短"));
    QCOMPARE(back.tester.get(), u("李四"));
    QCOMPARE(back.holeNo.get(), QStringLiteral("A12"));
    QCOMPARE(back.savedFlag, shorter.savedFlag);
}

void TestRecords::paramsCutShortGivesDefaults()
{
    TestAppDir dir;
    QVERIFY(saveTestParams(distinctRecord()));
    const QByteArray full = readFileBytes(testParamFilePath());
    // Cut inside the items after the version: the record falls back to the
    // defaults rather than taking zero depths and empty names.
    // (The last 36 bytes are the tail of an empty acceptance basis.)
    for (int len : {40, full.size() / 2, full.size() - 36 - 1}) {
        QVERIFY(writeFileBytes(testParamFilePath(), full.left(len)));
        CtrlInfo c = distinctRecord();
        QCOMPARE(loadTestParams(c), 1);
        QCOMPARE(c.holeNo.get(), QStringLiteral("1#"));
        QCOMPARE(int32_t(c.moveDistance), 50);
        QCOMPARE(int32_t(c.holeDepth), 20000);
    }
}

void TestRecords::paramsFontsFollowScreen_data()
{
    QTest::addColumn<int>("largeScreen");
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<QVector<int>>("sizes");
    const QVector<int> large{17, 28, 26, 16, 15, 14, 13, 13};
    const QVector<int> small{16, 28, 24, 16, 15, 14, 13, 13};
    QTest::newRow("large, file") << 1 << true << large;
    QTest::newRow("small, file") << 0 << true << small;
    QTest::newRow("large, no file") << 1 << false << large;
    QTest::newRow("small, no file") << 0 << false << small;
}

void TestRecords::paramsFontsFollowScreen()
{
    QFETCH(int, largeScreen);
    QFETCH(bool, withFile);
    QFETCH(QVector<int>, sizes);
    TestAppDir dir;
    if (withFile) {
        CtrlInfo saved;
        for (QByteArray &f : saved.fonts) {
            f = toFontBytes(QFont(QStringLiteral("Serif"), 40, QFont::Bold, true));
        }
        QVERIFY(saveTestParams(saved));
    }
    CtrlInfo c;
    c.largeScreen = largeScreen;
    QCOMPARE(loadTestParams(c), 1);
    for (int i = 0; i < 8; ++i) {
        const QFont f = recordFont(c, i);
        QCOMPARE(f.family(), QStringLiteral("yaheikr"));
        QCOMPARE(f.pointSize(), sizes[i]);
        QCOMPARE(f.weight(), 50);
        QVERIFY(!f.italic());
    }
}


// The files the program wrote while the record held QColor and QFont: the
// same record writes the same bytes, such a file loads and saves again as it
// did, and so do the defaults.
void TestRecords::paramsBytesAsBefore()
{
    TestAppDir dir;
    QVERIFY(saveTestParams(goldenRecord()));
    QCOMPARE(readFileBytes(testParamFilePath()).toHex(), kGoldenWritten.toHex());

    QVERIFY(writeFileBytes(testParamFilePath(), kGoldenWritten));
    CtrlInfo back;
    QCOMPARE(loadTestParams(back), 1);
    QCOMPARE(back.colors[1], toStoredColor(QColor::fromHsv(120, 200, 100, 50)));
    QCOMPARE(back.colors[3], toStoredColor(QColor::fromRgba64(1, 2, 3, 4)));
    QVERIFY(saveTestParams(back));
    QCOMPARE(readFileBytes(testParamFilePath()).toHex(), kGoldenLoadedAndSaved.toHex());

    CtrlInfo defaults;
    defaults.testDate = QStringLiteral("2024-05-06");
    QVERIFY(saveTestParams(defaults));
    QCOMPARE(readFileBytes(testParamFilePath()).toHex(), kGoldenDefaults.toHex());
}

void TestRecords::displayDefaults()
{
    const CtrlInfo c;
    const QColor colours[10] = {Qt::white, Qt::white, Qt::black, Qt::black, Qt::black, Qt::black,
                                QColor(210, 215, 253), QColor(0, 118, 245), QColor(255, 0, 0), Qt::white};
    for (int i = 0; i < 10; ++i)
        QCOMPARE(recordColor(c, i), colours[i]);
    const int sizes[8] = {17, 28, 26, 16, 15, 16, 13, 11};
    for (int i = 0; i < 8; ++i) {
        const QFont f = recordFont(c, i);
        QCOMPARE(f.family(), QStringLiteral("yaheikr"));
        QCOMPARE(f.pointSize(), sizes[i]);
        QCOMPARE(f.weight(), int(QFont::Normal));
        QVERIFY(!f.italic());
    }
}

void TestRecords::streamedFontIsQFontsBytes_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pointSize");
    QTest::newRow("screen font") << QStringLiteral("yaheikr") << 17;
    QTest::newRow("large") << QStringLiteral("yaheikr") << 28;
    QTest::newRow("chinese family") << u("思源黑体 CN Medium") << 11;
    QTest::newRow("empty family") << QString() << 1;
}

// The core writes the default fonts' bytes without Qt's font class: they are
// the bytes the font class writes.
void TestRecords::streamedFontIsQFontsBytes()
{
    QFETCH(QString, family);
    QFETCH(int, pointSize);
    QFont f(family);
    f.setPointSize(pointSize);
    f.setWeight(QFont::Normal);
    f.setItalic(false);
    QCOMPARE(streamedFont(family, pointSize).toHex(), toFontBytes(f).toHex());
    const QFont back = toQFont(streamedFont(family, pointSize));
    QCOMPARE(back.family(), family);
    QCOMPARE(back.pointSize(), pointSize);
}

void TestRecords::colourConversions_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::newRow("rgb") << QColor(210, 215, 253);
    QTest::newRow("rgb, alpha") << QColor(1, 2, 3, 4);
    QTest::newRow("16-bit channels") << QColor::fromRgba64(1, 0x1234, 0xfffe, 0x8001);
    QTest::newRow("hsv") << QColor::fromHsv(359, 1, 254, 128);
    QTest::newRow("cmyk") << QColor::fromCmyk(10, 20, 30, 40, 50);
    QTest::newRow("hsl") << QColor::fromHsl(300, 10, 250);
    QTest::newRow("extended rgb") << QColor::fromRgbF(1.5, -0.25, 0.5).convertTo(QColor::ExtendedRgb);
    QTest::newRow("invalid") << QColor();
}

// A colour comes back from the record as it went in, and the record keeps
// the fields QColor writes.
void TestRecords::colourConversions()
{
    QFETCH(QColor, colour);
    const StoredColor stored = toStoredColor(colour);
    QCOMPARE(toQColor(stored), colour);
    QCOMPARE(int(stored.model), int(colour.spec()));
    if (colour.spec() == QColor::Rgb) {
        QCOMPARE(stored.argb(), uint32_t(colour.rgba()));
        QCOMPARE(StoredColor::rgb(colour.red(), colour.green(), colour.blue(), colour.alpha()),
                 toStoredColor(QColor(colour.red(), colour.green(), colour.blue(), colour.alpha())));
    }
}

QTEST_MAIN(TestRecords)
#include "tst_records.moc"
