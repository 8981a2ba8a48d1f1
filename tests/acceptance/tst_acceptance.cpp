// Limits by code and pile type, the verdict and its line, and the project
// record built from hole files' bytes.

#include "holefile.h"
#include "pilelimits.h"
#include "previoustest.h"
#include "projectsummary.h"
#include "summarywriters.h"
#include "testsupport.h"
#include "verdict.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTranslator>
#include <QtTest>

namespace {
HoleAcceptance basisOf(const QString &code, const QString &pileType, int32_t design = 0)
{
    HoleAcceptance a;
    a.code = code;
    a.pileType = pileType;
    a.designLimitMm = design;
    return a;
}

// One test of a hole as the instrument saves it.
struct TestFileShape {
    QString file;
    QString date;    // "yyyy-MM-dd hh:mm:ss"
    int thicknessCm; // judged thickness
    int32_t limitMm; // -1: no basis (not judged)
    int32_t position = MeasuringPosition::Unnamed;
    int32_t sequence = 1;
    bool override = false;
    bool section = true; // false: a file from before acceptance fields existed
};

QByteArray holeBytes(const TestFileShape &t)
{
    CtrlInfo info;
    info.projectName = QStringLiteral("滨江大桥");
    info.holeNo = t.file.section(QLatin1Char('.'), 0, 0);
    info.tester = QStringLiteral("李工, 王工"); // a comma: the CSV must quote it
    info.testDate = t.date.left(10);
    info.testTime = t.date.mid(11);
    info.maxDepth = 18500;
    info.holeDepth = 18500;
    info.holeDiameter = 1200;
    info.sedimentThickness = t.thicknessCm;
    if (t.section) {
        info.acceptance.position = t.position;
        info.acceptance.sequence = t.sequence;
        if (t.limitMm >= 0) {
            info.acceptance.designLimitMm = t.limitMm;
            applyVerdict(info, CPileLimits::builtIn());
            if (t.override)
                chooseHoleQuality(info, info.holeQuality == 0 ? 1 : 0, OverrideReason::SupervisorConfirmed);
        }
    }
    QVector<Sample> v;
    for (int i = 0; i < 10; ++i)
        v.append(Sample{18500 - 100 * i, 10.0f, 10.0f});
    return encodeHoleFile(info, v);
}

QStringList csvLines(const ProjectSummary &s)
{
    return QString::fromUtf8(projectSummaryCsv(s)).split(QLatin1Char('\n'));
}
} // namespace

Q_DECLARE_METATYPE(HoleAcceptance)

class TestAcceptance : public QObject {
    Q_OBJECT
private slots:
    void limitForHole_data();
    void limitForHole();
    void tableFileRules_data();
    void tableFileRules();
    void userTableOverridesDefault();
    void shortCodeNames_data();
    void shortCodeNames();
    void verdictAndLine_data();
    void verdictAndLine();
    void englishLine();
    void presetAndOverride();
    void verdictLineStatesFinalResultFirst_data();
    void verdictLineStatesFinalResultFirst();
    void repeatTestNames_data();
    void repeatTestNames();
    void earlierTests_data();
    void earlierTests();
    void projectSummary();
    void summaryFromRecordsMatchesBytes();
    void summaryFolderAndFiles();
    void csvNamesNeverRunAsFormulas_data();
    void csvNamesNeverRunAsFormulas();
};

