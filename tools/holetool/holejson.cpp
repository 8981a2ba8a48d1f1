#include "holejson.h"

#include "csvcell.h"
#include "gbktext.h"
#include "holefile.h"

#include <QJsonArray>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {
bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

QJsonValue realValue(float f)
{
    if (std::isnan(f))
        return QStringLiteral("NaN");
    if (std::isinf(f))
        return f > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (f == 0.0f && std::signbit(f))
        return QStringLiteral("-0");
    // The double nearest the short decimal: JSON prints it as that decimal.
    return HoleJson::realText(f).toDouble();
}

bool readReal(const QJsonValue &v, float *out)
{
    if (v.isDouble()) {
        *out = float(v.toDouble());
        return true;
    }
    const QString s = v.toString();
    if (s == QLatin1String("NaN"))
        *out = std::numeric_limits<float>::quiet_NaN();
    else if (s == QLatin1String("Infinity"))
        *out = std::numeric_limits<float>::infinity();
    else if (s == QLatin1String("-Infinity"))
        *out = -std::numeric_limits<float>::infinity();
    else if (s == QLatin1String("-0"))
        *out = -0.0f;
    else
        return false;
    return true;
}

bool readInt(const QJsonValue &v, qint64 lo, qint64 hi, int32_t *out)
{
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    if (d != std::floor(d) || d < double(lo) || d > double(hi))
        return false;
    *out = int32_t(d);
    return true;
}

struct TextKey {
    const char *key;
    SharedText CtrlInfo::*field;
    int size;
};
const TextKey kTexts[] = {
    {"projectName", &CtrlInfo::projectName, HoleFile::TextFieldSize},
    {"holeNo", &CtrlInfo::holeNo, HoleFile::TextFieldSize},
    {"testUnit", &CtrlInfo::testUnit, HoleFile::TextFieldSize},
    {"constructionUnit", &CtrlInfo::constructionUnit, HoleFile::TextFieldSize},
    {"tester", &CtrlInfo::tester, HoleFile::TextFieldSize},
    {"testDate", &CtrlInfo::testDate, HoleFile::DateFieldSize},
    {"testTime", &CtrlInfo::testTime, HoleFile::TimeFieldSize},
};

struct IntKey {
    const char *key;
    SharedValue<int32_t> CtrlInfo::*field;
    qint64 lo;
    qint64 hi;
};
constexpr qint64 kMin32 = std::numeric_limits<int32_t>::min();
constexpr qint64 kMax32 = std::numeric_limits<int32_t>::max();
const IntKey kInts[] = {
    {"maxDepth", &CtrlInfo::maxDepth, kMin32, kMax32},
    {"holeDiameter", &CtrlInfo::holeDiameter, kMin32, kMax32},
    {"holeDepth", &CtrlInfo::holeDepth, kMin32, kMax32},
    {"elevation", &CtrlInfo::elevation, kMin32, kMax32},
    {"moveDistance", &CtrlInfo::moveDistance, kMin32, kMax32},
    {"offsetAngle", &CtrlInfo::offsetAngle, kMin32, kMax32},
    {"wheelD", &CtrlInfo::wheelD, kMin32, kMax32},
    {"lineD", &CtrlInfo::lineD, kMin32, kMax32},
    {"winchSpeed", &CtrlInfo::winchSpeed, 0, 255}, // the file keeps one byte
    {"holeQuality", &CtrlInfo::holeQuality, kMin32, kMax32},
    {"sedimentThickness", &CtrlInfo::sedimentThickness, kMin32, kMax32},
};

struct RealKey {
    const char *key;
    SharedValue<float> CtrlInfo::*field;
};
const RealKey kReals[] = {{"spareValue1", &CtrlInfo::spareValue1}, {"spareValue2", &CtrlInfo::spareValue2}};

bool fail(QString *error, const QString &what)
{
    if (error)
        *error = what;
    return false;
}

// Mode: modeCode and the mode text must agree when both are given.
bool readMode(const QJsonObject &o, CtrlInfo &info, QString *error)
{
    int code = -1;
    if (o.contains(QLatin1String("sampleMode"))) {
        code = SampleModes::codeOf(o.value(QLatin1String("sampleMode")).toString());
        if (code < 0)
            return fail(error, QStringLiteral("unknown sampleMode"));
    }
    if (o.contains(QLatin1String("modeCode"))) {
        int32_t c;
        if (!readInt(o.value(QLatin1String("modeCode")), 0, SampleModes::Wireless, &c))
            return fail(error, QStringLiteral("modeCode must be a whole number from 0 to 5"));
        if (code >= 0 && code != c)
            return fail(error, QStringLiteral("sampleMode and modeCode disagree"));
        code = c;
    }
    if (code >= 0)
        info.sampleMode = code;
    return true;
}

