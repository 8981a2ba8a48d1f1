#include "archiveusers.h"

#include "accesssecrets.h"
#include "audittrail.h"

#include <QDateTime>
#include <QFile>
#include <QSet>
#include <QSqlQuery>

namespace {
const QSet<QString> &commonPasswords()
{
    static const QSet<QString> list = [] {
        QSet<QString> s;
        QFile f(QStringLiteral(":/common-passwords.txt"));
        if (f.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : f.readAll().split('\n')) {
                const QString p = QString::fromUtf8(line).trimmed().toLower();
                if (!p.isEmpty())
                    s.insert(p);
            }
        }
        return s;
    }();
    return list;
}

bool validName(const QString &name, QString *error)
{
    if (name.isEmpty() || name != name.trimmed() || name.size() > 64) {
        *error = QStringLiteral("a user needs a name of 1 to 64 characters without blanks around it");
        return false;
    }
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || c == QLatin1Char('/')) {
            *error = QStringLiteral("a user's name holds no control characters and no \"/\"");
            return false;
        }
    }
    return true;
}

bool hashFor(const QString &password, QString *hash, QString *error)
{
    *error = passwordProblem(password);
    if (!error->isEmpty())
        return false;
    *hash = hashPassword(password);
    if (hash->isEmpty())
        *error = QStringLiteral("the password could not be hashed (out of memory?)");
    return !hash->isEmpty();
}

// The change of one user and the end of their sessions, with its entry.
bool changeUser(CArchiveDb &db, const QString &sql, const QVariantList &values, const QString &name,
                const QString &detail, QString *error)
{
    QSqlQuery q = db.query();
    return db.exec(q, QStringLiteral("DELETE FROM sessions WHERE user_name = ?"), {name}, error)
           && changeWithAuditEntry(db, sql, values, detail, QString(), QStringLiteral("user"),
                                   QStringLiteral("no such user"), error);
}
} // namespace

bool isUserRole(const QString &role)
{
    return role == QLatin1String("viewer") || role == QLatin1String("engineer") || role == QLatin1String("admin");
}

QString passwordProblem(const QString &password)
{
    if (password.size() < 10)
        return QStringLiteral("a password has at least 10 characters");
    if (commonPasswords().contains(password.toLower()))
        return QStringLiteral("this password is on the list of common passwords; choose another");
    return QString();
}

bool addUser(CArchiveDb &db, const QString &name, const QString &role, const QString &password, QString *error)
{
    if (!validName(name, error))
        return false;
    if (!isUserRole(role)) {
        *error = QStringLiteral("the role is viewer, engineer or admin");
        return false;
    }
    QString hash;
    if (!hashFor(password, &hash, error))
        return false;
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("SELECT 1 FROM users WHERE name = ?"), {name}, error))
        return false;
    if (q.next()) {
        *error = QStringLiteral("the user \"%1\" exists already").arg(name);
        return false;
    }
    return changeWithAuditEntry(
        db, QStringLiteral("INSERT INTO users (name, role, password_hash, created_at) VALUES (?, ?, ?, ?)"),
        {name, role, hash, now}, QStringLiteral("user add %1 as %2").arg(name, role), QString(), QStringLiteral("user"),
        QStringLiteral("the user was not added"), error);
}

bool disableUser(CArchiveDb &db, const QString &name, QString *error)
{
    return changeUser(db, QStringLiteral("UPDATE users SET disabled = 1 WHERE name = ? AND disabled = 0"), {name}, name,
                      QStringLiteral("user disable %1").arg(name), error);
}

bool setUserPassword(CArchiveDb &db, const QString &name, const QString &password, QString *error)
{
    QString hash;
    if (!hashFor(password, &hash, error))
        return false;
    return changeUser(db, QStringLiteral("UPDATE users SET password_hash = ? WHERE name = ?"), {hash, name}, name,
                      QStringLiteral("user password %1").arg(name), error);
}

bool listUsers(CArchiveDb &db, QVector<UserRow> *out, QString *error)
{
    if (!appendAuditEntry(db, QStringLiteral("user"), QString(), QString(), QStringLiteral("user list"), QString(),
                          nullptr, error))
        return false;
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("SELECT name, role, disabled, created_at FROM users ORDER BY name"), {}, error))
        return false;
    while (q.next())
        out->append({q.value(0).toString(), q.value(1).toString(), q.value(2).toInt() != 0, q.value(3).toString()});
    return true;
}

bool archiveHasUsers(CArchiveDb &db, bool *any, QString *error)
{
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("SELECT 1 FROM users LIMIT 1"), {}, error))
        return false;
    *any = q.next();
    return true;
}

bool checkPassword(CArchiveDb &db, const QString &name, const QString &password, UserRow *out, QString *error)
{
    error->clear();
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("SELECT name, role, disabled, created_at, password_hash FROM users WHERE name = ?"),
                 {name}, error))
        return false;
    // An unknown or disabled name costs one hash too, so that the time
    // taken does not tell which names exist.
    static const QString decoy = hashPassword(randomToken());
    const bool known = q.next();
    const bool match = passwordMatches(password, known ? q.value(4).toString() : decoy);
    if (!known || !match || q.value(2).toInt() != 0)
        return false;
    *out = {q.value(0).toString(), q.value(1).toString(), false, q.value(3).toString()};
    return true;
}
