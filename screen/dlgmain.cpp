#include "dlgmain.h"
#include "curve.h"
#include "verdictpanel.h"

#include "ui_dlgmain.h"

#include "batterydisplay.h"
#include "commandbuttons.h"
#include "linkdisplay.h"
#include "mainrules.h"
#include "mainstate.h"
#include "screensaver.h"
#include "testsession.h"

#include "batteryconfig.h"
#include "commonutils.h"
#include "ctrlinfo.h"
#include "recordstyle.h"
#include "sysconfig.h"
#include "testrecord.h"

#include "appmodel.h"
#include "device.h"
#include "querythread.h"

#include "prompts.h"
#include "titlestrip.h"
#include "cdlgnumkey.h"
#include "keyboard.h"

#include "cdlgleak.h"
#include "cdlgresample.h"
#include "cdlgset.h"

#include "cdlgexportfile.h"
#include "cdlgsavemsg.h"

#include "dlginfo.h"
#include "mytable.h"
#include "showwavepic.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <cstdlib>


namespace {
const char *kVersion = "2.0.230308";
}

CDlgMain::CDlgMain(QWidget *parent)
    : QDialog(parent), ui(new Ui::Dialog), m_dlgLeak(std::make_unique<CDlgLeak>(nullptr))
{
    ui->setupUi(this);
    QKRVCommomUtils::loadCommonStyleSheet(this);
    QString sheet;
    QKRVCommomUtils::loadStyleSheet(this, sheet);
    // The notice is a window of its own (it stays up over any dialog), so the
    // theme does not reach it through a parent.
    QKRVCommomUtils::loadCommonStyleSheet(m_dlgLeak.get());
    loadBatteryConfig();

    setWindowTitle(tr(" KRV-ZPV[W]-无线电阻率沉渣采集软件") + QStringLiteral("-V") + QLatin1String(kVersion));
    setWindowFlags(Qt::Dialog | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    setGeometry(0, titleBar + 10, avail.width(), avail.height() - (titleBar + 10));
    setFixedSize(avail.width(), avail.height() - (titleBar + 10));

    ui->label_curDataInfo->hide();
    ui->label_upload_msg->hide();
    ui->scrollArea->installEventFilter(this);

    m_session = std::make_unique<CTestSession>();
    CTestSession *s = m_session.get();
    if ((screen && screen->geometry().width() <= 1000) || QKRVCommomUtils::isSmallScreen())
        s->useSmallScreen();
    connect(s, &CTestSession::stateChanged, this, &CDlgMain::refreshButtons);
    connect(s, &CTestSession::samplesChanged, this, QOverload<bool, bool>::of(&CDlgMain::updateWave));
    connect(s, &CTestSession::recordChanged, this, [this] {
        updateWave(true, true, false);
        showTitleStrip();
    });
    connect(s, &CTestSession::judgementChanged, this, &CDlgMain::showTitleStrip);
    connect(s, &CTestSession::reviewChanged, this, &CDlgMain::onReviewChanged);
    connect(s, &CTestSession::previousTestChanged, this, &CDlgMain::showPreviousTest);
    connect(ui->BtnOverlay, &QPushButton::toggled, s, &CTestSession::setPreviousShown);
    connect(s, &CTestSession::reviewFailed, this, [this] { showMessage(tr("文件打开失败！")); });
    connect(s, &CTestSession::samplingModeChanged, this, [this] { ui->BtnMove->setVisible(m_session->moveByHand()); });
    connect(s, &CTestSession::linkChanged, this, &CDlgMain::WinchConnectStateChanged);
    connect(s, &CTestSession::leakPoint, this, &CDlgMain::OnHandleLeakPoint);
    connect(s, &CTestSession::leakHeight, this, &CDlgMain::OnCurHeight);
    connect(s, &CTestSession::leakOver, this, &CDlgMain::OnLeakOver);
    connect(s, &CTestSession::testEnded, this, &CDlgMain::OnQueryThreadFinish);
    connect(m_dlgLeak.get(), &CDlgLeak::pauseRequested, this, &CDlgMain::pauseFromLeakNotice);
    connect(ui->table, &CMyTable::SetMouseClick, this, &CDlgMain::OnSetMouseClick);
    connect(ui->wavePic, &CShowWavePic::samplePicked, this, &CDlgMain::onSamplePicked);
    ui->wavePic->picture().setSource(&s->samples(), &s->record());
    connect(ui->groupBox_3, &CSedimentPanel::curveChanged, this, [this] { updateWave(true, false, false); });
    connect(ui->groupBox_3, &CSedimentPanel::judgementShown, this, &CDlgMain::showVerdictLine);

    m_pRefreshTimer = new QTimer(this);
    m_pRefreshTimer->setSingleShot(true);
    m_pRefreshTimer->setInterval(kRefreshMergeMs);
    connect(m_pRefreshTimer, &QTimer::timeout, this, &CDlgMain::flushPendingRefresh);

    s->begin();
    m_dlgLeak->setFont(recordFont(s->record(), 2));
    m_screenSaver = new CScreenSaver(this);
    m_screenSaver->setUp(s->record().brightness, s->record().screensaverSeconds);
    refreshButtons();

    m_battery = new CBatteryDisplay(ui->batteryLevel, this);
    m_link = std::make_unique<CLinkDisplay>(ui->strWinchLinkState, ui->fResistivity, ui->strWinchDistance);
    setBrightness(uint16_t(int32_t(m_session->record().brightness)));
    ui->groupBox_3->setUp(s);
    applyCommandButtonTheme({ui->BtnMove, ui->BtnSet, ui->BtnSample, ui->BtnNew, ui->BtnFile, ui->BtnInfo},
                            ui->BtnQuit, ui->table, ::style);
    fitCommandTexts(ui->btns_widget_1);

    ui->groupBox_3->showValues();
    showPreviousTest();
    updateWave(true, true, true);
    m_link->refresh();
    showTitleStrip();
}

CDlgMain::~CDlgMain()
{
    // The session stops the acquisition; nothing it says reaches this screen
    // any longer.
    m_session->disconnect(this);
    m_session.reset();
    delete ui;
}

void CDlgMain::OpenFileForReview(const QString &path) { m_session->openForReview(path); }
void CDlgMain::CloseReviewedFile() { m_session->closeReview(); }
void CDlgMain::SetupPaceTimer() { m_session->applySamplingMode(); }
QueryThread *CDlgMain::queryThread() const { return m_session->thread(); }
QString CDlgMain::openFile() const { return m_session->openFile(); }
bool CDlgMain::reviewMode() const { return m_session->reviewing(); }
int32_t CDlgMain::paceTicks() const { return m_session->paceTicks(); }
QTimer *CDlgMain::paceTimer() const { return m_session->paceTimer(); }
QTimer *CDlgMain::screenTimer() const { return m_screenSaver->timer(); }
int32_t CDlgMain::idleSeconds() const { return m_screenSaver->idleSeconds(); }
void CDlgMain::UpdateTime() { m_session->paceTick(); }

// ---------------------------------------------------------------- helpers

bool CDlgMain::askQuestion(const QString &text) { return Prompts::ask(text, false, this); }
void CDlgMain::showMessage(const QString &text) { Prompts::showMessage(text, this); }

void CDlgMain::tell(int outcome)
{
    if (outcome == CTestSession::DeviceRefused)
        showMessage(tr("发送操作命令失败！"));
}

// ---------------------------------------------------------------- buttons by state

void CDlgMain::refreshButtons()
{
    const uint32_t word = m_session->state();
    if (m_session->reviewing() && AcqState::code(word) == AcqState::FileShown) {
        SetBtnEnable(false, true, false, true, false, false, true, true, true, true, true, false);
        ui->BtnSample->setText(tr("关闭文件"));
        return;
    }
    SetBtnEnableByState(word);
    SetBtnTextByState(word);
}

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
    ui->Btnjudge->setEnabled(judgeEnabled(m_session->reviewing(), m_session->state()));
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

// ---------------------------------------------------------------- sample button and set-up

void CDlgMain::on_BtnSample_clicked() { pressSample(); }

void CDlgMain::pressSample()
{
    const CTestSession::Outcome outcome = m_session->sample();
    if (outcome != CTestSession::CloseFileAsked) {
        tell(outcome);
        return;
    }
    const QString question = language == 1 ? QStringLiteral("Close File?") : tr("确定要关闭文件?");
    if (!askQuestion(question))
        return;
    m_session->closeReview();
}

void CDlgMain::showTitleStrip()
{
    const QString text = titleStripText(m_session->record(), {m_session->openFile(), m_session->savedFile(), m_session->dataDir()});
    // A long name never widens the screen: the strip elides in the middle.
    ui->labelTitle->setToolTip(text);
    ui->labelTitle->setText(ui->labelTitle->fontMetrics().elidedText(text, Qt::ElideMiddle, qMax(100, width() - 20)));
}

void CDlgMain::onReviewChanged()
{
    showTitleStrip();
    ui->groupBox_3->showValues();
    if (!m_session->reviewing()) {
        updateWave(true, true, false);
        return;
    }
    updateWave(true, true, true);
    refreshButtons();
}

void CDlgMain::on_BtnSet_clicked()
{
    CDlgSet dlg(m_session.get(), this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    m_session->acceptSetup();
    updateWave(true, true, false);
    showTitleStrip();
    m_screenSaver->setUp(m_session->record().brightness, m_session->record().screensaverSeconds);
}

// ---------------------------------------------------------------- new test and test complete

bool CDlgMain::confirmHoleNumber()
{
    if (m_session->record().lastHoleNo.get() != m_session->record().holeNo.get())
        return true;
    return askQuestion(tr("您当前实验的桩号没有修改，是否继续该实验？"));
}

bool CDlgMain::askHoleFileName(QString *name)
{
    QString proposal = m_session->proposedTestName(m_session->record().holeNo.get());
    // Each refusal needs the operator to type again, so the loop ends with
    // the operator; the bound only keeps a broken keyboard from spinning.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        keyboard kb(proposal, QString(), nullptr);
        kb.SetLangSwitchEnabled(false);
        if (kb.exec() != QDialog::Accepted)
            return false;
        const QString typed = kb.GetText();
        const CTestSession::NameCheck check = m_session->takeTestName(typed);
        if (check == CTestSession::NameTaken) {
            // A name of another hole: the operator says which hole the file
            // records, so that its name and its hole number never disagree
            // unnoticed.
            const QString hole = m_session->record().holeNo.get();
            if (!m_session->nameFitsHole(typed)
                && askQuestion(tr("测试名 %1 与孔号 %2 不同。\n确定：孔号改为 %1；取消：孔号仍为 %2。").arg(typed, hole)))
                m_session->adoptHoleNumber(typed);
            *name = typed;
            return true;
        }
        showMessage(check == CTestSession::NameUnusable ? tr("文件名无效，请重新输入！") : tr("文件已存在，请重新输入！"));
        proposal = check == CTestSession::NameExists ? m_session->proposedTestName(typed) : typed;
    }
    return false;
}

bool CDlgMain::nameNewTest(int kind)
{
    const auto k = CTestSession::NewTestKind(kind);
    if (!confirmHoleNumber())
        return false;
    if (k == CTestSession::FromIdle) {
        const CTestSession::Outcome started = m_session->startReadingForName();
        tell(started);
        // Without reading (the device refused) no test can be named.
        if (started != CTestSession::Done)
            return false;
    }
    QString name;
    if (!askHoleFileName(&name)) {
        m_session->namingCancelled(k);
        return false;
    }
    tell(m_session->nameTest(k, name));
    return true;
}

void CDlgMain::on_BtnNew_clicked()
{
    const CTestSession::NewTestKind kind = m_session->newTestPressed();
    if (kind == CTestSession::FinishTest)
        finishTestByOperator();
    else if (kind != CTestSession::NoNewTest && !nameNewTest(kind))
        return;
    refreshButtons();
}

void CDlgMain::runSaveDialog(bool allowReturn)
{
    CDlgSaveMsg dlg(m_session.get(), this);
    dlg.allowReturn = allowReturn ? 1 : 0;
    dlg.Prepare();
    dlg.exec();
    if (allowReturn && !dlg.returnedToTest) {
        m_session->endAfterSaveDialog();
        updateWave(true, true, false);
    }
}

void CDlgMain::finishTestByOperator()
{
    m_session->finishByOperator();
    updateWave(true, true, false);
    if (m_bSaveDlgOpen)
        return;
    m_bSaveDlgOpen = true;
    runSaveDialog(true);
    m_bSaveDlgOpen = false;
}

void CDlgMain::OnQueryThreadFinish(int type)
{
    updateWave(true, true, false);
    CDlgSaveMsg dlg(m_session.get(), this);
    dlg.allowReturn = type == 1 ? 1 : 0;
    dlg.Prepare();
    dlg.exec();
    m_session->afterEndOfHole();
}

// ---------------------------------------------------------------- move and leak points

void CDlgMain::askResample(int32_t minDepthCm, int32_t initialDepthCm)
{
    const CtrlInfo &record = m_session->record();
    CDlgReSample dlg(minDepthCm, initialDepthCm, record.maxDepth, record.moveDistance, this);
    if (dlg.exec() == QDialog::Accepted)
        tell(m_session->resampleFrom(dlg.m_nReDepth));
}

void CDlgMain::on_BtnMove_clicked()
{
    if (!m_session->moveResamples()) {
        m_session->move();
        return;
    }
    const int32_t offer = m_session->resampleOfferCm();
    askResample(offer, offer);
}

void CDlgMain::OnHandleLeakPoint(int curHeight, int leakHeight)
{
    if (m_session->leakNeedsResample()) {
        pressSample();
        showMessage(manualLeakMessage(m_session->record().holeDepth, curHeight, leakHeight));
        const LeakResample range = leakResampleRange(m_session->record().holeDepth, leakHeight, m_session->record().moveDistance);
        askResample(range.minDepthCm, range.initialDepthCm);
        return;
    }
    m_dlgLeak->SetHeights(curHeight, leakHeight, m_session->record().holeDepth);
    if (!m_dlgLeak->m_bShown) {
        m_dlgLeak->m_bShown = true;
        m_dlgLeak->exec();
    }
}

void CDlgMain::OnCurHeight(int curHeight, int leakHeight)
{
    const uint32_t word = m_session->state();
    if (AcqState::code(word) == AcqState::Raising && (word & 0xFu) == AcqState::SubLeakPending)
        m_dlgLeak->SetHeights(curHeight, leakHeight, m_session->record().holeDepth);
}

void CDlgMain::OnLeakOver() { m_dlgLeak->Close(); }

void CDlgMain::pauseFromLeakNotice()
{
    // The same pause as the sample button's: the thread's pause request ends
    // the notice, and the operator finishes the test or resamples.
    const uint32_t word = m_session->state();
    if (AcqState::code(word) == AcqState::Raising && (word & AcqState::SubPaused) == 0)
        pressSample();
    if (m_dlgLeak->m_bShown || m_dlgLeak->isVisible())
        m_dlgLeak->Close();
}

// ---------------------------------------------------------------- file, info, quit, judge

void CDlgMain::on_BtnFile_clicked()
{
    CDlgExportFile dlg(m_session.get(), this);
    dlg.exec();
}

void CDlgMain::on_BtnInfo_clicked()
{
    const QString fileName = m_session->record().curHoleName.isEmpty() ? m_session->record().holeNo.get() : m_session->record().curHoleName.get();
    // One multi-argument substitution: a "%2" typed into a project name must
    // stay as typed.
    const QString text = tr("  工程名称:%1\n  文件名:%2\n  孔号:%3\n  孔深(m):%4\n  孔径(mm):%5\n  测试日期:%6")
                             .arg(m_session->record().projectName.get(), fileName, m_session->record().holeNo.get(),
                                  QString::number(m_session->record().maxDepth / 1000.0, 'f', 2),
                                  QString::number(int32_t(m_session->record().holeDiameter)), m_session->record().testDate.get());
    const QString device = m_session->deviceId();
    CDlgInfo dlg(device.isEmpty() ? text : text + QLatin1Char('\n') + tr("  仪器编号:%1").arg(device), this);
    dlg.exec();
}

void CDlgMain::on_BtnQuit_clicked()
{
    CAppModel::instance()->saveControlParams();
    if (m_session->hasUnsavedSamples()) {
        if (!Prompts::askCancelFirst(tr("本次测试尚未保存，退出将丢失已测数据。确定要退出吗？"), this))
            return;
    } else if (!askQuestion(tr("确定要退出吗?"))) {
        return;
    }
    const bool ended = m_session->stopAcquisition(500);
    if (m_quitAction) {
        m_quitAction();
        return;
    }
    if (!ended)
        std::_Exit(0); // a stuck acquisition must not keep the instrument from quitting
    done(QDialog::Accepted);
}

void CDlgMain::on_Btnjudge_clicked()
{
    // The sediment panel and the verdict line follow the session.
    const CTestSession::JudgeResult result = m_session->judge();
    if (result == CTestSession::NoMark)
        showMessage(tr("请先在曲线或数据表上标记沉渣面，再按判定。"));
    else if (result == CTestSession::SaveFailed)
        showMessage(tr("文件保存失败！"));
}

void CDlgMain::showVerdictLine()
{
    // Under the curve, where the line has the width it needs.
    const QString verdict = verdictPanelText(m_session->record(), m_session->samples().snapshot());
    ui->labelVerdict->setText(verdict);
    if (ui->labelVerdict->isVisibleTo(this) != !verdict.isEmpty()) {
        ui->labelVerdict->setVisible(!verdict.isEmpty());
        // The curve takes the height the line leaves (or gives back).
        layout()->activate();
        updateWave(true, false, false);
    }
}

void CDlgMain::showPreviousTest()
{
    const PreviousTest &previous = m_session->previousTest();
    const bool shown = m_session->previousShown();
    {
        const QSignalBlocker quiet(ui->BtnOverlay);
        ui->BtnOverlay->setChecked(shown);
    }
    const QString label = tr("上次测试 %1 %2").arg(previous.name, previous.testDate);
    ui->wavePic->picture().setOverlay(shown ? previous.samples : QVector<Sample>(), label);
    if (ui->BtnOverlay->isVisibleTo(this) != previous.isValid()) {
        ui->BtnOverlay->setVisible(previous.isValid());
        layout()->activate(); // the curve takes the height the row leaves
    }
    updateWave(true, false, false);
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
        const int magnify = m_session->record().curveMagnify;
        ui->wavePic->setFixedSize(std::max(1, area.width() * magnify / 100),
                                  std::max(1, area.height() * magnify / 100));
        // A press made before the first sample takes effect now.
        int picked = -1;
        if (ui->wavePic->takeWaitingPick(&picked)) {
            if (picked >= 0)
                m_session->selectSample(picked);
            m_bShowPickedRow = true;
        }
        // The curve marks what the session says is shown.
        ui->wavePic->picture().setSelected(m_session->shownSample());
        if (isVisible()) {
            ++m_nCurveRefreshes;
            if (isRepaint)
                ui->wavePic->repaint();
            else
                ui->wavePic->update();
        }
    }
    if (isSeg && isVisible()) {
        FillTable(ui->table, m_session->samples(), defaultRangeUnitText(), m_bShowPickedRow ? m_session->shownSample() : -1);
        m_bShowPickedRow = false;
        ++m_nTableFills;
        if (isRepaint)
            ui->table->repaint();
        else
            ui->table->update();
    }
    Sample s;
    const bool valid = m_session->samples().at(m_session->shownSample(), &s);
    ui->label_curDepth->setText(QString::number((valid ? s.depth : int32_t(m_session->record().maxDepth)) / 1000.0, 'f', 2));
    ui->label_resistivity->setText(valid ? QString::number(double(s.resistivity), 'f', 4) : QStringLiteral("0.00"));
}

