#include "savedigests.h"

#include "sha256.h"

#include <system_error>

namespace {
QByteArray digestOfFile(const QString &path)
{
    QByteArray digest;
    return sha256OfFile(path, &digest, nullptr) ? digest : QByteArray();
}
} // namespace

SaveDigests::SaveDigests(const QString &holePath, const QString &reportPath)
    : m_holePath(holePath)
    , m_reportPath(reportPath)
{
    try {
        m_hole = std::async(std::launch::async, digestOfFile, holePath);
    } catch (const std::system_error &) { // no thread to be had: hashed when asked for
        m_hole = std::async(std::launch::deferred, digestOfFile, holePath);
    }
}

KnownDigests SaveDigests::take()
{
    KnownDigests known;
    const QByteArray hole = m_hole.valid() ? m_hole.get() : QByteArray();
    if (!hole.isEmpty())
        known.insert(m_holePath, hole);
    const QByteArray report = m_report.finish();
    if (!report.isEmpty())
        known.insert(m_reportPath, report);
    return known;
}
