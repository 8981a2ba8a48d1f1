#include "cdlgfileopt.h"
#include "ui_cdlgfileopt.h"

#include "commonutils.h"

#include <QLabel>

CDlgFileOpt::CDlgFileOpt(QWidget *parent) : QDialog(parent, Qt::FramelessWindowHint), ui(new Ui::CDlgFileOpt)
{
    setAttribute(Qt::WA_TranslucentBackground);
    ui->setupUi(this);
    setGeometry(QKRVCommomUtils::screenRect());
    QKRVCommomUtils::loadCommonStyleSheet(this);
}

CDlgFileOpt::~CDlgFileOpt() { delete ui; }

void CDlgFileOpt::SetLabels()
{
    const auto put = [](QLabel *label, const QString &text) {
        label->setText(text);
        label->setVisible(!text.isEmpty());
    };
    put(ui->lbFileName, nameText);
    put(ui->lbFileSize, sizeText);
    put(ui->lbFileTime, timeText);
}

void CDlgFileOpt::choose(int chosen)
{
    action = chosen;
    accept();
}

void CDlgFileOpt::on_BtnOpen_clicked() { choose(Open); }
void CDlgFileOpt::on_BtnExport_clicked() { choose(Export); }
void CDlgFileOpt::on_BtnDel_clicked() { choose(Delete); }
void CDlgFileOpt::on_BtnReturn_clicked() { choose(Return); }
