#include "rawfiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RawFiles {
QByteArray baseName(const QByteArray &path)
{
    QByteArray p = path;
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    const int slash = p.lastIndexOf('/');
    return slash < 0 ? p : p.mid(slash + 1);
}

QByteArray parent(const QByteArray &path)
{
    const int slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

namespace {
bool statIs(const QByteArray &path, mode_t type)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

// Entries of a folder with their kinds (no following of links).
void entries(const QByteArray &folder, QVector<QByteArray> *files, QVector<QByteArray> *dirs)
{
    DIR *d = ::opendir(folder.constData());
    if (!d)
        return;
    while (dirent *e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (name.startsWith('.'))
            continue; // ".", "..", hidden files and unfinished saves (".NAME.saving")
        const QByteArray path = folder + '/' + name;
        struct stat st;
        if (::lstat(path.constData(), &st) != 0)
            continue;
        if (S_ISREG(st.st_mode) && files)
            files->append(name);
        else if (S_ISDIR(st.st_mode) && dirs)
            dirs->append(name);
    }
    ::closedir(d);
    if (files)
        std::sort(files->begin(), files->end());
    if (dirs)
        std::sort(dirs->begin(), dirs->end());
}
} // namespace

bool isDir(const QByteArray &path) { return statIs(path, S_IFDIR); }
bool isFile(const QByteArray &path) { return statIs(path, S_IFREG); }

QVector<QByteArray> filesIn(const QByteArray &folder)
{
    QVector<QByteArray> files;
    entries(folder, &files, nullptr);
    return files;
}

QVector<QByteArray> foldersUnder(const QByteArray &root)
{
    QVector<QByteArray> out;
    QVector<QByteArray> files, dirs;
    entries(root, &files, &dirs);
    if (!files.isEmpty())
        out.append(root);
    for (const QByteArray &d : qAsConst(dirs))
        out += foldersUnder(root + '/' + d);
    return out;
}

namespace {
QString systemReason() { return QStringLiteral("cannot read: %1").arg(QString::fromLocal8Bit(std::strerror(errno))); }

bool sameState(const struct stat &a, const struct stat &b)
{
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}
} // namespace

bool read(const QByteArray &path, qint64 maxSize, QByteArray *bytes, QString *reason,
          const std::function<void()> &whileReading)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *reason = systemReason();
        return false;
    }
    struct stat before;
    if (::fstat(fd, &before) != 0) {
        *reason = systemReason();
        ::close(fd);
        return false;
    }
    if (before.st_size > maxSize) {
        *reason = QStringLiteral("too large: %1 bytes, more than the %2 such a file can have")
                      .arg(QString::number(qint64(before.st_size)), QString::number(maxSize));
        ::close(fd);
        return false;
    }
    QByteArray out;
    out.reserve(int(before.st_size));
    char buf[65536];
    bool first = true;
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *reason = systemReason();
            ::close(fd);
            return false;
        }
        // A file growing while it is read must not grow the memory without end.
        if (out.size() + n > maxSize)
            break;
        out.append(buf, int(n));
        if (first && whileReading)
            whileReading();
        first = false;
    }
    struct stat after;
    const bool statted = ::fstat(fd, &after) == 0;
    ::close(fd);
    if (!statted || !sameState(before, after) || out.size() != before.st_size) {
        *reason = QStringLiteral("file changed while being read");
        return false;
    }
    *bytes = out;
    return true;
}

QByteArray absolute(const QByteArray &path)
{
    QByteArray p = path;
    if (!p.startsWith('/')) {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd))
            p = QByteArray(cwd) + '/' + p;
    }
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    return p;
}
} // namespace RawFiles
