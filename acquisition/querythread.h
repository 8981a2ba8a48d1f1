#pragma once
// The acquisition thread of a test. It keeps its own copy of the state word
// and flags and of the set-up numbers: the session hands it every change
// (post, setSettings), and it applies them at the start of a cycle. Each
// cycle it reads the heights, lets runAcqCycle decide, and reports the
// decision with the value of that moment (cycleReported, received queued on
// the GUI thread). It never touches the session's state or sample list.

#include "acqcycle.h"
#include "acqstate.h"

#include <QMetaType>
#include <QMutex>
#include <QThread>
#include <QVector>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

// What one cycle decided, for the session to carry out.
struct AcqReport {
    quint64 basedOn = 0;   // number of the last request applied before the cycle
    AcqCycleResult result;
    float value = 0.0f;    // the value for the cycle's new samples
    AcqSettings settings;  // the set-up the cycle worked with
};
Q_DECLARE_METATYPE(AcqReport)

class QueryThread : public QThread {
    Q_OBJECT
public:
    explicit QueryThread(QObject *parent = nullptr);
    ~QueryThread() override;

    // Where a new sample's value and the winch height come from; unset: the
    // application model's (obtained when the thread is started).
    void setValueSource(std::function<float()> source);
    void setWinchHeightSource(std::function<int32_t()> source);

    // A change of the state word or a flag, numbered by the sender; applied
    // in order at the start of the next cycle (also of a later run).
    void post(quint64 number, const AcqRequest &request);
    // The set-up numbers for the next cycles.
    void setSettings(const AcqSettings &settings);

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
    void cycleReported(const AcqReport &report);
    // A pause or stop was asked for: a leak notice on show is over.
    void HandleQuitLeakPoint();

protected:
    void run() override;

private:
    bool readHeightUntilDone(int32_t *height);
    bool readWaveUntilDone(int32_t *height);
    void takeInbox();
    void report(const AcqCycleResult &r, float value);
    bool leaveLoop();

    std::atomic<uint8_t> m_paused{1};
    std::atomic<uint8_t> m_stopped{1};
    std::atomic<uint8_t> m_running{0};
    QMutex m_loopLock; // orders start() against the loop deciding to end
    bool m_loopActive = false;
    std::function<float()> m_valueSource;
    std::function<int32_t()> m_winchSource;
    std::function<float()> m_startValueSource; // taken at start()
    std::function<int32_t()> m_startWinchSource;

    // Handed over by the session; guarded by m_inboxLock for each single
    // hand-over or take.
    QMutex m_inboxLock;
    QVector<QPair<quint64, AcqRequest>> m_inbox;
    std::optional<AcqSettings> m_newSettings;

    // The loop's own copies (only the loop touches them while it runs).
    AcqControl m_control;
    AcqSettings m_settings;
    quint64 m_applied = 0;
    quint64 m_reported = 0;
    QVector<uint8_t> m_waveBuffer;
};
