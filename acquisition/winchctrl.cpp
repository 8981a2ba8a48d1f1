#include "winchctrl.h"

#include <QElapsedTimer>
#include <QMutexLocker>
#include <QTcpSocket>
#include <QtDebug>
#include <memory>

CWinchCtrl::CWinchCtrl(QObject *parent) : QThread(parent) {}

CWinchCtrl::~CWinchCtrl()
{
    // Every blocking step of the thread is bounded (connect, write, poll
    // interval), so this wait is too.
    m_stopped = 1;
    wait();
}

void CWinchCtrl::configure(int sendDisabled, const QString &host, quint16 port)
{
    m_sendDisabled = sendDisabled;
    QMutexLocker l(&m_configLock);
    m_host = host;
    m_port = port;
}

QString CWinchCtrl::host() const
{
    QMutexLocker l(&m_configLock);
    return m_host;
}

quint16 CWinchCtrl::port() const
{
    QMutexLocker l(&m_configLock);
    return m_port;
}

void CWinchCtrl::startLink()
{
    if (m_status == Stopped && !isRunning()) {
        m_paused = 0;
        m_stopped = 0;
        m_status = Running;
        start(QThread::InheritPriority);
    } else if (m_status == Paused) {
        m_paused = 0;
    }
}

bool CWinchCtrl::stopLink(int waitMs)
{
    m_stopped = 1;
    if (!isRunning())
        return true;
    return wait(static_cast<unsigned long>(waitMs));
}

WinchReportCopy CWinchCtrl::report() const
{
    QMutexLocker l(&m_reportLock);
    WinchReportCopy c;
    c.fields = m_report.fields;
    c.sequence = m_report.sequence;
    // A deep copy: the caller's bytes share nothing with the link thread's.
    c.bytes = QByteArray(m_report.bytes.constData(), m_report.bytes.size());
    return c;
}

void CWinchCtrl::run()
{
    QElapsedTimer sinceCheck;
    sinceCheck.start();
    while (!m_stopped) {
        while (m_paused && !m_stopped) {
            QThread::msleep(100);
            m_status = Paused;
        }
        m_status = Running;
        if (m_stopped)
            break;
        poll();
        idle(PollIntervalMs);
        if (m_stopped)
            break;
        if (sinceCheck.elapsed() > m_livenessIntervalMs) {
            sinceCheck.restart();
            livenessCheck();
        }
    }
    // The socket belongs to this thread: it goes with it.
    delete m_socket;
    m_socket = nullptr;
    m_status = Stopped;
}

void CWinchCtrl::poll()
{
    if (!m_socket) {
        relink();
        return;
    }
    if (m_relinkRequest.exchange(0))
        relink();
    if (m_sendDisabled != 0)
        return;
    const QByteArray txBuffer = buildWinchRequest(m_clearFlag.load() != 0);
    if (m_socket->isWritable() && m_socket->state() == QAbstractSocket::ConnectedState) {
        m_socket->write(txBuffer);
        ++m_requestsSent;
        // Incoming data is handled by readyReadSlot while the socket waits.
        m_socket->waitForBytesWritten(WriteTimeoutMs);
    }
}

void CWinchCtrl::idle(int ms)
{
    // Sleeping on the socket rather than the clock lets a report that arrives
    // meanwhile be taken at once instead of waiting for the next write.
    QElapsedTimer t;
    t.start();
    while (!m_stopped) {
        const qint64 left = ms - t.elapsed();
        if (left <= 0)
            break;
        if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState) {
            if (!m_socket->waitForReadyRead(int(left)) && m_socket->state() != QAbstractSocket::ConnectedState)
                continue; // the peer went away: sleep the rest below
        } else {
            QThread::msleep(static_cast<unsigned long>(left));
        }
    }
}

void CWinchCtrl::relink()
{
    if (!m_socket)
        m_socket = new QTcpSocket();
    m_relinkRequest = 0;
    m_socket->disconnect();
    m_socket->abort();
    m_assembler.clear();
    const QString h = host();
    if (h.isEmpty())
        return;
    connect(m_socket, &QTcpSocket::readyRead, this, &CWinchCtrl::readyReadSlot, Qt::DirectConnection);
    qDebug().nospace() << " [Sub]ReLink IP:" << h;
    ++m_connectAttempts;
    m_socket->connectToHost(h, port(), QIODevice::ReadWrite);
    m_socket->waitForConnected(ConnectTimeoutMs);
}

void CWinchCtrl::readyReadSlot()
{
    if (!m_socket) {
        qDebug() << "readyReadSlot E:tcpSocket is NULL";
        return;
    }
    if (!m_socket->isReadable()) {
        qDebug() << "readyReadSlot E:isUnReadable";
        return;
    }
    if (m_socket->bytesAvailable() <= 0)
        return;
    const QByteArray data = m_socket->readAll();
    m_bytesSinceCheck += data.size();
    if (m_sendDisabled != 0) {
        m_bytesReceived += data.size();
        return;
    }
    // Of the reports that one read completes only the first is used.
    const QList<QByteArray> reports = m_assembler.feed(data);
    if (!reports.isEmpty()) {
        QMutexLocker l(&m_reportLock);
        m_report.bytes = reports.first();
        m_report.fields = decodeWinchReport(m_report.bytes);
        ++m_report.sequence;
    }
    // Counted once the bytes are dealt with, so a test that sees the count
    // knows their report is stored.
    m_bytesReceived += data.size();
    if (!reports.isEmpty())
        emit StateChanged();
}

void CWinchCtrl::livenessCheck()
{
    if (m_bytesSinceCheck > 0) {
        m_connected = 1;
        emit ConnectStateChanged();
    } else {
        m_connected = 0;
        emit ConnectStateChanged();
        if (m_socket)
            relink();
    }
    m_bytesSinceCheck = 0;
}
