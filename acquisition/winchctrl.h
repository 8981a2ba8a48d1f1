#pragma once
// The link to the winch controller: a thread of its own that keeps a TCP
// connection, polls the controller every 50 ms with a 16-byte request, keeps
// the last well-formed 40-byte report and checks every 5 seconds that data
// still arrives, reconnecting when it does not.
//
// The socket lives in the link thread only (created and used inside run(),
// with the blocking socket calls). The two signals are emitted from the link
// thread; receivers in the GUI thread get them queued. The report is read
// through report(), a locked copy, so a reader always sees one whole report.

#include "winchframe.h"

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QThread>
#include <atomic>
#include <cstdint>

class QTcpSocket;

// A stored report with a sequence number that grows with every report stored.
struct WinchReportCopy {
    WinchReport fields;
    QByteArray bytes;
    quint64 sequence = 0; // 0: nothing received yet
};

class CWinchCtrl : public QThread {
    Q_OBJECT
public:
    enum Status { Running = 0, Stopped = 1, Paused = 2 };
    static constexpr int PollIntervalMs = 50;
    static constexpr int WriteTimeoutMs = 300;
    static constexpr int ConnectTimeoutMs = 2000;
    static constexpr int DefaultLivenessIntervalMs = 5000;

    explicit CWinchCtrl(QObject *parent = nullptr);
    // Stops the thread and waits for it.
    ~CWinchCtrl() override;

    // Stores the settings for the next connect (call before startLink).
    void configure(int sendDisabled, const QString &host, quint16 port);
    // Starts the thread when stopped, or ends a pause.
    void startLink();
    // Asks the thread to end and waits at most waitMs for it; true when it ended.
    bool stopLink(int waitMs = 4000);
    void pauseLink() { m_paused = 1; }

    // Byte 9 of every following request.
    void setClearFlag(bool on) { m_clearFlag = on ? 1 : 0; }
    bool clearFlag() const { return m_clearFlag.load() != 0; }

    WinchReportCopy report() const;
    // Result of the last liveness check.
    bool isConnected() const { return m_connected.load() != 0; }
    int status() const { return m_status.load(); }
    QString host() const;
    quint16 port() const;

    // Test seam: the liveness interval (5000 ms on the instrument).
    void setLivenessIntervalMs(int ms) { m_livenessIntervalMs = ms; }
    // Test seam: counts of what the thread did.
    int connectAttempts() const { return m_connectAttempts.load(); }
    int requestsSent() const { return m_requestsSent.load(); }
    qint64 bytesReceived() const { return m_bytesReceived.load(); }

signals:
    // A well-formed report was stored.
    void StateChanged();
    // A liveness check was made (isConnected tells its result).
    void ConnectStateChanged();

protected:
    void run() override;

private slots:
    // Runs on the link thread (direct connection to the socket's readyRead).
    void readyReadSlot();

private:
    void poll();
    void relink();
    void livenessCheck();
    void idle(int ms);

    std::atomic<uint8_t> m_paused{0};
    std::atomic<uint8_t> m_stopped{1};
    std::atomic<int> m_status{Stopped};
    QTcpSocket *m_socket = nullptr; // link thread only
    std::atomic<uint8_t> m_relinkRequest{1};
    std::atomic<uint8_t> m_connected{0};
    std::atomic<int> m_bytesSinceCheck{0};
    std::atomic<int> m_sendDisabled{0};
    mutable QMutex m_configLock; // guards m_host, m_port
    // No address until configure() gives one: without it the link never
    // attempts a connection.
    QString m_host;
    quint16 m_port = 0;
    std::atomic<uint8_t> m_clearFlag{0};
    mutable QMutex m_reportLock; // guards m_report
    WinchReportCopy m_report;
    CWinchFrameAssembler m_assembler{CWinchFrameAssembler::Reports}; // link thread only
    std::atomic<int> m_livenessIntervalMs{DefaultLivenessIntervalMs};
    std::atomic<int> m_connectAttempts{0};
    std::atomic<int> m_requestsSent{0};
    std::atomic<qint64> m_bytesReceived{0};
};
