#include "archiveaddress.h"

#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

QString ArchiveAddress::display() const
{
    if (engine == Engine::SQLite)
        return path;
    QString text = QStringLiteral("postgresql://%1@%2").arg(user, host.startsWith(QLatin1Char('/')) ? QString() : host);
    if (port > 0)
        text += QStringLiteral(":%1").arg(port);
    text += QLatin1Char('/') + database;
    if (host.startsWith(QLatin1Char('/')))
        text += QStringLiteral("?host=") + host;
    return text;
}

QString defaultArchivePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/archive.sqlite");
}

bool parseArchiveAddress(const QString &text, ArchiveAddress *out, QString *error)
{
    ArchiveAddress a;
    const bool pg = text.startsWith(QLatin1String("postgresql://")) || text.startsWith(QLatin1String("postgres://"));
    if (!pg) {
        a.path = text.isEmpty() ? defaultArchivePath() : text;
        *out = a;
        return true;
    }
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()) {
        *error = QStringLiteral("not a valid address: %1").arg(url.errorString());
        return false;
    }
    a.engine = ArchiveAddress::Engine::PostgreSQL;
    a.user = url.userName(QUrl::FullyDecoded);
    a.password = url.password(QUrl::FullyDecoded);
    a.host = url.host(QUrl::FullyDecoded);
    a.port = url.port(-1);
    a.database = url.path(QUrl::FullyDecoded).mid(1);
    const QUrlQuery query(url);
    if (query.hasQueryItem(QStringLiteral("host")))
        a.host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    if (a.database.isEmpty() || a.database.contains(QLatin1Char('/'))) {
        *error = QStringLiteral("the address names no database (postgresql://user@host:port/db)");
        return false;
    }
    if (url.port(0) == 0 && url.authority().endsWith(QLatin1Char(':'))) {
        *error = QStringLiteral("the address has an empty port");
        return false;
    }
    *out = a;
    return true;
}
