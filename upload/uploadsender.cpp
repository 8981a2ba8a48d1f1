#include "uploadsender.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QTimer>

namespace {
constexpr int kTransferTimeoutMs = 30000;
constexpr int kPollMs = 5000;

QHttpPart filePart(const QByteArray &field, const QString &path, QHttpMultiPart *owner, bool *ok)
{
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/octet-stream"));
    part.setHeader(QNetworkRequest::ContentDispositionHeader,
                   QByteArray("form-data; name=\"") + field + "\"; filename=\"" + QFileInfo(path).fileName().toUtf8()
                       + '"');
    auto *file = new QFile(path, owner); // streamed by the network layer, freed with the request
    *ok = file->open(QIODevice::ReadOnly);
    part.setBodyDevice(file);
    return part;
}

UploadStatus::Failure failureOfStatus(int http)
{
    if (http == 403)
        return UploadStatus::Refused;
    if (http >= 500)
        return UploadStatus::ServerFault;
    return UploadStatus::Rejected;
}
} // namespace

CUploadSender::CUploadSender(const UploadSettings &settings, const QString &outboxFolder, QObject *parent)
    : QObject(parent), m_settings(settings), m_outbox(outboxFolder), m_tls(QSslConfiguration::defaultConfiguration()),
      m_net(new QNetworkAccessManager(this)), m_retry(new QTimer(this)), m_poll(new QTimer(this))
{
    if (!m_settings.caFile.isEmpty()) {
        // The archive's own CA alone: a certificate any public CA signed for
        // that name is not the company's archive.
        m_tls.setCaCertificates(QSslCertificate::fromPath(m_settings.caFile));
    }
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &CUploadSender::sendNext);
    m_poll->setInterval(kPollMs);
    connect(m_poll, &QTimer::timeout, this, &CUploadSender::kick);
    refreshPending();
}

CUploadSender::~CUploadSender()
{
    if (m_busy)
        m_busy->abort();
}

void CUploadSender::setRetryPauses(int firstMs, int maxMs)
{
    m_pauses = RetryPauses(firstMs, maxMs);
}

void CUploadSender::start()
{
    QDir().mkpath(m_outbox.folder());
    m_watch = new QFileSystemWatcher({m_outbox.folder()}, this);
    connect(m_watch, &QFileSystemWatcher::directoryChanged, this, &CUploadSender::kick);
    m_poll->start();
    kick();
}

void CUploadSender::sendOnce()
{
    m_once = true;
    sendNext();
}

void CUploadSender::refreshPending()
{
    const int pending = m_outbox.count();
    if (pending != m_status.pending) {
        m_status.pending = pending;
        emit statusChanged();
    }
}

// Something may be waiting: send now unless a request or a pause is running.
void CUploadSender::kick()
{
    if (m_busy || m_retry->isActive())
        return;
    sendNext();
}

void CUploadSender::sendNext()
{
    if (m_busy)
        return;
    // The oldest item only: the queue may hold a thousand.
    const QVector<OutboxItem> items = m_outbox.pending(1);
    m_status.pending = items.isEmpty() ? 0 : m_outbox.count();
    if (items.isEmpty()) {
        m_status.failure = UploadStatus::None;
        m_status.detail.clear();
        m_pauses.afterSuccess();
        emit statusChanged();
        if (m_once)
            emit finished();
        return;
    }
    const OutboxItem item = items.first();
    auto *multi = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    bool ok = true;
    for (const QString &path : item.files) {
        bool opened = false;
        const bool isManifest = path == item.files.last();
        multi->append(filePart(isManifest ? QByteArray("manifest") : QByteArray("file"), path, multi, &opened));
        ok = ok && opened;
    }
    if (!ok) {
        delete multi;
        return failed(UploadStatus::Unreadable, item.folder);
    }
    QUrl url = m_settings.url;
    url.setPath(url.path().replace(QRegularExpression(QStringLiteral("/+$")), QString()) + QStringLiteral("/api/v1/tests"));
    QNetworkRequest request(url);
    request.setSslConfiguration(m_tls);
    request.setTransferTimeout(kTransferTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    m_busy = m_net->post(request, multi);
    multi->setParent(m_busy);
    connect(m_busy, &QNetworkReply::finished, this, [this, item] {
        QNetworkReply *reply = m_busy;
        m_busy = nullptr;
        reply->deleteLater();
        answered(reply, item);
    });
}

void CUploadSender::answered(QNetworkReply *reply, const OutboxItem &item)
{
    const int http = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->isOpen() ? reply->readAll() : QByteArray(); // closed once aborted
    const QJsonObject answer = QJsonDocument::fromJson(body).object();
    if (http == 0) {
        const QNetworkReply::NetworkError e = reply->error();
        const bool secure = e == QNetworkReply::SslHandshakeFailedError;
        return failed(secure ? UploadStatus::Secure : UploadStatus::Unreachable, reply->errorString());
    }
    if (http != 200 && http != 201) {
        const QString words = answer.value(QStringLiteral("error")).toString();
        return failed(failureOfStatus(http),
                      QStringLiteral("HTTP %1 %2").arg(QString::number(http), words.isEmpty() ? QString() : words));
    }
    // Only the archive's own word that it holds these bytes ends the item.
    if (answer.value(QStringLiteral("sha256")).toString() != item.holeSha256)
        return failed(UploadStatus::BadAnswer, QString::fromUtf8(body.left(200)));
    m_outbox.remove(item);
    ++m_status.sentTotal;
    m_status.failure = UploadStatus::None;
    m_status.detail.clear();
    m_pauses.afterSuccess();
    emit sent(item.sequence);
    sendNext();
}

void CUploadSender::failed(UploadStatus::Failure failure, const QString &detail)
{
    m_status.failure = failure;
    m_status.detail = detail;
    m_status.pending = m_outbox.count();
    emit statusChanged();
    if (m_once) {
        emit finished();
        return;
    }
    m_retry->start(m_pauses.afterFailure());
}
