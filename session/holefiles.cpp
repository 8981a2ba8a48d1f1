#include "holefiles.h"

#include <QFile>
#include <sys/stat.h>
#include <vector>

#include "holefile.h"
#include "holereport.h"

#include "commonutils.h"
#include "ctrlinfo.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace HoleFiles {

QString dataDir()
{
    const QString configured = gCtrlInfo.dataDir.get();
    if (!configured.isEmpty())
        return configured;
    return QKRVCommomUtils::appPath() + QLatin1Char('/') + gCtrlInfo.dataDirName.get();
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
    return {hole, reportPath(hole)};
}

namespace {

// Newest first; equal times by name, so the order does not depend on the
// file system's listing order.
QFileInfoList byModificationTime(const QString &dir, QDir::Filters filters)
{
    const QFileInfoList entries = QDir(dir).entryInfoList(filters | QDir::NoDotAndDotDot | QDir::Hidden, QDir::NoSort);
    // Each time is read once: comparing QDateTime values inside the sort
    // converts them to local time at every comparison (seconds for a project
    // of thousands of files).
    struct Key {
        qint64 msecs;
        QString name;
        int index;
    };
    std::vector<Key> keys;
    keys.reserve(size_t(entries.size()));
    for (int i = 0; i < entries.size(); ++i) {
        // The modification time as the system keeps it (no time-zone work).
        struct stat st;
        const QByteArray path = QFile::encodeName(entries.at(i).absoluteFilePath());
        const qint64 msecs = ::stat(path.constData(), &st) == 0
            ? qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000
            : entries.at(i).lastModified().toMSecsSinceEpoch();
        keys.push_back({msecs, entries.at(i).fileName(), i});
    }
    std::sort(keys.begin(), keys.end(), [](const Key &a, const Key &b) {
        if (a.msecs != b.msecs)
            return a.msecs > b.msecs;
        return a.name < b.name;
    });
    QFileInfoList sorted;
    sorted.reserve(entries.size());
    for (const Key &k : keys)
        sorted.append(entries.at(k.index));
    return sorted;
}

} // namespace

QStringList listProjects(const QString &dir)
{
    QStringList out;
    for (const QFileInfo &fi : byModificationTime(dir, QDir::Dirs))
        out << fi.fileName();
    return out;
}

QStringList listHoleFiles(const QString &dir)
{
    QStringList out;
    for (const QFileInfo &fi : byModificationTime(dir, QDir::Files))
        if (isHoleFileName(fi.fileName()))
            out << fi.fileName();
    return out;
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
