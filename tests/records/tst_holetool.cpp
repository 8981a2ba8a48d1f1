// Runs the built zpvw-hole tool as the office would.

#include "ctrlinfo.h"
#include "holefile.h"
#include "holefixture.h"
#include "testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>
#include <cmath>
#include <limits>
#include <cstring>

namespace {
using Run = ChildRun;

Run tool(const QStringList &args)
{
    return runChild(testBinDir() + QStringLiteral("/zpvw-hole"), args, QProcessEnvironment::systemEnvironment(), 30000);
}

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

float bitsToFloat(uint32_t b)
{
    float f;
    std::memcpy(&f, &b, 4);
    return f;
}

uint32_t floatBits(float f)
{
    uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
}

// A record in the tool's JSON form with awkward values in every field.
QJsonObject awkwardRecord()
{
    QJsonObject o;
    o.insert(QStringLiteral("projectName"), u("跨江大桥桩基检测工程"));
    o.insert(QStringLiteral("holeNo"), u("Z-17#"));
    o.insert(QStringLiteral("testUnit"), u("检测中心"));
    o.insert(QStringLiteral("constructionUnit"), QString(40, u("建").at(0))); // exactly 80 bytes
    o.insert(QStringLiteral("tester"), u("王五 Li"));
    o.insert(QStringLiteral("testDate"), QStringLiteral("2023-12-31"));
    o.insert(QStringLiteral("testTime"), QStringLiteral("23:59:58"));
    o.insert(QStringLiteral("sampleMode"), u("手动(8s/m)"));
    o.insert(QStringLiteral("modeCode"), 4);
    o.insert(QStringLiteral("maxDepth"), 2147483647);
    o.insert(QStringLiteral("holeDiameter"), 9999);
    o.insert(QStringLiteral("holeDepth"), -2147483647 - 1);
    o.insert(QStringLiteral("elevation"), -1);
    o.insert(QStringLiteral("moveDistance"), 10);
    o.insert(QStringLiteral("offsetAngle"), -360);
    o.insert(QStringLiteral("wheelD"), 63);
    o.insert(QStringLiteral("lineD"), 7);
    o.insert(QStringLiteral("winchSpeed"), 255);
    o.insert(QStringLiteral("spareValue1"), double(0.1f));
    o.insert(QStringLiteral("spareValue2"), QStringLiteral("-0"));
    o.insert(QStringLiteral("holeQuality"), 1);
    o.insert(QStringLiteral("sedimentThickness"), -3);
    QJsonArray rows;
    const QVector<uint32_t> bits{0x3f800000u, 0x00000001u /* smallest subnormal */, 0x7f7fffffu /* largest */,
                                 0x3dcccccdu, 0xbf9d70a4u, 0x7f800000u /* infinity */, 0xff800000u,
                                 0x7fc00000u /* NaN */, 0x80000000u /* -0 */, 0x4b3fffffu, 0x33d6bf95u};
    int depth = 20000;
    for (int i = 0; i < bits.size(); ++i) {
        const float f = bitsToFloat(bits[i]);
        const float g = bitsToFloat(bits[bits.size() - 1 - i]);
        auto value = [](float x) -> QJsonValue {
            if (std::isnan(x))
                return QStringLiteral("NaN");
            if (std::isinf(x))
                return x > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
            if (x == 0 && std::signbit(x))
                return QStringLiteral("-0");
            return double(x);
        };
        rows.append(QJsonArray{depth, value(f), value(g)});
        depth -= 10;
    }
    rows.append(QJsonArray{-5, 1, 2});
    o.insert(QStringLiteral("samples"), rows);
    o.insert(QStringLiteral("acceptance"),
             QJsonObject{{QStringLiteral("designLimitMm"), 0},
                         {QStringLiteral("code"), u("JTG/T 3650-2020")},
                         {QStringLiteral("pileType"), u("摩擦桩")},
                         {QStringLiteral("limitMm"), 300},
                         {QStringLiteral("verdict"), 1},
                         {QStringLiteral("overridden"), true},
                         {QStringLiteral("overrideReason"), QStringLiteral("supervisor")},
                         {QStringLiteral("position"), QStringLiteral("Y'")},
                         {QStringLiteral("sequence"), 4},
                         {QStringLiteral("awaitingJudgement"), false},
                         {QStringLiteral("holeNumberKept"), true}});
    return o;
}
} // namespace

