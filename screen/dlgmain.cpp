#include "dlgmain.h"
#include "ui_dlgmain.h"

#include "mainrules.h"
#include "mainstate.h"

#include "acqstate.h"
#include "batteryconfig.h"
#include "commonutils.h"
#include "ctrlinfo.h"
#include "holefile.h"
#include "holereport.h"
#include "paramfile.h"
#include "projectfolder.h"
#include "sysconfig.h"
#include "testrecord.h"

#include "appmodel.h"
#include "device.h"
#include "querythread.h"
#include "winchctrl.h"

#include "cdlgmsgbox.h"
#include "cdlgmsgquestion.h"
#include "cdlgnumkey.h"
#include "cdlgselkey.h"
#include "keyboard.h"

#include "cdlgleak.h"
#include "cdlgresample.h"
#include "cdlgset.h"
#include "setuphooks.h"

#include "cdlgexportfile.h"
#include "cdlgsavemsg.h"
#include "filehooks.h"

#include "curve.h"
#include "dlginfo.h"
#include "mytable.h"
#include "showwavepic.h"
#include "verdictpanel.h"

#include "pilelimits.h"
#include "projectsummary.h"
#include "verdict.h"

#include <QCursor>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

CDlgMain *gMainDlg = nullptr;
std::atomic<int32_t> gBatteryLevel{0};

namespace {
const char *kVersion = "2.0.230308";
constexpr QEvent::Type kRaiseBeganEvent = QEvent::Type(1004);
constexpr QEvent::Type kSaveDoneEvent = QEvent::Type(1007);

float largestResistivity()
{
    float largest = 0.0f;
    bool any = false;
    samples.withLocked([&](const QVector<Sample> &v) {
        for (const Sample &s : v) {
            if (!any || s.resistivity > largest)
                largest = s.resistivity;
            any = true;
        }
    });
    return largest;
}

// A file name typed for a new test must name a file inside the project
// folder: not empty, no folder separators, not "." or "..".
bool isUsableFileName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
           && name != QLatin1String(".") && name != QLatin1String("..");
}
}

