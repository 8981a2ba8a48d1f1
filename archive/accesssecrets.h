#pragma once
// Secrets of the web view's access: random tokens (sessions, CSRF, API
// tokens), their SHA-256 as stored, comparison in constant time and
// Argon2id password hashes (libsodium).

#include <QByteArray>
#include <QString>

// 256 random bits as base64url without padding (43 characters).
QString randomToken();
// Lower-case hex SHA-256 of a token's UTF-8 bytes: what the archive keeps.
QString tokenSha256(const QString &token);
// Equal secrets, compared in time that does not depend on where they differ.
bool sameSecret(const QString &a, const QString &b);

// An Argon2id hash in libsodium's string form ($argon2id$v=19$...);
// empty when the hash could not be made (out of memory).
QString hashPassword(const QString &password);
bool passwordMatches(const QString &password, const QString &hash);
