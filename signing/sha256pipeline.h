#pragma once
// SHA-256 of bytes that arrive in pieces while something else is being made
// (a report drawn page by page), worked out on a thread of its own: when
// the last piece has come, the digest is ready or nearly so. A save's
// seal thus waits for the hash of the last piece only, not of the whole
// megabyte-sized report.
//
// Pieces are gathered and handed to the hashing thread by a queue, in
// order. Without a thread to be had, the pieces are hashed as they come.

#include <QByteArray>

class Sha256Context;

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

class Sha256Pipeline
{
public:
    Sha256Pipeline();
    ~Sha256Pipeline();
    Sha256Pipeline(const Sha256Pipeline &) = delete;
    Sha256Pipeline &operator=(const Sha256Pipeline &) = delete;

    // The next bytes, copied.
    void add(const char *data, qint64 size);
    // No more bytes: the rest is hashed at once, while the caller goes on.
    void close();
    // The bytes given are not those of the file after all: finish() then
    // gives no digest.
    void abandon();
    // The 32-byte digest of all bytes added; empty after abandon(). Closes,
    // and waits for the hashing thread.
    QByteArray finish();

private:
    void hashQueued();
    void handOver();

    std::unique_ptr<Sha256Context> m_digest; // the hashing thread's, while it runs
    QByteArray m_digestOfAll;         // set by the hashing thread as it ends
    QByteArray m_gathering;           // the caller's only
    bool m_closed = false;            // the caller's only
    bool m_abandoned = false;         // the caller's only

    std::mutex m_lock;
    std::condition_variable m_queued;
    std::deque<QByteArray> m_queue;
    bool m_queueClosed = false; // the last piece is in the queue
    std::thread m_worker;
};