void TestAcceptance::limitForHole_data()
{
    QTest::addColumn<HoleAcceptance>("basis");
    QTest::addColumn<int>("diameter");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("limit");
    const QString jgj = QStringLiteral("JGJ 94-2008"), gb = QStringLiteral("GB 50202-2018"),
                  jtg = QStringLiteral("JTG/T 3650-2020");
    const QString end = QStringLiteral("端承桩"), fr = QStringLiteral("摩擦桩");
    QTest::newRow("JGJ end-bearing") << basisOf(jgj, end) << 1200 << 30000 << 50;
    QTest::newRow("JGJ friction") << basisOf(jgj, fr) << 1200 << 30000 << 100;
    QTest::newRow("JGJ uplift") << basisOf(jgj, QStringLiteral("抗拔、抗水平力桩")) << 800 << 20000 << 200;
    QTest::newRow("GB end-bearing") << basisOf(gb, end) << 1200 << 30000 << 50;
    QTest::newRow("GB friction") << basisOf(gb, fr) << 1200 << 30000 << 150;
    QTest::newRow("JTG end-bearing, large") << basisOf(jtg, end) << 2500 << 60000 << 50;
    QTest::newRow("JTG friction 1.5 m, 40 m") << basisOf(jtg, fr) << 1500 << 40000 << 200;
    QTest::newRow("JTG friction just over 1.5 m") << basisOf(jtg, fr) << 1501 << 30000 << 300;
    QTest::newRow("JTG friction just over 40 m") << basisOf(jtg, fr) << 1200 << 40001 << 300;
    QTest::newRow("design value wins over the table") << basisOf(jgj, end, 80) << 1200 << 30000 << 80;
    QTest::newRow("design value alone") << basisOf(QString(), QString(), 120) << 1200 << 30000 << 120;
    QTest::newRow("no basis") << HoleAcceptance() << 1200 << 30000 << -1;
    QTest::newRow("pile type not in the code") << basisOf(gb, QStringLiteral("抗拔、抗水平力桩")) << 1200 << 30000 << -1;
}

void TestAcceptance::limitForHole()
{
    QFETCH(HoleAcceptance, basis);
    QFETCH(int, diameter);
    QFETCH(int, depth);
    QFETCH(int, limit);
    const LimitChoice c = pickLimit(CPileLimits::builtIn(), basis, diameter, depth);
    QCOMPARE(c.limitMm, limit);
    QCOMPARE(c.fromDesign, basis.designLimitMm > 0);
}

void TestAcceptance::tableFileRules_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("ok");
    QTest::newRow("one row") << QByteArray(R"({"rows":[{"code":"DB 1","pileType":"A","limitMm":70}]})") << true;
    QTest::newRow("not JSON") << QByteArray("code,pileType,limitMm") << false;
    QTest::newRow("no rows") << QByteArray(R"({"rows":[]})") << false;
    QTest::newRow("zero limit") << QByteArray(R"({"rows":[{"code":"DB 1","pileType":"A","limitMm":0}]})") << false;
    QTest::newRow("limit in metres") << QByteArray(R"({"rows":[{"code":"DB 1","pileType":"A","limitMm":0.05}]})") << false;
    QTest::newRow("limit as text") << QByteArray(R"({"rows":[{"code":"DB 1","pileType":"A","limitMm":"50"}]})") << false;
    QTest::newRow("no pile type") << QByteArray(R"({"rows":[{"code":"DB 1","limitMm":50}]})") << false;
    QTest::newRow("negative bound") << QByteArray(R"({"rows":[{"code":"D","pileType":"A","limitMm":5,"maxDepthMm":-1}]})") << false;
}

void TestAcceptance::tableFileRules()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, ok);
    CPileLimits t;
    QString why;
    QCOMPARE(CPileLimits::parse(json, &t, &why), ok);
    QCOMPARE(why.isEmpty(), ok);
}

// A table beside the program replaces the default; a broken one is not used
// and the reason is told.
void TestAcceptance::userTableOverridesDefault()
{
    TestAppDir dir;
    QString why;
    const CPileLimits builtIn = CPileLimits::load(dir.path(), &why);
    QVERIFY(why.isEmpty());
    QCOMPARE(builtIn.rows.size(), 8);
    QCOMPARE(builtIn.choices().size(), 7); // the two highway friction rows are one choice

    QVERIFY(writeFileBytes(dir.file(CPileLimits::fileName()),
                           QStringLiteral(R"({"rows":[{"code":"DB 33-2020","pileType":"端承桩","limitMm":30},
                                                       {"code":"JGJ 94-2008","pileType":"端承桩","limitMm":40}]})")
                               .toUtf8()));
    const CPileLimits local = CPileLimits::load(dir.path(), &why);
    QVERIFY(why.isEmpty());
    QCOMPARE(local.rows.size(), 2);
    QCOMPARE(pickLimit(local, basisOf(QStringLiteral("JGJ 94-2008"), QStringLiteral("端承桩")), 1000, 1000).limitMm, 40);

    QVERIFY(writeFileBytes(dir.file(CPileLimits::fileName()), QByteArray("{broken")));
    const CPileLimits fallback = CPileLimits::load(dir.path(), &why);
    QVERIFY(why.contains(CPileLimits::fileName()));
    QCOMPARE(fallback.rows.size(), builtIn.rows.size());
}

