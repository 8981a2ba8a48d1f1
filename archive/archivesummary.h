#pragma once
// A project's summary from the archive: the newest version of every test of
// the project, handed to the same summary the instrument makes, so the CSV
// and the PDF are the instrument's own.

#include "archivedb.h"
#include "projectsummary.h"

// The newest version of each test of the project, with its stored name.
bool projectTestFiles(CArchiveDb &db, const QString &project, QVector<HoleFileBytes> *out, QString *error);
// False with a reason when the archive fails or holds no such project.
bool archiveProjectSummary(CArchiveDb &db, const QString &project, ProjectSummary *out, QString *error);
