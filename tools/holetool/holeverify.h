#pragma once
// zpvw-hole verify FILE [--key PUBKEY]: prints who signed the hole file and
// whether it and its report are as signed. PUBKEY is the base64 public key
// (as "zpvw --device" prints it) or a file holding that line.
// Status 0: signed and intact; 1 otherwise.

#include <QString>

int verifySealedFile(const QString &holePath, const QString &keyArgument);
