#pragma once
// The commands of zpvw-archive, each printing its result on stdout and a
// reason on stderr; each returns the process's exit status.

#include "archivedb.h"

#include <QStringList>

struct OfficeRejudgement;

namespace ArchiveCommands {
int importPaths(CArchiveDb &db, const QStringList &paths);
int projects(CArchiveDb &db);
int holes(CArchiveDb &db, const QString &project);
int history(CArchiveDb &db, const QString &project, const QString &hole);
int exportFiles(CArchiveDb &db, const QString &project, const QString &hole, int version, const QString &test,
                const QString &dir);
int verify(CArchiveDb &db, const QString &keptHead);
int log(CArchiveDb &db, const QString &project, const QString &hole);
int find(CArchiveDb &db, const QString &text);
int summary(CArchiveDb &db, const QString &project, const QString &csvPath, const QString &pdfPath);
int fail(const QString &reason);
// Judges the newest version of a hole's latest test (or of TEST) again:
// rejudge PROJECT HOLE --thickness CM [--quality 0|1] [--limit MM |
// --basis "CODE|PILE TYPE"] [--test NAME] --reason TEXT --by NAME
int rejudge(CArchiveDb &db, const QStringList &args);
// device add NAME PUBKEY | device list | device revoke NAME
int device(CArchiveDb &db, const QStringList &args);
// user add NAME --role R [--password-file F] | user list | user disable NAME | user password NAME
int user(CArchiveDb &db, QStringList args);
// token add NAME | token list | token revoke NAME
int token(CArchiveDb &db, const QStringList &args);
// Takes "--name VALUE" out of args; false when the value is missing.
bool takeOption(QStringList &args, const QString &name, QString *value, bool *present = nullptr);
}
