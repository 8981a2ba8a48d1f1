#include "holeverify.h"

#include "filenames.h"

#include "devicekey.h"
#include "sealcheck.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>

namespace {
// The key itself, or the last word of the file that holds it.
QByteArray keyFrom(const QString &argument)
{
    QByteArray key = publicKeyFromBase64(argument);
    if (!key.isEmpty())
        return key;
    QFile f(argument);
    if (f.open(QIODevice::ReadOnly)) {
        const QStringList words = QString::fromUtf8(f.read(4096)).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        if (!words.isEmpty())
            key = publicKeyFromBase64(words.last());
    }
    return key;
}
} // namespace

int verifySealedFile(const QString &holePath, const QString &keyArgument)
{
    QByteArray key;
    if (!keyArgument.isEmpty()) {
        key = keyFrom(keyArgument);
        if (key.isEmpty()) {
            fprintf(stderr, "zpvw-hole: --key %s: not a public key (base64 of 32 bytes, or a file holding it)\n",
                    qUtf8Printable(FileNames::shown(keyArgument)));
            return 2;
        }
    }
    const SealCheck c = checkSealedFile(holePath, key);
    const QString name = FileNames::shown(QFileInfo(holePath).fileName());
    if (c.manifestFound) {
        const TestStatement &s = c.manifest.statement;
        printf("%s\n", qUtf8Printable(QStringLiteral("%1: signed by device %2 (key %3), sequence %4, saved %5")
                                          .arg(name, s.device, s.publicKey, QString::number(s.sequence), s.savedAt)));
        printf("%s\n", qUtf8Printable(QStringLiteral("  signature: %1").arg(
                           c.signatureOk ? QStringLiteral("valid") : QStringLiteral("does not match"))));
        if (!key.isEmpty())
            printf("%s\n", qUtf8Printable(QStringLiteral("  key: %1").arg(
                               c.keyMatches ? QStringLiteral("the one given") : QStringLiteral("NOT the one given"))));
        for (const QString &n : c.intact)
            printf("%s\n", qUtf8Printable(QStringLiteral("  %1: intact").arg(n)));
    }
    for (const QString &f : c.faults)
        printf("%s\n", qUtf8Printable(QStringLiteral("  FAULT %1").arg(f)));
    printf("%s\n", c.ok() ? "result: signed and intact" : "result: NOT intact");
    return c.ok() ? 0 : 1;
}
