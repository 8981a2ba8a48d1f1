#include "sha256pipeline.h"

#include "sha256.h"

#include <system_error>

namespace {
// Large enough that the queue is touched a few dozen times for a report,
// small enough that the last piece is hashed in a fraction of a millisecond.
constexpr int kPiece = 64 * 1024;
} // namespace

Sha256Pipeline::Sha256Pipeline()
    : m_digest(new Sha256Context)
{
    m_gathering.reserve(kPiece);
    try {
        m_worker = std::thread(&Sha256Pipeline::hashQueued, this);
    } catch (const std::system_error &) {
        // No thread: handOver() hashes each piece itself.
    }
}

Sha256Pipeline::~Sha256Pipeline()
{
    m_abandoned = true;
    finish();
}

void Sha256Pipeline::add(const char *data, qint64 size)
{
    if (m_closed || m_abandoned || size <= 0)
        return;
    m_gathering.append(data, int(size));
    if (m_gathering.size() >= kPiece)
        handOver();
}

void Sha256Pipeline::abandon() { m_abandoned = true; }

void Sha256Pipeline::handOver()
{
    QByteArray piece;
    piece.swap(m_gathering);
    if (!m_worker.joinable()) {
        m_digest->update(piece.constData(), piece.size());
        if (m_closed)
            m_digestOfAll = m_digest->digest();
        return;
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_queue.push_back(std::move(piece));
        m_queueClosed = m_closed;
    }
    m_queued.notify_one();
}

void Sha256Pipeline::hashQueued()
{
    for (;;) {
        QByteArray piece;
        bool last = false;
        {
            std::unique_lock<std::mutex> hold(m_lock);
            m_queued.wait(hold, [this] { return !m_queue.empty(); });
            piece = std::move(m_queue.front());
            m_queue.pop_front();
            last = m_queueClosed && m_queue.empty();
        }
        m_digest->update(piece.constData(), piece.size());
        if (last) {
            // Finished here, so that finish() need not wake this thread.
            m_digestOfAll = m_digest->digest();
            return;
        }
    }
}

void Sha256Pipeline::close()
{
    if (m_closed)
        return;
    m_closed = true;
    handOver(); // the last piece, possibly empty, ends the thread's work
}

QByteArray Sha256Pipeline::finish()
{
    close();
    if (m_worker.joinable())
        m_worker.join();
    return m_abandoned ? QByteArray() : m_digestOfAll;
}
