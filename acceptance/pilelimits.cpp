#include "pilelimits.h"

#include "appdir.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {
// The pile types of the default table, for the English catalogue.
const char *const kDefaultPileTypes[] = {
    QT_TRANSLATE_NOOP("PileLimits", "端承桩"),
    QT_TRANSLATE_NOOP("PileLimits", "摩擦桩"),
    QT_TRANSLATE_NOOP("PileLimits", "抗拔、抗水平力桩"),
};

bool readBound(const QJsonObject &o, const char *key, int32_t *out, QString *error, int row)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull()) {
        *out = 0;
        return true;
    }
    const double d = v.toDouble(-1.0);
    if (!v.isDouble() || d < 0 || d > 1e9 || d != std::floor(d)) {
        *error = QStringLiteral("row %1: %2 must be a whole number of millimetres").arg(QString::number(row + 1), QLatin1String(key));
        return false;
    }
    *out = int32_t(d);
    return true;
}

bool holds(int32_t bound, int32_t value) { return bound <= 0 || value <= bound; }
} // namespace

bool CPileLimits::parse(const QByteArray &json, CPileLimits *out, QString *error)
{
    QString reason;
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    CPileLimits t;
    if (pe.error != QJsonParseError::NoError) {
        reason = QStringLiteral("bad JSON: %1 at offset %2").arg(pe.errorString(), QString::number(pe.offset));
    } else if (!doc.object().value(QLatin1String("rows")).isArray()) {
        reason = QStringLiteral("no \"rows\" list");
    } else {
        const QJsonArray rows = doc.object().value(QLatin1String("rows")).toArray();
        for (int i = 0; i < rows.size() && reason.isEmpty(); ++i) {
            const QJsonObject o = rows.at(i).toObject();
            PileLimitRow r;
            r.code = o.value(QLatin1String("code")).toString().trimmed();
            r.pileType = o.value(QLatin1String("pileType")).toString().trimmed();
            const QJsonValue limit = o.value(QLatin1String("limitMm"));
            if (r.code.isEmpty() || r.pileType.isEmpty()) {
                reason = QStringLiteral("row %1: code and pileType are needed").arg(i + 1);
            } else if (!limit.isDouble() || limit.toDouble() < 1 || limit.toDouble() > 100000
                       || limit.toDouble() != std::floor(limit.toDouble())) {
                reason = QStringLiteral("row %1: limitMm must be a whole number of millimetres from 1 to 100000").arg(i + 1);
            } else {
                r.limitMm = int32_t(limit.toDouble());
                if (readBound(o, "maxDiameterMm", &r.maxDiameterMm, &reason, i)
                    && readBound(o, "maxDepthMm", &r.maxDepthMm, &reason, i))
                    t.rows.append(r);
            }
        }
        if (reason.isEmpty() && t.rows.isEmpty())
            reason = QStringLiteral("no row");
    }
    if (!reason.isEmpty()) {
        if (error)
            *error = reason;
        return false;
    }
    *out = t;
    return true;
}

CPileLimits CPileLimits::builtIn()
{
    QFile f(QStringLiteral(":/acceptance/PileLimits.json"));
    CPileLimits t;
    if (!f.open(QIODevice::ReadOnly) || !parse(f.readAll(), &t, nullptr))
        qWarning("built-in pile limits table missing or broken");
    return t;
}

CPileLimits CPileLimits::load(const QString &appDir, QString *reason)
{
    if (reason)
        reason->clear();
    QFile f(appDir + QLatin1Char('/') + fileName());
    if (f.exists()) {
        CPileLimits t;
        QString why;
        if (!f.open(QIODevice::ReadOnly))
            why = f.errorString();
        else if (parse(f.readAll(), &t, &why))
            return t;
        if (reason)
            *reason = QStringLiteral("%1: %2").arg(f.fileName(), why);
    }
    return builtIn();
}

const CPileLimits &CPileLimits::instrument()
{
    static const CPileLimits table = [] {
        QString reason;
        CPileLimits t = load(QKRVCommomUtils::appPath(), &reason);
        if (!reason.isEmpty())
            qWarning("pile limits table not used: %s", qUtf8Printable(reason));
        return t;
    }();
    return table;
}

QVector<PileBasisChoice> CPileLimits::choices() const
{
    QVector<PileBasisChoice> out;
    for (const PileLimitRow &r : rows) {
        const bool seen = std::any_of(out.begin(), out.end(), [&](const PileBasisChoice &c) {
            return c.code == r.code && c.pileType == r.pileType;
        });
        if (!seen)
            out.append({r.code, r.pileType});
    }
    return out;
}

LimitChoice pickLimit(const CPileLimits &table, const HoleAcceptance &basis, int32_t holeDiameterMm,
                      int32_t holeDepthMm)
{
    LimitChoice c;
    if (basis.designLimitMm > 0) {
        c.limitMm = basis.designLimitMm;
        c.fromDesign = true;
        return c;
    }
    for (int i = 0; i < table.rows.size(); ++i) {
        const PileLimitRow &r = table.rows.at(i);
        if (r.code == basis.code && r.pileType == basis.pileType && holds(r.maxDiameterMm, holeDiameterMm)
            && holds(r.maxDepthMm, holeDepthMm)) {
            c.limitMm = r.limitMm;
            c.row = i;
            return c;
        }
    }
    return c;
}

QString shortCodeName(const QString &code)
{
    static const QRegularExpression year(QStringLiteral("-(19|20)\\d\\d$"));
    QString s = code.trimmed();
    return s.remove(year);
}

QString basisLabel(const HoleAcceptance &basis)
{
    if (basis.designLimitMm > 0)
        return QCoreApplication::translate("PileLimits", "设计值");
    if (basis.code.isEmpty())
        return QString();
    return shortCodeName(basis.code) + QLatin1Char(' ') + pileTypeText(basis.pileType);
}

QString pileTypeText(const QString &pileType)
{
    const QByteArray type = pileType.toUtf8();
    return QCoreApplication::translate("PileLimits", type.constData());
}

QString basisFullText(const HoleAcceptance &basis)
{
    if (basis.designLimitMm > 0)
        return basisLabel(basis) + QStringLiteral(" %1 mm").arg(basis.designLimitMm);
    if (basis.code.isEmpty())
        return QString();
    return basis.code + QLatin1Char(' ') + pileTypeText(basis.pileType);
}

QString basisDataText(const HoleAcceptance &basis)
{
    if (basis.designLimitMm > 0)
        return QStringLiteral("design %1 mm").arg(basis.designLimitMm);
    if (basis.code.isEmpty())
        return QString();
    return basis.code + QLatin1Char(' ') + basis.pileType;
}
