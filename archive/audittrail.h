#pragma once
// The archive's audit trail: one entry per import, new version, export and
// verification, never changed or removed. Each entry carries the hash of the
// one before it and its own hash over all its fields, so a changed, removed
// or inserted entry breaks the chain that verify walks.

#include "archivedb.h"

#include <QString>
#include <QVector>

struct AuditEntry {
    qint64 seq = 0;
    QString at;       // UTC, ISO 8601 with milliseconds
    QString who;      // user@host
    QString action;   // import, version, export, verify
    QString project;
    QString hole;
    QString detail;
    QString sha256;   // of the bytes concerned
    QString prevHash; // hash of entry seq - 1 (64 zeros for the first)
    QString hash;
};

// The hash an entry must carry: SHA-256 over every field but hash itself.
QString auditEntryHash(const AuditEntry &e);
// The "previous hash" of the first entry.
QString auditGenesisHash();
// Who is working: the login name and the machine, e.g. "wang@office-3".
QString archiveUser();

// Appends entries inside the caller's write transaction. The trail's head is
// read at the first append of a transaction; call restart() after each
// commit or rollback.
class CAuditTrail {
public:
    explicit CAuditTrail(CArchiveDb &db) : m_db(db) {}
    bool append(const QString &action, const QString &project, const QString &hole, const QString &detail,
                const QString &sha256, QString *error);
    void restart() { m_headKnown = false; }
    // Entries from now on name this user (a web user re-judging), not the
    // account the program runs under.
    void setWho(const QString &who) { m_who = who; }
    // The hash of the last entry appended (valid after an append).
    QString lastHash() const { return m_lastHash; }

private:
    CArchiveDb &m_db;
    bool m_headKnown = false;
    qint64 m_lastSeq = 0;
    QString m_lastHash;
    QString m_who;
};

// One entry in a write transaction of its own (a verification, a download);
// head, when given, receives its hash. False with the reason (a read-only
// archive), nothing recorded.
bool appendAuditEntry(CArchiveDb &db, const QString &action, const QString &project, const QString &hole,
                      const QString &detail, const QString &sha256, QString *head, QString *error);

// One statement that must change exactly one row, and its entry (action,
// detail, sha256), in one write transaction. False with the reason
// (notFound when no row changed), nothing changed or recorded.
bool changeWithAuditEntry(CArchiveDb &db, const QString &sql, const QVariantList &values, const QString &detail,
                          const QString &sha256, const QString &action, const QString &notFound, QString *error);

struct AuditChainCheck {
    qint64 entries = 0;
    QString headHash;
    qint64 keptHeadSeq = -1; // the entry whose hash is the kept head (0: the empty trail's)
    QStringList faults; // one line per broken link or altered entry
};
// Walks the whole trail in order. keptHead: a head hash kept elsewhere (a
// summary, an import's log); a trail that no longer holds it was rewritten.
bool checkAuditChain(CArchiveDb &db, AuditChainCheck *out, QString *error, const QString &keptHead = QString());

// The hash of the trail's last entry (the genesis hash of an empty trail):
// what an office keeps elsewhere to catch a trail rewritten whole.
bool auditHead(CArchiveDb &db, QString *hash, QString *error);

// The entries of a project (and hole, when given), oldest first.
bool readAuditLog(CArchiveDb &db, const QString &project, const QString &hole, QVector<AuditEntry> *out,
                  QString *error);