class TestHoleTool : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(QFile::exists(testBinDir() + QStringLiteral("/zpvw-hole")), "tool not built"); }
    void writeThenDumpReproducesEverything();
    void dumpOfInstrumentFile();
    void csv();
    void dumpOfOverAnnouncedFile();
    void refusedFiles_data();
    void refusedFiles();
    void badInputWritesNothing_data();
    void badInputWritesNothing();
    void suggest_data();
    void suggest();
    void project();
};

void TestHoleTool::writeThenDumpReproducesEverything()
{
    TestAppDir dir;
    const QJsonObject in = awkwardRecord();
    QVERIFY(writeFileBytes(dir.file(QStringLiteral("in.json")), QJsonDocument(in).toJson()));
    const Run w = tool({QStringLiteral("write"), dir.file(QStringLiteral("in.json")), dir.file(QStringLiteral("h"))});
    QCOMPARE(w.exitCode, 0);
    QVERIFY(w.err.isEmpty());
    const QString hole = dir.file(QStringLiteral("h.CZO"));
    QVERIFY(QFile::exists(hole));

    const Run d = tool({QStringLiteral("dump"), hole});
    QCOMPARE(d.exitCode, 0);
    QJsonParseError pe;
    const QJsonObject out = QJsonDocument::fromJson(d.out, &pe).object();
    QCOMPARE(pe.error, QJsonParseError::NoError);
    QCOMPARE(out.keys(), in.keys());
    for (const QString &k : in.keys()) {
        if (k != QLatin1String("samples") && k != QLatin1String("spareValue1"))
            QVERIFY2(out.value(k) == in.value(k), qPrintable(k));
    }

    // The file itself, read by the library, holds every real bit for bit
    // (but for a sample's negative zero).
    CtrlInfo info;
    const HoleLoadResult r = readHoleFile(hole, info);
    QVERIFY(r.ok);
    QCOMPARE(floatBits(info.spareValue1), floatBits(0.1f));
    QCOMPARE(floatBits(info.spareValue2), 0x80000000u);
    const QJsonArray rows = in.value(QStringLiteral("samples")).toArray();
    QCOMPARE(r.samples.size(), rows.size());
    auto expectedBits = [](const QJsonValue &v) {
        const QString s = v.toString();
        if (s == QLatin1String("NaN"))
            return 0x7fc00000u;
        if (s == QLatin1String("Infinity"))
            return 0x7f800000u;
        if (s == QLatin1String("-Infinity"))
            return 0xff800000u;
        if (s == QLatin1String("-0"))
            return 0u; // a negative zero is stored as zero, as the table shows it
        return floatBits(float(v.toDouble()));
    };
    for (int i = 0; i < rows.size(); ++i) {
        const QJsonArray row = rows.at(i).toArray();
        QCOMPARE(r.samples[i].depth, row.at(0).toInt());
        QCOMPARE(floatBits(r.samples[i].resistivity), expectedBits(row.at(1)));
        QCOMPARE(floatBits(r.samples[i].rawResistivity), expectedBits(row.at(2)));
    }

    // Dump, write the dump, dump again: the same text.
    QVERIFY(writeFileBytes(dir.file(QStringLiteral("again.json")), d.out));
    QCOMPARE(tool({QStringLiteral("write"), dir.file(QStringLiteral("again.json")), dir.file(QStringLiteral("h2.czo"))})
                 .exitCode,
             0);
    QCOMPARE(readFileBytes(dir.file(QStringLiteral("h2.czo"))), readFileBytes(hole));
    QCOMPARE(tool({QStringLiteral("dump"), dir.file(QStringLiteral("h2.czo"))}).out, d.out);
}

