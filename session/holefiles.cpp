#include "holefiles.h"

#include <QFile>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

#include "holefile.h"
#include "holereport.h"
#include "testmanifest.h"

#include "appdir.h"
#include "ctrlinfo.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace HoleFiles {

QString dataDir(const CtrlInfo &record)
{
    const QString configured = record.dataDir.get();
    if (!configured.isEmpty())
        return configured;
    return QKRVCommomUtils::appPath() + QLatin1Char('/') + record.dataDirName.get();
}

bool isHoleFileName(const QString &name)
{
    const QString tail = name.right(3);
    return tail == fileExt || tail == fileExt.toLower();
}

QString reportPath(const QString &holePath) { return holeReportPath(holePath); }

QStringList companionFiles(const QString &holePath)
{
    const QString hole = withHoleExtension(holePath);
    return {hole, reportPath(hole), manifestPathFor(hole)};
}

namespace {

enum class EntryKind { Files, Folders };

// The names of a folder's files or sub-folders (hidden ones included, links
// followed), newest first; equal times by name, so the order does not depend
// on the file system's listing order. One stat per entry, relative to the
// open folder: a project folder holds thousands of hole files, and the
// browser lists it again after every change. `wanted`, when given, picks
// by name before the stat (a project folder holds a report beside each file).
QStringList byModificationTime(const QString &dir, EntryKind kind, bool (*wanted)(const QString &) = nullptr)
{
    struct Key {
        qint64 msecs;
        QString name;
    };
    std::vector<Key> keys;
    DIR *d = ::opendir(QFile::encodeName(dir).constData());
    if (!d)
        return {};
    const int fd = ::dirfd(d);
    while (const dirent *e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        QString name = QFile::decodeName(e->d_name);
        if (wanted && !wanted(name))
            continue;
        struct stat st;
        if (::fstatat(fd, e->d_name, &st, 0) != 0)
            continue; // gone meanwhile, or a dangling link
        if (kind == EntryKind::Files ? !S_ISREG(st.st_mode) : !S_ISDIR(st.st_mode))
            continue;
        // The modification time as the system keeps it: comparing converted
        // dates inside the sort costs seconds for thousands of files.
        keys.push_back({qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000, std::move(name)});
    }
    ::closedir(d);
    std::sort(keys.begin(), keys.end(), [](const Key &a, const Key &b) {
        if (a.msecs != b.msecs)
            return a.msecs > b.msecs;
        return a.name < b.name;
    });
    QStringList names;
    names.reserve(int(keys.size()));
    for (Key &k : keys)
        names.append(std::move(k.name));
    return names;
}

} // namespace

QStringList listProjects(const QString &dir)
{
    return byModificationTime(dir, EntryKind::Folders);
}

QStringList listHoleFiles(const QString &dir)
{
    return byModificationTime(dir, EntryKind::Files, isHoleFileName);
}

QStringList holeFilesByName(const QString &dir)
{
    QStringList out;
    const QStringList names =
        QDir(dir).entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QString &n : names)
        if (isHoleFileName(n))
            out << n;
    return out;
}

int countHoleFiles(const QString &dir) { return holeFilesByName(dir).size(); }

bool isWithin(const QString &path, const QString &base)
{
    const QString p = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString b = QDir::cleanPath(QFileInfo(base).absoluteFilePath());
    if (b.isEmpty())
        return false;
    if (p == b)
        return true;
    const QString prefix = b.endsWith(QLatin1Char('/')) ? b : b + QLatin1Char('/');
    return p.startsWith(prefix);
}

namespace {

bool removeEntry(const QFileInfo &fi)
{
    // A link is only a name in its folder: remove the name, never its target.
    if (fi.isSymLink() || !fi.isDir())
        return QFile::remove(fi.absoluteFilePath()) || !fi.exists();
    const QFileInfoList children = QDir(fi.absoluteFilePath())
                                       .entryInfoList(QDir::AllEntries | QDir::System | QDir::Hidden
                                                      | QDir::NoDotAndDotDot, QDir::NoSort);
    bool ok = true;
    for (const QFileInfo &child : children)
        ok = removeEntry(child) && ok;
    return QDir().rmdir(fi.absoluteFilePath()) && ok;
}

} // namespace

bool removeTree(const QString &path, const QString &root)
{
    if (path.isEmpty() || !isWithin(path, root))
        return false;
    const QFileInfo target(path);
    if (!target.exists() && !target.isSymLink())
        return true;
    const QFileInfo rootInfo(root);
    const QString canonicalRoot = rootInfo.canonicalFilePath();
    if (canonicalRoot.isEmpty())
        return false;
    if (QDir::cleanPath(target.absoluteFilePath()) == QDir::cleanPath(rootInfo.absoluteFilePath())) {
        // The folder itself stays (it may be a link to the real storage);
        // everything in it goes.
        bool ok = true;
        const QFileInfoList children = QDir(canonicalRoot).entryInfoList(
            QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
        for (const QFileInfo &child : children)
            ok = removeEntry(child) && ok;
        return ok;
    }
    // A target reached through a linked folder lies elsewhere.
    const QString canonicalParent = target.dir().canonicalPath();
    if (canonicalParent.isEmpty() || !isWithin(canonicalParent, canonicalRoot))
        return false;
    removeEntry(target);
    return !QFileInfo(path).exists() && !QFileInfo(path).isSymLink();
}

} // namespace HoleFiles
