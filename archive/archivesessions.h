#pragma once
// Signed-in browsers. A session is a random 256-bit token that only the
// browser holds (its cookie); the archive keeps its SHA-256, the user, the
// CSRF token of the session's forms, and when it began and was last used.
// A session ends at logout, after idleSeconds without a request, after
// absoluteSeconds in all, and when its user is disabled or gets a new
// password.

#include "archivedb.h"

#include <QString>

struct SessionLimits {
    qint64 idleSeconds = 30 * 60;
    qint64 absoluteSeconds = 12 * 60 * 60;
};

struct SessionInfo {
    QString user;
    QString role;
    QString csrf;
};

// A new session for the user; token receives what the cookie carries.
bool startSession(CArchiveDb &db, const QString &user, qint64 now, QString *token, SessionInfo *out, QString *error);
// The session of a token, when it is still valid at now (Unix seconds);
// false with an empty error when it is not (an ended or expired session,
// a disabled user). Expired sessions are removed on the way.
bool findSession(CArchiveDb &db, const QString &token, const SessionLimits &limits, qint64 now, SessionInfo *out,
                 QString *error);
bool endSession(CArchiveDb &db, const QString &token, QString *error);
// Removes every session that has run out by now (those a browser left).
bool purgeSessions(CArchiveDb &db, const SessionLimits &limits, qint64 now, QString *error);

// Whether a session last used at lastSeen and begun at createdAt has run out.
bool sessionExpired(qint64 createdAt, qint64 lastSeen, qint64 now, const SessionLimits &limits);