void TestHoleTool::dumpOfInstrumentFile()
{
    TestAppDir dir;
    Fixture::Hole h;
    h.projectName = u("项目");
    h.holeNo = QStringLiteral("1#");
    h.testDate = QStringLiteral("2015-10-30");
    h.testTime = QStringLiteral("08:00:00");
    h.mode = 9; // out of range: reads as the first mode
    h.winchSpeed = 200;
    h.maxDepth = 20000;
    h.rows = {{20000, 1.25f, 1.5f}};
    QVERIFY(writeFileBytes(dir.file(QStringLiteral("f.CZO")), Fixture::bytes(h)));
    const Run d = tool({QStringLiteral("dump"), dir.file(QStringLiteral("f.CZO"))});
    QCOMPARE(d.exitCode, 0);
    const QJsonObject o = QJsonDocument::fromJson(d.out).object();
    QCOMPARE(o.value(QStringLiteral("projectName")).toString(), u("项目"));
    QCOMPARE(o.value(QStringLiteral("testUnit")).toString(), QString());
    QCOMPARE(o.value(QStringLiteral("sampleMode")).toString(), u("自动提升"));
    QCOMPARE(o.value(QStringLiteral("modeCode")).toInt(), 0);
    QCOMPARE(o.value(QStringLiteral("winchSpeed")).toInt(), 200);
    QCOMPARE(o.value(QStringLiteral("samples")).toArray(), (QJsonArray{QJsonArray{20000, 1.25, 1.5}}));
}

void TestHoleTool::csv()
{
    TestAppDir dir;
    Fixture::Hole h;
    h.rows = {{20000, 12.5f, 12.5f}, {19950, 0.1f, 3.0f}, {5, 1e-7f, -2.0f}, {-1234, 100.0f, 0.0f},
              {-1240, -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity()}};
    QVERIFY(writeFileBytes(dir.file(QStringLiteral("c.CZO")), Fixture::bytes(h)));
    const Run c = tool({QStringLiteral("csv"), dir.file(QStringLiteral("c"))});
    QCOMPARE(c.exitCode, 0);
    QCOMPARE(c.out, QByteArray("depth_m,resistivity,raw_resistivity\n"
                               "20.000,12.5,12.5\n"
                               "19.950,0.1,3\n"
                               "0.005,1e-07,-2\n"
                               "-1.234,100,0\n"
                               // Numbers stay numbers; "-inf" would be a formula to a spreadsheet.
                               "-1.240,'-inf,inf\n"));
}

void TestHoleTool::dumpOfOverAnnouncedFile()
{
    TestAppDir dir;
    Fixture::Hole h;
    h.rows = {{300, 1.0f, 2.0f}, {200, 3.0f, 4.0f}};
    h.count = 2000000000;
    const QString path = dir.file(QStringLiteral("big.CZO"));
    QVERIFY(writeFileBytes(path, Fixture::bytes(h)));
    const Run d = tool({QStringLiteral("dump"), path});
    QCOMPARE(d.exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(d.out).object().value(QStringLiteral("samples")).toArray(),
             (QJsonArray{QJsonArray{300, 1, 2}, QJsonArray{200, 3, 4}}));
    QCOMPARE(QString::fromUtf8(d.err),
             QStringLiteral("zpvw-hole: %1: the file announces 2000000000 samples and holds 2\n").arg(path));
}

void TestHoleTool::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file
    QTest::addColumn<QString>("reason");
    Fixture::Hole h;
    h.magic = "BAD";
    QTest::newRow("interrupted") << Fixture::bytes(h) << "not a complete hole file (interrupted save)";
    h.magic = "KRV";
    h.typeCode = "PV";
    QTest::newRow("other type") << Fixture::bytes(h) << "not a sediment test file";
    QTest::newRow("missing") << QByteArray() << "cannot open file";
    QTest::newRow("no sample section") << Fixture::bytes(Fixture::Hole()).left(60) << "no sample section";
}

void TestHoleTool::refusedFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    TestAppDir dir;
    const QString path = dir.file(QStringLiteral("bad.CZO"));
    if (!content.isEmpty())
        QVERIFY(writeFileBytes(path, content));
    for (const QString &cmd : {QStringLiteral("dump"), QStringLiteral("csv")}) {
        const Run r = tool({cmd, path});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(QString::fromUtf8(r.err), QStringLiteral("zpvw-hole: %1: %2\n").arg(path, reason));
    }
}

