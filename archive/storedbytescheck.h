#pragma once
// The stored files hashed again as verify reads them: the bytes are
// gathered in batches of a few megabytes and each batch is hashed on every
// core while the next is fetched.

#include <QByteArray>
#include <QString>
#include <QVector>

#include <thread>

class CStoredBytesCheck
{
public:
    struct Altered {
        QString sha;    // the SHA-256 the file is stored under
        QString actual; // what its bytes hash to now
    };

    CStoredBytesCheck();
    ~CStoredBytesCheck();
    CStoredBytesCheck(const CStoredBytesCheck &) = delete;
    CStoredBytesCheck &operator=(const CStoredBytesCheck &) = delete;

    // A stored file: its key, its recorded size and its bytes.
    void add(const QString &sha, qint64 size, const QByteArray &bytes);
    // Waits for the last batch; the files whose bytes no longer match.
    QVector<Altered> finish();

    qint64 files() const { return m_files; }
    qint64 bytes() const { return m_bytes; }

private:
    struct Stored {
        QString sha;
        qint64 size = 0;
        QByteArray bytes;
        QByteArray actual;
    };
    void handOver();
    void collect();

    QVector<Stored> m_batch, m_hashing;
    qint64 m_batchBytes = 0;
    std::thread m_running;
    QVector<Altered> m_altered;
    qint64 m_files = 0;
    qint64 m_bytes = 0;
};
