#pragma once
// The digests a seal needs after a save, worked out while the report is
// drawn: the hole file's on another thread from the start, the report's as
// its bytes are made. The seal then waits only for what is left of them,
// instead of reading and hashing 1.7 MB after the report is written.

#include "sha256pipeline.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <future>

// SHA-256 digests (32 bytes) of files, by path.
using KnownDigests = QHash<QString, QByteArray>;

class SaveDigests
{
public:
    // Starts hashing the saved hole file; reportPath is where the report
    // fed to report() is to be written.
    SaveDigests(const QString &holePath, const QString &reportPath);

    // To be fed the report's bytes while it is drawn.
    Sha256Pipeline *report() { return &m_report; }

    // The digests known, by path: the hole file's when it could be read,
    // the report's when its bytes came whole. Waits for both.
    KnownDigests take();

private:
    QString m_holePath;
    QString m_reportPath;
    std::future<QByteArray> m_hole;
    Sha256Pipeline m_report;
};
