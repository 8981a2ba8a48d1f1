#include "apitokens.h"

#include "accesssecrets.h"
#include "audittrail.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {
QString now() { return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs); }
} // namespace

bool addApiToken(CArchiveDb &db, const QString &name, QString *token, QString *error)
{
    if (name.trimmed().isEmpty() || name != name.trimmed() || name.size() > 64) {
        *error = QStringLiteral("a token needs a name of 1 to 64 characters without blanks around it");
        return false;
    }
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("SELECT 1 FROM api_tokens WHERE name = ?"), {name}, error))
        return false;
    if (q.next()) {
        *error = QStringLiteral("the token \"%1\" exists already").arg(name);
        return false;
    }
    const QString t = randomToken();
    if (!changeWithAuditEntry(db, QStringLiteral("INSERT INTO api_tokens (name, token_sha256, created_at) VALUES (?, ?, ?)"),
                              {name, tokenSha256(t), now()}, QStringLiteral("token add %1").arg(name), QString(),
                              QStringLiteral("token"), QStringLiteral("the token was not added"), error))
        return false;
    *token = t;
    return true;
}

bool revokeApiToken(CArchiveDb &db, const QString &name, QString *error)
{
    return changeWithAuditEntry(db,
                                QStringLiteral("UPDATE api_tokens SET revoked_at = ? WHERE name = ? AND revoked_at IS NULL"),
                                {now(), name}, QStringLiteral("token revoke %1").arg(name), QString(),
                                QStringLiteral("token"), QStringLiteral("no such token"), error);
}

bool listApiTokens(CArchiveDb &db, QVector<ApiTokenRow> *out, QString *error)
{
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("SELECT name, created_at, COALESCE(revoked_at, '') FROM api_tokens ORDER BY name"),
                 {}, error))
        return false;
    while (q.next())
        out->append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
    return true;
}

bool findApiToken(CArchiveDb &db, const QString &token, QString *name, QString *error)
{
    error->clear();
    if (token.isEmpty())
        return false;
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("SELECT name FROM api_tokens WHERE token_sha256 = ? AND revoked_at IS NULL"),
                 {tokenSha256(token)}, error))
        return false;
    if (!q.next())
        return false;
    *name = q.value(0).toString();
    return true;
}
