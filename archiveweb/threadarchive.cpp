#include "threadarchive.h"

#include "archivedb.h"

#include <memory>

CArchiveDb *threadArchive(const ArchiveAddress &address, QString *error)
{
    thread_local std::unique_ptr<CArchiveDb> db;
    if (db)
        return db.get();
    auto fresh = std::make_unique<CArchiveDb>();
    // A thread may wait behind the upload writer's commits, an import at
    // the command line or a re-judgement: on a busy disk that is seconds,
    // not a fault.
    fresh->setLockWait(30000);
    if (!fresh->open(address, error))
        return nullptr;
    db = std::move(fresh);
    return db.get();
}