CDlgMain::CDlgMain(QWidget *parent)
    : QDialog(parent), ui(new Ui::Dialog), m_dlgLeak(std::make_unique<CDlgLeak>(nullptr))
{
    ui->setupUi(this);
    QKRVCommomUtils::loadCommonStyleSheet(this);
    QString sheet;
    QKRVCommomUtils::loadStyleSheet(this, sheet);
    loadBatteryConfig();

    setWindowTitle(tr(" KRV-ZPV[W]-无线电阻率沉渣采集软件") + QStringLiteral("-V") + QLatin1String(kVersion));
    setWindowFlags(Qt::Dialog | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    setGeometry(0, titleBar + 10, avail.width(), avail.height() - (titleBar + 10));
    setFixedSize(avail.width(), avail.height() - (titleBar + 10));

    gMainDlg = this;
    m_strOpenFile.clear();
    m_bAskBeforeClose = true;
    ui->label_curDataInfo->hide();
    ui->label_upload_msg->hide();

    if (screen && screen->geometry().width() <= 1000)
        gCtrlInfo.largeScreen = 0;

    m_pQueryThread = new QueryThread(this);
    connect(m_pQueryThread, SIGNAL(updateWaveData(bool, bool)), this, SLOT(updateWave(bool, bool)));
    connect(m_pQueryThread, &QueryThread::BtnTextByState, this, &CDlgMain::SetBtnTextByState);
    connect(m_pQueryThread, &QueryThread::HandleLeakPoint, this, &CDlgMain::OnHandleLeakPoint);
    connect(m_pQueryThread, &QueryThread::HandleCurHeightLeakPoint, this, &CDlgMain::OnCurHeight);
    connect(m_pQueryThread, &QueryThread::HandleQuitLeakPoint, this, &CDlgMain::OnLeakOver);
    connect(m_pQueryThread, &QueryThread::QueryThreadFinish, this, &CDlgMain::OnQueryThreadFinish);
    connect(m_dlgLeak.get(), &CDlgLeak::pauseRequested, this, &CDlgMain::pauseFromLeakNotice);
    connect(ui->table, &CMyTable::SetMouseClick, this, &CDlgMain::OnSetMouseClick);

    m_pRefreshTimer = new QTimer(this);
    m_pRefreshTimer->setSingleShot(true);
    m_pRefreshTimer->setInterval(kRefreshMergeMs);
    connect(m_pRefreshTimer, &QTimer::timeout, this, &CDlgMain::flushPendingRefresh);

    setupScreenSaver();
    m_bReviewMode = false;

    loadTestParams(gCtrlInfo);
    SetupPaceTimer();
    gCtrlInfoBackup = gCtrlInfo;

    setState(AcqState::Idle);
    ResetTest();
    m_nPaceTicks = 0;

    ui->BtnMove->setVisible(gCtrlInfo.deviceChannel != 0);
    SetBtnEnableByState(curState);
    SetBtnTextByState(curState);

    m_pBatteryTimer = new QTimer(this);
    m_pBatteryTimer->setInterval(60000);
    connect(m_pBatteryTimer, &QTimer::timeout, this, &CDlgMain::UpdateBattery);
    m_pBatteryTimer->start();
    UpdateBattery();

    setBrightness(uint16_t(int32_t(gCtrlInfo.brightness)));

    for (QWidget *w : {static_cast<QWidget *>(ui->CBRange), static_cast<QWidget *>(ui->CBResult),
                       static_cast<QWidget *>(ui->CBMagnify), static_cast<QWidget *>(ui->editPly)})
        w->installEventFilter(this);

    applyButtonTheme();

    // Hooks through which the widgets and dialogs below this one call back.
    gUpdateWaveHook = [this](bool isWave, bool isSeg, bool isRepaint) { updateWave(isWave, isSeg, isRepaint); };
    gRangeUnitText = [this]() { return ui->label_Range->text().right(5); };
    SetupHooks::setupPaceTimer = [this]() { SetupPaceTimer(); };
    gMainDlgHooks.openFileForReview = [this](const QString &path) { OpenFileForReview(path); };
    gMainDlgHooks.closeReviewedFile = [this]() { CloseReviewedFile(); };
    gMainDlgHooks.openFilePath = [this]() { return m_strOpenFile; };
    gMainDlgHooks.restartAcquisition = [this]() { RestartAcquisition(); };
    gMainDlgHooks.resetTest = [this]() { ResetTest(); };
    gMainDlgHooks.restoreSetupAndRestart = [this]() { RestoreSetupAndRestart(); };
    gMainDlgHooks.pauseAcquisition = [this]() { m_pQueryThread->pause(); };
    gMainDlgHooks.resumeAcquisition = [this]() { m_pQueryThread->resume(); };
    gMainDlgHooks.stopAcquisition = [this]() { m_pQueryThread->stop(); };

    initCombos();

    CAppModel *model = CAppModel::instance();
    connect(model->link(), &CWinchCtrl::StateChanged, this, &CDlgMain::WinchStateChanged);
    connect(model->link(), &CWinchCtrl::ConnectStateChanged, this, &CDlgMain::WinchConnectStateChanged);
    refreshWinchDisplay();
}

CDlgMain::~CDlgMain()
{
    if (gMainDlg == this)
        gMainDlg = nullptr;
    gUpdateWaveHook = nullptr;
    gRangeUnitText = nullptr;
    SetupHooks::setupPaceTimer = nullptr;
    gMainDlgHooks = CMainDlgHooks();
    if (m_pQueryThread) {
        m_pQueryThread->stop();
        m_pQueryThread->resume();
        m_pQueryThread->wait();
        // Its destructor reports once more; this dialog no longer listens.
        m_pQueryThread->disconnect(this);
        delete m_pQueryThread;
        m_pQueryThread = nullptr;
    }
    delete ui;
}

// ---------------------------------------------------------------- helpers

bool CDlgMain::askQuestion(const QString &text)
{
    CDlgMsgQuestion q(text, false, this);
    return q.exec() == QDialog::Accepted;
}

void CDlgMain::showMessage(const QString &text)
{
    CDlgMsgBox box(text, false, this);
    box.exec();
}

bool CDlgMain::sendOperationOrWarn()
{
    if (sendOperation())
        return true;
    showMessage(tr("发送操作命令失败！"));
    return false;
}

void CDlgMain::refreshButtons()
{
    SetBtnEnableByState(curState);
    SetBtnTextByState(curState);
}

// ---------------------------------------------------------------- buttons by state

void CDlgMain::SetBtnEnable(bool BtnSet, bool BtnSample, bool BtnSave, bool, bool, bool, bool, bool, bool, bool,
                            bool BtnFile, bool BtnMove)
{
    ui->BtnSet->setEnabled(BtnSet);
    ui->BtnSample->setEnabled(BtnSample);
    ui->BtnNew->setEnabled(BtnSave);
    ui->BtnFile->setEnabled(BtnFile);
    ui->BtnQuit->setEnabled(BtnFile);
    ui->BtnMove->setEnabled(BtnMove);
    m_bBtnStateBusy = false;
    ui->Btnjudge->setEnabled(judgeEnabled(m_bReviewMode, curState));
}

void CDlgMain::SetBtnEnableByState(uint word)
{
    if (m_bBtnStateBusy)
        return;
    m_bBtnStateBusy = true;
    MainButtonEnable e;
    if (!mainButtonEnableForState(word, &e)) {
        m_bBtnStateBusy = false;
        return;
    }
    const bool paused = (word & AcqState::SubPaused) != 0;
    const bool raisingPaused = AcqState::code(word) == AcqState::Raising && paused;
    SetBtnEnable(e.set, e.sample, e.newTest, raisingPaused, false, false, raisingPaused, raisingPaused, false,
                 false, e.fileAndQuit, e.move);
}

void CDlgMain::SetBtnTextByState(uint word)
{
    const MainButtonTexts t = mainButtonTextsForState(word);
    if (t.newTest)
        ui->BtnNew->setText(tr(t.newTest));
    if (t.sample)
        ui->BtnSample->setText(tr(t.sample));
    if (t.move)
        ui->BtnMove->setText(tr(t.move));
}

// ---------------------------------------------------------------- sample button

void CDlgMain::on_BtnSample_clicked()
{
    m_bReviewMode = false;
    const SampleButtonStep step = sampleButtonStep(curState);
    switch (step.kind) {
    case SampleButtonStep::Nothing:
        return;
    case SampleButtonStep::CloseFile:
        closeReviewedFileNow();
        return;
    case SampleButtonStep::ChangeState:
        break;
    }
    if (step.sendOperation && !sendOperationOrWarn())
        return;
    if (step.startsReading) {
        prepareAcquisitionParams();
        samples.clear();
    }
    setState(step.newState);
    switch (step.threadOp) {
    case SampleThreadOp::Start:
        refreshButtons();
        m_pQueryThread->start();
        break;
    case SampleThreadOp::Pause:
        m_pQueryThread->pause();
        refreshButtons();
        break;
    case SampleThreadOp::Resume:
        refreshButtons();
        m_pQueryThread->resume();
        break;
    case SampleThreadOp::ResumeOrStart:
        refreshButtons();
        if (m_pQueryThread->isRunning())
            m_pQueryThread->resume();
        else
            m_pQueryThread->start();
        break;
    case SampleThreadOp::None:
        refreshButtons();
        break;
    }
}

void CDlgMain::closeReviewedFileNow()
{
    m_bReviewMode = true;
    if (m_bAskBeforeClose) {
        const QString question = language == 1 ? QStringLiteral("Close File?") : tr("确定要关闭文件?");
        if (!askQuestion(question))
            return;
    }
    setState(AcqState::Idle);
    m_strOpenFile.clear();
    gCtrlInfo = gCtrlInfoBackup;
    ResetTest();
    m_bReviewMode = false;
    showSedimentPanel();
    updateWave(true, true, false);
    resetHeight();
}

void CDlgMain::CloseReviewedFile()
{
    if (ui->BtnSample->text() != tr("关闭文件"))
        return;
    m_bAskBeforeClose = false;
    on_BtnSample_clicked();
    m_bAskBeforeClose = true;
}

// ---------------------------------------------------------------- set-up

void CDlgMain::on_BtnSet_clicked()
{
    CDlgSet dlg(this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    ResetTest();
    prepareAcquisitionParams();
    updateWave(true, true, false);
    gCtrlInfoBackup = gCtrlInfo;
    saveTestParams(gCtrlInfo);
    setupScreenSaver();
}

void CDlgMain::SetupPaceTimer()
{
    delete m_pPaceTimer;
    m_pPaceTimer = nullptr;
    const PaceSetup pace = paceSetupForMode(gCtrlInfo.sampleMode, gCtrlInfo.moveDistance);
    gCtrlInfo.deviceChannel = pace.deviceChannel;
    ui->BtnMove->setVisible(pace.moveVisible);
    if (pace.intervalMs > 0) {
        m_pPaceTimer = new QTimer(this);
        m_pPaceTimer->setInterval(pace.intervalMs);
        connect(m_pPaceTimer, &QTimer::timeout, this, &CDlgMain::UpdateTime);
        m_pPaceTimer->start();
    }
}

void CDlgMain::UpdateTime()
{
    const uint32_t word = curState;
    if (AcqState::code(word) != AcqState::Raising || (word & 0xFFFFu) == AcqState::SubPaused)
        return;
    if (paceTickMoves(m_nPaceTicks))
        on_BtnMove_clicked();
}

// ---------------------------------------------------------------- new test and test complete

bool CDlgMain::confirmHoleNumber()
{
    if (gCtrlInfo.lastHoleNo.get() != gCtrlInfo.holeNo.get())
        return true;
    return askQuestion(tr("您当前实验的桩号没有修改，是否继续该实验？"));
}

bool CDlgMain::askHoleFileName(QString *name)
{
    const QString projectDir = gCtrlInfo.dataDir.get() + QLatin1Char('/') + gCtrlInfo.projectPath.get();
    const QStringList existing = QDir(projectDir).entryList({QStringLiteral("*.") + fileExt}, QDir::Files);
    // A hole tested before gets its next test's name (Z17-2, Z17-3, ...).
    QString proposal = nextFreeTestName(gCtrlInfo.holeNo.get(), existing);
    // Each refusal needs the operator to type again, so the loop ends with
    // the operator; the bound only keeps a broken keyboard from spinning.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        keyboard kb(proposal, QString(), nullptr);
        kb.SetLangSwitchEnabled(false);
        if (kb.exec() != QDialog::Accepted)
            return false;
        const QString typed = kb.GetText();
        if (!isUsableFileName(typed)) {
            showMessage(tr("文件名无效，请重新输入！"));
            proposal = typed;
            continue;
        }
        const QString path = gCtrlInfo.dataDir.get() + QLatin1Char('/') + gCtrlInfo.projectPath.get()
                             + QLatin1Char('/') + typed + tr(".") + fileExt;
        if (QFileInfo::exists(path)) {
            showMessage(tr("文件已存在，请重新输入！"));
            proposal = nextFreeTestName(typed, existing);
            continue;
        }
        gCtrlInfo.acceptance.sequence = testSequenceOf(typed, gCtrlInfo.holeNo.get());
        gCtrlInfo.curHoleName = typed;
        gCtrlInfo.filePath = path;
        if (gCtrlInfo.slowPoll)
            qDebug() << QStringLiteral("dlgFileName文件名（%1）!").arg(typed);
        *name = typed;
        return true;
    }
    return false;
}

void CDlgMain::createDataFolders()
{
    const QString dataDir = gCtrlInfo.dataDir;
    if (!QFileInfo(dataDir).isDir())
        QDir().mkdir(dataDir);
    // An unsafe project folder gets no folder; the save then refuses it.
    const QString project = projectFolderPath(dataDir, gCtrlInfo.projectPath.get());
    if (!project.isEmpty() && !QFileInfo(project).isDir())
        QDir().mkdir(project);
}

void CDlgMain::beginNamedTest(uint32_t newState)
{
    createDataFolders();
    setState(newState);
    reinitDevice = 1;
    CAppModel::instance()->requestClear();
}

void CDlgMain::on_BtnNew_clicked()
{
    needZeroHeight = 1;
    needStepHeight = 1;
    const uint32_t entry = curState;
    const uint32_t code = AcqState::code(entry);
    QString name;
    if (code == AcqState::Idle) {
        if (!confirmHoleNumber())
            return;
        on_BtnSample_clicked();
        // The device refused to start reading (the operator has been told):
        // no test can be named.
        if (AcqState::code(curState) != AcqState::Reading)
            return;
        on_BtnSample_clicked();
        prepareAcquisitionParams();
        if (!askHoleFileName(&name))
            return;
        beginNamedTest(AcqState::AtBottom | (entry & 0xFFFFu));
        on_BtnSample_clicked();
        m_nPaceTicks = 0;
        samples.clear();
    } else if (code == AcqState::Reading && (entry & 0xFFFFu) == 0) {
        m_pQueryThread->pause();
        if (!confirmHoleNumber())
            return;
        if (!askHoleFileName(&name)) {
            m_pQueryThread->resume();
            return;
        }
        beginNamedTest(AcqState::AtBottom);
        m_nPaceTicks = 0;
        m_pQueryThread->start();
    } else if (code == AcqState::Reading && (entry & 0xFFFFu) == AcqState::SubPaused) {
        if (!confirmHoleNumber())
            return;
        if (!askHoleFileName(&name))
            return;
        beginNamedTest(AcqState::AtBottom | AcqState::SubPaused);
        m_nPaceTicks = 0;
    } else if (code == AcqState::Raising) {
        finishTestByOperator();
    }
    refreshButtons();
}

void CDlgMain::finishTestByOperator()
{
    if (SampleModes::isPaced(gCtrlInfo.sampleMode) && ui->BtnSample->text() == tr("暂停"))
        on_BtnSample_clicked();
    recordEnabled = 0;
    m_pQueryThread->pause();
    updateWave(true, true, false);
    if (m_bSaveDlgOpen)
        return;
    m_bSaveDlgOpen = true;
    CDlgSaveMsg dlg(this);
    dlg.allowReturn = 1;
    dlg.Prepare();
    dlg.exec();
    if (!dlg.returnedToTest) {
        m_pQueryThread->stop();
        resetHeight();
        updateWave(true, true, false);
    }
    m_bSaveDlgOpen = false;
}

void CDlgMain::OnQueryThreadFinish(int type)
{
    m_pQueryThread->stop();
    updateWave(true, true, false);
    CDlgSaveMsg dlg(this);
    dlg.allowReturn = type == 1 ? 1 : 0;
    dlg.Prepare();
    dlg.exec();
    resetHeight();
}

// ---------------------------------------------------------------- move and leak points

void CDlgMain::on_BtnMove_clicked()
{
    if (ui->BtnMove->text() == tr("重采")) {
        const int32_t offer = resampleOfferCm(gCtrlInfo.maxDepth, gCtrlInfo.moveDistance, getHeight());
        CDlgReSample dlg(offer, offer, this);
        if (dlg.exec() != QDialog::Accepted)
            return;
        setHeight(heightForDepthCm(gCtrlInfo.maxDepth, dlg.m_nReDepth));
        on_BtnSample_clicked();
        return;
    }
    addHeight(gCtrlInfo.moveDistance);
}

void CDlgMain::OnHandleLeakPoint(int curHeight, int leakHeight)
{
    if (SampleModes::isManual(gCtrlInfo.sampleMode)) {
        on_BtnSample_clicked();
        showMessage(manualLeakMessage(gCtrlInfo.holeDepth, curHeight, leakHeight));
        const LeakResample range = leakResampleRange(gCtrlInfo.holeDepth, leakHeight, gCtrlInfo.moveDistance);
        CDlgReSample dlg(range.minDepthCm, range.initialDepthCm, this);
        if (dlg.exec() != QDialog::Accepted)
            return;
        setHeight(heightForDepthCm(gCtrlInfo.maxDepth, dlg.m_nReDepth));
        on_BtnSample_clicked();
        return;
    }
    m_dlgLeak->SetHeights(curHeight, leakHeight);
    if (!m_dlgLeak->m_bShown) {
        m_dlgLeak->m_bShown = true;
        m_dlgLeak->exec();
    }
}

void CDlgMain::OnCurHeight(int curHeight, int leakHeight)
{
    const uint32_t word = curState;
    if (AcqState::code(word) == AcqState::Raising && (word & 0xFu) == AcqState::SubLeakPending)
        m_dlgLeak->SetHeights(curHeight, leakHeight);
}

void CDlgMain::OnLeakOver() { m_dlgLeak->Close(); }

void CDlgMain::pauseFromLeakNotice()
{
    // The same pause as the sample button's: the thread's pause request ends
    // the notice, and the operator finishes the test or resamples.
    const uint32_t word = curState;
    if (AcqState::code(word) == AcqState::Raising && (word & AcqState::SubPaused) == 0)
        on_BtnSample_clicked();
    if (m_dlgLeak->m_bShown || m_dlgLeak->isVisible())
        m_dlgLeak->Close();
}

// ---------------------------------------------------------------- file, info, quit

void CDlgMain::on_BtnFile_clicked()
{
    CDlgExportFile dlg(this);
    dlg.exec();
}

void CDlgMain::on_BtnInfo_clicked()
{
    const QString fileName = gCtrlInfo.curHoleName.isEmpty() ? gCtrlInfo.holeNo.get() : gCtrlInfo.curHoleName.get();
    // One multi-argument substitution: a "%2" typed into a project name must
    // stay as typed.
    const QString text = tr("  工程名称:%1\n  文件名:%2\n  孔号:%3\n  孔深(m):%4\n  孔径(mm):%5\n  测试日期:%6")
                             .arg(gCtrlInfo.projectName.get(), fileName, gCtrlInfo.holeNo.get(),
                                  QString::number(gCtrlInfo.maxDepth / 1000.0, 'f', 2),
                                  QString::number(int32_t(gCtrlInfo.holeDiameter)), gCtrlInfo.testDate.get());
    CDlgInfo dlg(text, this);
    dlg.exec();
}

void CDlgMain::on_BtnQuit_clicked()
{
    CAppModel::instance()->saveControlParams();
    if (!askQuestion(tr("确定要退出吗?")))
        return;
    m_pQueryThread->stop();
    const bool ended = m_pQueryThread->wait(500);
    if (m_quitAction) {
        m_quitAction();
        return;
    }
    if (!ended)
        std::_Exit(0); // a stuck acquisition must not keep the instrument from quitting
    done(QDialog::Accepted);
}

// ---------------------------------------------------------------- judge and sediment panel

void CDlgMain::on_Btnjudge_clicked()
{
    if (!markSedimentPosition())
        return;
    applyVerdict(gCtrlInfo, CPileLimits::instrument());
    showSedimentPanel();
    if (m_bReviewMode)
        rewriteReviewedFileWithReport();
}

void CDlgMain::rewriteReviewedFileWithReport()
{
    if (rewriteReviewedFile())
        updateHoleReport(gCtrlInfo.filePath.get()); // the report follows the judgement
    else
        showMessage(tr("文件保存失败！"));
}

void CDlgMain::enterSedimentThickness()
{
    setFocus(Qt::OtherFocusReason);
    CDlgNumKey dlg(tr("沉渣厚度(cm)"), ui->editPly->text(), 0, 0, nullptr);
    dlg.SetDotSignEnabled(false, false);
    if (dlg.exec() != QDialog::Accepted)
        return;
    const QString text = wholeNumberText(dlg.m_fValue);
    ui->editPly->setText(text);
    const int32_t value = text.toInt();
    gCtrlInfo.sedimentThickness = value;
    gCtrlInfoBackup.sedimentThickness = value;
    for (CtrlInfo *record : {&gCtrlInfo, &gCtrlInfoBackup})
        applyVerdict(*record, CPileLimits::instrument());
    showSedimentPanel();
}

void CDlgMain::chooseHoleQuality()
{
    setFocus(Qt::OtherFocusReason);
    CDlgSelKey dlg(this);
    dlg.m_strTitle = tr("成孔质量");
    dlg.m_strItem[0] = tr("合格");
    dlg.m_strItem[1] = tr("不合格");
    dlg.UpdateButtons();
    if (dlg.exec() != QDialog::Accepted)
        return;
    const QString chosen = dlg.m_strSelected;
    ui->CBResult->setCurrentIndex(ui->CBResult->findText(chosen, Qt::MatchExactly));
    int32_t quality = gCtrlInfo.holeQuality;
    if (chosen == tr("合格"))
        quality = 0;
    else if (chosen == tr("不合格"))
        quality = 1;
    // Recorded as an override when it goes against the verdict.
    ::chooseHoleQuality(gCtrlInfo, quality);
    ::chooseHoleQuality(gCtrlInfoBackup, quality);
    showSedimentPanel();
    // A reviewed file keeps the override with its verdict at once.
    if (m_bReviewMode && gCtrlInfo.acceptance.judged())
        rewriteReviewedFileWithReport();
}

QString CDlgMain::chooseFrom(const QString &title, const QStringList &items)
{
    setFocus(Qt::OtherFocusReason);
    CDlgSelKey dlg(this);
    dlg.m_strTitle = title;
    for (int i = 0; i < items.size() && i < 15; ++i)
        dlg.m_strItem[i] = tr(items.at(i).toUtf8().constData());
    dlg.UpdateButtons();
    if (dlg.exec() != QDialog::Accepted)
        return QString();
    return dlg.m_strSelected;
}

void CDlgMain::chooseCurveRange()
{
    const QString chosen = chooseFrom(tr("量程") + ui->label_Range->text().right(5), curveRangeChoices());
    if (chosen.isEmpty())
        return;
    ui->CBRange->setCurrentIndex(ui->CBRange->findText(chosen, Qt::MatchExactly));
    gCtrlInfo.curveRange = chosen.toInt();
    gCtrlInfoBackup.curveRange = chosen.toInt();
    updateWave(true, false, false);
}

void CDlgMain::chooseCurveMagnify()
{
    const QString chosen = chooseFrom(tr("图形放大(%)"), curveMagnifyItems());
    if (chosen.isEmpty())
        return;
    ui->CBMagnify->setCurrentIndex(ui->CBMagnify->findText(chosen, Qt::MatchExactly));
    gCtrlInfo.curveMagnify = chosen.toInt();
    gCtrlInfoBackup.curveMagnify = chosen.toInt();
    updateWave(true, false, false);
}

bool CDlgMain::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == ui->editPly && type == QEvent::FocusIn) {
        enterSedimentThickness();
        return true;
    }
    const bool combo = watched == ui->CBRange || watched == ui->CBResult || watched == ui->CBMagnify;
    if (combo && type == QEvent::MouseButtonPress) {
        if (watched == ui->CBResult)
            chooseHoleQuality();
        else if (watched == ui->CBRange)
            chooseCurveRange();
        else if (ui->CBMagnify->isEnabled())
            chooseCurveMagnify();
        return true;
    }
    // The combos only display their value: no list, no wheel, no keys.
    if (combo && (type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick
                  || type == QEvent::Wheel || type == QEvent::KeyPress))
        return true;
    return QDialog::eventFilter(watched, event);
}

