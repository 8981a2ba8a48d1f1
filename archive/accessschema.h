#pragma once
// Version 5 of the archive's schema: who may use the web view and the API.
//   users       name, role (viewer, engineer, admin), Argon2id hash, disabled
//   sessions    signed-in browsers: the SHA-256 of the session token, the
//               user, the CSRF token of its forms, start and last request
//               (Unix seconds)
//   api_tokens  bearer tokens of the read-only API: name, SHA-256, revoked

#include <QStringList>

QStringList accessMigration(bool postgres);