void TestAcceptance::shortCodeNames_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("shortName");
    QTest::newRow("building") << "JGJ 94-2008" << "JGJ 94";
    QTest::newRow("highway") << "JTG/T 3650-2020" << "JTG/T 3650";
    QTest::newRow("no year") << "DB 33" << "DB 33";
    QTest::newRow("number, not a year") << "Q/CR 9-123" << "Q/CR 9-123";
}

void TestAcceptance::shortCodeNames()
{
    QFETCH(QString, code);
    QFETCH(QString, shortName);
    QCOMPARE(shortCodeName(code), shortName);
}

void TestAcceptance::verdictAndLine_data()
{
    QTest::addColumn<int>("thickness");
    QTest::addColumn<int>("limit");
    QTest::addColumn<HoleAcceptance>("basis");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("line");
    const HoleAcceptance jgj = basisOf(QStringLiteral("JGJ 94-2008"), QStringLiteral("端承桩"));
    QTest::newRow("below") << 30 << 50 << jgj << int(AcceptanceVerdict::Pass) << "沉渣 30 mm ≤ 50 mm（JGJ 94 端承桩）合格";
    QTest::newRow("at the limit") << 50 << 50 << jgj << int(AcceptanceVerdict::Pass) << "沉渣 50 mm ≤ 50 mm（JGJ 94 端承桩）合格";
    QTest::newRow("above") << 60 << 50 << jgj << int(AcceptanceVerdict::Fail) << "沉渣 60 mm > 50 mm（JGJ 94 端承桩）不合格";
    QTest::newRow("design value") << 90 << 80 << basisOf(QString(), QString(), 80) << int(AcceptanceVerdict::Fail)
                                  << "沉渣 90 mm > 80 mm（设计值）不合格";
    QTest::newRow("no limit") << 30 << -1 << HoleAcceptance() << int(AcceptanceVerdict::NotJudged) << "沉渣 30 mm（未设验收依据）";
}

void TestAcceptance::verdictAndLine()
{
    QFETCH(int, thickness);
    QFETCH(int, limit);
    QFETCH(HoleAcceptance, basis);
    QFETCH(int, verdict);
    QFETCH(QString, line);
    QCOMPARE(verdictFor(thickness, limit), verdict);
    QCOMPARE(comparisonLine(thickness, limit, basisLabel(basis)), line);
}

void TestAcceptance::englishLine()
{
    QTranslator t;
    QVERIFY(t.load(QStringLiteral(":/Language/English.qm")));
    QCoreApplication::installTranslator(&t);
    const QString line = comparisonLine(30, 50, basisLabel(basisOf(QStringLiteral("JGJ 94-2008"), QStringLiteral("端承桩"))));
    QCoreApplication::removeTranslator(&t);
    QCOMPARE(line, QStringLiteral("Sediment 30 mm ≤ 50 mm (JGJ 94 end-bearing): qualified"));
}

