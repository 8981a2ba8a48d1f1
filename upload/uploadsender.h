#pragma once
// Sends the outbox to the archive, oldest test first, over HTTPS (Qt
// Network, asynchronous in the thread it lives in: it never waits and never
// touches a test). One request at a time:
//
//     POST <url>/api/v1/tests   multipart: "manifest" (the .SIG), "file" (each sealed file)
//
// An item leaves the outbox only when the archive answers 200 or 201 with
// the SHA-256 of the hole file it holds. Any other outcome keeps it and
// tries again after a pause that doubles from 1 s up to 3 minutes; a new
// item, or the network coming back, is picked up by itself.

#include "outbox.h"
#include "retrypauses.h"
#include "uploadsettings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSslConfiguration>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class QFileSystemWatcher;

struct UploadStatus {
    enum Failure { None, Unreachable, Secure, Refused, Rejected, ServerFault, BadAnswer, Unreadable };
    int pending = 0;
    Failure failure = None;
    QString detail;      // the network's or the archive's own words
    qint64 sentTotal = 0;
    bool synced() const { return pending == 0 && failure == None; }
};

class CUploadSender : public QObject {
    Q_OBJECT
public:
    CUploadSender(const UploadSettings &settings, const QString &outboxFolder, QObject *parent = nullptr);
    ~CUploadSender() override;

    // Starts sending and watching the outbox.
    void start();
    // One pass for "--sync": no retries; finished() once the queue is empty
    // or the first item failed.
    void sendOnce();
    UploadStatus status() const { return m_status; }
    // The tests in the outbox now, as the disk holds them.
    int waiting() const { return m_outbox.count(); }
    // The pause before the next try, doubled on each failure up to maxMs
    // (see RetryPauses; tests shorten it).
    void setRetryPauses(int firstMs, int maxMs);

signals:
    void statusChanged();
    void sent(qint64 sequence);
    void finished();

private:
    void kick();
    void sendNext();
    void answered(QNetworkReply *reply, const OutboxItem &item);
    void failed(UploadStatus::Failure failure, const QString &detail);
    void refreshPending();

    UploadSettings m_settings;
    Outbox m_outbox;
    QSslConfiguration m_tls;
    QNetworkAccessManager *m_net = nullptr;
    QTimer *m_retry = nullptr;
    QTimer *m_poll = nullptr;
    QFileSystemWatcher *m_watch = nullptr;
    QNetworkReply *m_busy = nullptr;
    UploadStatus m_status;
    RetryPauses m_pauses;
    bool m_once = false;
};
