#include "cdlgleak.h"

#include "ctrlinfo.h"
#include "recordstyle.h"
#include "resamplerules.h"
#include "ui_cdlgleak.h"

#include <QTimer>

bool leakPauseOffered(qint64 shownMs, int delayMs) { return shownMs >= qint64(delayMs); }

CDlgLeak::CDlgLeak(QWidget *parent)
    : QDialog(parent, Qt::CustomizeWindowHint | Qt::WindowTitleHint), ui(new Ui::CDlgLeak),
      m_pPauseOfferTimer(new QTimer(this))
{
    ui->setupUi(this);
    SetHeights(0, 0, 0);
    QFont pauseFont = font();
    pauseFont.setBold(true);
    ui->BtnLeakPause->setFont(pauseFont);
    ui->BtnLeakPause->hide();
    m_pPauseOfferTimer->setSingleShot(true);
    m_pPauseOfferTimer->setTimerType(Qt::PreciseTimer);
    connect(m_pPauseOfferTimer, &QTimer::timeout, this, &CDlgLeak::checkPauseOffer);
    connect(ui->BtnLeakPause, &QPushButton::clicked, this, &CDlgLeak::pauseRequested);
}

CDlgLeak::~CDlgLeak() { delete ui; }

void CDlgLeak::SetHeights(int32_t curHeightMm, int32_t leakHeightMm, int32_t holeDepth)
{
    m_nCurHeight = curHeightMm;
    m_nLeakHeight = leakHeightMm;
    ui->ECurH->setText(ResampleRules::depthMetresText(holeDepth, curHeightMm));
    ui->ELeakH->setText(ResampleRules::depthMetresText(holeDepth, leakHeightMm));
}

void CDlgLeak::Close()
{
    m_bShown = false;
    accept();
}

void CDlgLeak::reject() { m_bShown = false; }

void CDlgLeak::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    // Every showing starts afresh: the probe usually comes back in time.
    m_shownClock.start();
    checkPauseOffer();
}

void CDlgLeak::checkPauseOffer()
{
    const qint64 shown = m_shownClock.elapsed();
    const bool offered = leakPauseOffered(shown, m_nPauseOfferMs);
    offerPause(offered);
    if (!offered)
        m_pPauseOfferTimer->start(int(qMax<qint64>(1, m_nPauseOfferMs - shown)));
}

void CDlgLeak::hideEvent(QHideEvent *e)
{
    m_pPauseOfferTimer->stop();
    offerPause(false);
    QDialog::hideEvent(e);
}

void CDlgLeak::offerPause(bool offered)
{
    if (ui->BtnLeakPause->isVisibleTo(this) == offered)
        return;
    ui->BtnLeakPause->setVisible(offered);
    // Grow downward only, so the depths stay where the operator read them.
    if (offered)
        resize(qMax(width(), minimumSizeHint().width()), qMax(height(), sizeHint().height()));
}
