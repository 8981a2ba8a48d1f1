#pragma once
// What verify checks beyond the stored bytes and the trail's chain: that
// what the archive shows still follows from what it keeps.
//
//   - Derived fields: every version's bytes are read again by the
//     instrument's reader, and every field kept beside them (project, hole,
//     test time and name, tester, units, depths, thickness, quality, limit,
//     verdict, override and its reason, basis, position, sequence, samples)
//     must be what the file says; each hole's latest version must be the
//     one its history ends with. A row changed behind the archive's back
//     ("verdict = 'pass'") would otherwise show on every page while the
//     file says otherwise.
//   - Filing: every file the trail says was imported (or refiled) must still
//     have its version, under the project and hole of its latest such entry:
//     a hole whose rows were removed or renamed is found.

#include "archivedb.h"

#include <QByteArray>
#include <QStringList>

#include <functional>

// Appends one line per disagreement; false only when the archive could not
// be read. checked receives the number of versions read again. storedFile,
// when given, is handed each hole file as read (its SHA-256 key, recorded
// size and bytes), so that verify reads each stored file once.
bool checkDerivedFields(CArchiveDb &db, QStringList *faults, qint64 *checked, QString *error,
                        const std::function<void(const QString &sha, qint64 size, const QByteArray &bytes)> &storedFile = {});
bool checkTrailFiling(CArchiveDb &db, QStringList *faults, QString *error);
