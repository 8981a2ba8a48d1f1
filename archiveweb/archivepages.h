#pragma once
// The archive's web pages as HTML (UTF-8), made from query results. Every
// name that comes from a hole file is escaped here; nothing refers to
// anything outside this server.

#include "archivequeries.h"
#include "curvesvg.h"
#include "holefacts.h"
#include "pilelimits.h"
#include "manifestcheck.h"
#include "webaccess.h"

#include <QByteArray>
#include <QString>
#include <QVector>

struct HolePageData {
    QString project;
    QString hole;
    QVector<VersionRow> history; // every test and version, oldest first
    const VersionRow *shown = nullptr; // the version drawn and tabled
    HoleFactsResult record;      // its record and samples
    VersionSignature signature;  // of the shown version
    QVector<CurveSeries> series; // the shown one and the overlays
    CurveMarks marks;
    int tablePage = 0;           // 0-based page of the sample table
    WebAccess access;            // who asks: the re-judgement form for those who may
    QVector<PileBasisChoice> bases; // the limits table's bases, for the form
};

namespace ArchivePages {
constexpr int TableRowsPerPage = 1000;

QByteArray projectList(const QVector<ProjectRow> &projects);
// Failed holes first, then the others, each in natural order.
QByteArray project(const QString &project, const QVector<HoleRow> &holes);
QByteArray hole(const HolePageData &data);
QByteArray search(const QString &text, const QVector<FoundHole> &found);
QByteArray error(int status, const QString &message);
// The sign-in form; next is where to go after it, csrf the form's token,
// message a reason shown above it (wrong password, too many tries).
QByteArray login(const QString &next, const QString &csrf, const QString &message);
// Who is signed in and the logout button, for the page's header.
QString userBar(const QString &user, const QString &role, const QString &csrf);
QByteArray styleSheet();
// The order of the project page: failed holes first.
QVector<HoleRow> failedFirst(QVector<HoleRow> holes);
}
