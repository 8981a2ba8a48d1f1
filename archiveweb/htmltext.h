#pragma once
// Texts placed into web pages: every name from a hole file goes through
// these before it reaches HTML or a URL.

#include <QByteArray>
#include <QString>

// & < > " ' as character references.
QString htmlEscape(const QString &text);
// A query value, percent-encoded as UTF-8.
QString urlValue(const QString &text);
