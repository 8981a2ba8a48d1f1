#include "atomicfile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

bool flushFolderEntries(const QString &dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

CAtomicFileWriter::CAtomicFileWriter(const QString &targetPath)
    : m_target(targetPath), m_temp(tempPathFor(targetPath))
{
}

CAtomicFileWriter::~CAtomicFileWriter()
{
    if (m_temp.isOpen())
        m_temp.close();
    if (!m_committed && !m_killed)
        m_temp.remove();
}

QString CAtomicFileWriter::tempPathFor(const QString &targetPath)
{
    const QFileInfo fi(targetPath);
    return fi.absolutePath() + QStringLiteral("/.") + fi.fileName() + QStringLiteral(".saving");
}

bool CAtomicFileWriter::fail(const QString &what)
{
    m_error = what;
    return false;
}

bool CAtomicFileWriter::open()
{
    if (QFileInfo(m_target).isDir())
        return fail(QStringLiteral("is a folder"));
    if (!m_temp.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(QStringLiteral("cannot create %1: %2").arg(m_temp.fileName(), m_temp.errorString()));
    m_written = 0;
    return true;
}

bool CAtomicFileWriter::write(const QByteArray &bytes)
{
    if (m_killed)
        return fail(QStringLiteral("killed"));
    if (!m_temp.isOpen())
        return fail(QStringLiteral("not open"));
    qint64 n = bytes.size();
    if (m_killAfter >= 0 && m_written + n > m_killAfter) {
        n = m_killAfter - m_written;
        m_killed = true;
    }
    if (m_temp.write(bytes.constData(), n) != n)
        return fail(QStringLiteral("write failed: %1").arg(m_temp.errorString()));
    m_written += n;
    if (m_killed) {
        m_temp.close(); // what reached the system stays, as after a real kill
        return fail(QStringLiteral("killed"));
    }
    return true;
}

bool CAtomicFileWriter::seek(qint64 pos)
{
    if (m_killed)
        return fail(QStringLiteral("killed"));
    if (!m_temp.seek(pos))
        return fail(QStringLiteral("seek failed: %1").arg(m_temp.errorString()));
    return true;
}

bool CAtomicFileWriter::commit()
{
    if (m_killed)
        return fail(QStringLiteral("killed"));
    if (!m_temp.isOpen())
        return fail(QStringLiteral("not open"));
    if (!m_temp.flush())
        return fail(QStringLiteral("write failed: %1").arg(m_temp.errorString()));
    if (::fsync(m_temp.handle()) != 0)
        return fail(QStringLiteral("cannot flush to disk: %1").arg(QString::fromLocal8Bit(strerror(errno))));
    const QFileInfo target(m_target);
    if (target.exists())
        m_temp.setPermissions(QFile::permissions(m_target));
    m_temp.close();
    if (m_temp.error() != QFileDevice::NoError)
        return fail(QStringLiteral("write failed: %1").arg(m_temp.errorString()));
    // rename() replaces the target in one step; QFile::rename would refuse
    // an existing target and fall back to copying.
    if (::rename(QFile::encodeName(m_temp.fileName()).constData(), QFile::encodeName(m_target).constData()) != 0)
        return fail(QStringLiteral("cannot replace %1: %2").arg(m_target, QString::fromLocal8Bit(strerror(errno))));
    m_committed = true;
    flushFolderEntries(target.absolutePath());
    return true;
}