void CDlgMain::showSedimentPanel()
{
    ui->CBRange->setCurrentIndex(
        ui->CBRange->findText(QString::number(int32_t(gCtrlInfo.curveRange)), Qt::MatchExactly));
    ui->CBResult->setCurrentIndex(gCtrlInfo.holeQuality);
    ui->CBMagnify->setCurrentIndex(
        ui->CBMagnify->findText(QString::number(int32_t(gCtrlInfo.curveMagnify)), Qt::MatchExactly));
    ui->editPly->setText(QString::number(int32_t(gCtrlInfo.sedimentThickness)));
    // Under the curve, where the line has the width it needs.
    const QString verdict = verdictPanelText(gCtrlInfo, samples.snapshot());
    ui->labelVerdict->setText(verdict);
    if (ui->labelVerdict->isVisibleTo(this) != !verdict.isEmpty()) {
        ui->labelVerdict->setVisible(!verdict.isEmpty());
        // The curve takes the height the line leaves (or gives back).
        layout()->activate();
        updateWave(true, false, false);
    }
}

void CDlgMain::initCombos()
{
    ui->CBRange->clear();
    for (const QString &item : curveRangeItems())
        ui->CBRange->addItem(tr(item.toUtf8().constData()));
    ui->CBResult->clear();
    for (const QString &item : holeQualityItems())
        ui->CBResult->addItem(tr(item.toUtf8().constData()));
    ui->CBMagnify->clear();
    for (const QString &item : curveMagnifyItems())
        ui->CBMagnify->addItem(tr(item.toUtf8().constData()));
    if (!samples.isEmpty())
        gCtrlInfo.curveRange = adaptedCurveRange(gCtrlInfo.curveRange, largestResistivity());
    showSedimentPanel();
    updateWave(true, true, true);
}