// Judging presets the hole quality from the verdict; choosing the other one
// is recorded as an override, choosing the verdict's own clears it, and a
// new judgement starts without one.
void TestAcceptance::presetAndOverride()
{
    CtrlInfo info;
    info.acceptance = basisOf(QStringLiteral("GB 50202-2018"), QStringLiteral("摩擦桩"));
    info.sedimentThickness = 16; // 160 mm > 150 mm
    info.holeQuality = 0;
    applyVerdict(info, CPileLimits::builtIn());
    QCOMPARE(info.acceptance.limitMm, 150);
    QCOMPARE(info.acceptance.verdict, int32_t(AcceptanceVerdict::Fail));
    QCOMPARE(info.holeQuality.load(), 1);
    QVERIFY(!info.acceptance.overridden);
    QVERIFY(wouldOverride(info, 0));
    QVERIFY(!wouldOverride(info, 1));
    chooseHoleQuality(info, 0, OverrideReason::DesignChange);
    QVERIFY(info.acceptance.overridden);
    QCOMPARE(info.acceptance.overrideReason, int32_t(OverrideReason::DesignChange));
    QCOMPARE(finalVerdict(info), int32_t(AcceptanceVerdict::Pass));
    chooseHoleQuality(info, 1, OverrideReason::DesignChange); // the verdict's own: no override, no reason
    QVERIFY(!info.acceptance.overridden);
    QCOMPARE(info.acceptance.overrideReason, int32_t(OverrideReason::None));
    chooseHoleQuality(info, 0, OverrideReason::Other);
    info.sedimentThickness = 10;
    applyVerdict(info, CPileLimits::builtIn());
    QCOMPARE(info.acceptance.verdict, int32_t(AcceptanceVerdict::Pass));
    QVERIFY(!info.acceptance.overridden);
    QCOMPARE(info.acceptance.overrideReason, int32_t(OverrideReason::None));

    CtrlInfo none; // no basis: quality is the operator's alone, nothing recorded
    none.holeQuality = 1;
    applyVerdict(none, CPileLimits::builtIn());
    QCOMPARE(none.holeQuality.load(), 1);
    chooseHoleQuality(none, 0);
    QVERIFY(!none.acceptance.overridden);
    QCOMPARE(finalVerdict(none), int32_t(AcceptanceVerdict::NotJudged));
}

void TestAcceptance::verdictLineStatesFinalResultFirst_data()
{
    QTest::addColumn<int>("thicknessCm");
    QTest::addColumn<int>("designMm");
    QTest::addColumn<int>("quality"); // -1: as the verdict gives
    QTest::addColumn<int>("reason");
    QTest::addColumn<QString>("line");
    QTest::newRow("failed, overridden to pass by the supervisor")
        << 30 << 50 << 0 << int(OverrideReason::SupervisorConfirmed)
        << QStringLiteral("合格（改判，原判 不合格：沉渣 300 mm > 50 mm；理由：监理确认）");
    QTest::newRow("passed, overridden to fail, other reason")
        << 3 << 50 << 1 << int(OverrideReason::Other)
        << QStringLiteral("不合格（改判，原判 合格：沉渣 30 mm ≤ 50 mm；理由：其他）");
    QTest::newRow("an older file's override has no reason")
        << 30 << 50 << 0 << int(OverrideReason::None) << QStringLiteral("合格（改判，原判 不合格：沉渣 300 mm > 50 mm）");
    QTest::newRow("no override: the comparison line")
        << 30 << 50 << -1 << int(OverrideReason::None) << QStringLiteral("沉渣 300 mm > 50 mm（设计值）不合格");
    QTest::newRow("not judged") << 0 << 0 << -1 << int(OverrideReason::None) << QString();
}

// After an override the line says the final result first, then what was
// overridden and why.
void TestAcceptance::verdictLineStatesFinalResultFirst()
{
    QFETCH(int, thicknessCm);
    QFETCH(int, designMm);
    QFETCH(int, quality);
    QFETCH(int, reason);
    QFETCH(QString, line);
    CtrlInfo info;
    clearJudgement(info);
    if (designMm > 0) {
        info.acceptance.designLimitMm = designMm;
        info.sedimentThickness = thicknessCm;
        applyVerdict(info, CPileLimits::builtIn());
        if (quality >= 0)
            chooseHoleQuality(info, quality, reason);
    }
    QCOMPARE(verdictLine(info), line);
    QCOMPARE(overrideText(info.acceptance).isEmpty(), quality < 0);
}

