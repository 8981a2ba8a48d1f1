#pragma once
// Giving files back: a version's hole file and companion files written to a
// folder with their stored names and exactly their stored bytes, each export
// recorded in the audit trail.

#include "archivedb.h"

#include <QStringList>

// Writes the version chosen as pickVersion does (0: newest of the latest
// test) into dir. written receives the paths. False with the reason.
bool exportHoleFiles(CArchiveDb &db, const QString &project, const QString &hole, int version,
                     const QString &testStamp, const QString &dir, QStringList *written, QString *error);
