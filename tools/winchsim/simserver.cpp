#include "simserver.h"

#include "simcommands.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>
#include <QTimer>

bool parseSimFault(const QString &name, SimFault *out)
{
    static const struct {
        const char *name;
        SimFault fault;
    } kFaults[] = {{"silent", SimFault::Silent}, {"drop", SimFault::Drop}, {"garbage", SimFault::Garbage},
                   {"split", SimFault::Split},   {"double", SimFault::Double}};
    for (const auto &f : kFaults) {
        if (name == QLatin1String(f.name)) {
            *out = f.fault;
            return true;
        }
    }
    return false;
}

CWinchSimServer::CWinchSimServer(const SimHoleConfig &config, SimFault fault, double faultAfterSeconds,
                                 QTextStream &out, QObject *parent)
    : QObject(parent), m_hole(config), m_fault(fault), m_faultAfter(faultAfterSeconds), m_out(out),
      m_server(new QTcpServer(this))
{
    m_clock.start();
    connect(m_server, &QTcpServer::newConnection, this, &CWinchSimServer::onNewConnection);
}

CWinchSimServer::~CWinchSimServer() = default;

bool CWinchSimServer::listen(const QHostAddress &address, quint16 port)
{
    if (!m_server->listen(address, port))
        return false;
    line(QStringLiteral("listening on %1:%2").arg(address.toString(), QString::number(m_server->serverPort())));
    return true;
}

quint16 CWinchSimServer::serverPort() const { return m_server->serverPort(); }

QString CWinchSimServer::errorString() const { return m_server->errorString(); }

void CWinchSimServer::command(const QString &text)
{
    const SimCommand c = parseSimCommand(text);
    QStringList answer = applySimCommand(m_hole, c, now());
    if (c.kind == SimCommand::Status && !answer.isEmpty())
        answer.last() += m_link ? QStringLiteral(", link connected") : QStringLiteral(", no link");
    for (const QString &l : answer)
        line(l);
}

void CWinchSimServer::line(const QString &text)
{
    m_out << text << '\n';
    m_out.flush();
}

bool CWinchSimServer::faultActive() const
{
    return m_fault != SimFault::None && now() - m_linkSince >= m_faultAfter;
}

void CWinchSimServer::onNewConnection()
{
    QTcpSocket *s = m_server->nextPendingConnection();
    if (!s)
        return;
    m_link = s;
    // One link at a time: the next one is taken when this one goes away.
    m_server->pauseAccepting();
    s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_requests.clear();
    m_linkSince = now();
    m_faultAnnounced = false;
    connect(s, &QTcpSocket::readyRead, this, &CWinchSimServer::onReadyRead);
    connect(s, &QTcpSocket::disconnected, this, &CWinchSimServer::onDisconnected);
    line(QStringLiteral("link connected from %1:%2").arg(s->peerAddress().toString(), QString::number(s->peerPort())));
}

void CWinchSimServer::onDisconnected()
{
    QTcpSocket *s = qobject_cast<QTcpSocket *>(sender());
    if (s)
        s->deleteLater();
    if (s == m_link)
        m_link = nullptr;
    line(QStringLiteral("link closed"));
    m_server->resumeAccepting();
}

void CWinchSimServer::onReadyRead()
{
    QTcpSocket *s = m_link;
    if (!s)
        return;
    const QList<QByteArray> requests = m_requests.feed(s->readAll());
    for (const QByteArray &r : requests) {
        bool clear = false;
        parseWinchRequest(r, &clear);
        answer(clear);
        if (!m_link)
            break;
    }
}

void CWinchSimServer::answer(bool clear)
{
    QByteArray report = m_hole.answer(clear, now());
    if (m_hole.takePhaseChange())
        line(m_hole.phaseLine());
    QTcpSocket *s = m_link;
    if (!s)
        return;
    const bool fault = faultActive();
    if (fault && !m_faultAnnounced) {
        m_faultAnnounced = true;
        static const char *const kNames[] = {"none", "silent", "drop", "garbage", "split", "double"};
        line(QStringLiteral("fault: %1").arg(QLatin1String(kNames[int(m_fault)])));
    }
    if (!fault) {
        s->write(report);
        return;
    }
    switch (m_fault) {
    case SimFault::None:
        s->write(report);
        break;
    case SimFault::Silent:
        break;
    case SimFault::Drop:
        s->disconnectFromHost();
        break;
    case SimFault::Garbage: {
        static const int kOffsets[] = {0, WinchFrame::ReportLengthOffset, WinchFrame::ReportSize - 1};
        const int at = kOffsets[m_garbageKind++ % 3];
        report[at] = char(report.at(at) ^ 0x5A);
        s->write(report);
        break;
    }
    case SimFault::Split: {
        const int half = WinchFrame::ReportSize / 2;
        s->write(report.left(half));
        s->flush();
        const QByteArray rest = report.mid(half);
        QPointer<QTcpSocket> target(s);
        QTimer::singleShot(15, this, [target, rest] {
            if (target)
                target->write(rest);
        });
        break;
    }
    case SimFault::Double:
        s->write(report + report);
        break;
    }
}
