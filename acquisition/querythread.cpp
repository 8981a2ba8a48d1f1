#include "querythread.h"

#include "appmodel.h"
#include "depthcalc.h"
#include "device.h"

#include <QMutexLocker>

namespace {
constexpr int PauseSleepMs = 200;
constexpr int HeightRetryMs = 10;
constexpr int WaveRetryMs = 2;

bool reportsSomething(const AcqCycleResult &r)
{
    return r.stateWritten || r.reinitDevice || r.clearNeedZeroHeight || r.clearNeedStepHeight || r.clearFinishSent
           || r.setFinishSent || r.setEndReached || r.clearEndReached || !r.sampleOps.isEmpty()
           || !r.notices.isEmpty();
}

const int reportTypeId = qRegisterMetaType<AcqReport>("AcqReport");
}

QueryThread::QueryThread(QObject *parent) : QThread(parent)
{
    Q_UNUSED(reportTypeId);
}

QueryThread::~QueryThread()
{
    stop();
    wait();
}

void QueryThread::setValueSource(std::function<float()> source) { m_valueSource = std::move(source); }

void QueryThread::setWinchHeightSource(std::function<int32_t()> source) { m_winchSource = std::move(source); }

void QueryThread::post(quint64 number, const AcqRequest &request)
{
    QMutexLocker l(&m_inboxLock);
    m_inbox.append({number, request});
}

void QueryThread::setSettings(const AcqSettings &settings)
{
    QMutexLocker l(&m_inboxLock);
    m_newSettings = settings;
}

void QueryThread::start()
{
    std::function<float()> value = m_valueSource;
    std::function<int32_t()> winch = m_winchSource;
    if (!value || !winch) {
        CAppModel *model = CAppModel::instance();
        if (!value)
            value = [model] { return model->currentValue.load(); };
        if (!winch)
            winch = [model] { return model->winchHeight.load(); };
    }
    bool loopActive;
    {
        QMutexLocker l(&m_loopLock);
        m_paused = 0;
        m_stopped = 0;
        loopActive = m_loopActive;
        if (!loopActive)
            m_loopActive = true;
    }
    if (loopActive)
        return; // the running loop picks the cleared requests up
    // A loop that has just decided to end may still be finishing.
    QThread::wait();
    // No loop runs now that could read them.
    m_startValueSource = std::move(value);
    m_startWinchSource = std::move(winch);
    QThread::start(QThread::InheritPriority);
}

void QueryThread::stop()
{
    m_stopped = 1;
    emit HandleQuitLeakPoint();
}

void QueryThread::pause()
{
    m_paused = 1;
    emit HandleQuitLeakPoint();
}

void QueryThread::resume() { m_paused = 0; }

bool QueryThread::leaveLoop()
{
    QMutexLocker l(&m_loopLock);
    if (!m_stopped)
        return false;
    m_loopActive = false;
    return true;
}

void QueryThread::takeInbox()
{
    QVector<QPair<quint64, AcqRequest>> inbox;
    std::optional<AcqSettings> settings;
    {
        QMutexLocker l(&m_inboxLock);
        inbox.swap(m_inbox);
        settings.swap(m_newSettings);
    }
    if (settings)
        m_settings = *settings;
    for (const auto &numbered : qAsConst(inbox)) {
        applyAcqRequest(m_control, numbered.second);
        m_applied = numbered.first;
    }
}

void QueryThread::report(const AcqCycleResult &r, float value)
{
    // Quiet cycles say nothing, unless requests were applied since the last
    // report: the session then learns that the thread has caught up.
    if (!reportsSomething(r) && m_applied == m_reported)
        return;
    m_reported = m_applied;
    AcqReport rep;
    rep.basedOn = m_applied;
    rep.result = r;
    rep.value = value;
    rep.settings = m_settings;
    emit cycleReported(rep);
}

bool QueryThread::readHeightUntilDone(int32_t *height)
{
    // The in-memory device never fails; a real one might for good, so a stop
    // request also ends the retries.
    while (!readCurHeight(m_settings, m_startWinchSource, height)) {
        if (m_stopped)
            return false;
        QThread::msleep(HeightRetryMs);
    }
    return true;
}

bool QueryThread::readWaveUntilDone(int32_t *height)
{
    while (!readWaveHeight(m_settings, m_startWinchSource, m_waveBuffer.data(), height)) {
        if (m_stopped)
            return false;
        QThread::msleep(WaveRetryMs);
    }
    return true;
}

void QueryThread::run()
{
    m_running = 1;
    m_waveBuffer = QVector<uint8_t>(2 * waveLength, 0);
    takeInbox();
    {
        // A fresh loop: no end reported or reached, the device initialised now.
        AcqCycleResult fresh;
        fresh.reinitDevice = m_control.reinitDevice;
        fresh.clearFinishSent = true;
        fresh.clearEndReached = true;
        applyAcqCycleControl(fresh, m_control);
        report(fresh, 0.0f);
    }
    initAcquisition();

    AcqCycleVars vars;
    while (!leaveLoop()) {
        bool stoppedWhilePaused = false;
        while (m_paused) {
            QThread::msleep(PauseSleepMs);
            if (m_stopped) {
                stoppedWhilePaused = true;
                break;
            }
        }
        if (stoppedWhilePaused)
            continue; // leaveLoop ends it

        takeInbox();
        const uint32_t word = m_control.curState;
        int32_t height = 0;
        if (!readHeightUntilDone(&height))
            continue;
        const bool reinit = m_control.reinitDevice;
        if (reinit)
            initAcquisition();
        AcqCycleInput in = acqCycleInput(m_control, m_settings);
        in.reinitDevice = reinit;
        in.readHeight = height;
        if (cycleReadsWaveHeight(word) && !readWaveUntilDone(&in.waveHeight))
            continue;
        in.paused = m_paused.load() != 0;
        in.stopped = m_stopped.load() != 0;

        const AcqCycleResult r = runAcqCycle(in, vars);

        if (r.waveReadBeforeSamples) {
            int32_t ignored = 0;
            if (!readWaveUntilDone(&ignored))
                continue;
        }
        applyAcqCycleControl(r, m_control);
        if (r.stopThread)
            m_stopped = 1;
        report(r, r.sampleOps.isEmpty() || !m_startValueSource ? 0.0f : m_startValueSource());
        if (r.waitMs > 0)
            QThread::msleep(static_cast<unsigned long>(r.waitMs));
    }
    m_running = 0;
}
