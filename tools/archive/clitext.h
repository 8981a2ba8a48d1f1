#pragma once
// Names as the CLI prints them. A name comes from a hole file or a folder
// and may hold anything: a line feed or a tab would forge lines or columns of
// `holes`, `find` or `projects`, an escape sequence would drive the terminal.
// Control characters (C0, DEL, C1), the Unicode line and paragraph
// separators and the bidirectional overrides are printed as visible escapes
// (\t, \r, \n, \e, \xHH, \uHHHH), and a backslash as \\, so that every
// printed name reads back unambiguously.

#include <QString>

QString visibleText(const QString &text);
