#pragma once
// The outbox: sealed tests waiting to reach the archive, on the instrument's
// disk, in the order they were sealed.
//
// Each item is a folder named by the manifest's sequence number holding the
// sealed files as they were (hole file, report, manifest) and "item.json".
// The files are hard links where the disk allows (a later save replaces the
// hole file by a new one, so the link keeps the sealed bytes), else copies.
// An item is made in a hidden folder and renamed into place, so a power cut
// leaves it whole or not there; one cut after its files were in place is
// completed on the next look.
//
//     Outbox box(outboxFolder(appDir));
//     box.enqueue(seal, files, &error);      // after every seal
//     for (const OutboxItem &item : box.pending()) ... send ... box.remove(item);

#include <QString>
#include <QStringList>
#include <QVector>

struct SealResult;

struct OutboxItem {
    QString folder;
    qint64 sequence = 0;
    QString holeSha256;
    QString manifestSha256;
    QString project;
    QString hole;
    QStringList files; // paths, the hole file first, the manifest last
    bool isValid() const { return sequence > 0 && !files.isEmpty(); }
};

QString outboxFolder(const QString &appDir);

class Outbox {
public:
    explicit Outbox(const QString &folder);
    QString folder() const { return m_folder; }

    // Queues the sealed files (the hole file first; the manifest is added
    // from the seal). False with a reason.
    bool enqueue(const SealResult &seal, const QStringList &files, const QString &project, const QString &hole,
                 QString *error);
    // The items waiting, oldest sequence first; the first `limit` of them
    // when limit >= 0.
    QVector<OutboxItem> pending(int limit = -1) const;
    int count() const;
    // Removes an item once the archive holds it.
    bool remove(const OutboxItem &item);

private:
    // The items' folders in the queue's order, after finishing the renames
    // a power cut interrupted.
    QStringList itemFolders() const;

    QString m_folder;
};
