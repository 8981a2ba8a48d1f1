#include "cdlgsavemsg.h"
#include "ui_cdlgsavemsg.h"

#include "acqstate.h"
#include "ctrlinfo.h"
#include "dialogfont.h"
#include "fileprompts.h"
#include "holefile.h"
#include "holefiles.h"
#include "holereport.h"
#include "projectfolder.h"
#include "testrecord.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

CDlgSaveMsg::CDlgSaveMsg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      mainDialog(gMainDlgHooks), ui(new Ui::CDlgSaveMsg)
{
    ui->setupUi(this);
    setFont(gCtrlInfo.fonts[3]);
    // A widget's own style sheet outweighs the theme's rules for it.
    ui->lbShow->setStyleSheet(DialogFont::rule(gCtrlInfo.fonts[3]));
    ui->pBarProgress->setStyleSheet(DialogFont::rule(gCtrlInfo.fonts[3]));
    for (QWidget *b : {ui->BtnSave, ui->BtnNoSave, ui->BtnReturn})
        b->setStyleSheet(DialogFont::rule(gCtrlInfo.fonts[2]));
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
    if (samples.isEmpty()) {
        if (FilePrompts::ask(tr("您本次实验没有采集数据，是否退出？"), false, this))
            discardTest();
        return;
    }
    recordEnabled = 0;
    if (saving)
        return;
    saving = 1;
    CMainDlgHooks::call(mainDialog.stopAcquisition);

    showButtons(false);
    adjustSize();

    const QString path = gCtrlInfo.filePath.get();
    if (path.isEmpty())
        return saveFailed(QStringLiteral("no file name"));
    const QString projectDir = projectFolderPath(HoleFiles::dataDir(), gCtrlInfo.projectPath.get());
    // Whatever the parameter file or a typed name held, nothing is written
    // outside the data folder.
    if (projectDir.isEmpty() || !HoleFiles::isWithin(withHoleExtension(path), HoleFiles::dataDir()))
        return saveFailed(QStringLiteral("outside the data folder"));
    for (const QString &dir : {projectDir, QFileInfo(withHoleExtension(path)).absolutePath()})
        if (!QFileInfo(dir).isDir() && !QDir().mkpath(dir))
            return saveFailed(QStringLiteral("cannot create folder ") + dir);

    SetProgress(1);
    HoleSaveOptions options;
    options.progress = [this](int percent) { SetProgress(percent); };
    QString error;
    if (!saveHoleFile(path, gCtrlInfo, samples.snapshot(), options, &error))
        return saveFailed(error);
    SetProgress(100);
    // The report beside the file; its failure never undoes the save.
    updateHoleReport(path);

    CMainDlgHooks::call(mainDialog.restartAcquisition);
    CMainDlgHooks::call(mainDialog.pauseAcquisition);
    CMainDlgHooks::call(mainDialog.resetTest);
    if (parentWidget())
        QCoreApplication::postEvent(parentWidget(), new QEvent(SaveDoneEventType));
    accept();
}

void CDlgSaveMsg::saveFailed(const QString &reason)
{
    qWarning() << "hole file not saved:" << gCtrlInfo.filePath.get() << reason;
    FilePrompts::showMessage(tr("保存失败，本次测试数据未保存！\n请重新保存，或选择不保存。"), this);
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
    if (!FilePrompts::ask(tr("是否确认不保存?选择确定将会结束实验！"), false, this))
        return;
    ui->BtnSave->setEnabled(false);
    ui->BtnNoSave->setEnabled(false);
    ui->BtnReturn->setEnabled(false);
    discardTest();
}

void CDlgSaveMsg::discardTest()
{
    recordEnabled = 0;
    const uint32_t state = getState();
    if (state != AcqState::End) {
        if (state & AcqState::SubPaused)
            CMainDlgHooks::call(mainDialog.resumeAcquisition);
        CMainDlgHooks::call(mainDialog.stopAcquisition);
    }
    const QString path = gCtrlInfo.filePath.get();
    if (!path.isEmpty()) {
        const QString file = withHoleExtension(path);
        for (const QString &f : {file, HoleFiles::reportPath(file)})
            if (QFileInfo(f).isFile())
                HoleFiles::removeTree(f, HoleFiles::dataDir());
    }
    CMainDlgHooks::call(mainDialog.restoreSetupAndRestart);
    reject();
}

void CDlgSaveMsg::on_BtnReturn_clicked()
{
    recordEnabled = 1;
    needZeroHeight = 0;
    needStepHeight = 0;
    CMainDlgHooks::call(mainDialog.resumeAcquisition);
    returnedToTest = 1;
    reject();
}
