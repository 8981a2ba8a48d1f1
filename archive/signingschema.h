#pragma once
// Version 3 of the archive's schema: the instruments the archive knows by
// their public keys, and for each version that came with a manifest, the
// device that signed it, the manifest's SHA-256 (its bytes are a companion
// file of the version), its sequence number, the instrument's save time
// and the archive's own time of receipt.

#include <QStringList>

QStringList signingMigration(bool postgres);
