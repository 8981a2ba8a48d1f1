// The LAS 2.0 log of a hole: its sections and header fields, the data rows
// (depth order, spacing, values that are not numbers), texts that could
// break the format, and the office tool's "las" command.

#include "recordfixture.h"
#include "ctrlinfo.h"
#include "holefile.h"
#include "lasexport.h"
#include "testsupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <limits>

Q_DECLARE_METATYPE(QVector<Sample>)
Q_DECLARE_METATYPE(HoleAcceptance)

namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

// The filled record, judged unqualified.
CtrlInfo record()
{
    CtrlInfo info = RecordFixture::filledRecord();
    info.holeQuality = 1;
    return info;
}

// A parsed LAS file: section names in order, header lines per section as
// mnemonic -> (unit, data), and the data rows.
struct ParsedLas {
    QStringList sections;
    QMap<QString, QMap<QString, QPair<QString, QString>>> fields;
    QStringList curveOrder;
    QVector<QStringList> rows;
    QStringList errors;
};

// Reads the text by the standard's rules: a line starting with "~" opens a
// section, "#" is a comment, the mnemonic ends at the first period, the unit
// at the first blank after it, the data at the last colon.
ParsedLas parse(const QByteArray &bytes)
{
    ParsedLas las;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    QString section;
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (line.isEmpty()) {
            if (i != lines.size() - 1)
                las.errors << QStringLiteral("empty line %1").arg(i + 1);
            continue;
        }
        if (line.startsWith(QLatin1Char('~'))) {
            section = line.mid(1, 1);
            las.sections << line.mid(1).section(QLatin1Char(' '), 0, 0);
            continue;
        }
        if (line.startsWith(QLatin1Char('#')))
            continue;
        if (section == QLatin1String("A")) {
            las.rows << line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            continue;
        }
        const int dot = line.indexOf(QLatin1Char('.'));
        const int colon = line.lastIndexOf(QLatin1Char(':'));
        if (dot < 0 || colon < dot) {
            las.errors << QStringLiteral("bad header line %1: %2").arg(i + 1).arg(line);
            continue;
        }
        const QString mnemonic = line.left(dot).trimmed();
        const int blank = line.indexOf(QLatin1Char(' '), dot);
        const QString unit = line.mid(dot + 1, blank - dot - 1);
        const QString data = line.mid(blank, colon - blank).trimmed();
        las.fields[section][mnemonic] = qMakePair(unit, data);
        if (section == QLatin1String("C"))
            las.curveOrder << mnemonic;
    }
    return las;
}

QString field(const ParsedLas &las, const char *section, const char *mnemonic)
{
    return las.fields.value(QLatin1String(section)).value(QLatin1String(mnemonic)).second;
}

} // namespace

class TestLasExport : public QObject {
    Q_OBJECT
private slots:
    void structure();
    void acceptanceFields_data();
    void acceptanceFields();
    void rows_data();
    void rows();
    void textsCannotBreakTheFormat();
    void officeTool();
};

void TestLasExport::structure()
{
    QVector<Sample> v;
    for (int i = 0; i < 5; ++i)
        v.append(Sample{20000 - 50 * i, 12.5f + i, 12.0f});
    const ParsedLas las = parse(holeToLas(record(), v, QStringLiteral("A12.CZO")));
    QCOMPARE(las.errors, QStringList());
    QCOMPARE(las.sections, (QStringList{"Version", "Well", "Curve", "Parameter", "ASCII"}));
    QCOMPARE(field(las, "V", "VERS"), QStringLiteral("2.0"));
    QCOMPARE(field(las, "V", "WRAP"), QStringLiteral("NO"));
    QCOMPARE(field(las, "W", "STRT"), QStringLiteral("19.800"));
    QCOMPARE(field(las, "W", "STOP"), QStringLiteral("20.000"));
    QCOMPARE(field(las, "W", "STEP"), QStringLiteral("0.050"));
    QCOMPARE(field(las, "W", "NULL"), QStringLiteral("-999.25"));
    QCOMPARE(las.fields["W"]["STRT"].first, QStringLiteral("M"));
    QCOMPARE(field(las, "W", "WELL"), QStringLiteral("A12"));
    QCOMPARE(field(las, "W", "FLD"), u("跨江大桥桩基检测工程"));
    QCOMPARE(field(las, "W", "COMP"), u("第三工程局"));
    QCOMPARE(field(las, "W", "SRVC"), u("检测中心"));
    QCOMPARE(field(las, "W", "DATE"), QStringLiteral("2024-05-06 10:11:12"));
    QCOMPARE(las.curveOrder, (QStringList{"DEPT", "RES", "RAW"}));
    QCOMPARE(las.fields["C"]["DEPT"].first, QStringLiteral("M"));
    QCOMPARE(las.fields["C"]["RES"].first, QStringLiteral("OHMM"));
    QCOMPARE(field(las, "P", "HDEP"), QStringLiteral("20.000"));
    QCOMPARE(field(las, "P", "MDIS"), QStringLiteral("50"));
    QCOMPARE(field(las, "P", "SEDT"), QStringLiteral("35"));
    QCOMPARE(field(las, "P", "HQUA"), QStringLiteral("1"));
    QCOMPARE(field(las, "P", "TSTR"), u("王五"));
    QCOMPARE(field(las, "P", "SRCF"), QStringLiteral("A12.CZO"));
    QCOMPARE(field(las, "P", "MODE"), SampleModes::text(0));
    // The ~ASCII line names the curves in the same order.
    QVERIFY(holeToLas(record(), v, QString()).contains("\n~ASCII DEPT RES RAW\n"));
}

