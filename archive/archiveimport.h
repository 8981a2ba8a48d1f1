#pragma once
// Import of hole files into the archive.
//
// PATHs are USB export folders, data folders or single files. Every hole
// file (extension CZO in any case) found, with its companion files (same name,
// other extension, e.g. the PDF report), is stored by its SHA-256:
//   - bytes already in the archive: skipped;
//   - a new test (project, hole, test date and time): version 1 ("new");
//   - an existing test with other bytes (re-judged): the next version;
//   - a file the reader refuses or that cannot be read: refused, with the
//     reason, and the import goes on.
// Each source folder is one transaction: a cut import leaves every folder
// either wholly in or wholly out, and the next import completes it.

#include "archivedb.h"
#include "manifestcheck.h"

#include <QByteArray>
#include <QPair>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>

struct ImportSummary {
    int added = 0;     // new tests
    int versions = 0;  // new versions of known tests
    int skipped = 0;   // bytes already archived
    int refused = 0;   // damaged or unreadable files
    QStringList refusals; // "path: reason"
    QString line() const;
};

struct ImportOptions {
    // After each hole file: files handled so far and in all.
    std::function<void(int done, int total)> progress;
    // Test aid: once this many files are stored (counted over the whole
    // import), report "paused" on stderr inside the folder's transaction and
    // wait to be killed.
    int pauseAfterFiles = -1;
    // Test aid: runs while a file (its path given) is being read, after its
    // first part.
    std::function<void(const QString &path)> whileReading;
};

// Companion files (reports and the like) larger than this are refused: the
// import keeps each file whole in memory.
constexpr qint64 LargestCompanionFile = 64 * 1024 * 1024;

// Imports; false with the reason when the archive itself failed (the folder
// being imported is then rolled back, folders before it stay imported).
bool importIntoArchive(CArchiveDb &db, const QStringList &paths, const ImportOptions &options,
                       ImportSummary *summary, QString *error);

// A test received whole over the network (an upload): its hole file and the
// files that came with it, as they were in the instrument's project folder.
struct ReceivedHole {
    QString projectFolder;
    QString fileName;
    QByteArray bytes;
    QVector<QPair<QString, QByteArray>> companions; // the manifest among them
};

// Imports received tests by the rules of a folder import, one after
// another inside the caller's write transaction, without writing them
// anywhere first; a source reads "upload/<project folder>/<file name>".
class CReceivedImporter
{
public:
    explicit CReceivedImporter(CArchiveDb &db);
    ~CReceivedImporter();
    CReceivedImporter(const CReceivedImporter &) = delete;
    CReceivedImporter &operator=(const CReceivedImporter &) = delete;

    // judged: the verdict the caller reached on the test's manifest for
    // exactly these bytes (a signed test only). False with the reason when
    // the archive itself failed (the caller then rolls the transaction
    // back); a refusal is in the summary.
    bool import(const ReceivedHole &received, const ManifestVerdict &judged, ImportSummary *summary, QString *error);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
