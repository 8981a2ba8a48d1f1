#pragma once
// The project record: every hole of a project with its result, from the hole
// files' bytes (or records already read), grouped into holes and measuring
// positions.
//
// Tests of one hole: the file NAME and its repeats NAME-2, NAME-3, ... A
// file NAME-N with an acceptance section is a repeat when the section says
// it is test N of its hole (so a pile named "3-12" stays a hole of its own);
// an older file without one is a repeat when the file NAME is in the project
// too. A hole's result at
// a position is its latest test there (date and time, then sequence); the
// hole passes only when every position's latest test passes, fails when any
// fails, and is not judged otherwise.
//
// Nothing here reads a folder except summarizeProjectFolder, so an archive
// can feed bytes from its own store.

#include "ctrlinfo.h"
#include "holeacceptance.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

// One hole file as handed in.
struct HoleFileBytes {
    HoleFileBytes() = default;
    HoleFileBytes(const QString &name, const QByteArray &content, const QString &office = QString())
        : fileName(name), bytes(content), officeRejudgement(office)
    {
    }
    QString fileName; // e.g. "Z17-2.CZO" (no folder needed)
    QByteArray bytes;
    QString officeRejudgement; // see HoleTestRecord
};

// What the summary needs of one test.
struct HoleTestRecord {
    QString fileName;
    QString sha256;       // of the file's bytes, lower-case hex
    bool readable = false;
    QString error;        // why it is not readable
    QString projectName;
    QString holeNo;       // the hole number field of the record
    QString tester;
    QString testDate;     // "yyyy-MM-dd"
    QString testTime;     // "hh:mm:ss"
    int32_t maxDepthMm = 0;
    int32_t holeDiameterMm = 0;
    int32_t sedimentThicknessCm = 0;
    int32_t holeQuality = 0;
    int sampleCount = 0;
    bool hasAcceptance = false; // the file carries an acceptance section
    HoleAcceptance acceptance;
    // The archive's word that the judgement was made again in the office:
    // "NAME, TIME: REASON"; empty for the instrument's own judgement.
    QString officeRejudgement;

    int32_t verdict() const; // final verdict (the operator's choice once judged)
    QString dateTime() const { return testDate + QLatin1Char(' ') + testTime; }
};

// Reads one file's bytes (samples are skipped: only their count is kept).
HoleTestRecord holeTestFromBytes(const QString &fileName, const QByteArray &bytes);
// Reads one file without its samples and without the SHA-256 (left empty):
// what the browser needs to show a hole's verdict.
HoleTestRecord holeTestFromFile(const QString &path);
// A record already read (sha256 of its file's bytes given by the caller).
HoleTestRecord holeTestFromRecord(const QString &fileName, const CtrlInfo &info, int sampleCount,
                                  const QString &sha256);

struct PositionResult {
    int32_t position = MeasuringPosition::Unnamed;
    int tests = 0;           // tests of the hole at this position
    HoleTestRecord latest;   // the test in force
    int32_t verdict() const { return latest.verdict(); }
};

struct HoleResult {
    QString hole;                      // file name of the first test, no extension
    QVector<PositionResult> positions; // in position-code order
    QStringList testFiles;             // every test's file, oldest first
    int tests() const { return testFiles.size(); }
    int32_t verdict() const;           // over every position
    const HoleTestRecord &latest() const; // the latest test of all positions
};

struct ProjectSummary {
    QString projectName;             // from the latest test read
    QVector<HoleResult> holes;       // in natural name order (Z2 before Z10)
    QVector<HoleTestRecord> unreadable;
    // Made from an archive: the hash at the head of its audit trail then, so
    // that the paper keeps it elsewhere (printed under the totals, and the
    // CSV's last row). The instrument leaves it empty.
    QString trailHead;
    int tested() const { return holes.size(); }
    int passed() const;
    int failed() const;
    int notJudged() const;
};

// The result of one hole from its tests (readable ones, in any order).
HoleResult resultOfHole(const QString &hole, const QVector<HoleTestRecord> &tests);

ProjectSummary summarizeProject(const QVector<HoleFileBytes> &files);
ProjectSummary summarizeProject(const QVector<HoleTestRecord> &tests);
// Every hole file (extension CZO, any case) directly in the folder.
ProjectSummary summarizeProjectFolder(const QString &dir);

// Hole names with their digit runs compared as numbers (Z2 before Z10),
// leading zeros and the case of Latin letters aside.
bool naturalLess(const QString &a, const QString &b);

// The hole a test belongs to, given every test file name of the project
// (names without folder). "Z17-2.CZO" -> "Z17" when sequence is 2, or when
// sequence is unknown (0) and "Z17.CZO" is among them.
QString holeOfTest(const QString &fileName, int32_t sequence, const QStringList &allFileNames);

// The tests of a project grouped into holes. fileNames: every test's file
// (names without folder); sequenceOf(i): the test sequence file i records
// (0 when it records none), asked only of names of the form NAME-N, so a
// caller can read just those files. Holes come in the order of their first
// test in fileNames, each with its tests' indexes in that order; a hole is
// named after its own file when that is among them.
struct TestGroup {
    QString hole;
    QVector<int> tests;
};
QVector<TestGroup> groupTests(const QStringList &fileNames, const std::function<int32_t(int)> &sequenceOf);

// The name for the next test of a hole: the hole itself when no file of that
// name exists, else NAME-2, NAME-3, ... the first free one (names compared
// without case and extension).
QString nextFreeTestName(const QString &hole, const QStringList &existingFileNames);

// The test sequence a file name stands for within its hole (1 for the hole's
// own name, N for NAME-N).
int32_t testSequenceOf(const QString &testName, const QString &hole);
// The file name is the hole's own (Z1) or one of its repeats (Z1-2, ...).
bool isTestNameOfHole(const QString &testName, const QString &hole);
