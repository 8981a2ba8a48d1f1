#pragma once
// The project record on paper and as data.
//
// CSV (UTF-8): a header row
//   hole,position,tests,date,tester,depth_m,thickness_mm,limit_mm,basis,
//   verdict,override,sha256,file,hole_verdict,override_reason
// one row per hole and position (the latest test there), an empty line, then
// the totals as "name,count" rows: tested, passed, failed, not judged (and
// unreadable, when files could not be read; "audit trail head,HASH" when an
// archive made it). verdict and hole_verdict are
// "pass", "fail" or "not judged"; override "yes" or "no"; override_reason
// the reason's key (OverrideReason::key), empty without; thickness and limit
// are empty when not known.

#include "projectsummary.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

QByteArray projectSummaryCsv(const ProjectSummary &summary);

// A4 PDF (QPdfWriter): title, the hole table, the totals; footer with the
// time it was made and the page number. Texts through the catalogue (context
// "CProjectSummary"). Written to a temporary file and renamed over path.
bool writeProjectSummaryPdf(const ProjectSummary &summary, const QString &path, QString *error);

// Names of the two files for a project folder's name: "<name>-汇总.csv" and
// "<name>-汇总.pdf" (the export copies them beside the project on the disk).
QStringList projectSummaryFileNames(const QString &projectFolderName);

// Writes both beside the project's folder: "<folder>-汇总.csv" and
// "<folder>-汇总.pdf" next to it (the export carries them with the project).
bool writeProjectSummaryFiles(const QString &projectDir, QString *csvPath, QString *pdfPath, QString *error);