void TestHoleTool::badInputWritesNothing_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not JSON") << QByteArray("{\"holeNo\": ") << "bad JSON";
    QTest::newRow("array") << QByteArray("[1, 2]") << "bad JSON: not an object";
    QTest::newRow("unknown key") << QByteArray("{\"holeNumber\": \"1#\"}") << "unknown key holeNumber";
    QTest::newRow("text as number") << QByteArray("{\"tester\": 5}") << "tester must be a text";
    QTest::newRow("fraction") << QByteArray("{\"maxDepth\": 1.5}") << "maxDepth must be a whole number";
    QTest::newRow("too large") << QByteArray("{\"maxDepth\": 2147483648}") << "maxDepth must be a whole number";
    QTest::newRow("winch speed") << QByteArray("{\"winchSpeed\": 256}") << "winchSpeed must be a whole number from 0 to 255";
    QTest::newRow("mode code") << QByteArray("{\"modeCode\": 6}") << "modeCode must be a whole number from 0 to 5";
    QTest::newRow("modes disagree") << QByteArray("{\"modeCode\": 1, \"sampleMode\": \"自动提升\"}")
                                    << "sampleMode and modeCode disagree";
    QTest::newRow("unknown mode") << QByteArray("{\"sampleMode\": \"fast\"}") << "unknown sampleMode";
    QTest::newRow("text too long") << QByteArray("{\"tester\": \"") + QByteArray(81, 'x') + "\"}"
                                   << "tester is longer than 80 GBK bytes";
    QTest::newRow("date too long") << QByteArray("{\"testDate\": \"2023-12-31 \"}") << "testDate is longer than 10 GBK bytes";
    QTest::newRow("outside GBK") << QByteArray("{\"tester\": \"\xF0\x9F\x98\x80\"}") << "tester has characters outside GBK";
    QTest::newRow("bad sample") << QByteArray("{\"samples\": [[1, 2, 3], [1, 2]]}")
                                << "sample 1 must be [depth, resistivity, rawResistivity]";
    QTest::newRow("bad real") << QByteArray("{\"spareValue1\": \"one\"}") << "spareValue1 must be a number";
    QTest::newRow("acceptance not an object") << QByteArray("{\"acceptance\": 5}") << "acceptance must be an object";
    QTest::newRow("unknown position") << QByteArray("{\"acceptance\": {\"position\": \"Z\"}}")
                                      << "acceptance.position must be one of";
    QTest::newRow("verdict out of range") << QByteArray("{\"acceptance\": {\"verdict\": 2}}")
                                          << "acceptance.verdict must be a whole number from -1 to 1";
    QTest::newRow("sequence 0") << QByteArray("{\"acceptance\": {\"sequence\": 0}}")
                                << "acceptance.sequence must be a whole number from 1";
    QTest::newRow("unknown override reason") << QByteArray("{\"acceptance\": {\"overrideReason\": \"boss\"}}")
                                             << "acceptance.overrideReason must be one of";
    QTest::newRow("unknown acceptance key") << QByteArray("{\"acceptance\": {\"limit\": 50}}")
                                            << "unknown key acceptance.limit";
}

void TestHoleTool::badInputWritesNothing()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, reason);
    TestAppDir dir;
    const QString in = dir.file(QStringLiteral("in.json"));
    QVERIFY(writeFileBytes(in, json));
    const QString hole = dir.file(QStringLiteral("keep.CZO"));
    const QByteArray old = Fixture::bytes(Fixture::Hole());
    QVERIFY(writeFileBytes(hole, old));
    const Run r = tool({QStringLiteral("write"), in, hole});
    QCOMPARE(r.exitCode, 1);
    const QString err = QString::fromUtf8(r.err);
    QVERIFY2(err.startsWith(QStringLiteral("zpvw-hole: %1: %2").arg(in, reason)), qPrintable(err));
    QCOMPARE(err.count(QLatin1Char('\n')), 1);
    QCOMPARE(readFileBytes(hole), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestHoleTool::suggest_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("sedimentMm");
    QTest::addColumn<QByteArray>("expected");
    // 20 m hole, 50 mm steps, 30 ohm-m sediment, 12 above.
    QTest::newRow("clear step") << 401 << 350 << QByteArray(R"({"depth_m":19.700,"thickness_mm":300,"confidence":1.00})");
    QTest::newRow("flat") << 401 << 0 << QByteArray("null");
    QTest::newRow("four samples, all in the sediment") << 4 << 350 << QByteArray("null");
    QTest::newRow("no samples") << 0 << 350 << QByteArray("null");
}

