#pragma once
// Which stored tests come before a test of the same hole: a reviewed repeat
// (Z17-3) is shown with the test done before it (Z17-2, or Z17 when Z17-2 was
// never saved), grouped the way the project summary groups them.

#include <QString>
#include <QStringList>
#include <cstdint>

// The earlier tests of the hole that fileName belongs to, nearest first
// (highest sequence below its own). sequence is the test sequence stored in
// the file (0 when it has none); allFileNames are the project's hole files
// (names without folder). The caller confirms each candidate with its own
// stored sequence (earlierTestBelongs) before using it.
QStringList earlierTestsOf(const QString &fileName, int32_t sequence, const QStringList &allFileNames);

// Whether the candidate, with the sequence stored in it (0 when none), is a
// test of the hole that `hole` names.
bool earlierTestBelongs(const QString &candidate, int32_t storedSequence, const QString &hole,
                        const QStringList &allFileNames);