QJsonObject acceptanceJson(const HoleAcceptance &a)
{
    return QJsonObject{{QStringLiteral("designLimitMm"), a.designLimitMm},
                       {QStringLiteral("code"), a.code},
                       {QStringLiteral("pileType"), a.pileType},
                       {QStringLiteral("limitMm"), a.limitMm},
                       {QStringLiteral("verdict"), a.verdict},
                       {QStringLiteral("overridden"), a.overridden},
                       {QStringLiteral("overrideReason"), OverrideReason::key(a.overrideReason)},
                       {QStringLiteral("position"), MeasuringPosition::key(a.position)},
                       {QStringLiteral("sequence"), a.sequence},
                       {QStringLiteral("awaitingJudgement"), a.awaitingJudgement},
                       {QStringLiteral("holeNumberKept"), a.holeNumberKept}};
}

bool readAcceptance(const QJsonValue &v, HoleAcceptance &a, QString *error)
{
    if (!v.isObject())
        return fail(error, QStringLiteral("acceptance must be an object"));
    const QJsonObject o = v.toObject();
    struct Int {
        const char *key;
        int32_t *field;
        qint64 lo, hi;
    };
    const Int ints[] = {{"designLimitMm", &a.designLimitMm, 0, kMax32},
                        {"limitMm", &a.limitMm, -1, kMax32},
                        {"verdict", &a.verdict, -1, 1},
                        {"sequence", &a.sequence, 1, kMax32}};
    for (auto it = o.begin(); it != o.end(); ++it) {
        const QString key = it.key();
        const QJsonValue value = it.value();
        const Int *i = std::find_if(std::begin(ints), std::end(ints), [&](const Int &x) { return key == QLatin1String(x.key); });
        if (i != std::end(ints)) {
            if (!readInt(value, i->lo, i->hi, i->field))
                return fail(error, QStringLiteral("acceptance.%1 must be a whole number from %2 to %3")
                                       .arg(key, QString::number(i->lo), QString::number(i->hi)));
        } else if (key == QLatin1String("code") || key == QLatin1String("pileType")) {
            if (!value.isString() || !GbkText::canEncode(value.toString()))
                return fail(error, QStringLiteral("acceptance.%1 must be a GBK text").arg(key));
            (key == QLatin1String("code") ? a.code : a.pileType) = value.toString();
        } else if (key == QLatin1String("overridden") || key == QLatin1String("awaitingJudgement")
                   || key == QLatin1String("holeNumberKept")) {
            if (!value.isBool())
                return fail(error, QStringLiteral("acceptance.%1 must be true or false").arg(key));
            (key == QLatin1String("overridden") ? a.overridden
             : key == QLatin1String("awaitingJudgement") ? a.awaitingJudgement
                                                          : a.holeNumberKept) = value.toBool();
        } else if (key == QLatin1String("overrideReason")) {
            const QString r = value.toString();
            if (!value.isString() || (!r.isEmpty() && OverrideReason::fromKey(r) == OverrideReason::None))
                return fail(error, QStringLiteral("acceptance.overrideReason must be one of \"\", retest, design-change,"
                                                  " supervisor, other"));
            a.overrideReason = OverrideReason::fromKey(r);
        } else if (key == QLatin1String("position")) {
            const QString p = value.toString();
            if (!value.isString() || (!p.isEmpty() && MeasuringPosition::fromKey(p) == MeasuringPosition::Unnamed))
                return fail(error, QStringLiteral("acceptance.position must be one of \"\", centre, X, X', Y, Y'"));
            a.position = MeasuringPosition::fromKey(p);
        } else {
            return fail(error, QStringLiteral("unknown key acceptance.%1").arg(key));
        }
    }
    return true;
}

bool readSamples(const QJsonValue &v, QVector<Sample> &samples, QString *error)
{
    if (!v.isArray())
        return fail(error, QStringLiteral("samples must be an array"));
    const QJsonArray a = v.toArray();
    samples.clear();
    samples.reserve(a.size());
    for (int i = 0; i < a.size(); ++i) {
        const QJsonArray row = a.at(i).toArray();
        Sample s;
        if (!a.at(i).isArray() || row.size() != 3 || !readInt(row.at(0), kMin32, kMax32, &s.depth)
            || !readReal(row.at(1), &s.resistivity) || !readReal(row.at(2), &s.rawResistivity))
            return fail(error, QStringLiteral("sample %1 must be [depth, resistivity, rawResistivity]").arg(i));
        samples.append(s);
    }
    return true;
}
} // namespace

