#include "lasexport.h"

#include "pilelimits.h"
#include "verdict.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

// One line of a text field: control characters (line breaks, tabs) become
// spaces; surrounding blanks go.
QString oneLine(const QString &text)
{
    QString s = text;
    for (QChar &c : s)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return s.trimmed();
}

// " MNEM.UNIT   data : description", the data padded so the colons line up.
QString headerLine(const QString &mnemonic, const QString &unit, const QString &data, const QString &description)
{
    const QString key = QStringLiteral(" %1.%2").arg(mnemonic.leftJustified(4), unit);
    return QStringLiteral("%1 %2 : %3\n").arg(key.leftJustified(11), oneLine(data).leftJustified(24), description);
}

QString metres(int64_t mm)
{
    return QString::number(double(mm) / 1000.0, 'f', 3);
}

QString value(float v)
{
    return QString::number(std::isfinite(v) ? double(v) : Las::NullValue, 'f', 4);
}

// Spacing of the rows in millimetres when they are evenly spaced, else 0.
int64_t evenStep(const QVector<Sample> &rows)
{
    if (rows.size() < 2)
        return 0;
    const int64_t step = int64_t(rows.at(1).depth) - rows.at(0).depth;
    if (step == 0)
        return 0;
    for (int i = 2; i < rows.size(); ++i)
        if (int64_t(rows.at(i).depth) - rows.at(i - 1).depth != step)
            return 0;
    return step;
}

} // namespace

