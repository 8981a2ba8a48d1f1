#include "frmmessagebox.h"

#include "dialogframe.h"
#include "ui_frmmessagebox.h"

frmMessageBox::frmMessageBox(QWidget *parent) : QDialog(parent), ui(new Ui::frmMessageBox)
{
    DialogFrame::prepare(this);
    ui->setupUi(this);
    DialogFrame::coverScreen(this);

    setAttribute(Qt::WA_DeleteOnClose);
    connect(ui->BtnCancel, &QPushButton::clicked, this, &QWidget::close);

    if (DialogFrame::isEnglish()) {
        setWindowTitle(QStringLiteral("Notice"));
        ui->DlgTitleBarTitle->setText(QStringLiteral("Notice"));
        ui->BtnOK->setText(QStringLiteral("OK"));
        ui->BtnCancel->setText(QStringLiteral("CANCEL"));
    }
}

frmMessageBox::~frmMessageBox() { delete ui; }

void frmMessageBox::SetMessage(const QString &text, int type)
{
    if (type == 0) {
        ui->BtnCancel->setVisible(false);
        DialogFrame::collapseSpacer(ui->horizontalSpacer);
        const QString title = DialogFrame::pick(tr("提示"), "Notice");
        setWindowTitle(title);
        ui->DlgTitleBarTitle->setText(title);
    }
    ui->labelMsg->setText(text);
}

void frmMessageBox::on_BtnCancel_clicked() { close(); }

void frmMessageBox::on_BtnOK_clicked()
{
    done(QDialog::Accepted);
    close();
}
