#pragma once
// A TCP proxy on 127.0.0.1 in front of the archive, for network faults. It
// knows nothing of TLS: it passes bytes, or
//   - cuts each connection once the instrument has sent `bytes` bytes on
//     it (the upload broken off mid-request), or
//   - lets the request through whole but throws the archive's bytes away
//     once the instrument has sent `bytes` bytes, and closes the connection
//     when the archive has been silent for a moment (the answer lost).
// A mode holds for the connections accepted after it is set. Everything
// runs in the test's own event loop.

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

class FaultProxy : public QObject {
public:
    enum Mode { Pass, CutRequest, DropAnswer };

    explicit FaultProxy(quint16 archivePort) : m_archivePort(archivePort)
    {
        connect(&m_server, &QTcpServer::newConnection, this, &FaultProxy::accept);
        m_server.listen(QHostAddress::LocalHost, 0);
    }
    ~FaultProxy() override
    {
        // The links' sockets go with the server, each telling its peer it
        // closed: nothing of this proxy may hear that any more.
        for (QObject *o : m_server.findChildren<QObject *>())
            o->disconnect(this);
        m_server.close();
    }

    quint16 port() const { return m_server.serverPort(); }
    QString url() const { return QStringLiteral("https://127.0.0.1:%1").arg(port()); }
    void setMode(Mode mode, qint64 bytes = 0)
    {
        m_mode = mode;
        m_bytes = bytes;
    }
    // Connections cut, answers dropped.
    int faults() const { return m_faults; }
    // The most the instrument sent on one connection.
    qint64 largestRequest() const { return m_largest; }

private:
    struct Link {
        Mode mode;
        qint64 limit;
        qint64 sent = 0;
        bool faulted = false;
    };

    void accept()
    {
        while (QTcpSocket *client = m_server.nextPendingConnection()) {
            auto *archive = new QTcpSocket(client);
            auto *quiet = new QTimer(client);
            quiet->setSingleShot(true);
            quiet->setInterval(1500);
            auto link = std::make_shared<Link>(Link{m_mode, m_bytes});
            QPointer<QTcpSocket> c(client);
            auto fault = [this, c, archive, link] {
                if (link->faulted || !c)
                    return;
                link->faulted = true;
                ++m_faults;
                archive->abort();
                c->abort();
                c->deleteLater();
            };
            connect(quiet, &QTimer::timeout, this, fault);
            connect(client, &QTcpSocket::readyRead, this, [this, c, archive, link, fault] {
                if (!c || link->faulted)
                    return;
                QByteArray bytes = c->readAll();
                if (link->mode == CutRequest && link->sent + bytes.size() > link->limit) {
                    archive->write(bytes.left(int(link->limit - link->sent)));
                    archive->flush();
                    link->sent = link->limit;
                    return fault();
                }
                link->sent += bytes.size();
                m_largest = qMax(m_largest, link->sent);
                archive->write(bytes);
            });
            connect(archive, &QTcpSocket::readyRead, this, [c, archive, link, quiet] {
                const QByteArray bytes = archive->readAll();
                if (!c || link->faulted)
                    return;
                if (link->mode == DropAnswer && link->sent > link->limit) {
                    quiet->start(); // the answer went nowhere; close once the archive is silent
                    return;
                }
                c->write(bytes);
            });
            connect(client, &QTcpSocket::disconnected, this, [c, archive] {
                archive->disconnectFromHost();
                if (c)
                    c->deleteLater();
            });
            connect(archive, &QTcpSocket::disconnected, this, [c] {
                if (c)
                    c->disconnectFromHost();
            });
            archive->connectToHost(QHostAddress::LocalHost, m_archivePort);
            if (!archive->waitForConnected(5000)) // loopback: at once or never
                client->abort();
        }
    }

    QTcpServer m_server;
    quint16 m_archivePort;
    Mode m_mode = Pass;
    qint64 m_bytes = 0;
    int m_faults = 0;
    qint64 m_largest = 0;
};
