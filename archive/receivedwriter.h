#pragma once
// Stores the tests that arrive over the network, for all of a server's
// threads, from one thread of its own: as many as are waiting go into one
// transaction, and one commit makes them all durable. Sixteen instruments sending at once then cost one
// flush of the archive per batch instead of one each, and no thread sleeps
// in the database's lock wait while another commits.
//
// When the archive fails at one test of a batch, or at its commit, the
// batch is undone and each of its tests stored again in a transaction of
// its own: only the one at fault fails (its sender sends it again). The
// caller is answered only after the commit.

#include "archiveaddress.h"
#include "archiveimport.h"

#include <QString>

#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

class CReceivedWriter
{
public:
    struct Result {
        bool ok = false;     // stored, known or refused by the import's rules; see summary
        QString error;       // the archive's fault when not ok
        ImportSummary summary;
    };

    // lockWaitMs: how long the writer waits for another program's write
    // transaction (a folder import at the command line).
    CReceivedWriter(const ArchiveAddress &address, int lockWaitMs);
    ~CReceivedWriter();
    CReceivedWriter(const CReceivedWriter &) = delete;
    CReceivedWriter &operator=(const CReceivedWriter &) = delete;

    // Stores a received test whose manifest the caller judged (for exactly
    // these bytes); waits for its commit, at most waitMs.
    Result store(const ReceivedHole &hole, const ManifestVerdict &judged, int waitMs);

private:
    struct Job {
        ReceivedHole hole;
        ManifestVerdict judged;
        std::promise<Result> done;
    };
    void run();
    void storeBatch(class CArchiveDb *db, std::vector<std::unique_ptr<Job>> *batch);

    ArchiveAddress m_address;
    int m_lockWaitMs;
    std::mutex m_lock;
    std::condition_variable m_waiting;
    std::deque<std::unique_ptr<Job>> m_queue;
    bool m_stopping = false;
    std::thread m_thread;
};