// ---------------------------------------------------------------- refresh

void CDlgMain::updateWave(bool isWave, bool isSeg)
{
    m_bPendingWave = m_bPendingWave || isWave;
    m_bPendingSeg = m_bPendingSeg || isSeg;
    if (!m_pRefreshTimer->isActive())
        m_pRefreshTimer->start();
}

void CDlgMain::flushPendingRefresh()
{
    const bool wave = m_bPendingWave;
    const bool seg = m_bPendingSeg;
    m_bPendingWave = m_bPendingSeg = false;
    updateWave(wave, seg, false);
}

void CDlgMain::updateWave(bool isWave, bool isSeg, bool isRepaint)
{
    // A hidden screen is brought up to date when it is shown again.
    if (!isVisible() && (isWave || isSeg))
        m_bStaleWhileHidden = true;
    if (isWave) {
        const QSize area = ui->scrollArea->size() - QSize(4, 4);
        const int magnify = gCtrlInfo.curveMagnify;
        ui->wavePic->setFixedSize(std::max(1, area.width() * magnify / 100),
                                  std::max(1, area.height() * magnify / 100));
        if (isVisible()) {
            ++m_nCurveRefreshes;
            if (isRepaint)
                ui->wavePic->repaint();
            else
                ui->wavePic->update();
        }
    }
    if (isSeg && isVisible()) {
        FillTable(ui->table);
        ++m_nTableFills;
        if (isRepaint)
            ui->table->repaint();
        else
            ui->table->update();
    }
    Sample s;
    const bool valid = samples.at(curSampleIndex, &s);
    ui->label_curDepth->setText(QString::number((valid ? s.depth : int32_t(gCtrlInfo.maxDepth)) / 1000.0, 'f', 2));
    ui->label_resistivity->setText(valid ? QString::number(double(s.resistivity), 'f', 4) : QStringLiteral("0.00"));
}

