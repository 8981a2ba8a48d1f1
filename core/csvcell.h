#pragma once
// One cell of a CSV file the project writes (RFC 4180, UTF-8).
//
// A spreadsheet takes a cell that begins with "=", "+", "-" or "@" for a
// formula and runs it; a tester named "=cmd|' /C calc'!A0" must stay a
// name. Such a text gets a leading single quote (the usual advice against
// CSV injection); a number ("-0.50", "+3") is written as it is and stays a
// number.

#include <QString>

QString csvCell(const QString &text);
