#pragma once
// Files named by their bytes. The instrument names folders and files in GBK
// (a project "跨江大桥" is a folder of GBK bytes on its USB disk), which an
// office PC's UTF-8 locale cannot decode and so Qt could not open again by a
// decoded name. The import therefore walks and reads by the names' bytes and
// only decodes them for showing (FileNames::display, core/filenames.h).

#include <QByteArray>
#include <QString>
#include <QVector>
#include <functional>

namespace RawFiles {
// The last component of a path.
QByteArray baseName(const QByteArray &path);
QByteArray parent(const QByteArray &path);
bool isDir(const QByteArray &path);
bool isFile(const QByteArray &path);
// Regular files directly in a folder (names, sorted), hidden ones left out.
QVector<QByteArray> filesIn(const QByteArray &folder);
// Every folder under root (root included) that holds at least one file,
// depth first in name order; symbolic links are not followed.
QVector<QByteArray> foldersUnder(const QByteArray &root);
// Whole file in one read; false with the reason. A file larger than maxSize
// is refused without reading it ("too large: ..."), one whose size or
// modification time changed while it was read with "file changed while being
// read": the bytes given back are then exactly the file as it was at one
// moment. whileReading (a test aid) runs after the first part is read.
bool read(const QByteArray &path, qint64 maxSize, QByteArray *bytes, QString *reason,
          const std::function<void()> &whileReading = {});
// An absolute form of a path given on the command line.
QByteArray absolute(const QByteArray &path);
}
