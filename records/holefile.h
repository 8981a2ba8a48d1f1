#pragma once
// Hole data files: one binary file per hole test (hole information, test
// parameters, judgement results and every sample).
//
// How to use it:
//   - End-of-test save (with the progress bar and the final "sync" runs):
//         HoleSaveOptions o;
//         o.progress = [bar](int percent) { bar->setValue(percent); };
//         saveHoleFile(info.filePath, info, list.snapshot(), o);
//   - Judging a reviewed file rewrites it at once (sync, no progress):
//         rewriteReviewedFile(info, list.snapshot());
//   - Opening a file for review (fills a record and a sample list):
//         HoleLoadOptions o;
//         o.beforeSamples = [this] { resetTest(); };   // clear samples + state
//         o.processEvents = true;
//         HoleLoadResult r = loadHoleFile(path, info, list, o);
//         if (!r.ok) ... r.errorText() ...
//   - Reading a file without touching the sample list (browser, tools):
//         CtrlInfo info; HoleLoadResult r = readHoleFile(path, info);
//
// Saving writes a temporary file beside the target and renames it over the
// target only once it is complete and on the disk, so the previous version
// survives any interruption. The file starts with the magic "BAD" while it is
// written and carries "KRV" once complete; the reader refuses anything else.
// The caller hands over a copy of the samples: no lock is held during I/O.
//
// The reader never trusts the sample count: it loads the complete samples
// present in the file and stops at the end of the data (samplesTruncated then
// tells that the file announced more). The end of the data is the end of the
// file or, when the file has one, the start of the acceptance section that
// follows the samples (acceptancesection.h): its bytes are never samples.
// Bytes after the last part of the layout (the samples it announces, or the
// acceptance section) make the file damaged: no writer puts anything there,
// so they are a copy gone wrong or something hidden behind a valid file.

#include "ctrlinfo.h"
#include "testrecord.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <functional>

namespace HoleFile {
constexpr int HeaderSize = 40;
constexpr int TableOffset = 40;
constexpr int TableEntries = 9;
constexpr int TextsOffset = 76;
constexpr int NumbersOffset = 494;
constexpr int SamplesOffset = 552;
constexpr int TextFieldSize = 80;
constexpr int DateFieldSize = 10;
constexpr int TimeFieldSize = 8;
constexpr int SampleRecordSize = 12;
// Size of a file of n samples.
constexpr qint64 fileSize(qint64 n) { return SamplesOffset + 8 + SampleRecordSize * n; }
// Most samples the reader takes from one file (far above any real hole: a
// 200 m hole sampled every 10 mm has 20001), so a forged file cannot make
// it allocate without bound.
constexpr int MaxSamples = 16 * 1024 * 1024;
// The most samples a test can take: a 200 m hole sampled every 10 mm.
constexpr int LargestTestSamples = 200000 / 10 + 1;
// The largest hole file a test can make: those samples and the longest
// acceptance section a reader takes. Anything larger is no hole file.
qint64 largestFileSize();
}

// The path with the hole-file extension: unchanged when it already ends in
// "." + fileExt (any case), else with "." + fileExt appended in upper case.
QString withHoleExtension(const QString &path);

// The complete ("KRV") file image of a record and its samples.
QByteArray encodeHoleFile(const CtrlInfo &info, const QVector<Sample> &samples);

struct HoleSaveOptions {
    // Run "sync" three times after the file is in place (the instrument's
    // saves do; the office tool and benchmarks do not).
    bool sync = true;
    // Progress receiver: after each sample it gets (i * 100) / n, i being the
    // index of the sample just written, and the save then waits 10 ms while
    // processing user-interface events so that the bar moves.
    std::function<void(int percent)> progress;
    int progressWaitMs = 10;
    // Test aid: stop as if the process were killed after this many bytes
    // were written (the target file is left as it was).
    qint64 simulateKillAfterBytes = -1;
};

// Saves the record and the samples to the path (extension added when
// missing). Returns false when the file could not be written completely; the
// previous file at the path is then unchanged. errorMessage, when given,
// receives the reason.
bool saveHoleFile(const QString &path, const CtrlInfo &info, const QVector<Sample> &samples,
                  const HoleSaveOptions &options = HoleSaveOptions(), QString *errorMessage = nullptr);

// Saves the record with the samples to the record's filePath, with the
// "sync" runs and without progress: the rewrite of a reviewed file after the
// sediment position has been judged.
bool rewriteReviewedFile(const CtrlInfo &info, const QVector<Sample> &samples);

enum class HoleLoadError {
    None,
    CannotOpen,      // missing, unreadable or a folder
    Incomplete,      // magic "BAD": the save was interrupted
    NotHoleFile,     // any other magic
    WrongType,       // type code other than "CZ"/"cz"
    NoSampleSection, // sections 1 and 2 were read, the sample offset is missing
    TrailingBytes,   // bytes after the end of the layout: damaged
};

struct HoleLoadResult {
    bool ok = false;
    HoleLoadError error = HoleLoadError::None;
    QString path;                 // the path after the extension rule
    QVector<Sample> samples;      // the samples read from the file
    qint64 announcedSamples = 0;  // the count stored in the file
    qint64 sampleCount = 0;       // samples present (also when they were not kept)
    bool hasAcceptance = false;   // the file carries an acceptance section
    bool samplesTruncated = false; // the file holds fewer samples than announced
    qint64 trailingBytes = 0;     // bytes after the end of the layout (TrailingBytes)
    // True once the header checks passed (the record may then have been
    // partly filled even when ok is false).
    bool headerAccepted() const
    {
        return error == HoleLoadError::None || error == HoleLoadError::NoSampleSection;
    }
    // Short English reason, e.g. "not a complete hole file (interrupted save)".
    QString errorText() const;
};

// Reads a hole file into the record (fields that lie inside the file) and
// returns the samples in the result; the process-wide sample list is not
// touched. On a refusal the record is unchanged. A file without an
// acceptance section leaves info.acceptance at its defaults. With keepSamples
// false the samples are counted but not copied.
HoleLoadResult readHoleFile(const QString &path, CtrlInfo &info, bool keepSamples = true);

// The same from a file's bytes (path left empty). With keepSamples false the
// samples are counted (sampleCount) but not copied.
HoleLoadResult decodeHoleFile(const QByteArray &bytes, CtrlInfo &info, bool keepSamples = true);

struct HoleLoadOptions {
    // Called once the header checks have passed, before the samples go into
    // the list (the main dialog clears the samples and resets the acquisition
    // state here). Without it the samples are appended to the list.
    std::function<void()> beforeSamples;
    // Let the user interface process pending events while the samples are
    // taken in.
    bool processEvents = false;
};

// Reads a hole file into the record and the sample list.
HoleLoadResult loadHoleFile(const QString &path, CtrlInfo &info, SampleList &list,
                            const HoleLoadOptions &options = HoleLoadOptions());
