#pragma once
// Everything a hole report shows, read from the saved hole file so that the
// instrument and the office tool make the same report from the same bytes.

#include "ctrlinfo.h"
#include "sha256.h"
#include "sedimentsuggest.h"
#include "testrecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

struct HoleReportData {
    CtrlInfo info;
    QVector<Sample> samples;
    QString fileName;       // the hole file's name, without folder
    QString sha256;         // SHA-256 of the hole file's bytes, lower-case hex
    QDateTime madeAt;       // when the report was made
    SedimentSuggestion suggestion;
    qint64 announcedSamples = 0; // the count the file states
    bool samplesTruncated = false; // the file holds fewer samples than it states
    QString deviceId;       // the instrument that saved it; empty when not known (office tools)
};

// Reads the hole file (extension added as the loader does) and fills out;
// madeAt is the current time. False with a reason when the file cannot be
// read, is refused by the loader, or changed while it was being read.
bool readHoleReportData(const QString &holeFilePath, HoleReportData *out, QString *error);
