#include "cdlgmsgbox.h"

#include "dialogframe.h"
#include "ui_cdlgmsgbox.h"

CDlgMsgBox::CDlgMsgBox(const QString &text, bool bEnableCancel, QWidget *parent)
    : QDialog(parent), ui(new Ui::CDlgMsgBox)
{
    DialogFrame::prepare(this);
    ui->setupUi(this);
    DialogFrame::coverScreen(this);

    ui->labelMsg->setText(text);
    ui->BtnCancel->setVisible(bEnableCancel);
    if (!bEnableCancel)
        DialogFrame::collapseSpacer(ui->horizontalSpacer);

    if (DialogFrame::isEnglish()) {
        setWindowTitle(QStringLiteral("Information"));
        ui->DlgTitleBarTitle->setText(QStringLiteral("Information"));
        ui->BtnOK->setText(QStringLiteral("OK"));
        ui->BtnCancel->setText(QStringLiteral("Cancel"));
    }
}

CDlgMsgBox::~CDlgMsgBox() { delete ui; }

void CDlgMsgBox::on_BtnCancel_clicked() { reject(); }

void CDlgMsgBox::on_BtnOK_clicked() { accept(); }