void TestAcceptance::repeatTestNames_data()
{
    QTest::addColumn<QString>("hole");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("next");
    QTest::newRow("first test") << "Z17" << QStringList{"Z1.CZO"} << "Z17";
    QTest::newRow("second") << "Z17" << QStringList{"Z17.CZO"} << "Z17-2";
    QTest::newRow("any case") << "z17" << QStringList{"Z17.czo", "Z17-2.CZO"} << "z17-3";
    QTest::newRow("gap is reused") << "Z17" << QStringList{"Z17.CZO", "Z17-3.CZO"} << "Z17-2";
}

void TestAcceptance::repeatTestNames()
{
    QFETCH(QString, hole);
    QFETCH(QStringList, existing);
    QFETCH(QString, next);
    QCOMPARE(nextFreeTestName(hole, existing), next);
}

void TestAcceptance::earlierTests_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("sequence"); // stored in the file, 0: none
    QTest::addColumn<QStringList>("project");
    QTest::addColumn<QStringList>("earlier");
    const QStringList all{"Z17.CZO", "Z17-2.CZO", "Z17-3.czo", "Z1.CZO", "Z1-7.CZO", "Z170.CZO"};
    QTest::newRow("second after first") << "Z17-2.CZO" << 2 << all << QStringList{"Z17.CZO"};
    QTest::newRow("first has none") << "Z17.CZO" << 1 << all << QStringList{};
    QTest::newRow("nearest first") << "Z17-3.czo" << 3 << all << QStringList{"Z17-2.CZO", "Z17.CZO"};
    QTest::newRow("gap") << "Z17-3.CZO" << 3 << QStringList{"Z17.CZO", "Z17-3.CZO"} << QStringList{"Z17.CZO"};
    QTest::newRow("older file, no section") << "Z17-3.CZO" << 0 << QStringList{"Z17.CZO", "Z17-3.CZO"}
                                            << QStringList{"Z17.CZO"};
    QTest::newRow("pile named like a repeat") << "Z1-7.CZO" << 1 << all << QStringList{};
    QTest::newRow("repeat without its first") << "P3-2.CZO" << 0 << QStringList{"P3-2.CZO"} << QStringList{};
    QTest::newRow("later tests are not earlier") << "Z17.CZO" << 1 << QStringList{"Z17.CZO", "Z17-2.CZO"}
                                                 << QStringList{};
}

void TestAcceptance::earlierTests()
{
    QFETCH(QString, file);
    QFETCH(int, sequence);
    QFETCH(QStringList, project);
    QFETCH(QStringList, earlier);
    QCOMPARE(earlierTestsOf(file, sequence, project), earlier);
}

