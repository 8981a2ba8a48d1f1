#include "archivecommands.h"

#include "archiveusers.h"
#include "clitext.h"

#include <QFile>
#include <QTextStream>
#include <cstdio>

namespace {
// The password: the first line of the file, or of standard input.
bool readPassword(const QString &file, QString *password, QString *error)
{
    QByteArray bytes;
    if (file.isEmpty()) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read the password from standard input");
            return false;
        }
        bytes = in.readLine(4096);
    } else {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1: %2").arg(file, f.errorString());
            return false;
        }
        bytes = f.readLine(4096);
    }
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    *password = QString::fromUtf8(bytes);
    if (password->isEmpty()) {
        *error = QStringLiteral("no password given (one line on standard input or in --password-file)");
        return false;
    }
    return true;
}

int userUsage()
{
    fputs("usage: zpvw-archive user add NAME --role viewer|engineer|admin [--password-file FILE]\n"
          "       zpvw-archive user list | user disable NAME | user password NAME [--password-file FILE]\n"
          "  (the password is the first line of standard input unless --password-file is given)\n",
          stderr);
    return 2;
}
} // namespace

namespace ArchiveCommands {

int user(CArchiveDb &db, QStringList args)
{
    const QString what = args.value(0);
    QString role, passwordFile, error, password;
    if (!takeOption(args, QStringLiteral("--role"), &role) || !takeOption(args, QStringLiteral("--password-file"), &passwordFile))
        return userUsage();
    if (what == QLatin1String("add") && args.size() == 2 && !role.isEmpty()) {
        if (!isUserRole(role))
            return fail(QStringLiteral("--role: viewer, engineer or admin"));
        if (!readPassword(passwordFile, &password, &error) || !addUser(db, args.at(1), role, password, &error))
            return fail(QStringLiteral("user %1: %2").arg(visibleText(args.at(1)), error));
        printf("%s\n", qUtf8Printable(QStringLiteral("user %1 added as %2").arg(visibleText(args.at(1)), role)));
        return 0;
    }
    if (what == QLatin1String("password") && args.size() == 2 && role.isEmpty()) {
        if (!readPassword(passwordFile, &password, &error) || !setUserPassword(db, args.at(1), password, &error))
            return fail(QStringLiteral("user %1: %2").arg(visibleText(args.at(1)), error));
        printf("%s\n", qUtf8Printable(QStringLiteral("user %1: new password set, sessions ended").arg(visibleText(args.at(1)))));
        return 0;
    }
    if (what == QLatin1String("disable") && args.size() == 2 && role.isEmpty() && passwordFile.isEmpty()) {
        if (!disableUser(db, args.at(1), &error))
            return fail(QStringLiteral("user %1: %2").arg(visibleText(args.at(1)), error));
        printf("%s\n", qUtf8Printable(QStringLiteral("user %1 disabled, sessions ended").arg(visibleText(args.at(1)))));
        return 0;
    }
    if (what == QLatin1String("list") && args.size() == 1 && role.isEmpty() && passwordFile.isEmpty()) {
        QVector<UserRow> rows;
        if (!listUsers(db, &rows, &error))
            return fail(error);
        printf("name\trole\tstate\tcreated\n");
        for (const UserRow &r : rows)
            printf("%s\n", qUtf8Printable(QStringLiteral("%1\t%2\t%3\t%4")
                                              .arg(visibleText(r.name), r.role,
                                                   r.disabled ? QStringLiteral("disabled") : QStringLiteral("active"),
                                                   r.createdAt)));
        return 0;
    }
    return userUsage();
}

} // namespace ArchiveCommands
