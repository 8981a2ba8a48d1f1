#include "rejudgeform.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QUrl>

namespace {
QString tr(const char *source) { return QCoreApplication::translate("CArchivePages", source); }

// A whole number from 0 up to max; -1 when malformed or out of range.
int wholeNumber(const QString &s, int max)
{
    static const QRegularExpression re(QStringLiteral("^[0-9]{1,9}$"));
    const QString t = s.trimmed();
    const int n = re.match(t).hasMatch() ? t.toInt() : -1;
    return n <= max ? n : -1;
}
} // namespace

QHash<QString, QString> formFields(const QByteArray &body)
{
    QByteArray b = body;
    b.replace('+', ' ');
    QHash<QString, QString> out;
    for (const QByteArray &pair : b.split('&')) {
        if (pair.isEmpty())
            continue;
        const int eq = pair.indexOf('=');
        out.insert(QUrl::fromPercentEncoding(eq < 0 ? pair : pair.left(eq)),
                   QUrl::fromPercentEncoding(eq < 0 ? QByteArray() : pair.mid(eq + 1)));
    }
    return out;
}

bool readRejudgeForm(const QHash<QString, QString> &f, OfficeRejudgement *r, QString *why)
{
    r->project = f.value(QStringLiteral("project"));
    r->hole = f.value(QStringLiteral("hole"));
    const int version = wholeNumber(f.value(QStringLiteral("version")), 999999999);
    OfficeJudgement &j = r->judgement;
    j.thicknessCm = wholeNumber(f.value(QStringLiteral("thickness")), 10000);
    const QString quality = f.value(QStringLiteral("quality"));
    const QString limit = f.value(QStringLiteral("limit")).trimmed();
    const QString basis = f.value(QStringLiteral("basis"));
    const int limitMm = limit.isEmpty() ? 0 : wholeNumber(limit, 100000);
    if (r->project.isEmpty() || r->hole.isEmpty() || version <= 0) {
        *why = tr("参数不正确。");
        return false;
    }
    if (j.thicknessCm < 0 || (!quality.isEmpty() && quality != QLatin1String("0") && quality != QLatin1String("1"))
        || limitMm < 0 || (!limit.isEmpty() && limitMm == 0)
        || (!basis.isEmpty() && !basis.contains(QLatin1Char('|')))) {
        *why = tr("厚度、成孔质量或限值不正确。");
        return false;
    }
    r->reason = f.value(QStringLiteral("reason")).trimmed();
    if (r->reason.isEmpty()) {
        *why = tr("改判必须写明理由。");
        return false;
    }
    r->versionId = version;
    if (!quality.isEmpty())
        j.quality = quality.toInt();
    if (!limit.isEmpty())
        j.designLimitMm = limitMm;
    if (!basis.isEmpty()) {
        j.code = basis.section(QLatin1Char('|'), 0, 0);
        j.pileType = basis.section(QLatin1Char('|'), 1);
    }
    return true;
}

int rejudgeHttpStatus(RejudgeResult::Status status)
{
    switch (status) {
    case RejudgeResult::Done: return 303;
    case RejudgeResult::Invalid: return 400;
    case RejudgeResult::NotFound: return 404;
    case RejudgeResult::Stale:
    case RejudgeResult::Unchanged: return 409;
    case RejudgeResult::ArchiveFault: break;
    }
    return 503;
}
