#include "storedbytescheck.h"

#include "sha256.h"

#include <QThread>

#include <vector>

namespace {
constexpr qint64 kBatchBytes = 8 * 1024 * 1024;

template <class Stored> void hashAll(QVector<Stored> *batch)
{
    const int workers = qMax(1, QThread::idealThreadCount());
    std::vector<std::thread> pool;
    for (int w = 0; w < workers; ++w) {
        pool.emplace_back([batch, w, workers] {
            for (int i = w; i < batch->size(); i += workers) {
                auto &s = (*batch)[i];
                s.actual = sha256Digest(s.bytes).toHex();
            }
        });
    }
    for (std::thread &t : pool)
        t.join();
}
} // namespace

CStoredBytesCheck::CStoredBytesCheck() = default;

CStoredBytesCheck::~CStoredBytesCheck()
{
    if (m_running.joinable())
        m_running.join();
}

void CStoredBytesCheck::add(const QString &sha, qint64 size, const QByteArray &bytes)
{
    m_batchBytes += bytes.size();
    m_batch.append({sha, size, bytes, {}});
    if (m_batchBytes >= kBatchBytes)
        handOver();
}

void CStoredBytesCheck::collect()
{
    if (!m_running.joinable())
        return;
    m_running.join();
    for (const Stored &s : qAsConst(m_hashing)) {
        const QString actual = QString::fromLatin1(s.actual);
        if (actual != s.sha || s.bytes.size() != s.size)
            m_altered.append({s.sha, actual});
        ++m_files;
        m_bytes += s.bytes.size();
    }
    m_hashing.clear();
}

void CStoredBytesCheck::handOver()
{
    collect();
    m_hashing.swap(m_batch);
    m_batchBytes = 0;
    m_running = std::thread([this] { hashAll(&m_hashing); });
}

QVector<CStoredBytesCheck::Altered> CStoredBytesCheck::finish()
{
    handOver();
    collect();
    return m_altered;
}
