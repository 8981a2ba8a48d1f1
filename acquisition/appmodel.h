#pragma once
// The application model: one object for the process that owns the winch link,
// turns each report into the winch height and the current value, keeps the
// control parameters and drives the counter reset with the controller.
//
// update(), requestClear() and saveControlParams() run on the GUI thread; the
// acquisition thread reads currentValue and winchHeight (atomic words).

#include "winchaddress.h"
#include "winchframe.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>

class CWinchCtrl;

class CAppModel : public QObject {
    Q_OBJECT
public:
    // The one model, created on the first call (GUI thread): its link connects
    // to configuredWinchAddress().
    static CAppModel *instance();
    // True once instance() has created the model.
    static bool exists();

    // A model of its own, connecting to address; startLink false keeps the
    // link thread stopped (tests feed reports through updateFrom).
    explicit CAppModel(const WinchAddress &address, bool startLink = true, QObject *parent = nullptr);
    ~CAppModel() override;

    CWinchCtrl *link() const { return m_link; }
    bool isLinkConnected() const;

    // Recomputes the winch height and the value from the link's last report;
    // true when either changed.
    bool update();
    // The same for a given report. sequence tells a new report from the same
    // one seen again (0: always new).
    bool updateFrom(const WinchReport &report, quint64 sequence = 0);

    // Asks the controller to reset its pulse count (request byte 9 = 1 until
    // the controller confirms with a report of count 0 and byte 21 set).
    void requestClear();
    void applyClear();

    // Writes "KRV_ZPVW_CZL_CONFIG.INI" into the application directory.
    bool saveControlParams();

    // The pulley and cable diameters (millimetres) of the set-up in use.
    void setWinchGeometry(int32_t wheelD, int32_t lineD);

    uint8_t debugDisplay = 0;
    std::atomic<float> currentValue{0.0f};
    // Height raised in millimetres from the controller's pulse count.
    std::atomic<int32_t> winchHeight{0};
    float resiAmpFactor = 10.0f;
    float lastWinchHeightM = 0.0f;
    int32_t lastPulseCount = 0;
    uint8_t clearRequest = 0;
    QString versionText = QStringLiteral("V:000");

private:
    CWinchCtrl *m_link = nullptr;
    quint64 m_lastSequence = 0;
    bool m_haveReport = false;
    int32_t m_wheelD = 63;
    int32_t m_lineD = 7;
};
