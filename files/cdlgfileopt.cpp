#include "cdlgfileopt.h"
#include "ui_cdlgfileopt.h"

#include "buttontextfit.h"
#include "commonutils.h"

#include <QLabel>

namespace {
// The form's panel is drawn for the white theme; in the dark theme the panel's
// own sheet (which wins over the form's) gives it the colours the common dark
// sheet gives every other dialog.
const char kDarkPanel[] =
    "QWidget#DlgWidget { background: #6D7281; border-color: #6D7281; }"
    "QWidget#DlgClientWidget { background: #495169; border-color: #495169; }"
    "QWidget#DlgTitleBar { background: #3A4054; }"
    "QLabel { color: #FFFFFF; }"
    "QPushButton#BtnReturn { color: #FFFFFF; background: #626F96; }";
}

CDlgFileOpt::CDlgFileOpt(QWidget *parent) : QDialog(parent, Qt::FramelessWindowHint), ui(new Ui::CDlgFileOpt)
{
    setAttribute(Qt::WA_TranslucentBackground);
    ui->setupUi(this);
    setGeometry(QKRVCommomUtils::screenRect());
    QKRVCommomUtils::loadCommonStyleSheet(this);
    if (QKRVCommomUtils::themeName() == QLatin1String("black"))
        ui->DlgWidget->setStyleSheet(QLatin1String(kDarkPanel));
    // "Project summary" takes two lines in English.
    new ButtonTextFitter(this);
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
    ui->BtnSummary->setVisible(listMode == 0);
}

void CDlgFileOpt::choose(int chosen)
{
    action = chosen;
    accept();
}

void CDlgFileOpt::on_BtnOpen_clicked() { choose(Open); }
void CDlgFileOpt::on_BtnExport_clicked() { choose(Export); }
void CDlgFileOpt::on_BtnDel_clicked() { choose(Delete); }
void CDlgFileOpt::on_BtnSummary_clicked() { choose(Summary); }
void CDlgFileOpt::on_BtnReturn_clicked() { choose(Return); }
