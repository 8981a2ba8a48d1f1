#include "receivedwriter.h"

#include "archivedb.h"

#include <chrono>
#include <vector>

namespace {
// Enough for every server thread's upload at once.
constexpr size_t kLargestBatch = 32;

CReceivedWriter::Result failure(const QString &why)
{
    CReceivedWriter::Result r;
    r.error = why;
    return r;
}
} // namespace

CReceivedWriter::CReceivedWriter(const ArchiveAddress &address, int lockWaitMs)
    : m_address(address)
    , m_lockWaitMs(lockWaitMs)
    , m_thread(&CReceivedWriter::run, this)
{
}

CReceivedWriter::~CReceivedWriter()
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_stopping = true;
    }
    m_waiting.notify_one();
    m_thread.join();
}

CReceivedWriter::Result CReceivedWriter::store(const ReceivedHole &hole, const ManifestVerdict &judged, int waitMs)
{
    auto job = std::make_unique<Job>();
    job->hole = hole;
    job->judged = judged;
    std::future<Result> result = job->done.get_future();
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_stopping)
            return failure(QStringLiteral("the archive server is stopping"));
        m_queue.push_back(std::move(job));
    }
    m_waiting.notify_one();
    if (result.wait_for(std::chrono::milliseconds(waitMs)) != std::future_status::ready)
        return failure(QStringLiteral("the archive is busy; the test was not stored in time (send it again)"));
    return result.get();
}

void CReceivedWriter::run()
{
    // The connection lives and dies in this thread, as Qt SQL requires.
    CArchiveDb db;
    db.setLockWait(m_lockWaitMs);
    QString openError;
    const bool open = db.open(m_address, &openError);
    for (;;) {
        std::vector<std::unique_ptr<Job>> batch;
        {
            std::unique_lock<std::mutex> hold(m_lock);
            m_waiting.wait(hold, [this] { return m_stopping || !m_queue.empty(); });
            while (!m_queue.empty() && batch.size() < kLargestBatch) {
                batch.push_back(std::move(m_queue.front()));
                m_queue.pop_front();
            }
            if (batch.empty())
                return; // stopping, nothing left
        }
        if (!open) {
            for (auto &job : batch)
                job->done.set_value(failure(openError));
            continue;
        }
        storeBatch(&db, &batch);
    }
}

void CReceivedWriter::storeBatch(CArchiveDb *db, std::vector<std::unique_ptr<Job>> *batch)
{
    std::vector<Result> results(batch->size());
    QString error;
    if (!db->begin(&error)) {
        for (auto &job : *batch)
            job->done.set_value(failure(error));
        return;
    }
    {
        CReceivedImporter importer(*db);
        for (size_t i = 0; i < batch->size(); ++i) {
            Result &r = results[i];
            const Job &job = *(*batch)[i];
            if (!db->exec(QStringLiteral("SAVEPOINT received"), &r.error))
                continue;
            r.ok = importer.import(job.hole, job.judged, &r.summary, &r.error);
            QString ignored;
            if (!r.ok) {
                db->exec(QStringLiteral("ROLLBACK TO SAVEPOINT received"), &ignored);
                importer.rolledBack();
            }
            db->exec(QStringLiteral("RELEASE SAVEPOINT received"), &ignored);
        }
    }
    if (!db->commit(&error)) {
        db->rollback();
        for (Result &r : results) {
            if (r.ok)
                r = failure(error);
        }
    }
    for (size_t i = 0; i < batch->size(); ++i)
        (*batch)[i]->done.set_value(results[i]);
}
