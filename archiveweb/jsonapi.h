#pragma once
// The read-only JSON API of zpvw-archive serve (docs/api.md), for
// supervision platforms and scripts, with a bearer token of the archive
// (zpvw-archive token add NAME) in "Authorization: Bearer TOKEN":
//
//   GET /api/v1/projects                           every project with its counts
//   GET /api/v1/projects/{project}/holes           the latest test of every hole
//   GET /api/v1/projects/{project}/holes/{hole}    every version, and the samples
//                                                  of the latest (?version=ID: of that one)
//   GET /api/v1/projects/{project}/summary         the project summary
//
// Names are percent-encoded path segments. 401 without a valid token (none,
// unknown, revoked), 404 for an unknown project, hole or version, 400 for a
// malformed one. Every request is an entry of the audit trail (action "api",
// the token's name and the peer address), made before the answer: one that
// cannot be recorded is refused (503).

#include "archiveaddress.h"

#include <QString>
#include <QStringList>

namespace httplib {
class Server;
}

void addJsonApiRoutes(httplib::Server &server, const ArchiveAddress &archive);

// The decoded segments of a path under /api/v1/projects ("" -> {}, a
// segment that is empty or not valid UTF-8 -> false).
bool apiPathSegments(const QString &rawTarget, QStringList *segments);
