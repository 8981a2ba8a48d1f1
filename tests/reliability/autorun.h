#pragma once
// An automatic-winch test run as the instrument does it, without the
// screen: the winch controller simulator (a child process on a loopback
// port), the real link and application model, and the acquisition thread
// taking samples into its own list. Tests drive it and look at what
// it recorded.

#include "appmodel.h"
#include "ctrlinfo.h"
#include "querythread.h"
#include "reporttaker.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>

// Runs the event loop until done() holds or ms have passed; false on time-out.
bool runEventsUntil(const std::function<bool()> &done, int ms);

// The built simulator on a free loopback port; always ended with the object.
class CSimProcess {
public:
    explicit CSimProcess(const QStringList &args);
    ~CSimProcess();
    // Waits for the "listening on" line; 0 when it does not come.
    quint16 waitForPort();
    // Everything the simulator printed so far.
    QString output();
    // Index in output() of the first line containing text, -1 when none yet.
    int lineIndex(const QString &text);
    // Types one steering command on the simulator's standard input.
    void type(const QString &line);

private:
    QProcess m_p;
    QString m_out;
};

struct AutoRunSetup {
    int holeDepthMm = 2000;
    int moveDistanceMm = 50;
    QStringList simArgs;          // besides --listen, --depth and --max-seconds
    int livenessIntervalMs = 500; // 5000 on the instrument
    // The simulator ends by itself after this, even if the test is killed.
    int simMaxSeconds = 600;
};

class CAutoRun : public QObject {
    Q_OBJECT
public:
    explicit CAutoRun(const AutoRunSetup &setup, QObject *parent = nullptr);
    ~CAutoRun() override;

    // Starts the simulator, connects the link, resets the controller's count
    // and starts the test at the bottom (as "新存" does). False (with why())
    // when a step does not come about within its time limit.
    bool start();
    QString why() const { return m_why; }

    CAppModel &model() { return *m_model; }
    CSimProcess &sim() { return *m_sim; }
    QueryThread &thread() { return m_thread; }
    // The test's state and samples, as the thread reported them.
    const ReportTaker &taken() const { return m_taker; }

    // What happened, in order.
    struct LinkCheck {
        bool connected;
        int simOutputLength; // how much the simulator had printed by then
    };
    QVector<LinkCheck> linkChecks;
    int reports = 0;
    int leakPoints = 0;
    bool finished = false; // QueryThreadFinish came

    // Ends the test as the operator's "测试完成" does: the thread stops, and
    // the samples are saved to path and read back; false when the file does
    // not hold exactly the samples of the list.
    bool finishAndSave(const QString &path);

private:
    AutoRunSetup m_setup;
    std::unique_ptr<CSimProcess> m_sim;
    std::unique_ptr<CAppModel> m_model;
    QueryThread m_thread;
    ReportTaker m_taker{m_thread};
    CtrlInfo m_record; // the set-up of the run
    QString m_why;
};