void CDlgMain::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (m_bStaleWhileHidden) {
        m_bStaleWhileHidden = false;
        updateWave(true, true, false);
    }
}

void CDlgMain::resizeEvent(QResizeEvent *e)
{
    QDialog::resizeEvent(e);
    updateWave(true, true, true);
}

bool CDlgMain::event(QEvent *e)
{
    if (e->type() == kRaiseBeganEvent) {
        SetBtnEnableByState(curState);
        return true;
    }
    if (e->type() == kSaveDoneEvent) {
        updateWave(true, true, false);
        return true;
    }
    return QDialog::event(e);
}

// ---------------------------------------------------------------- table clicks

void CDlgMain::OnSetMouseClick(int iRow, int iCol, QString str, int iMouseClickType)
{
    pickX = -2;
    pickY = -2;
    const int count = samples.size();
    if (iRow < 1 || iRow > count)
        return;
    if (iMouseClickType == 2) {
        curSampleIndex = iRow - 1;
        updateWave(true, false, false);
    } else if (iMouseClickType == 4 && m_bReviewMode && iCol == 2) {
        editResistivity(iRow, str);
    }
}

void CDlgMain::editResistivity(int iRow, const QString &str)
{
    curSampleIndex = iRow - 1;
    ui->wavePic->update();
    Sample s;
    if (!samples.at(iRow - 1, &s))
        return;
    const QString name = tr("深度%1m处的电阻率").arg(s.depth / 1000.0, 0, 'f', 3) + ui->label_Range->text().right(5);
    CDlgNumKey dlg(name, str, 0, 0, nullptr);
    dlg.SetDotSignEnabled(true, false);
    if (dlg.exec() != QDialog::Accepted)
        return;
    if (dlg.m_fValue < 0) {
        showMessage(tr("输入无效！大于或等于零的值！"));
        return;
    }
    curSampleIndex = iRow - 1;
    samples.editResistivity(dlg.m_fValue);
    updateWave(true, true, false);
}

