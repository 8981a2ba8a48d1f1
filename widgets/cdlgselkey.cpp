#include "cdlgselkey.h"

#include "dialogframe.h"
#include "ui_cdlgselkey.h"

CDlgSelKey::CDlgSelKey(QWidget *parent) : QDialog(parent), ui(new Ui::CDlgSelKey)
{
    DialogFrame::prepare(this);
    ui->setupUi(this);
    DialogFrame::coverScreen(this);

    for (bool &enabled : m_bItemEnabled)
        enabled = true;
    m_strItem[kItemCount - 1] = DialogFrame::pick(tr("取消"), "Cancel");
}

CDlgSelKey::~CDlgSelKey() { delete ui; }

QPushButton *CDlgSelKey::button(int index) const
{
    QPushButton *const buttons[kItemCount] = {ui->Btn1,  ui->Btn2,  ui->Btn3,  ui->Btn4,  ui->Btn5,  ui->Btn6,
                                              ui->Btn7,  ui->Btn8,  ui->Btn9,  ui->Btn10, ui->Btn11, ui->Btn12,
                                              ui->Btn13, ui->Btn14, ui->Btn15, ui->Btn16};
    return buttons[index];
}

void CDlgSelKey::UpdateButtons()
{
    setWindowTitle(m_strTitle);
    ui->DlgTitleBarTitle->setText(m_strTitle);
    const QString empty = tr("");
    for (int i = 0; i < kItemCount; ++i) {
        QPushButton *b = button(i);
        b->setText(m_strItem[i]);
        if (i < kItemCount - 1)
            b->setEnabled(m_strItem[i] != empty && m_bItemEnabled[i]);
    }
}

void CDlgSelKey::choose(int index)
{
    m_strSelected = m_strItem[index];
    m_nSelected = index;
    accept();
}

void CDlgSelKey::on_Btn1_clicked() { choose(0); }
void CDlgSelKey::on_Btn2_clicked() { choose(1); }
void CDlgSelKey::on_Btn3_clicked() { choose(2); }
void CDlgSelKey::on_Btn4_clicked() { choose(3); }
void CDlgSelKey::on_Btn5_clicked() { choose(4); }
void CDlgSelKey::on_Btn6_clicked() { choose(5); }
void CDlgSelKey::on_Btn7_clicked() { choose(6); }
void CDlgSelKey::on_Btn8_clicked() { choose(7); }
void CDlgSelKey::on_Btn9_clicked() { choose(8); }
void CDlgSelKey::on_Btn10_clicked() { choose(9); }
void CDlgSelKey::on_Btn11_clicked() { choose(10); }
void CDlgSelKey::on_Btn12_clicked() { choose(11); }
void CDlgSelKey::on_Btn13_clicked() { choose(12); }
void CDlgSelKey::on_Btn14_clicked() { choose(13); }
void CDlgSelKey::on_Btn15_clicked() { choose(14); }

void CDlgSelKey::on_Btn16_clicked()
{
    const QString &last = m_strItem[kItemCount - 1];
    if (last == tr("取消") || last == QLatin1String("Cancel")) {
        m_strSelected.clear();
        reject();
        return;
    }
    choose(kItemCount - 1);
}
