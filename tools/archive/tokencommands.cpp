#include "archivecommands.h"

#include "apitokens.h"
#include "clitext.h"

#include <cstdio>

namespace ArchiveCommands {

int token(CArchiveDb &db, const QStringList &args)
{
    const QString what = args.value(0);
    QString error;
    if (what == QLatin1String("add") && args.size() == 2) {
        QString token;
        if (!addApiToken(db, args.at(1), &token, &error))
            return fail(QStringLiteral("token %1: %2").arg(visibleText(args.at(1)), error));
        // Shown this once: the archive keeps only its SHA-256.
        printf("%s\n", qUtf8Printable(token));
        fprintf(stderr, "%s\n",
                qUtf8Printable(QStringLiteral("token %1 added; it is shown only now, keep it safe")
                                   .arg(visibleText(args.at(1)))));
        return 0;
    }
    if (what == QLatin1String("revoke") && args.size() == 2) {
        if (!revokeApiToken(db, args.at(1), &error))
            return fail(QStringLiteral("token %1: %2").arg(visibleText(args.at(1)), error));
        printf("%s\n", qUtf8Printable(QStringLiteral("token %1 revoked").arg(visibleText(args.at(1)))));
        return 0;
    }
    if (what == QLatin1String("list") && args.size() == 1) {
        QVector<ApiTokenRow> rows;
        if (!listApiTokens(db, &rows, &error))
            return fail(error);
        printf("name\tcreated\trevoked\n");
        for (const ApiTokenRow &r : rows)
            printf("%s\n", qUtf8Printable(QStringLiteral("%1\t%2\t%3")
                                              .arg(visibleText(r.name), r.createdAt,
                                                   r.revokedAt.isEmpty() ? QStringLiteral("-") : r.revokedAt)));
        return 0;
    }
    fputs("usage: zpvw-archive token add NAME | token list | token revoke NAME\n", stderr);
    return 2;
}

} // namespace ArchiveCommands