QByteArray holeToLas(const CtrlInfo &info, const QVector<Sample> &samples, const QString &sourceName)
{
    QVector<Sample> rows = samples;
    std::stable_sort(rows.begin(), rows.end(), [](const Sample &a, const Sample &b) { return a.depth < b.depth; });
    const QString nullText = QString::number(Las::NullValue, 'f', 2);

    QString out;
    out += QStringLiteral("~Version Information\n");
    out += headerLine(QStringLiteral("VERS"), QString(), QStringLiteral("2.0"),
                      QStringLiteral("CWLS LOG ASCII STANDARD - VERSION 2.0"));
    out += headerLine(QStringLiteral("WRAP"), QString(), QStringLiteral("NO"), QStringLiteral("ONE LINE PER DEPTH STEP"));

    out += QStringLiteral("~Well Information\n");
    out += QStringLiteral("#MNEM.UNIT  DATA                     : DESCRIPTION\n");
    out += headerLine(QStringLiteral("STRT"), QStringLiteral("M"), rows.isEmpty() ? nullText : metres(rows.first().depth),
                      QStringLiteral("START DEPTH"));
    out += headerLine(QStringLiteral("STOP"), QStringLiteral("M"), rows.isEmpty() ? nullText : metres(rows.last().depth),
                      QStringLiteral("STOP DEPTH"));
    out += headerLine(QStringLiteral("STEP"), QStringLiteral("M"), metres(evenStep(rows)), QStringLiteral("STEP"));
    out += headerLine(QStringLiteral("NULL"), QString(), nullText, QStringLiteral("NULL VALUE"));
    out += headerLine(QStringLiteral("COMP"), QString(), info.constructionUnit.get(), QStringLiteral("COMPANY"));
    out += headerLine(QStringLiteral("WELL"), QString(), info.holeNo.get(), QStringLiteral("WELL"));
    out += headerLine(QStringLiteral("FLD"), QString(), info.projectName.get(), QStringLiteral("FIELD"));
    out += headerLine(QStringLiteral("SRVC"), QString(), info.testUnit.get(), QStringLiteral("SERVICE COMPANY"));
    out += headerLine(QStringLiteral("DATE"), QString(),
                      QStringLiteral("%1 %2").arg(info.testDate.get(), info.testTime.get()), QStringLiteral("LOG DATE"));

    out += QStringLiteral("~Curve Information\n");
    out += headerLine(QStringLiteral("DEPT"), QStringLiteral("M"), QString(), QStringLiteral("DEPTH"));
    out += headerLine(QStringLiteral("RES"), QStringLiteral("OHMM"), QString(),
                      QStringLiteral("MUD APPARENT RESISTIVITY"));
    out += headerLine(QStringLiteral("RAW"), QStringLiteral("OHMM"), QString(),
                      QStringLiteral("MUD APPARENT RESISTIVITY AS ACQUIRED"));

    out += QStringLiteral("~Parameter Information\n");
    out += headerLine(QStringLiteral("HDEP"), QStringLiteral("M"), metres(info.maxDepth), QStringLiteral("HOLE DEPTH"));
    out += headerLine(QStringLiteral("HDIA"), QStringLiteral("MM"), QString::number(info.holeDiameter),
                      QStringLiteral("HOLE DIAMETER"));
    out += headerLine(QStringLiteral("ELEV"), QStringLiteral("M"), metres(info.elevation),
                      QStringLiteral("ELEVATION OF THE HOLE TOP"));
    out += headerLine(QStringLiteral("OANG"), QStringLiteral("DEG"), QString::number(info.offsetAngle),
                      QStringLiteral("OFFSET ANGLE"));
    out += headerLine(QStringLiteral("MDIS"), QStringLiteral("MM"), QString::number(info.moveDistance),
                      QStringLiteral("MOVE DISTANCE"));
    out += headerLine(QStringLiteral("MODE"), QString(), SampleModes::text(info.sampleMode), QStringLiteral("RAISING MODE"));
    out += headerLine(QStringLiteral("WHLD"), QStringLiteral("MM"), QString::number(info.wheelD),
                      QStringLiteral("PULLEY DIAMETER"));
    out += headerLine(QStringLiteral("LIND"), QStringLiteral("MM"), QString::number(info.lineD),
                      QStringLiteral("CABLE DIAMETER"));
    out += headerLine(QStringLiteral("WSPD"), QString(), QString::number(info.winchSpeed), QStringLiteral("WINCH SPEED"));
    // A test not judged yet has no thickness or quality: empty values.
    const bool judged = !info.acceptance.awaitingJudgement;
    out += headerLine(QStringLiteral("SEDT"), QStringLiteral("CM"),
                      judged ? QString::number(info.sedimentThickness) : QString(), QStringLiteral("SEDIMENT THICKNESS"));
    out += headerLine(QStringLiteral("HQUA"), QString(), judged ? QString::number(info.holeQuality) : QString(),
                      QStringLiteral("HOLE QUALITY (0 QUALIFIED, 1 UNQUALIFIED)"));
    const HoleAcceptance &a = info.acceptance;
    out += headerLine(QStringLiteral("BASIS"), QString(), basisDataText(a), QStringLiteral("ACCEPTANCE BASIS"));
    out += headerLine(QStringLiteral("SLIM"), QStringLiteral("MM"), a.limitMm >= 0 ? QString::number(a.limitMm) : QString(),
                      QStringLiteral("SEDIMENT LIMIT"));
    out += headerLine(QStringLiteral("VERD"), QString(), verdictKey(a.verdict), QStringLiteral("VERDICT OF THE THICKNESS"));
    out += headerLine(QStringLiteral("OVRD"), QString(), a.overridden ? QStringLiteral("yes") : QStringLiteral("no"),
                      QStringLiteral("HOLE QUALITY CHOSEN AGAINST THE VERDICT"));
    out += headerLine(QStringLiteral("OVRR"), QString(), a.overridden ? OverrideReason::key(a.overrideReason) : QString(),
                      QStringLiteral("REASON FOR THE OVERRIDE"));
    out += headerLine(QStringLiteral("POSN"), QString(), MeasuringPosition::key(a.position),
                      QStringLiteral("MEASURING POSITION"));
    out += headerLine(QStringLiteral("TSEQ"), QString(), QString::number(a.sequence), QStringLiteral("TEST OF THE HOLE"));
    out += headerLine(QStringLiteral("TSTR"), QString(), info.tester.get(), QStringLiteral("TESTER"));
    out += headerLine(QStringLiteral("SRCF"), QString(), sourceName, QStringLiteral("SOURCE FILE"));

    out += QStringLiteral("~ASCII DEPT RES RAW\n");
    for (const Sample &s : rows)
        out += metres(s.depth).rightJustified(12) + QLatin1Char(' ') + value(s.resistivity).rightJustified(14)
             + QLatin1Char(' ') + value(s.rawResistivity).rightJustified(14) + QLatin1Char('\n');
    return out.toUtf8();
}
