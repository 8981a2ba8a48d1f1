#pragma once
// Where the stored tests live and how their files are recognised: the data
// directory with one folder per project, hole files ending in fileExt and the
// report file of the same name beside each.

#include <QDateTime>
#include <QString>
#include <QStringList>

class CtrlInfo;

namespace HoleFiles {

// The data directory of a record: its dataDir once the test parameters are
// loaded, else the application directory + "/" + dataDirName.
QString dataDir(const CtrlInfo &record);

// True when the name's last three characters equal fileExt or its lower case.
bool isHoleFileName(const QString &name);

// Report file of a hole file: the last three characters replaced by "pdf"
// when they are fileExt in lower case, else by "PDF".
QString reportPath(const QString &holePath);

// Every file that belongs to a stored test, the hole file first: the hole
// file (with its extension, as the loader adds it), its report and its
// signed manifest (.SIG). Saving,
// discarding, deleting, exporting and the browser's sizes all go by it.
QStringList companionFiles(const QString &holePath);

// Project folders in dir, newest modification first (equal times by name).
QStringList listProjects(const QString &dir);
// Hole files (names with extension) in dir, newest first (equal times by name).
QStringList listHoleFiles(const QString &dir);
// Hole files in dir in name order, ignoring case (the export's order).
QStringList holeFilesByName(const QString &dir);
// Number of hole files in dir.
int countHoleFiles(const QString &dir);

// Removes a file, or a folder with everything in it. A symbolic link is
// removed as a link and never followed. Refuses (returns false, removes
// nothing) unless the path lies inside `root`, so no name can make a delete
// reach outside the folder it belongs to; `root` itself is emptied but kept.
// Returns true when everything named is gone.
bool removeTree(const QString &path, const QString &root);

// True when path is base or lies below it (whole path components compared).
bool isWithin(const QString &path, const QString &base);

} // namespace HoleFiles
