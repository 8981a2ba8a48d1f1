#include "cdlgsavemsg.h"
#include "ui_cdlgsavemsg.h"

#include "ctrlinfo.h"
#include "recordstyle.h"
#include "dialogfont.h"
#include "prompts.h"
#include "testsession.h"

#include <QDebug>

CDlgSaveMsg::CDlgSaveMsg(CTestSession *session, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint), m_session(session),
      ui(new Ui::CDlgSaveMsg)
{
    ui->setupUi(this);
    setFont(recordFont(m_session->record(), 3));
    // A widget's own style sheet outweighs the theme's rules for it.
    ui->lbShow->setStyleSheet(DialogFont::rule(recordFont(m_session->record(), 3)));
    ui->pBarProgress->setStyleSheet(DialogFont::rule(recordFont(m_session->record(), 3)));
    for (QWidget *b : {ui->BtnSave, ui->BtnNoSave, ui->BtnReturn})
        b->setStyleSheet(DialogFont::rule(recordFont(m_session->record(), 2)));
}

CDlgSaveMsg::~CDlgSaveMsg() { delete ui; }

void CDlgSaveMsg::showButtons(bool buttons)
{
    ui->BtnSave->setVisible(buttons);
    ui->BtnNoSave->setVisible(buttons);
    ui->BtnReturn->setVisible(buttons);
    ui->pBarProgress->setVisible(!buttons);
    ui->lbShow->setVisible(!buttons);
}

void CDlgSaveMsg::Prepare()
{
    ui->pBarProgress->setRange(0, 100);
    ui->pBarProgress->setValue(0);
    showButtons(true);
    ui->BtnReturn->setEnabled(allowReturn != 0);
    adjustSize();
}

void CDlgSaveMsg::SetProgress(int value) { ui->pBarProgress->setValue(value); }

void CDlgSaveMsg::on_BtnSave_clicked()
{
    if (!m_session->hasSamples()) {
        if (Prompts::ask(tr("您本次实验没有采集数据，是否退出？"), false, this))
            discardTest();
        return;
    }
    if (saving)
        return;
    saving = 1;
    showButtons(false);
    adjustSize();
    QString error;
    if (!m_session->saveTest([this](int percent) { SetProgress(percent); }, &error))
        return saveFailed(error);
    accept();
}

void CDlgSaveMsg::saveFailed(const QString &reason)
{
    qWarning() << "hole file not saved:" << m_session->record().filePath.get() << reason;
    Prompts::showMessage(tr("保存失败，本次测试数据未保存！\n请重新保存，或选择不保存。"), this);
    // The acquisition was asked to stop, so the test cannot be resumed; it
    // can be saved again or discarded.
    saving = 0;
    ui->pBarProgress->setValue(0);
    showButtons(true);
    ui->BtnReturn->setEnabled(false);
    adjustSize();
}

void CDlgSaveMsg::on_BtnNoSave_clicked()
{
    if (!Prompts::ask(tr("是否确认不保存?选择确定将会结束实验！"), false, this))
        return;
    ui->BtnSave->setEnabled(false);
    ui->BtnNoSave->setEnabled(false);
    ui->BtnReturn->setEnabled(false);
    discardTest();
}

void CDlgSaveMsg::discardTest()
{
    m_session->discardTest();
    reject();
}

void CDlgSaveMsg::on_BtnReturn_clicked()
{
    m_session->returnToTest();
    returnedToTest = 1;
    reject();
}
