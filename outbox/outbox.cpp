#include "outbox.h"

#include "testseal.h"

#include "atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <unistd.h>

namespace {
const QString kItemFile = QStringLiteral("item.json");
const QString kPartSuffix = QStringLiteral(".part");

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

QString itemName(qint64 sequence) { return QStringLiteral("%1").arg(sequence, 12, 10, QLatin1Char('0')); }

// A link keeps the sealed bytes without a copy: saves replace files by
// renaming a new one over them, never by writing into them.
bool placeFile(const QString &from, const QString &to)
{
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    QFile src(from);
    if (!src.open(QIODevice::ReadOnly))
        return false;
    CAtomicFileWriter w(to);
    return w.open() && w.write(src.readAll()) && w.commit();
}

OutboxItem readItem(const QString &folder)
{
    QFile f(folder + QLatin1Char('/') + kItemFile);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject o = QJsonDocument::fromJson(f.readAll()).object();
    OutboxItem item;
    item.folder = folder;
    item.sequence = qint64(o.value(QStringLiteral("sequence")).toDouble());
    item.holeSha256 = o.value(QStringLiteral("holeSha256")).toString();
    item.manifestSha256 = o.value(QStringLiteral("manifestSha256")).toString();
    item.project = o.value(QStringLiteral("project")).toString();
    item.hole = o.value(QStringLiteral("hole")).toString();
    for (const QJsonValue &v : o.value(QStringLiteral("files")).toArray()) {
        const QString name = v.toString();
        // Only names inside the item's own folder.
        if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')))
            return {};
        item.files << folder + QLatin1Char('/') + name;
    }
    return item;
}
} // namespace

QString outboxFolder(const QString &appDir) { return appDir + QStringLiteral("/outbox"); }

Outbox::Outbox(const QString &folder) : m_folder(folder) {}

bool Outbox::enqueue(const SealResult &seal, const QStringList &files, const QString &project, const QString &hole,
                     QString *error)
{
    if (!QDir().mkpath(m_folder))
        return fail(error, QStringLiteral("%1: cannot make the outbox").arg(m_folder));
    const QString name = itemName(seal.sequence);
    const QString part = m_folder + QStringLiteral("/.") + name + kPartSuffix;
    QDir(part).removeRecursively();
    if (!QDir().mkpath(part))
        return fail(error, QStringLiteral("%1: cannot make the item").arg(part));
    QJsonArray names;
    for (const QString &path : files + QStringList{seal.manifestPath}) {
        const QString fileName = QFileInfo(path).fileName();
        if (!placeFile(path, part + QLatin1Char('/') + fileName))
            return fail(error, QStringLiteral("%1: cannot queue it").arg(path));
        names.append(fileName);
    }
    const QJsonObject o{{QStringLiteral("sequence"), double(seal.sequence)},
                        {QStringLiteral("holeSha256"), seal.holeSha256},
                        {QStringLiteral("manifestSha256"), seal.manifestSha256},
                        {QStringLiteral("project"), project},
                        {QStringLiteral("hole"), hole},
                        {QStringLiteral("files"), names}};
    CAtomicFileWriter w(part + QLatin1Char('/') + kItemFile);
    if (!w.open() || !w.write(QJsonDocument(o).toJson()) || !w.commit())
        return fail(error, w.errorString());
    const QString target = m_folder + QLatin1Char('/') + name;
    QDir(target).removeRecursively(); // a sequence number is sealed once; a leftover is stale
    if (!QDir().rename(part, target))
        return fail(error, QStringLiteral("%1: cannot put the item in place").arg(target));
    flushFolderEntries(m_folder);
    return true;
}

QStringList Outbox::itemFolders() const
{
    QDir dir(m_folder);
    const QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    QStringList folders;
    for (const QString &name : names) {
        const QString path = m_folder + QLatin1Char('/') + name;
        if (name.startsWith(QLatin1Char('.')) && name.endsWith(kPartSuffix)) {
            // Cut after its description was complete: finish the rename.
            const OutboxItem cut = readItem(path);
            const QString target = m_folder + QLatin1Char('/') + name.mid(1, name.size() - 1 - kPartSuffix.size());
            if (cut.isValid() && !QFileInfo::exists(target) && QDir().rename(path, target))
                folders.append(target);
            else if (!cut.isValid())
                QDir(path).removeRecursively();
            continue;
        }
        if (name.startsWith(QLatin1Char('.')))
            continue; // a removal cut short; remove() clears it
        folders.append(path);
    }
    // The names are the sequence numbers, zero-padded: their order is the
    // queue's.
    std::sort(folders.begin(), folders.end());
    return folders;
}

QVector<OutboxItem> Outbox::pending(int limit) const
{
    QVector<OutboxItem> items;
    for (const QString &folder : itemFolders()) {
        if (limit >= 0 && items.size() >= limit)
            break;
        const OutboxItem item = readItem(folder);
        if (item.isValid())
            items.append(item);
    }
    std::sort(items.begin(), items.end(),
              [](const OutboxItem &a, const OutboxItem &b) { return a.sequence < b.sequence; });
    return items;
}

int Outbox::count() const
{
    // Without reading every description: a queue of a thousand is counted
    // after every item sent.
    int n = 0;
    for (const QString &folder : itemFolders())
        n += QFileInfo::exists(folder + QLatin1Char('/') + kItemFile) ? 1 : 0;
    return n;
}

bool Outbox::remove(const OutboxItem &item)
{
    if (!item.isValid() || QFileInfo(item.folder).absolutePath() != QFileInfo(m_folder).absoluteFilePath())
        return false;
    // Renamed away first: a cut removal never leaves a half item to resend.
    const QString gone = m_folder + QStringLiteral("/.") + QFileInfo(item.folder).fileName() + QStringLiteral(".sent");
    if (!QDir().rename(item.folder, gone))
        return false;
    flushFolderEntries(m_folder);
    QDir(gone).removeRecursively();
    // Leftovers of removals cut short.
    for (const QString &n : QDir(m_folder).entryList({QStringLiteral(".*.sent")}, QDir::Dirs | QDir::Hidden))
        QDir(m_folder + QLatin1Char('/') + n).removeRecursively();
    return true;
}