// A project of several holes: a repeat after cleaning, two positions, a pile
// whose name only looks like a repeat, an older pair of files, a hole not
// judged and an interrupted file.
void TestAcceptance::projectSummary()
{
    const QVector<TestFileShape> shapes{
        {"Z1.CZO", "2026-12-01 09:00:00", 3, 50},
        {"Z17.CZO", "2026-12-01 10:00:00", 8, 50},                              // fails
        {"Z17-2.CZO", "2026-12-02 08:00:00", 4, 50, MeasuringPosition::Unnamed, 2}, // after cleaning: passes
        {"Z3.CZO", "2026-12-01 11:00:00", 2, 50, MeasuringPosition::X},
        {"Z3-2.CZO", "2026-12-01 11:30:00", 9, 50, MeasuringPosition::Y, 2},      // Y fails
        {"Z3-3.CZO", "2026-12-01 12:00:00", 3, 50, MeasuringPosition::X, 3},      // X again, passes
        {"3.CZO", "2026-12-01 13:00:00", 2, 50},
        {"3-12.CZO", "2026-12-01 13:30:00", 2, 50},                             // a pile of its own
        {"Z5.CZO", "2026-11-30 09:00:00", 2, -1, 0, 1, false, false},
        {"Z5-2.CZO", "2026-11-30 10:00:00", 2, -1, 0, 1, false, false},         // older repeat, by name
        {"Z9.CZO", "2026-12-01 14:00:00", 9, 50, 0, 1, true},                   // overridden to pass
    };
    QVector<HoleFileBytes> files;
    for (const TestFileShape &s : shapes)
        files.append({s.file, holeBytes(s)});
    QByteArray broken = holeBytes(shapes.first());
    broken.replace(0, 3, "BAD");
    files.append({QStringLiteral("Z8.CZO"), broken});

    const ProjectSummary s = summarizeProject(files);
    QCOMPARE(s.projectName, QStringLiteral("滨江大桥"));
    QStringList holes;
    for (const HoleResult &h : s.holes)
        holes << QStringLiteral("%1:%2:%3").arg(h.hole).arg(h.tests()).arg(verdictKey(h.verdict()));
    QCOMPARE(holes, (QStringList{"3:1:pass", "3-12:1:pass", "Z1:1:pass", "Z3:3:fail", "Z5:2:not judged",
                                 "Z9:1:pass", "Z17:2:pass"}));
    QCOMPARE(s.tested(), 7);
    QCOMPARE(s.passed(), 5);
    QCOMPARE(s.failed(), 1);
    QCOMPARE(s.notJudged(), 1);
    QCOMPARE(s.unreadable.size(), 1);
    QCOMPARE(s.unreadable.first().fileName, QStringLiteral("Z8.CZO"));

    // One row per hole and position, the latest test there, then the totals.
    const QStringList lines = csvLines(s);
    QCOMPARE(lines.first(), QStringLiteral("hole,position,tests,date,tester,depth_m,thickness_mm,limit_mm,basis,"
                                           "verdict,override,sha256,file,hole_verdict,override_reason,"
                                           "office_rejudgement"));
    auto rowOf = [&](const QString &hole, const QString &position) {
        for (const QString &l : lines) {
            if (l.startsWith(hole + QLatin1Char(',') + position + QLatin1Char(',')))
                return l;
        }
        return QString();
    };
    const QString z17 = rowOf("Z17", "");
    const QString sha = summarizeProject(QVector<HoleFileBytes>{files.at(2)}).holes.first().latest().sha256;
    QCOMPARE(z17, QStringLiteral("Z17,,2,2026-12-02 08:00:00,\"李工, 王工\",18.50,40,50,design 50 mm,pass,no,%1,"
                                 "Z17-2.CZO,pass,,").arg(sha));
    QVERIFY(rowOf("Z3", "X").contains(QStringLiteral(",2,2026-12-01 12:00:00,")));
    QVERIFY(rowOf("Z3", "X").contains(QStringLiteral(",30,50,design 50 mm,pass,no,")));
    QVERIFY(rowOf("Z3", "Y").contains(QStringLiteral(",90,50,design 50 mm,fail,no,")));
    QVERIFY(rowOf("Z3", "Y").endsWith(QStringLiteral(",fail,,")));
    QVERIFY(rowOf("Z5", "").contains(QStringLiteral(",,,,not judged,no,"))); // no thickness, limit or basis
    QVERIFY(rowOf("Z9", "").contains(QStringLiteral(",90,50,design 50 mm,pass,yes,")));
    QVERIFY(rowOf("Z9", "").endsWith(QStringLiteral(",pass,supervisor,"))); // the override's reason
    QCOMPARE(lines.size(), 1 + 8 + 1 + 5 + 1); // header, rows, blank, totals, final newline
    QCOMPARE(lines.mid(10, 5), (QStringList{"tested,7", "passed,5", "failed,1", "not judged,1", "unreadable,1"}));
}

// A name a spreadsheet would take for a formula gets a leading quote; a
// number, and a name that only holds such a sign inside, stay as they are.
void TestAcceptance::csvNamesNeverRunAsFormulas_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cell");
    QTest::newRow("command") << "=cmd|' /C calc'!A0" << "'=cmd|' /C calc'!A0";
    QTest::newRow("plus") << "+SUM(A1:A9)" << "'+SUM(A1:A9)";
    QTest::newRow("minus") << "-2+3" << "'-2+3";
    QTest::newRow("at") << "@SUM(1)" << "'@SUM(1)";
    QTest::newRow("formula with a comma") << "=1,2" << "\"'=1,2\"";
    QTest::newRow("negative number") << "-5" << "-5";
    QTest::newRow("signed real") << "+0.25" << "+0.25";
    QTest::newRow("sign inside") << "K12+300" << "K12+300";
    QTest::newRow("chinese") << "李工" << "李工";
}

