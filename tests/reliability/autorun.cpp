#include "autorun.h"

#include "acqstate.h"
#include "ctrlinfo.h"
#include "holefile.h"
#include "testrecord.h"
#include "testsupport.h"
#include "winchctrl.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QThread>

bool runEventsUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

CSimProcess::CSimProcess(const QStringList &args)
{
    m_p.setProgram(testBinDir() + QStringLiteral("/zpvw-winchsim"));
    m_p.setArguments(QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")} + args);
    m_p.start();
}

CSimProcess::~CSimProcess()
{
    if (m_p.state() != QProcess::NotRunning) {
        m_p.kill();
        m_p.waitForFinished(5000);
    }
}

quint16 CSimProcess::waitForPort()
{
    static const QRegularExpression re(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 10000 && m_p.state() != QProcess::NotRunning) {
        m_p.waitForReadyRead(200);
        const auto m = re.match(output());
        if (m.hasMatch())
            return quint16(m.captured(1).toUInt());
    }
    return 0;
}

QString CSimProcess::output()
{
    m_out += QString::fromLocal8Bit(m_p.readAllStandardOutput());
    return m_out;
}

int CSimProcess::lineIndex(const QString &text) { return output().indexOf(text); }

void CSimProcess::type(const QString &line) { m_p.write((line + QLatin1Char('\n')).toLocal8Bit()); }

CAutoRun::CAutoRun(const AutoRunSetup &setup, QObject *parent) : QObject(parent), m_setup(setup) {}

CAutoRun::~CAutoRun()
{
    m_thread.stop();
    m_thread.wait(10000);
    if (m_model)
        m_model->link()->stopLink();
}

bool CAutoRun::start()
{
    m_record = CtrlInfo();
    m_record.sampleMode = SampleModes::AutoRaise;
    m_record.holeDepth = m_setup.holeDepthMm;
    m_record.maxDepth = m_setup.holeDepthMm;
    m_record.moveDistance = m_setup.moveDistanceMm;
    m_record.wheelD = 63;
    m_record.lineD = 7;

    m_sim.reset(new CSimProcess(QStringList{QStringLiteral("--depth"),
                                            QString::number(m_setup.holeDepthMm / 1000.0, 'f', 3),
                                            QStringLiteral("--max-seconds"), QString::number(m_setup.simMaxSeconds)}
                                + m_setup.simArgs));
    const quint16 port = m_sim->waitForPort();
    if (port == 0) {
        m_why = QStringLiteral("simulator did not listen: ") + m_sim->output();
        return false;
    }
    m_model.reset(new CAppModel(WinchAddress{QStringLiteral("127.0.0.1"), port}, false));
    CWinchCtrl *link = m_model->link();
    link->setLivenessIntervalMs(m_setup.livenessIntervalMs);
    // As the main dialog does: every report updates the model on this thread.
    connect(link, &CWinchCtrl::StateChanged, this, [this] {
        m_model->update();
        ++reports;
    });
    connect(link, &CWinchCtrl::ConnectStateChanged, this, [this] {
        linkChecks.append({m_model->isLinkConnected(), m_sim->output().size()});
    });
    connect(&m_thread, &QueryThread::cycleReported, this, [this](const AcqReport &r) {
        for (const AcqNotice &n : r.result.notices) {
            if (n.kind == AcqNotice::HandleLeakPoint)
                ++leakPoints;
            else if (n.kind == AcqNotice::QueryThreadFinish)
                finished = true;
        }
    });
    CAppModel *model = m_model.get();
    m_model->setWinchGeometry(m_record.wheelD, m_record.lineD);
    m_thread.setValueSource([model] { return model->currentValue.load(); });
    m_thread.setWinchHeightSource([model] { return model->winchHeight.load(); });
    m_thread.setSettings(acqSettingsOf(m_record));
    link->startLink();
    if (!runEventsUntil([this] { return reports > 0; }, 10000)) {
        m_why = QStringLiteral("no report from the simulator");
        return false;
    }
    // A new test: the controller clears its count, the probe is at the bottom.
    m_model->requestClear();
    if (!runEventsUntil([this] { return m_model->clearRequest == 0; }, 10000)) {
        m_why = QStringLiteral("the controller did not clear its count");
        return false;
    }
    m_taker.request(AcqRequest::State, AcqState::AtBottom);
    m_thread.start();
    return true;
}

bool CAutoRun::finishAndSave(const QString &path)
{
    m_thread.stop();
    if (!m_thread.wait(10000))
        return false;
    const QVector<Sample> taken = m_taker.list.snapshot();
    HoleSaveOptions o;
    o.sync = false;
    if (!saveHoleFile(path, m_record, taken, o))
        return false;
    CtrlInfo info;
    const HoleLoadResult r = readHoleFile(path, info);
    return r.ok && r.samples == taken && info.holeDepth == m_record.holeDepth;
}
