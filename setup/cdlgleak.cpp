#include "cdlgleak.h"

#include "ctrlinfo.h"
#include "resamplerules.h"
#include "ui_cdlgleak.h"

CDlgLeak::CDlgLeak(QWidget *parent)
    : QDialog(parent, Qt::CustomizeWindowHint | Qt::WindowTitleHint), ui(new Ui::CDlgLeak)
{
    ui->setupUi(this);
    setFont(gCtrlInfo.fonts[2]);
    SetHeights(0, 0);
}

CDlgLeak::~CDlgLeak() { delete ui; }

void CDlgLeak::SetHeights(int32_t curHeightMm, int32_t leakHeightMm)
{
    m_nCurHeight = curHeightMm;
    m_nLeakHeight = leakHeightMm;
    const int32_t holeDepth = gCtrlInfo.holeDepth;
    ui->ECurH->setText(ResampleRules::depthMetresText(holeDepth, curHeightMm));
    ui->ELeakH->setText(ResampleRules::depthMetresText(holeDepth, leakHeightMm));
}

void CDlgLeak::Close()
{
    m_bShown = false;
    accept();
}

void CDlgLeak::reject() { m_bShown = false; }
