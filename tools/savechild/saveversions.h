#pragma once
// Numbered versions of a hole test and of an operator set-up, each different
// in content and size, so that a file on disk tells which version it is and
// whether it is complete. Shared by zpvw-savechild and the test that kills it.

#include "ctrlinfo.h"
#include "testrecord.h"

#include <QString>
#include <QVector>

// Hole-file name used by both sides.
QString saveVersionsHoleName();

// Record and samples of hole version g (g >= 0).
void holeVersion(int g, CtrlInfo &info, QVector<Sample> &samples);
// The version a record read back names (from its hole number), -1 if none.
int holeVersionOf(const CtrlInfo &info);

// Set-up version g (g >= 0) in the record.
void paramVersion(int g, CtrlInfo &info);
// The version a record read back names (from its project name), -1 if none.
int paramVersionOf(const CtrlInfo &info);
