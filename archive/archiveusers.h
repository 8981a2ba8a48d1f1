#pragma once
// The people who may sign in to the web view, each with a role:
//   viewer    reads everything
//   engineer  also re-judges
//   admin     also manages users and devices
// Passwords are kept as Argon2id hashes only. A password is at least ten
// characters and none of the common passwords of the shipped list
// (:/common-passwords.txt). Adding, listing, disabling and a new password
// are entries of the audit trail; disabling or a new password ends the user's
// sessions.

#include "archivedb.h"

#include <QString>
#include <QVector>

struct UserRow {
    QString name;
    QString role;     // viewer, engineer or admin
    bool disabled = false;
    QString createdAt;
};

bool isUserRole(const QString &role);
// Why a password cannot be used (in English, for the CLI), or empty.
QString passwordProblem(const QString &password);

bool addUser(CArchiveDb &db, const QString &name, const QString &role, const QString &password, QString *error);
bool disableUser(CArchiveDb &db, const QString &name, QString *error);
bool setUserPassword(CArchiveDb &db, const QString &name, const QString &password, QString *error);
// The users; the listing is itself an entry of the audit trail (refused
// when it cannot be recorded, as a download is).
bool listUsers(CArchiveDb &db, QVector<UserRow> *out, QString *error);
// Whether the archive has any user (then every page needs a login).
bool archiveHasUsers(CArchiveDb &db, bool *any, QString *error);

// The user when name and password match an enabled user; false with an
// empty error when they do not (an unknown name takes as long as a known one).
bool checkPassword(CArchiveDb &db, const QString &name, const QString &password, UserRow *out, QString *error);
