#pragma once
// Replaces a file so that an interruption at any moment (power cut, crash,
// full disk) leaves either the old complete file or the new complete one.
//
// The new content goes to a temporary file in the target's folder whose name
// starts with a dot and ends in ".saving" (so it never passes for the target
// kind of file); commit() flushes it to the disk, renames it over the target
// and flushes the folder entry. Until then the target is untouched.
//
//     CAtomicFileWriter w(path);
//     if (!w.open() || !w.write(bytes) || !w.commit())
//         ... w.errorString() ...

#include <QByteArray>
#include <QFile>
#include <QString>

class CAtomicFileWriter {
public:
    explicit CAtomicFileWriter(const QString &targetPath);
    // Removes an uncommitted temporary file (unless a simulated kill keeps it).
    ~CAtomicFileWriter();
    CAtomicFileWriter(const CAtomicFileWriter &) = delete;
    CAtomicFileWriter &operator=(const CAtomicFileWriter &) = delete;

    bool open();
    bool write(const QByteArray &bytes);
    bool seek(qint64 pos);
    bool commit();

    QString targetPath() const { return m_target; }
    QString tempPath() const { return m_temp.fileName(); }
    QString errorString() const { return m_error; }

    // Test aid: behave as if the process were killed once `bytes` bytes have
    // been written. The rest is dropped, commit() fails and the partial
    // temporary file stays behind, as a killed process would leave it.
    void simulateKillAfter(qint64 bytes) { m_killAfter = bytes; }

    // Name of the temporary file used for a target.
    static QString tempPathFor(const QString &targetPath);

private:
    bool fail(const QString &what);

    QString m_target;
    QFile m_temp;
    QString m_error;
    qint64 m_written = 0;
    qint64 m_killAfter = -1;
    bool m_killed = false;
    bool m_committed = false;
};

// Flushes a folder's entries to the disk (after a rename into it); false
// when the folder cannot be opened or flushed.
bool flushFolderEntries(const QString &dir);
