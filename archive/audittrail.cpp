#include "audittrail.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QSqlQuery>
#include <QSysInfo>
#include <unistd.h>

namespace {
const char kColumns[] = "seq, at, who, action, project, hole, detail, sha256, prev_hash, hash";

AuditEntry entryOf(const QSqlQuery &q)
{
    AuditEntry e;
    e.seq = q.value(0).toLongLong();
    e.at = q.value(1).toString();
    e.who = q.value(2).toString();
    e.action = q.value(3).toString();
    e.project = q.value(4).toString();
    e.hole = q.value(5).toString();
    e.detail = q.value(6).toString();
    e.sha256 = q.value(7).toString();
    e.prevHash = q.value(8).toString().trimmed();
    e.hash = q.value(9).toString().trimmed();
    return e;
}
} // namespace

QString auditGenesisHash() { return QString(64, QLatin1Char('0')); }

QString auditEntryHash(const AuditEntry &e)
{
    // Length-prefixed fields: no choice of texts can make two entries hash
    // alike by moving a separator.
    QByteArray data;
    const QStringList fields{QString::number(e.seq), e.at, e.who, e.action, e.project, e.hole,
                             e.detail, e.sha256, e.prevHash};
    for (const QString &f : fields) {
        const QByteArray b = f.toUtf8();
        data += QByteArray::number(b.size()) + ':' + b + '\n';
    }
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

QString archiveUser()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
    if (user.isEmpty())
        user = QStringLiteral("uid%1").arg(geteuid());
    return user + QLatin1Char('@') + QSysInfo::machineHostName();
}

bool CAuditTrail::append(const QString &action, const QString &project, const QString &hole, const QString &detail,
                         const QString &sha256, QString *error)
{
    if (!m_headKnown) {
        if (!m_db.lockForWriting(error))
            return false;
        QSqlQuery q = m_db.query();
        if (!m_db.exec(q, QStringLiteral("SELECT seq, hash FROM audit ORDER BY seq DESC LIMIT 1"), {}, error))
            return false;
        if (q.next()) {
            m_lastSeq = q.value(0).toLongLong();
            m_lastHash = q.value(1).toString().trimmed();
        } else {
            m_lastSeq = 0;
            m_lastHash = auditGenesisHash();
        }
        if (m_who.isEmpty())
            m_who = archiveUser();
        m_headKnown = true;
    }
    AuditEntry e;
    e.seq = m_lastSeq + 1;
    e.at = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    e.who = m_who;
    // Empty, never NULL: every field takes part in the hash.
    auto text = [](const QString &t) { return t.isNull() ? QStringLiteral("") : t; };
    e.action = text(action);
    e.project = text(project);
    e.hole = text(hole);
    e.detail = text(detail);
    e.sha256 = text(sha256);
    e.prevHash = m_lastHash;
    e.hash = auditEntryHash(e);
    QSqlQuery q = m_db.query();
    if (!m_db.exec(q,
                   QStringLiteral("INSERT INTO audit (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                       .arg(QLatin1String(kColumns)),
                   {e.seq, e.at, e.who, e.action, e.project, e.hole, e.detail, e.sha256, e.prevHash, e.hash},
                   error))
        return false;
    m_lastSeq = e.seq;
    m_lastHash = e.hash;
    return true;
}

bool appendAuditEntry(CArchiveDb &db, const QString &action, const QString &project, const QString &hole,
                      const QString &detail, const QString &sha256, QString *head, QString *error)
{
    CAuditTrail trail(db);
    if (!db.begin(error) || !trail.append(action, project, hole, detail, sha256, error) || !db.commit(error)) {
        db.rollback();
        return false;
    }
    if (head)
        *head = trail.lastHash();
    return true;
}

bool changeWithAuditEntry(CArchiveDb &db, const QString &sql, const QVariantList &values, const QString &detail,
                          const QString &sha256, const QString &action, const QString &notFound, QString *error)
{
    if (!db.begin(error))
        return false;
    CAuditTrail trail(db);
    QSqlQuery q = db.query();
    if (!db.exec(q, sql, values, error) || q.numRowsAffected() != 1) {
        if (error->isEmpty())
            *error = notFound;
        db.rollback();
        return false;
    }
    if (!trail.append(action, QString(), QString(), detail, sha256, error) || !db.commit(error)) {
        db.rollback();
        return false;
    }
    return true;
}

bool auditHead(CArchiveDb &db, QString *hash, QString *error)
{
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("SELECT hash FROM audit ORDER BY seq DESC LIMIT 1"), {}, error))
        return false;
    *hash = q.next() ? q.value(0).toString().trimmed() : auditGenesisHash();
    return true;
}

bool checkAuditChain(CArchiveDb &db, AuditChainCheck *out, QString *error, const QString &keptHead)
{
    AuditChainCheck c;
    QSqlQuery q = db.query();
    q.setForwardOnly(true);
    if (!db.exec(q, QStringLiteral("SELECT %1 FROM audit ORDER BY seq").arg(QLatin1String(kColumns)), {}, error))
        return false;
    qint64 expectedSeq = 1;
    QString prev = auditGenesisHash();
    while (q.next()) {
        const AuditEntry e = entryOf(q);
        if (e.seq != expectedSeq)
            c.faults << QStringLiteral("audit entry %1 is missing (the next present is %2)").arg(QString::number(expectedSeq), QString::number(e.seq));
        if (e.prevHash != prev)
            c.faults << QStringLiteral("audit entry %1 does not follow the entry before it (chain broken)").arg(e.seq);
        if (auditEntryHash(e) != e.hash)
            c.faults << QStringLiteral("audit entry %1 was altered (its hash does not match its fields)").arg(e.seq);
        if (!keptHead.isEmpty() && e.hash == keptHead)
            c.keptHeadSeq = e.seq;
        prev = e.hash;
        expectedSeq = e.seq + 1;
        ++c.entries;
    }
    c.headHash = prev;
    if (keptHead == auditGenesisHash())
        c.keptHeadSeq = 0;
    // A trail rewritten whole is a valid chain: only a head kept outside
    // the database tells.
    if (!keptHead.isEmpty() && c.keptHeadSeq < 0)
        c.faults << QStringLiteral("the audit trail does not hold the head %1 kept elsewhere: it was rewritten"
                                   " or cut short")
                        .arg(keptHead);
    *out = c;
    return true;
}

bool readAuditLog(CArchiveDb &db, const QString &project, const QString &hole, QVector<AuditEntry> *out,
                  QString *error)
{
    QSqlQuery q = db.query();
    q.setForwardOnly(true);
    QString sql = QStringLiteral("SELECT %1 FROM audit WHERE project = ?").arg(QLatin1String(kColumns));
    QVariantList values{project};
    if (!hole.isEmpty()) {
        sql += QStringLiteral(" AND hole = ?");
        values << hole;
    }
    if (!db.exec(q, sql + QStringLiteral(" ORDER BY seq"), values, error))
        return false;
    out->clear();
    while (q.next())
        out->append(entryOf(q));
    return true;
}