QString HoleJson::realText(float f)
{
    // The shortest text that reads back as this float. Readers of JSON and
    // CSV usually go through a double first; in the rare case where that
    // rounds differently, nine digits always come back exactly.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, f);
    const QString shortest = QString::fromLatin1(buf, int(res.ptr - buf));
    if (!std::isfinite(f) || sameBits(float(shortest.toDouble()), f))
        return shortest;
    return QString::number(double(f), 'g', 9);
}

QJsonObject HoleJson::toJson(const CtrlInfo &info, const QVector<Sample> &samples)
{
    QJsonObject o;
    for (const TextKey &k : kTexts)
        o.insert(QLatin1String(k.key), (info.*k.field).get());
    // A hole file holds a known code (an unknown one is stored as 0).
    const int mode = SampleModes::isKnown(info.sampleMode) ? int(info.sampleMode) : int(SampleModes::AutoRaise);
    o.insert(QStringLiteral("sampleMode"), SampleModes::sourceText(mode));
    for (const IntKey &k : kInts)
        o.insert(QLatin1String(k.key), int32_t(info.*k.field));
    o.insert(QStringLiteral("modeCode"), mode);
    for (const RealKey &k : kReals)
        o.insert(QLatin1String(k.key), realValue(info.*k.field));
    QJsonArray rows;
    for (const Sample &s : samples)
        rows.append(QJsonArray{s.depth, realValue(s.resistivity), realValue(s.rawResistivity)});
    o.insert(QStringLiteral("samples"), rows);
    if (info.acceptance != HoleAcceptance())
        o.insert(QStringLiteral("acceptance"), acceptanceJson(info.acceptance));
    return o;
}

bool HoleJson::fromJson(const QJsonObject &o, CtrlInfo &info, QVector<Sample> &samples, QString *error)
{
    QStringList known{QStringLiteral("sampleMode"), QStringLiteral("modeCode"), QStringLiteral("samples"),
                      QStringLiteral("acceptance")};
    for (const TextKey &k : kTexts) {
        known << QLatin1String(k.key);
        if (!o.contains(QLatin1String(k.key)))
            continue;
        const QJsonValue v = o.value(QLatin1String(k.key));
        if (!v.isString())
            return fail(error, QStringLiteral("%1 must be a text").arg(QLatin1String(k.key)));
        const QString text = v.toString();
        if (!GbkText::canEncode(text))
            return fail(error, QStringLiteral("%1 has characters outside GBK").arg(QLatin1String(k.key)));
        if (GbkText::encode(text).size() > k.size)
            return fail(error, QStringLiteral("%1 is longer than %2 GBK bytes").arg(QLatin1String(k.key), QString::number(k.size)));
        info.*k.field = text;
    }
    for (const IntKey &k : kInts) {
        known << QLatin1String(k.key);
        if (!o.contains(QLatin1String(k.key)))
            continue;
        int32_t v;
        if (!readInt(o.value(QLatin1String(k.key)), k.lo, k.hi, &v))
            return fail(error, QStringLiteral("%1 must be a whole number from %2 to %3")
                                   .arg(QLatin1String(k.key), QString::number(k.lo), QString::number(k.hi)));
        info.*k.field = v;
    }
    for (const RealKey &k : kReals) {
        known << QLatin1String(k.key);
        if (!o.contains(QLatin1String(k.key)))
            continue;
        float v;
        if (!readReal(o.value(QLatin1String(k.key)), &v))
            return fail(error, QStringLiteral("%1 must be a number").arg(QLatin1String(k.key)));
        info.*k.field = v;
    }
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (!known.contains(it.key()))
            return fail(error, QStringLiteral("unknown key %1").arg(it.key()));
    }
    if (!readMode(o, info, error))
        return false;
    if (o.contains(QLatin1String("samples")) && !readSamples(o.value(QLatin1String("samples")), samples, error))
        return false;
    if (o.contains(QLatin1String("acceptance")) && !readAcceptance(o.value(QLatin1String("acceptance")), info.acceptance, error))
        return false;
    return true;
}

QByteArray HoleJson::toCsv(const QVector<Sample> &samples)
{
    QByteArray out("depth_m,resistivity,raw_resistivity\n");
    for (const Sample &s : samples) {
        // Metres with three decimals, exact: the depth is whole millimetres.
        const qint64 mm = s.depth;
        const qint64 a = mm < 0 ? -mm : mm;
        out += (mm < 0 ? "-" : "") + QByteArray::number(a / 1000) + '.'
            + QByteArray::number(a % 1000).rightJustified(3, '0') + ',' + csvCell(realText(s.resistivity)).toUtf8()
            + ',' + csvCell(realText(s.rawResistivity)).toUtf8() + '\n';
    }
    return out;
}
