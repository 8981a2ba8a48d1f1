#pragma once
// A hole record as a LAS 2.0 log (Log ASCII Standard), the text format
// borehole software reads: ~Version, ~Well, ~Curve, ~Parameter and ~ASCII
// sections, depth in metres as the index, the mud apparent resistivity (and
// the value as acquired) as curves.
//
// Rows are ordered by depth from the top down (the acquisition order runs
// upward). STEP is the constant spacing when every row is one step apart,
// else 0 as the standard asks. Values that are not finite numbers are
// written as the NULL value. Texts are UTF-8; line breaks and other control
// characters in them become spaces, so no text can open a section or start a
// comment, and the descriptions hold no colon (the last colon of a line ends
// its data field, so colons inside data such as times stay readable).

#include "ctrlinfo.h"
#include "testrecord.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace Las {
constexpr double NullValue = -999.25;
}

// sourceName: the hole file's name, recorded in the ~Well section.
QByteArray holeToLas(const CtrlInfo &info, const QVector<Sample> &samples, const QString &sourceName);
