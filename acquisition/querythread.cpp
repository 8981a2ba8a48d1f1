#include "querythread.h"

#include "acqstate.h"
#include "appmodel.h"
#include "ctrlinfo.h"
#include "depthcalc.h"
#include "device.h"
#include "testrecord.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <memory>

namespace {
constexpr int PauseSleepMs = 200;
constexpr int HeightRetryMs = 10;
constexpr int WaveRetryMs = 2;
}

QueryThread::QueryThread(QObject *owner, QObject *parent) : QThread(parent), m_owner(owner) {}

QueryThread::~QueryThread()
{
    stop();
    wait();
}

void QueryThread::setValueSource(std::function<float()> source) { m_valueSource = std::move(source); }

void QueryThread::start()
{
    std::function<float()> source = m_valueSource;
    if (!source) {
        CAppModel *model = CAppModel::instance();
        source = [model] { return model->currentValue.load(); };
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
    m_startValueSource = std::move(source); // no loop runs now that could read it
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

bool QueryThread::readHeightUntilDone(int32_t *height)
{
    // The in-memory device never fails; a real one might for good, so a stop
    // request also ends the retries.
    while (!readCurHeight(height)) {
        if (m_stopped)
            return false;
        QThread::msleep(HeightRetryMs);
    }
    return true;
}

bool QueryThread::readWaveUntilDone(int32_t *height)
{
    while (!readWaveHeight(height)) {
        if (m_stopped)
            return false;
        QThread::msleep(WaveRetryMs);
    }
    return true;
}

void QueryThread::sendNotices(const QVector<AcqNotice> &notices)
{
    for (const AcqNotice &n : notices) {
        switch (n.kind) {
        case AcqNotice::UpdateWaveData:
            emit updateWaveData(n.a != 0, n.b != 0);
            break;
        case AcqNotice::BtnTextByState:
            emit BtnTextByState(uint(n.a));
            break;
        case AcqNotice::HandleLeakPoint:
            emit HandleLeakPoint(int(n.a), int(n.b));
            break;
        case AcqNotice::HandleCurHeightLeakPoint:
            emit HandleCurHeightLeakPoint(int(n.a), int(n.b));
            break;
        case AcqNotice::HandleQuitLeakPoint:
            emit HandleQuitLeakPoint();
            break;
        case AcqNotice::QueryThreadFinish:
            emit QueryThreadFinish(int(n.a));
            break;
        case AcqNotice::RaiseBegunEvent:
            if (QObject *o = m_owner.load())
                QCoreApplication::postEvent(o, new QEvent(RaiseBegunEventType));
            break;
        }
    }
}

void QueryThread::run()
{
    m_running = 1;
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[2 * waveLength]());
    waveBuffer = buffer.get();
    finishSent = 0;
    endReached = 0;
    reinitDevice = 0;
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

        const uint32_t word = getState();
        int32_t height = 0;
        if (!readHeightUntilDone(&height))
            continue;
        const bool reinit = reinitDevice.load() != 0;
        if (reinit)
            initAcquisition();
        AcqCycleInput in = acqCycleInputFromGlobals(word);
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
        applyAcqCycleResult(r, m_startValueSource ? m_startValueSource() : 0.0f);
        if (r.stopThread)
            m_stopped = 1;
        sendNotices(r.notices);
        if (r.waitMs > 0)
            QThread::msleep(static_cast<unsigned long>(r.waitMs));
    }
    waveBuffer = nullptr;
    m_running = 0;
}
