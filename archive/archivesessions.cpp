#include "archivesessions.h"

#include "accesssecrets.h"

#include <QSqlQuery>

bool sessionExpired(qint64 createdAt, qint64 lastSeen, qint64 now, const SessionLimits &limits)
{
    return now - lastSeen >= limits.idleSeconds || now - createdAt >= limits.absoluteSeconds || now < createdAt;
}

bool startSession(CArchiveDb &db, const QString &user, qint64 now, QString *token, SessionInfo *out, QString *error)
{
    const QString t = randomToken();
    const QString csrf = randomToken();
    QSqlQuery q = db.query();
    if (!db.exec(q,
                 QStringLiteral("INSERT INTO sessions (token_sha256, user_name, csrf, created_at, last_seen)"
                                " VALUES (?, ?, ?, ?, ?)"),
                 {tokenSha256(t), user, csrf, now, now}, error))
        return false;
    if (!db.exec(q, QStringLiteral("SELECT role FROM users WHERE name = ?"), {user}, error))
        return false;
    *token = t;
    *out = {user, q.next() ? q.value(0).toString() : QString(), csrf};
    return true;
}

bool findSession(CArchiveDb &db, const QString &token, const SessionLimits &limits, qint64 now, SessionInfo *out,
                 QString *error)
{
    error->clear();
    if (token.isEmpty())
        return false;
    const QString sha = tokenSha256(token);
    QSqlQuery q = db.query();
    if (!db.exec(q,
                 QStringLiteral("SELECT s.user_name, u.role, s.csrf, s.created_at, s.last_seen FROM sessions s"
                                " JOIN users u ON u.name = s.user_name WHERE s.token_sha256 = ? AND u.disabled = 0"),
                 {sha}, error))
        return false;
    if (!q.next())
        return false;
    const qint64 created = q.value(3).toLongLong(), seen = q.value(4).toLongLong();
    if (sessionExpired(created, seen, now, limits)) {
        endSession(db, token, error);
        return false;
    }
    *out = {q.value(0).toString(), q.value(1).toString(), q.value(2).toString()};
    // The last request is written down at most every tenth of the idle
    // time (a minute at most): a page view stays a read.
    const qint64 step = qBound<qint64>(0, limits.idleSeconds / 10, 60);
    if (now - seen > step) {
        QSqlQuery u = db.query();
        if (!db.exec(u, QStringLiteral("UPDATE sessions SET last_seen = ? WHERE token_sha256 = ?"), {now, sha}, error))
            return false;
    }
    return true;
}

bool endSession(CArchiveDb &db, const QString &token, QString *error)
{
    QSqlQuery q = db.query();
    return db.exec(q, QStringLiteral("DELETE FROM sessions WHERE token_sha256 = ?"), {tokenSha256(token)}, error);
}

bool purgeSessions(CArchiveDb &db, const SessionLimits &limits, qint64 now, QString *error)
{
    QSqlQuery q = db.query();
    return db.exec(q, QStringLiteral("DELETE FROM sessions WHERE last_seen <= ? OR created_at <= ? OR created_at > ?"),
                   {now - limits.idleSeconds, now - limits.absoluteSeconds, now}, error);
}