// ---------------------------------------------------------------- timers

void CDlgMain::UpdateBattery()
{
    const int32_t level = batteryLevel();
    gBatteryLevel = level;
    ui->batteryLevel->setValue(std::min(10, std::max(0, int(level))));
}

void CDlgMain::setupScreenSaver()
{
    m_nIdleSeconds = 0;
    setBrightness(uint16_t(int32_t(gCtrlInfo.brightness)));
    delete m_pScreenTimer;
    m_pScreenTimer = nullptr;
    if (gCtrlInfo.screensaverSeconds > 0) {
        m_pScreenTimer = new QTimer(this);
        m_pScreenTimer->setInterval(1000);
        connect(m_pScreenTimer, &QTimer::timeout, this, &CDlgMain::onScreenTimer);
        m_pScreenTimer->start();
    }
}

void CDlgMain::onScreenTimer()
{
    const QPoint p = QCursor::pos();
    if (p != m_lastCursorPos) {
        m_lastCursorPos = p;
        m_nIdleSeconds = 0;
        setBrightness(uint16_t(int32_t(gCtrlInfo.brightness)));
        return;
    }
    const int32_t level = screenSaverIdleTick(m_nIdleSeconds, gCtrlInfo.screensaverSeconds, gCtrlInfo.brightness);
    if (level >= 0)
        setBrightness(uint16_t(level));
}