// The suggestion the screen shows, as one JSON line, or null.
void TestHoleTool::suggest()
{
    QFETCH(int, count);
    QFETCH(int, sedimentMm);
    QFETCH(QByteArray, expected);
    TestAppDir dir;
    Fixture::Hole h;
    h.maxDepth = 20000;
    h.moveDistance = 50;
    for (int i = 0; i < count; ++i)
        h.rows.append({20000 - 50 * i, 50 * i < sedimentMm ? 30.0f : 12.0f, 0.0f});
    QVERIFY(writeFileBytes(dir.file(QStringLiteral("A.CZO")), Fixture::bytes(h)));
    const Run r = tool({QStringLiteral("suggest"), dir.file(QStringLiteral("A.CZO"))});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, expected + "\n");
    if (expected != "null") {
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.keys(), (QStringList{"confidence", "depth_m", "thickness_mm"}));
    }
}

// The project record from a folder: CSV on stdout, or the files asked for;
// files that cannot be read are named on stderr and counted.
void TestHoleTool::project()
{
    TestAppDir dir;
    const QString folder = dir.file(QStringLiteral("Bridge"));
    QVERIFY(QDir().mkpath(folder));
    auto hole = [&](const QString &name, const QString &date, int thicknessCm, int verdict, int sequence) {
        QJsonObject o{{QStringLiteral("holeNo"), name},
                      {QStringLiteral("tester"), u("李工")},
                      {QStringLiteral("testDate"), date},
                      {QStringLiteral("testTime"), QStringLiteral("10:00:00")},
                      {QStringLiteral("maxDepth"), 15000},
                      {QStringLiteral("sedimentThickness"), thicknessCm},
                      {QStringLiteral("holeQuality"), verdict},
                      {QStringLiteral("acceptance"),
                       QJsonObject{{QStringLiteral("code"), QStringLiteral("GB 50202-2018")},
                                   {QStringLiteral("pileType"), u("摩擦桩")},
                                   {QStringLiteral("limitMm"), 150},
                                   {QStringLiteral("verdict"), verdict},
                                   {QStringLiteral("sequence"), sequence}}}};
        const QString json = dir.file(name + QStringLiteral(".json"));
        QVERIFY(writeFileBytes(json, QJsonDocument(o).toJson()));
        QCOMPARE(tool({QStringLiteral("write"), json, folder + QLatin1Char('/') + name}).exitCode, 0);
    };
    hole(QStringLiteral("Z1"), QStringLiteral("2026-12-01"), 20, 1, 1);
    hole(QStringLiteral("Z1-2"), QStringLiteral("2026-12-02"), 10, 0, 2);
    hole(QStringLiteral("Z2"), QStringLiteral("2026-12-01"), 30, 1, 1);
    QVERIFY(writeFileBytes(folder + QStringLiteral("/Z3.CZO"), QByteArray("BAD-CZ-2.0.0")));

    const Run r = tool({QStringLiteral("project"), folder});
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'));
    QVERIFY(lines.first().startsWith(QStringLiteral("hole,position,tests,date,tester,depth_m,thickness_mm,limit_mm,basis,verdict,override,sha256")));
    QVERIFY(lines.at(1).startsWith(u("Z1,,2,2026-12-02 10:00:00,李工,15.00,100,150,GB 50202-2018 摩擦桩,pass,no,")));
    QVERIFY(lines.at(2).startsWith(u("Z2,,1,2026-12-01 10:00:00,李工,15.00,300,150,GB 50202-2018 摩擦桩,fail,no,")));
    QCOMPARE(lines.mid(4), (QStringList{"tested,2", "passed,1", "failed,1", "not judged,0", "unreadable,1", ""}));
    QVERIFY(QString::fromUtf8(r.err).contains(QStringLiteral("Z3.CZO")));

    const QString csv = dir.file(QStringLiteral("out/summary.csv"));
    const QString pdf = dir.file(QStringLiteral("summary.pdf"));
    QVERIFY(QDir().mkpath(dir.file(QStringLiteral("out"))));
    const Run files = tool({QStringLiteral("project"), folder, QStringLiteral("--csv"), csv, QStringLiteral("--pdf"), pdf});
    QCOMPARE(files.exitCode, 0);
    QVERIFY(files.out.isEmpty());
    QCOMPARE(readFileBytes(csv), r.out);
    QVERIFY(readFileBytes(pdf).startsWith("%PDF"));

    QCOMPARE(tool({QStringLiteral("project"), dir.file(QStringLiteral("none"))}).exitCode, 1);
    QCOMPARE(tool({QStringLiteral("project"), folder, QStringLiteral("--xls"), csv}).exitCode, 2);
}

QTEST_MAIN(TestHoleTool)
#include "tst_holetool.moc"