void TestLasExport::rows_data()
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    QTest::addColumn<QVector<Sample>>("samples");
    QTest::addColumn<QStringList>("depths");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("stop");
    QTest::newRow("raised: depth order reversed")
        << QVector<Sample>{{20000, 30, 29}, {19950, 12, 11}, {19900, 12, 11}}
        << QStringList{"19.900", "19.950", "20.000"} << "0.050" << "19.900" << "20.000";
    QTest::newRow("uneven (a leak point)")
        << QVector<Sample>{{20000, 30, 30}, {19950, 12, 12}, {19850, 12, 12}}
        << QStringList{"19.850", "19.950", "20.000"} << "0.000" << "19.850" << "20.000";
    QTest::newRow("same depth twice")
        << QVector<Sample>{{20000, 30, 30}, {20000, 31, 31}} << QStringList{"20.000", "20.000"} << "0.000"
        << "20.000" << "20.000";
    QTest::newRow("one sample") << QVector<Sample>{{1234, 5, 5}} << QStringList{"1.234"} << "0.000" << "1.234" << "1.234";
    QTest::newRow("none") << QVector<Sample>() << QStringList() << "0.000" << "-999.25" << "-999.25";
    QTest::newRow("not a number") << QVector<Sample>{{100, nan, 2}} << QStringList{"0.100"} << "0.000" << "0.100"
                                  << "0.100";
    QTest::newRow("extreme depths") << QVector<Sample>{{INT32_MAX, 1, 1}, {INT32_MIN, 1, 1}}
                                    << QStringList{"-2147483.648", "2147483.647"} << "4294967.295" << "-2147483.648"
                                    << "2147483.647";
}

// Rows run from the top down with depths in metres; STEP is the spacing
// when it is even, else 0; values that are not numbers are NULL.
void TestLasExport::rows()
{
    QFETCH(QVector<Sample>, samples);
    QFETCH(QStringList, depths);
    QFETCH(QString, step);
    QFETCH(QString, start);
    QFETCH(QString, stop);
    const ParsedLas las = parse(holeToLas(record(), samples, QString()));
    QCOMPARE(las.errors, QStringList());
    QCOMPARE(field(las, "W", "STEP"), step);
    QCOMPARE(field(las, "W", "STRT"), start);
    QCOMPARE(field(las, "W", "STOP"), stop);
    QStringList got;
    for (const QStringList &r : las.rows) {
        QCOMPARE(r.size(), 3);
        got << r.first();
        for (const QString &cell : r) {
            bool ok = false;
            cell.toDouble(&ok);
            QVERIFY2(ok, qPrintable(cell));
        }
    }
    QCOMPARE(got, depths);
    if (QTest::currentDataTag() == QLatin1String("not a number"))
        QCOMPARE(las.rows.first(), (QStringList{"0.100", "-999.2500", "2.0000"}));
    if (QTest::currentDataTag() == QLatin1String("raised: depth order reversed"))
        QCOMPARE(las.rows.last(), (QStringList{"20.000", "30.0000", "29.0000"}));
}