void CDlgMain::onSamplePicked(int index)
{
    if (index >= 0)
        m_session->selectSample(index);
    m_bShowPickedRow = true;
    updateWave(true, true, true);
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

bool CDlgMain::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == ui->scrollArea && e->type() == QEvent::Resize)
        updateWave(true, false, false);
    return QDialog::eventFilter(watched, e);
}

// ---------------------------------------------------------------- table clicks

void CDlgMain::OnSetMouseClick(int iRow, int iCol, QString str, int iMouseClickType)
{
    ui->wavePic->cancelWaitingPick();
    m_bShowPickedRow = false;
    const int count = m_session->samples().size();
    if (iRow < 1 || iRow > count)
        return;
    if (iMouseClickType == 2) {
        m_session->selectSample(iRow - 1);
        updateWave(true, false, false);
    } else if (iMouseClickType == 4 && m_session->reviewing() && iCol == 2) {
        editResistivity(iRow, str);
    }
}

void CDlgMain::editResistivity(int iRow, const QString &str)
{
    m_session->selectSample(iRow - 1);
    ui->wavePic->update();
    Sample s;
    if (!m_session->samples().at(iRow - 1, &s))
        return;
    const QString name = tr("深度%1m处的电阻率").arg(s.depth / 1000.0, 0, 'f', 3) + defaultRangeUnitText();
    CDlgNumKey dlg(name, str, 0, 0, nullptr);
    dlg.SetDotSignEnabled(true, false);
    if (dlg.exec() != QDialog::Accepted)
        return;
    if (dlg.m_fValue < 0) {
        showMessage(tr("输入无效！大于或等于零的值！"));
        return;
    }
    m_session->editResistivity(iRow - 1, dlg.m_fValue);
    updateWave(true, true, false);
}

// ---------------------------------------------------------------- winch display

void CDlgMain::WinchConnectStateChanged()
{
    if (m_link)
        m_link->refresh();
}