// ---------------------------------------------------------------- winch display

void CDlgMain::WinchConnectStateChanged() { refreshWinchDisplay(); }

void CDlgMain::WinchStateChanged()
{
    if (CAppModel::instance()->update())
        refreshWinchDisplay();
}

// The link display is refreshed with every changed winch report (twenty a
// second while raising); setting even the same style sheet again restyles
// the label and its parent's layout each time.
static void setStyleSheetIfChanged(QWidget *w, const QString &sheet)
{
    if (w->styleSheet() != sheet)
        w->setStyleSheet(sheet);
}

void CDlgMain::refreshWinchDisplay()
{
    CAppModel *model = CAppModel::instance();
    if (model->isLinkConnected()) {
        setStyleSheetIfChanged(ui->strWinchLinkState, QStringLiteral(
            "padding: 5px;border-radius:4px;font: bold 18px;background-color:#47A3F8;color:white;"));
        ui->strWinchLinkState->setText(tr("已连接"));
        ui->fResistivity->setText(QString::number(double(model->currentValue.load()), 'f', 4));
    } else {
        setStyleSheetIfChanged(ui->strWinchLinkState, QStringLiteral(
            "padding: 5px;border-radius:4px;font: bold 18px;background-color:rgb(235,84,81);color:white;"));
        ui->strWinchLinkState->setText(tr("已断开"));
        ui->fResistivity->setText(QStringLiteral("0.0000"));
    }
    if (model->debugDisplay) {
        ui->strWinchDistance->setText(tr("线缆长度:%1m").arg(double(model->lastWinchHeightM), 0, 'f', 2)
                                      + tr("  编码器值:%1").arg(model->lastPulseCount));
    }
}

