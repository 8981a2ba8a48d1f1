#include "linkdisplay.h"

#include "appmodel.h"

#include <QCoreApplication>
#include <QLabel>

namespace {
// The panel's texts belong to the main screen's catalogue context.
QString tr(const char *source) { return QCoreApplication::translate("CDlgMain", source); }

// The panel is refreshed with every changed winch report (twenty a second
// while raising); setting even the same style sheet again restyles the label
// and its parent's layout each time.
void setStyleSheetIfChanged(QWidget *w, const QString &sheet)
{
    if (w->styleSheet() != sheet)
        w->setStyleSheet(sheet);
}
}

void CLinkDisplay::refresh()
{
    CAppModel *model = CAppModel::instance();
    if (model->isLinkConnected()) {
        setStyleSheetIfChanged(m_state, QStringLiteral(
            "padding: 5px;border-radius:4px;font: bold 18px;background-color:#47A3F8;color:white;"));
        m_state->setText(tr("已连接"));
        m_resistivity->setText(QString::number(double(model->currentValue.load()), 'f', 4));
    } else {
        setStyleSheetIfChanged(m_state, QStringLiteral(
            "padding: 5px;border-radius:4px;font: bold 18px;background-color:rgb(235,84,81);color:white;"));
        m_state->setText(tr("已断开"));
        m_resistivity->setText(QStringLiteral("0.0000"));
    }
    if (model->debugDisplay) {
        m_distance->setText(tr("线缆长度:%1m").arg(double(model->lastWinchHeightM), 0, 'f', 2)
                            + tr("  编码器值:%1").arg(model->lastPulseCount));
    }
}
