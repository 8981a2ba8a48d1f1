#pragma once
// The test done before a reviewed one, read from its hole file for the
// curve's overlay. Reading it changes nothing: not the reviewed file, not
// the record in force, not the sample list.

#include "testrecord.h"

#include <QString>
#include <QVector>
#include <cstdint>

struct PreviousTest {
    QString path;     // empty: there is no earlier test
    QString name;     // file name without extension, e.g. "Z17"
    QString testDate; // "yyyy-MM-dd" as stored
    QString testTime;
    QVector<Sample> samples;
    bool isValid() const { return !path.isEmpty(); }
};

// The nearest earlier test of the hole that the file at reviewedPath belongs
// to, looked for among the hole files of its folder; storedSequence is the
// test sequence the reviewed file holds (0 when it has none). Files that
// cannot be read, or that turn out to belong to another hole, are passed
// over for the next earlier one.
PreviousTest findPreviousTest(const QString &reviewedPath, int32_t storedSequence);
