#include "cdlgresample.h"

#include "commonutils.h"
#include "ctrlinfo.h"
#include "entrydialogs.h"
#include "resamplerules.h"
#include "setuprules.h"
#include "ui_cdlgresample.h"

#include <QEvent>

CDlgReSample::CDlgReSample(int32_t minDepthCm, int32_t initialDepthCm, int32_t maxDepth, int32_t moveDistance,
                           QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint), ui(new Ui::CDlgReSample), m_maxDepth(maxDepth),
      m_moveDistance(moveDistance)
{
    setAttribute(Qt::WA_TranslucentBackground);
    ui->setupUi(this);
    setGeometry(QKRVCommomUtils::screenRect());
    QKRVCommomUtils::loadCommonStyleSheet(this);
    ui->edReH->installEventFilter(this);
    // The entry field must not take the focus when the dialog shows: only a
    // touch opens the keypad.
    ui->BtnOK->setFocus();

    m_nMinDepth = minDepthCm;
    ui->lbCurH->setText(QString::number(minDepthCm));
    m_nReDepth = initialDepthCm;
    if (initialDepthCm > 0)
        ui->edReH->setText(QString::number(initialDepthCm));
}

CDlgReSample::~CDlgReSample() { delete ui; }

bool CDlgReSample::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->edReH && event->type() == QEvent::FocusIn) {
        setFocus(Qt::OtherFocusReason);
        float value = 0.0f;
        if (EntryDialogs::number(tr("重采高度"), ui->edReH->text(), true, false, &value)) {
            // The field shows the whole centimetres the check uses.
            m_nReDepth = SetupRules::truncToInt(value);
            ui->edReH->setText(QString::number(m_nReDepth));
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CDlgReSample::on_BtnCancel_clicked() { reject(); }

void CDlgReSample::on_BtnOK_clicked()
{
    const int32_t maxDepth = m_maxDepth;
    const int32_t move = m_moveDistance;
    const ResampleRules::Verdict verdict = ResampleRules::check(m_nReDepth, m_nMinDepth, maxDepth, move);
    if (verdict != ResampleRules::Verdict::Accepted) {
        EntryDialogs::message(ResampleRules::message(verdict, m_nMinDepth, maxDepth, move));
        return;
    }
    accept();
}