// ---------------------------------------------------------------- test lifecycle

void CDlgMain::ResetTest()
{
    samples.clear();
    if (curState != AcqState::FileShown)
        setState(AcqState::Idle | AcqState::SubPaused);
    resetHeight();
    refreshButtons();
    reinitDevice = 1;
    finishSent = 0;
    endReached = 0;
    recordEnabled = 1;
    needZeroHeight = 1;
    needStepHeight = 1;
}

void CDlgMain::RestartAcquisition()
{
    setState(AcqState::Idle);
    m_pQueryThread->resume();
    m_pQueryThread->stop();
    m_pQueryThread->start();
}

void CDlgMain::RestoreSetupAndRestart()
{
    RestartAcquisition();
    m_pQueryThread->pause();
    gCtrlInfo = gCtrlInfoBackup;
    ResetTest();
    updateWave(true, true, false);
    resetHeight();
}

void CDlgMain::OpenFileForReview(const QString &path)
{
    if (path.isEmpty())
        return;
    const uint32_t previousState = curState;
    const QString previousOpenFile = m_strOpenFile;
    const QString previousFilePath = gCtrlInfo.filePath;
    const bool firstReview = ui->BtnSample->text() != tr("关闭文件");
    m_strOpenFile = path;
    if (firstReview)
        gCtrlInfoBackup = gCtrlInfo;
    setState(AcqState::FileShown);
    gCtrlInfo.filePath = path;

    HoleLoadOptions options;
    options.beforeSamples = [this]() { ResetTest(); };
    options.processEvents = true;
    const HoleLoadResult result = loadHoleFile(path, gCtrlInfo, options);
    if (!result.headerAccepted()) {
        // Nothing was read: stay on what was shown before, so that a judge
        // cannot write the current samples into the refused file.
        setState(previousState);
        m_strOpenFile = previousOpenFile;
        gCtrlInfo.filePath = previousFilePath;
        showMessage(tr("文件打开失败！"));
        return;
    }

    gCtrlInfo.curHoleName = reviewedHoleName(path);
    for (int i = 0; i < 7; ++i)
        gCtrlInfo.colors[i] = gCtrlInfoBackup.colors[i];
    gCtrlInfo.spareValue1 = gCtrlInfoBackup.spareValue1;
    gCtrlInfo.spareValue2 = gCtrlInfoBackup.spareValue2;

    m_bReviewMode = true;
    initCombos();
    SetBtnEnable(false, true, false, true, false, false, true, true, true, true, true, false);
    ui->BtnSample->setText(tr("关闭文件"));
}

// ---------------------------------------------------------------- theme

void CDlgMain::applyButtonTheme()
{
    ui->table->SetHeaderFont(18);
    if (::style != 0) {
        const QString colour = ::style == 1 ? QStringLiteral("white") : QStringLiteral("blue");
        for (QPushButton *b : {ui->BtnMove, ui->BtnSet, ui->BtnSample, ui->BtnNew, ui->BtnFile, ui->BtnInfo}) {
            b->setIcon(QIcon(QStringLiteral(":/btn-icon/ui-images/btn/") + b->objectName() + QLatin1Char('-')
                             + colour + QStringLiteral(".png")));
        }
        ui->BtnQuit->setIcon(
            QIcon(QStringLiteral(":/btn-icon/ui-images/btn/BtnBack-") + colour + QStringLiteral(".png")));
    } else {
        ui->table->SetHeaderBackground(QColor(71, 163, 248));
        ui->table->SetHeaderTextColor(Qt::white);
        ui->table->SetGridColor(QColor(201, 201, 201));
    }
}
