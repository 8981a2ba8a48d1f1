#pragma once
// The acquisition thread of a test. Each cycle it reads the state word and the
// height, lets runAcqCycle decide, and carries the decision out: sample list
// changes, state word, flags, then the signals and the event 1004 for the main
// dialog (received queued on the GUI thread).

#include "acqcycle.h"

#include <QEvent>
#include <QMutex>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>

class QueryThread : public QThread {
    Q_OBJECT
public:
    // Type of the event posted to the owner when the raise begins.
    static constexpr QEvent::Type RaiseBegunEventType = QEvent::Type(1004);

    explicit QueryThread(QObject *owner = nullptr, QObject *parent = nullptr);
    ~QueryThread() override;

    // Receiver of the event 1004 (the main dialog).
    void setOwner(QObject *owner) { m_owner = owner; }
    QObject *owner() const { return m_owner.load(); }

    // Where a new sample's value comes from; unset: the application model's
    // currentValue (the model is obtained when the thread is started).
    void setValueSource(std::function<float()> source);

    // Clears both requests and runs the thread (a running thread continues).
    void start();
    // The loop ends at the next cycle boundary.
    void stop();
    void pause();
    void resume();
    // True while the cycle loop runs.
    bool isRunning() const { return m_running.load() != 0; }
    bool isPaused() const { return m_paused.load() != 0; }
    bool isStopped() const { return m_stopped.load() != 0; }

signals:
    void updateWaveData(bool isWave = true, bool isSeg = true);
    void BtnTextByState(uint curState);
    void HandleLeakPoint(int curHeight, int lHeight);
    void HandleCurHeightLeakPoint(int curHeight, int lHeight);
    void HandleQuitLeakPoint();
    void QueryThreadFinish(int type);
    // Declared for the dialog's connections; the thread does not emit them.
    void BtnEnableByState(uint curState);
    void saveData(int, int);
    void loadData(int, int);

protected:
    void run() override;

private:
    bool readHeightUntilDone(int32_t *height);
    bool readWaveUntilDone(int32_t *height);
    void sendNotices(const QVector<AcqNotice> &notices);
    bool leaveLoop();

    std::atomic<QObject *> m_owner{nullptr};
    std::atomic<uint8_t> m_paused{1};
    std::atomic<uint8_t> m_stopped{1};
    std::atomic<uint8_t> m_running{0};
    QMutex m_loopLock; // orders start() against the loop deciding to end
    bool m_loopActive = false;
    std::function<float()> m_valueSource;
    std::function<float()> m_startValueSource; // taken at start()
};
