#include "cdlgmsgquestion.h"

#include "dialogframe.h"
#include "ui_cdlgmsgquestion.h"

#include <QGuiApplication>
#include <QScreen>

CDlgMsgQuestion::CDlgMsgQuestion(const QString &text, bool bCompact, QWidget *parent)
    : QDialog(parent), m_strText(text), ui(new Ui::CDlgMsgQuestion)
{
    DialogFrame::prepare(this);
    ui->setupUi(this);
    DialogFrame::coverScreen(this);

    ui->LBShow->setText(m_strText);
    if (bCompact) {
        // The whole screen, not the available area: the strip sits at the
        // same place whatever panels the window system reserves.
        QSize screen(1024, 768);
        if (QScreen *s = QGuiApplication::primaryScreen())
            screen = s->geometry().size();
        const QRect r = compactGeometry(screen);
        setFixedSize(r.size());
        move(r.topLeft());
        // The strip is the panel itself: no room is left for the backdrop.
        ui->DlgWidget->setMinimumSize(0, 0);
        ui->DlgWidget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        ui->DlgTitleBar->setMinimumHeight(0);
        ui->clientLayout->setContentsMargins(8, 2, 8, 4);
        ui->clientLayout->setSpacing(2);
    }

    if (DialogFrame::isEnglish()) {
        setWindowTitle(QStringLiteral("Message"));
        ui->DlgTitleBarTitle->setText(QStringLiteral("Message"));
        ui->BtnOK->setText(QStringLiteral("OK"));
        ui->BtnCancel->setText(QStringLiteral("Cancel"));
    }
}

CDlgMsgQuestion::~CDlgMsgQuestion() { delete ui; }

QRect CDlgMsgQuestion::compactGeometry(const QSize &screen)
{
    const int w = screen.width();
    const int h = screen.height();
    return QRect(w / 4, h / 5, w / 2, h / 5);
}

void CDlgMsgQuestion::makeCancelDefault()
{
    ui->BtnOK->setAutoDefault(false);
    ui->BtnOK->setDefault(false);
    ui->BtnCancel->setAutoDefault(true);
    ui->BtnCancel->setDefault(true);
    ui->BtnCancel->setFocus();
}

void CDlgMsgQuestion::on_BtnCancel_clicked() { reject(); }

void CDlgMsgQuestion::on_BtnOK_clicked() { accept(); }
