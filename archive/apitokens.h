#pragma once
// Bearer tokens of the read-only API, one per client (a supervision
// platform, a script). A token is 256 random bits, shown once when made;
// the archive keeps its SHA-256. Making and revoking are entries of the
// audit trail; a revoked token stays listed and is refused.

#include "archivedb.h"

#include <QString>
#include <QVector>

struct ApiTokenRow {
    QString name;
    QString createdAt;
    QString revokedAt; // empty while valid
};

// token receives the token itself: the only time it is known.
bool addApiToken(CArchiveDb &db, const QString &name, QString *token, QString *error);
bool revokeApiToken(CArchiveDb &db, const QString &name, QString *error);
bool listApiTokens(CArchiveDb &db, QVector<ApiTokenRow> *out, QString *error);
// The name of a valid token; false with an empty error when it is unknown or revoked.
bool findApiToken(CArchiveDb &db, const QString &token, QString *name, QString *error);
