#pragma once
// The hole page's re-judgement form read into a re-judgement, and the HTTP
// status each outcome answers with: plain functions, tested without a
// server.

#include "officerejudge.h"

#include <QByteArray>
#include <QHash>
#include <QString>

// The fields of an application/x-www-form-urlencoded body ("+" a space,
// percent escapes as UTF-8); a field given twice keeps its last value.
QHash<QString, QString> formFields(const QByteArray &body);

// The form's fields (project, hole, version, thickness, quality, limit,
// basis "CODE|PILE TYPE", reason) into r (who and how are the caller's).
// False with the reason (a 400) for a missing field, a malformed number or
// a missing reason.
bool readRejudgeForm(const QHash<QString, QString> &fields, OfficeRejudgement *r, QString *why);

// 303 for a re-judgement done; 400 invalid, 404 no such version, 409 no
// longer the newest or nothing changed, 503 the archive failed.
int rejudgeHttpStatus(RejudgeResult::Status status);
