#pragma once
// Judging a test again in the office (a supervisor's decision, a design
// change): the newest version of the test is read, its judgement replaced
// (thickness, hole quality, basis or limit) and the verdict worked out as the
// instrument works it; the file is written by the instrument's own writer and
// stored as the test's next version, with who, when and why. Nothing else of
// the file changes, and the bytes of every earlier version stay as they are.
//
// The office version carries no instrument signature: the instrument's own
// judgement is the version it started from, which stays in the history.

#include "archivedb.h"
#include "ctrlinfo.h"
#include "pilelimits.h"

#include <QString>
#include <optional>

struct OfficeJudgement {
    int thicknessCm = -1;                 // the judged sediment thickness, required
    std::optional<int> quality;           // 0 qualified, 1 unqualified; none: as the verdict gives
    std::optional<int> designLimitMm;     // a design value as the new basis
    QString code;                         // or a row of the limits table as the new basis
    QString pileType;
    int32_t overrideReason = OverrideReason::Other; // when the quality goes against the verdict
};

struct OfficeRejudgement {
    QString project;
    QString hole;
    qint64 versionId = 0;   // the version judged again: the newest of its test
    OfficeJudgement judgement;
    QString reason;         // why, required
    QString by;             // the user's name, required
    QString via;            // how it came, for the trail ("the web view from 10.0.0.5")
};

struct RejudgeResult {
    enum Status { Done, Invalid, NotFound, Stale, Unchanged, ArchiveFault };
    Status status = ArchiveFault;
    QString message;          // why it was refused, in words
    qint64 versionId = 0;     // the new version's id
    int version = 0;          // and its number
    QString oldVerdict;       // "pass", "fail", "not judged"
    QString newVerdict;
    bool ok() const { return status == Done; }
};

// The longest reason taken (characters).
constexpr int LongestRejudgeReason = 1000;

// Checks the judgement and applies it to the record as the instrument
// would: the basis (a design value wins over a table row), the limit (the
// one the file kept, unless the basis changed, then the table's), the
// verdict, and the hole quality with an override against the verdict.
// False with the reason for a judgement that cannot stand.
bool applyOfficeJudgement(CtrlInfo &info, const OfficeJudgement &j, const CPileLimits &table, QString *why);

// Re-judges in one transaction; the trail gets a "rejudge" entry in the
// user's name.
RejudgeResult rejudgeInOffice(CArchiveDb &db, const OfficeRejudgement &r, const CPileLimits &table);

// The office versions read again: each must be the version it started from
// with only the judgement changed. One fault per version that is not.
bool checkOfficeVersions(CArchiveDb &db, QStringList *faults, qint64 *checked, QString *error);