void TestAcceptance::csvNamesNeverRunAsFormulas()
{
    QFETCH(QString, name);
    QFETCH(QString, cell);
    const QByteArray clean = holeBytes({"Z1.CZO", "2026-12-01 09:00:00", 3, 50});
    CtrlInfo info;
    QVERIFY(decodeHoleFile(clean, info).ok);
    info.tester = name;
    QVector<Sample> v;
    for (int i = 0; i < 10; ++i)
        v.append(Sample{18500 - 100 * i, 10.0f, 10.0f});
    const ProjectSummary s = summarizeProject(QVector<HoleFileBytes>{{QStringLiteral("Z1.CZO"), encodeHoleFile(info, v)}});
    const QStringList lines = csvLines(s);
    QCOMPARE(lines.size(), 1 + 1 + 1 + 4 + 1);
    QVERIFY2(lines.at(1).contains(QStringLiteral(",2026-12-01 09:00:00,") + cell + QStringLiteral(",18.50,")),
             qUtf8Printable(lines.at(1)));
}

// The archive hands over records it has read: the same summary.
void TestAcceptance::summaryFromRecordsMatchesBytes()
{
    const QVector<TestFileShape> shapes{{"A1.CZO", "2026-12-01 09:00:00", 3, 50}, {"A1-2.CZO", "2026-12-01 10:00:00", 7, 50, 0, 2}};
    QVector<HoleFileBytes> files;
    QVector<HoleTestRecord> records;
    for (const TestFileShape &t : shapes) {
        const QByteArray b = holeBytes(t);
        files.append({t.file, b});
        CtrlInfo info;
        const HoleLoadResult r = decodeHoleFile(b, info);
        records.append(holeTestFromRecord(t.file, info, r.samples.size(), holeTestFromBytes(t.file, b).sha256));
    }
    QCOMPARE(projectSummaryCsv(summarizeProject(records)), projectSummaryCsv(summarizeProject(files)));
}

// From a folder: only hole files count; the CSV and the PDF land beside the
// folder, and the PDF names every hole.
void TestAcceptance::summaryFolderAndFiles()
{
    TestAppDir dir;
    const QString project = dir.file(QStringLiteral("ZPV_CZL-FILE/Bridge"));
    QVERIFY(writeFileBytes(project + QStringLiteral("/Z1.CZO"), holeBytes({"Z1.CZO", "2026-12-01 09:00:00", 3, 50})));
    QVERIFY(writeFileBytes(project + QStringLiteral("/zff2.czo"), holeBytes({"zff2.czo", "2026-12-01 09:30:00", 8, 50})));
    QVERIFY(writeFileBytes(project + QStringLiteral("/Z1.PDF"), QByteArray("%PDF-1.4 report")));
    QString csv, pdf, error;
    QVERIFY2(writeProjectSummaryFiles(project, &csv, &pdf, &error), qPrintable(error));
    QCOMPARE(csv, dir.file(QStringLiteral("ZPV_CZL-FILE/Bridge-汇总.csv")));
    QCOMPARE(pdf, dir.file(QStringLiteral("ZPV_CZL-FILE/Bridge-汇总.pdf")));
    const QStringList lines = QString::fromUtf8(readFileBytes(csv)).split(QLatin1Char('\n'));
    QVERIFY(lines.contains(QStringLiteral("tested,2")));
    QVERIFY(lines.contains(QStringLiteral("failed,1")));
    QVERIFY(readFileBytes(pdf).startsWith("%PDF"));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed");
    QProcess p;
    p.start(pdftotext, {pdf, QStringLiteral("-")});
    QVERIFY(p.waitForFinished(20000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(text.contains(QStringLiteral("工程汇总")), qPrintable(text));
    // Letters a font would join ("ff") stay letters a reader can search for.
    QVERIFY2(text.contains(QStringLiteral("Z1")) && text.contains(QStringLiteral("zff2")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("检测 2 孔，合格 1，不合格 1，未判定 0")));
}

QTEST_MAIN(TestAcceptance)
#include "tst_acceptance.moc"