// Line breaks in a text become blanks: no text opens a section, adds a
// header line or a data row; colons inside data stay inside the data.
void TestLasExport::textsCannotBreakTheFormat()
{
    CtrlInfo info = record();
    info.projectName = QStringLiteral("P1\n~ASCII\n1 2 3");
    info.holeNo = QStringLiteral("A:12\r\n#x");
    info.tester = QStringLiteral("a\tb\x0b" "c");
    const ParsedLas las = parse(holeToLas(info, {Sample{100, 1, 1}}, QStringLiteral("A.CZO")));
    QCOMPARE(las.errors, QStringList());
    QCOMPARE(las.sections, (QStringList{"Version", "Well", "Curve", "Parameter", "ASCII"}));
    QCOMPARE(las.rows.size(), 1);
    QCOMPARE(field(las, "W", "FLD"), QStringLiteral("P1 ~ASCII 1 2 3"));
    QCOMPARE(field(las, "W", "WELL"), QStringLiteral("A:12  #x"));
    QCOMPARE(field(las, "P", "TSTR"), QStringLiteral("a b c"));
}

// zpvw-hole las FILE prints the log of a saved hole file; a refused file
// gives one line on stderr and exit status 1.
void TestLasExport::officeTool()
{
    TestAppDir app;
    const QString hole = app.file(QStringLiteral("P/A12.CZO"));
    HoleSaveOptions o;
    o.sync = false;
    QVector<Sample> v{{20000, 30, 30}, {19950, 12, 12}};
    QVERIFY(QDir().mkpath(app.file(QStringLiteral("P"))));
    QVERIFY(saveHoleFile(hole, record(), v, o));
    QProcess p;
    p.start(testBinDir() + QStringLiteral("/zpvw-hole"), {QStringLiteral("las"), app.file(QStringLiteral("P/A12"))});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    const QByteArray out = p.readAllStandardOutput();
    QCOMPARE(out, holeToLas(record(), v, QStringLiteral("A12.CZO")));

    QByteArray bytes = readFileBytes(hole);
    bytes.replace(0, 3, "BAD");
    QVERIFY(writeFileBytes(hole, bytes));
    p.start(testBinDir() + QStringLiteral("/zpvw-hole"), {QStringLiteral("las"), hole});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 1);
    QCOMPARE(p.readAllStandardOutput(), QByteArray());
    const QByteArray err = p.readAllStandardError();
    QVERIFY(err.startsWith("zpvw-hole: "));
    QCOMPARE(err.count('\n'), 1);
}

void TestLasExport::acceptanceFields_data()
{
    QTest::addColumn<HoleAcceptance>("acceptance");
    QTest::addColumn<QStringList>("expected"); // BASIS, SLIM, VERD, OVRD, OVRR, POSN, TSEQ
    HoleAcceptance table;
    table.code = QStringLiteral("JTG/T 3650-2020");
    table.pileType = u("摩擦桩");
    table.limitMm = 300;
    table.verdict = AcceptanceVerdict::Fail;
    table.overridden = true;
    table.overrideReason = OverrideReason::SupervisorConfirmed;
    table.position = MeasuringPosition::YPrime;
    table.sequence = 3;
    HoleAcceptance noReason = table;
    noReason.overrideReason = OverrideReason::None;
    // A reason without an override is not one.
    HoleAcceptance design;
    design.designLimitMm = 80;
    design.limitMm = 80;
    design.verdict = AcceptanceVerdict::Pass;
    design.overrideReason = OverrideReason::RetestPassed;
    QTest::newRow("none") << HoleAcceptance() << QStringList{"", "", "not judged", "no", "", "", "1"};
    QTest::newRow("table row, overridden") << table
                                           << QStringList{u("JTG/T 3650-2020 摩擦桩"), "300", "fail", "yes", "supervisor", "Y'", "3"};
    QTest::newRow("overridden without reason") << noReason
                                               << QStringList{u("JTG/T 3650-2020 摩擦桩"), "300", "fail", "yes", "", "Y'", "3"};
    QTest::newRow("design value") << design << QStringList{"design 80 mm", "80", "pass", "no", "", "", "1"};
}

// The header names the basis, the limit, the verdict and any override, as
// data that does not depend on the language.
void TestLasExport::acceptanceFields()
{
    QFETCH(HoleAcceptance, acceptance);
    QFETCH(QStringList, expected);
    CtrlInfo info = record();
    info.acceptance = acceptance;
    const ParsedLas las = parse(holeToLas(info, {Sample{20000, 1, 1}}, QStringLiteral("A12.CZO")));
    QCOMPARE(las.errors, QStringList());
    QStringList got;
    for (const char *m : {"BASIS", "SLIM", "VERD", "OVRD", "OVRR", "POSN", "TSEQ"})
        got << field(las, "P", m);
    QCOMPARE(got, expected);
}

QTEST_MAIN(TestLasExport)
#include "tst_lasexport.moc"
