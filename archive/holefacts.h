#pragma once
// What the archive keeps and searches of one hole file, read from its bytes
// by the instrument's own reader.

#include "ctrlinfo.h"
#include "testrecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

struct HoleFacts {
    QString project;          // the file's project name, else the folder's name
    QString hole;             // the hole number, else the file's base name
    QString testDate;
    QString testTime;
    QString tester;
    QString testUnit;
    QString constructionUnit;
    int holeDepth = 0;        // mm
    int maxDepth = 0;         // mm
    int moveDistance = 0;     // mm
    int thicknessCm = 0;      // judged sediment thickness (none while quality < 0)
    int quality = 0;          // 0 qualified, 1 unqualified
    // From the file's acceptance section, when it has one:
    std::optional<int> limitMm;     // the limit in force (none: not set)
    std::optional<QString> verdict; // "pass", "fail" or "not judged"
    // The operator chose the hole quality against the automatic verdict,
    // and why (OverrideReason::key; empty when no reason was given).
    bool overridden = false;
    QString overrideReason;
    QString basis;                  // e.g. "JGJ 94-2008 端承桩", "design 80 mm"
    QString position;               // measuring position key ("", "centre", "X", ...)
    int sequence = 1;               // test of its hole: 1, 2 for NAME-2, ...
    bool sequenceRecorded = false;
    // The operator kept the recorded hole for a test named after another.
    bool holeNumberKept = false;  // the file has an acceptance section
    int samples = 0;
};

struct HoleFactsResult {
    bool ok = false;
    QString reason;           // why the file was refused
    HoleFacts facts;
    CtrlInfo info;            // the whole record, for pages that show it
    QVector<Sample> samples;
};

// Reads a hole file image. folderName and fileName stand in for a missing
// project name and hole number. A file the reader refuses, or one that holds
// fewer samples than it announces, is refused with the reader's reason.
HoleFactsResult readHoleFacts(const QByteArray &bytes, const QString &folderName, const QString &fileName);

// The hole the archive files a test under: the recorded hole number when
// the file's name is that hole or one of its repeats (NAME-N); else the hole
// the file's name stands for by the instrument's own rule of repeats, among
// holeFileNames(), the hole files beside it (asked only then). Files of older
// instruments may record another hole than their name (Z2.CZO recording Z1):
// they are filed under the hole of their name, as the instrument lists them.
QString archivedHoleOf(const HoleFacts &facts, const QString &fileName,
                       const std::function<QStringList()> &holeFileNames);

// True for a hole-file name (extension fileExt in any case).
bool isHoleFileName(const QString &fileName);
