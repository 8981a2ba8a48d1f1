#pragma once
// The per-hole PDF report: what the operator hands to the site engineer.
//
// It is made from the saved hole file (never from the live record), so the
// instrument and the office tool ("zpvw-hole report") make the same report,
// and its footer carries the SHA-256 checksum of exactly those bytes.
//
// The instrument calls it after every successful save of a hole file:
//     if (saveHoleFile(path, ...))
//         updateHoleReport(path);          // never stops or fails the save
// which writes the companion report beside the hole file (A12.CZO ->
// A12.PDF, a12.czo -> a12.pdf), through a temporary file renamed into place.
//
// Needs a QGuiApplication (fonts); without one it fails with a reason.

#include "reportdata.h"

#include <QByteArray>
#include <QString>

// Path of the companion report of a hole file: the hole path (extension
// added as the loader does) with its last three characters replaced by "pdf"
// when they are fileExt in lower case, else by "PDF".
QString holeReportPath(const QString &holeFilePath);

class Sha256Pipeline;

// The report as PDF bytes. digest, when given, is fed the bytes as they
// are made (and abandoned when they cannot be).
QByteArray renderHoleReportPdf(const HoleReportData &data, QString *error = nullptr, Sha256Pipeline *digest = nullptr);

// Reads the hole file and writes its report to pdfPath (replaced safely:
// the old file stays whole until the new one is complete). False with a
// reason on any failure; pdfPath is then unchanged.
// deviceId: the instrument's id shown on the report; empty to leave it out.
// digest: when given, fed the report's bytes while it is drawn, so that a
// seal after the save need not read and hash it again; abandoned whenever
// the function fails.
bool writeHoleReportTo(const QString &holeFilePath, const QString &pdfPath, QString *error = nullptr,
                       const QString &deviceId = QString(), Sha256Pipeline *digest = nullptr);

// Writes the companion report of a hole file. When that fails, an older
// companion report is removed: a report that no longer matches the hole
// file would show superseded results.
bool writeHoleReport(const QString &holeFilePath, QString *error = nullptr, const QString &deviceId = QString(),
                     Sha256Pipeline *digest = nullptr);

// The call after a save: writeHoleReport, with a failure written to the
// debug output only. The hole file is never touched.
void updateHoleReport(const QString &holeFilePath, const QString &deviceId = QString(),
                      Sha256Pipeline *digest = nullptr);
