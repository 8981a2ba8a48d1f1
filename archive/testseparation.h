#pragma once
// The rows of schema version 2: every stored test learns its project folder
// and file name from its versions. Version 1 told tests apart by their time
// alone, and older instruments stamped every test of a program run with the
// run's start time, so it filed a run's files (Z1, Z1-2, Z2) as versions of
// one test, under the hole the first one recorded. Such a test is separated:
// each file's versions go to the test of its folder and name, under the hole
// its name stands for (archivedHoleOf), numbered in their old order, and each
// version moved is told in the audit trail ("refile"). Runs inside the
// migration's transaction.

#include "archivedb.h"

#include <QString>

bool separateArchivedTests(CArchiveDb &db, QString *error);
