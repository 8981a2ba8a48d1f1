#include "dlginfo.h"
#include "ui_dlginfo.h"

#include "commonutils.h"

CDlgInfo::CDlgInfo(const QString &text, QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint), ui(new Ui::CDlgInfo)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_TranslucentBackground);
    setGeometry(QKRVCommomUtils::screenRect());
    QKRVCommomUtils::loadCommonStyleSheet(this);
    ui->label_curDataInfo->setText(text);
}

CDlgInfo::~CDlgInfo()
{
    delete ui;
}

QString CDlgInfo::infoText() const
{
    return ui->label_curDataInfo->text();
}

void CDlgInfo::on_BtnOK_clicked()
{
    close();
}
