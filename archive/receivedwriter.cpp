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
    bool open = false;
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
        // Opened when first needed, and again after a failure: a database
        // server that was down when this one started is used once it is up.
        QString openError;
        if (!open)
            open = db.open(m_address, &openError);
        if (!open) {
            for (auto &job : batch)
                job->done.set_value(failure(openError));
            continue;
        }
        storeBatch(&db, &batch);
    }
}

namespace {
// Stores the tests in one transaction; false when the archive failed at one
// of them or at the commit (then nothing of them is stored).
bool storeTogether(CArchiveDb *db, const std::vector<const ReceivedHole *> &holes,
                   const std::vector<const ManifestVerdict *> &verdicts, std::vector<CReceivedWriter::Result> *results,
                   QString *error)
{
    if (!db->begin(error))
        return false;
    {
        CReceivedImporter importer(*db);
        for (size_t i = 0; i < holes.size(); ++i) {
            CReceivedWriter::Result &r = (*results)[i];
            r.ok = importer.import(*holes[i], *verdicts[i], &r.summary, &r.error);
            if (!r.ok) {
                *error = r.error;
                break;
            }
        }
    }
    for (const CReceivedWriter::Result &r : *results) {
        if (!r.ok) {
            db->rollback();
            return false;
        }
    }
    if (!db->commit(error)) {
        db->rollback();
        return false;
    }
    return true;
}
} // namespace

void CReceivedWriter::storeBatch(CArchiveDb *db, std::vector<std::unique_ptr<Job>> *batch)
{
    std::vector<const ReceivedHole *> holes;
    std::vector<const ManifestVerdict *> verdicts;
    for (const auto &job : *batch) {
        holes.push_back(&job->hole);
        verdicts.push_back(&job->judged);
    }
    std::vector<Result> results(batch->size());
    QString error;
    if (!storeTogether(db, holes, verdicts, &results, &error) && batch->size() > 1) {
        // Nothing of the batch is stored: each test again on its own, so
        // that only the one at fault fails.
        for (size_t i = 0; i < batch->size(); ++i) {
            std::vector<Result> one(1);
            QString why;
            if (!storeTogether(db, {holes[i]}, {verdicts[i]}, &one, &why))
                one[0] = failure(why);
            results[i] = one[0];
        }
    } else if (!error.isEmpty()) {
        results[0] = failure(error);
    }
    for (size_t i = 0; i < batch->size(); ++i)
        (*batch)[i]->done.set_value(results[i]);
}
