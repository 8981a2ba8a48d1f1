#pragma once
// Names of folders and files by their bytes, for the office tools. The
// instrument names project folders (and hole files named in Chinese) in GBK;
// an office PC names them in UTF-8. A path typed there ("大桥/Z1.CZO") then
// does not exist under its typed bytes although the instrument's folder is
// right there under its GBK bytes.
//
// installOfficeFileNames() makes every file name the process meets keep its
// bytes: names that are valid UTF-8 read as text, any other byte becomes an
// escape character of its own that turns back into the same byte, so a Qt
// file name (QFile, QDir, QFileInfo) of a GBK-named folder opens that folder.
// locate() finds what a typed path means, display() and shown() give a
// readable form for messages.

#include <QByteArray>
#include <QString>

namespace FileNames {
// A name's bytes for messages and the archive: UTF-8 when they are valid,
// plausible UTF-8, else GBK.
QString display(const QByteArray &nameBytes);

// A name or path for messages: after installOfficeFileNames(), each of its
// components as display() gives it (a short GBK name can be valid UTF-8 too);
// otherwise (the instrument's own locale) as it is.
QString shown(const QString &path);

// Makes the locale's code page UTF-8 with every other byte kept as an escape
// (see above); the office tools call it before they read their arguments.
void installOfficeFileNames();

// The path as typed when it exists; else, component by component, the
// typed component when it exists, or its GBK form when that exists; a
// component found in neither form, and all after it, stays as typed (so a
// message names what the user typed). Needs installOfficeFileNames().
QString locate(const QString &typed);
}
