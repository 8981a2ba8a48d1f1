#pragma once
// The simulator's TCP side: one link at a time, one report per request, and
// the fault modes that let tests see how the link copes with a controller
// that goes quiet, drops the connection, sends broken frames or cuts and
// glues its reports.

#include "simhole.h"
#include "winchframe.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>

class QTcpServer;
class QTcpSocket;
class QTextStream;

enum class SimFault { None, Silent, Drop, Garbage, Split, Double };
// Parses a fault name ("silent", "drop", "garbage", "split", "double"); false
// for anything else.
bool parseSimFault(const QString &name, SimFault *out);

class CWinchSimServer : public QObject {
    Q_OBJECT
public:
    // Lines (listening, links, phase changes, faults) go to out.
    CWinchSimServer(const SimHoleConfig &config, SimFault fault, double faultAfterSeconds, QTextStream &out,
                    QObject *parent = nullptr);
    ~CWinchSimServer() override;
    bool listen(const QHostAddress &address, quint16 port);
    quint16 serverPort() const;
    QString errorString() const;
    // Carries out one typed steering command (simcommands.h) now and
    // prints its answer.
    void command(const QString &line);

private:
    void onNewConnection();
    void onReadyRead();
    void onDisconnected();
    void answer(bool clear);
    void line(const QString &text);
    double now() const { return m_clock.elapsed() / 1000.0; }
    bool faultActive() const;

    CSimHole m_hole;
    SimFault m_fault;
    double m_faultAfter;
    QTextStream &m_out;
    QTcpServer *m_server;
    QPointer<QTcpSocket> m_link;
    CWinchFrameAssembler m_requests{CWinchFrameAssembler::Requests};
    QElapsedTimer m_clock;
    double m_linkSince = 0.0;
    bool m_faultAnnounced = false;
    int m_garbageKind = 0;
};
