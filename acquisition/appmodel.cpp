#include "appmodel.h"

#include "appdir.h"
#include "depthcalc.h"
#include "sysconfig.h"
#include "winchctrl.h"

#include <QCoreApplication>
#include <QtDebug>
#include <cmath>

namespace {
CAppModel *gModel = nullptr;

void destroyModel()
{
    // The link thread must end before the application object goes.
    delete gModel;
    gModel = nullptr;
}
}

CAppModel *CAppModel::instance()
{
    if (!gModel) {
        gModel = new CAppModel(configuredWinchAddress(), true);
        qAddPostRoutine(destroyModel);
    }
    return gModel;
}

bool CAppModel::exists() { return gModel != nullptr; }

CAppModel::CAppModel(const WinchAddress &address, bool startLink, QObject *parent) : QObject(parent)
{
    m_link = new CWinchCtrl(this);
    m_link->configure(0, address.host, address.port);
    applyClear();
    if (startLink)
        m_link->startLink();
}

CAppModel::~CAppModel()
{
    m_link->stopLink();
}

bool CAppModel::isLinkConnected() const { return m_link->isConnected(); }

bool CAppModel::update()
{
    const WinchReportCopy r = m_link->report();
    if (r.sequence == 0)
        return false;
    return updateFrom(r.fields, r.sequence);
}

void CAppModel::setWinchGeometry(int32_t wheelD, int32_t lineD)
{
    m_wheelD = wheelD;
    m_lineD = lineD;
}

bool CAppModel::updateFrom(const WinchReport &report, quint64 sequence)
{
    const bool newReport = sequence == 0 || sequence != m_lastSequence;
    // The same count in two successive reports: the probe is at rest.
    const bool atRest = m_haveReport && newReport && report.pulseCount == lastPulseCount;
    m_lastSequence = sequence;
    m_haveReport = true;

    lastPulseCount = report.pulseCount;
    bool changed = false;
    const float h = winchMetresForPulses(report.pulseCount, m_wheelD, m_lineD);
    // Small steps are held back while the probe moves; at rest the height
    // settles on the exact count, so it cannot stay up to 5 mm short.
    if (std::fabs(lastWinchHeightM - h) > 0.005f || (atRest && h != lastWinchHeightM)) {
        lastWinchHeightM = h;
        winchHeight = winchMillimetres(h);
        changed = true;
    }
    const float r = report.rawValue * resiAmpFactor;
    if (std::fabs(currentValue.load() - r) > 0.00001f) {
        currentValue = r;
        changed = true;
    }
    if (report.cleared && report.pulseCount == 0) {
        clearRequest = 0;
        applyClear();
    }
    return changed;
}

void CAppModel::requestClear()
{
    clearRequest = 1;
    applyClear();
}

void CAppModel::applyClear()
{
    m_link->setClearFlag(clearRequest != 0);
    qDebug().nospace() << " clearFlg:" << int(clearRequest);
}

bool CAppModel::saveControlParams()
{
    const bool ok = writeConfigXml(QKRVCommomUtils::appPath() + QStringLiteral("/KRV_ZPVW_CZL_CONFIG.INI"),
                                   QStringLiteral("ControlParam"),
                                   {{QStringLiteral("bDebug"), debugDisplay ? QStringLiteral("true") : QStringLiteral("false")},
                                    {QStringLiteral("fResiAmpFactor"), QString::number(double(resiAmpFactor), 'g', 6)}});
    qDebug() << "SaveINIFile";
    return ok;
}
