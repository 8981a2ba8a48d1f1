#include "archivecommands.h"

#include "archivedevices.h"
#include "clitext.h"

#include <cstdio>

namespace ArchiveCommands {

int device(CArchiveDb &db, const QStringList &args)
{
    const QString what = args.value(0);
    QString error;
    if (what == QLatin1String("add") && args.size() == 3) {
        DeviceRow added;
        if (!addDevice(db, args.at(1), args.at(2), &added, &error))
            return fail(error);
        printf("%s\n", qUtf8Printable(QStringLiteral("device %1 added: %2").arg(visibleText(added.name), added.deviceId)));
        return 0;
    }
    if (what == QLatin1String("revoke") && args.size() == 2) {
        if (!revokeDevice(db, args.at(1), &error))
            return fail(QStringLiteral("device %1: %2").arg(visibleText(args.at(1)), error));
        printf("%s\n", qUtf8Printable(QStringLiteral("device %1 revoked").arg(visibleText(args.at(1)))));
        return 0;
    }
    if (what == QLatin1String("list") && args.size() == 1) {
        QVector<DeviceRow> rows;
        if (!listDevices(db, &rows, &error))
            return fail(error);
        printf("name\tdevice\tadded\trevoked\tpublic_key\n");
        for (const DeviceRow &r : rows)
            printf("%s\n", qUtf8Printable(QStringLiteral("%1\t%2\t%3\t%4\t%5")
                                              .arg(visibleText(r.name), r.deviceId, r.addedAt,
                                                   r.revokedAt.isEmpty() ? QStringLiteral("-") : r.revokedAt,
                                                   r.publicKey)));
        return 0;
    }
    fputs("usage: zpvw-archive device add NAME PUBKEY | device list | device revoke NAME\n", stderr);
    return 2;
}

} // namespace ArchiveCommands
