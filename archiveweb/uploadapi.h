#pragma once
// The upload API of zpvw-archive serve (docs/api.md): instruments send each
// signed test on its own, over HTTPS.
//
//   POST /api/v1/tests   multipart/form-data: "manifest" (the .SIG) and one
//                        "file" part per sealed file (hole file, report)
//
// The test is taken only when its manifest is signed by a device the
// archive knows and has not revoked and every file is the one signed; it is
// then imported as a folder import would (a new test, or the next version
// of a re-judged one). Answers are JSON: 201 stored and 200 known carry
// "sha256", the hole file's SHA-256 the archive holds; 400 malformed, 403
// unknown or revoked device, 422 signature or bytes do not match (each
// refusal is an entry of the audit trail), 413 too large.

#include "archiveaddress.h"

#include <cstddef>

namespace httplib {
class Server;
}

constexpr std::size_t kMaxUploadBytes = 64u * 1024u * 1024u;

void addUploadRoutes(httplib::Server &server, const ArchiveAddress &archive);
