#include "testsession.h"

#include "pilelimits.h"
#include "projectsummary.h"
#include "verdict.h"

#include "holefiles.h"
#include "mainrules.h"
#include "mainstate.h"
#include "savedtestseal.h"

#include "ctrlinfo.h"
#include "holefile.h"
#include "holereport.h"
#include "paramfile.h"
#include "projectfolder.h"
#include "testrecord.h"

#include "appmodel.h"
#include "device.h"
#include "querythread.h"
#include "winchctrl.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace {
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

bool makeFolder(const QString &dir) { return QFileInfo(dir).isDir() || QDir().mkdir(dir); }
} // namespace

CTestSession::CTestSession(QObject *parent) : QObject(parent), m_thread(new QueryThread(this))
{
    connect(m_thread, &QueryThread::updateWaveData, this, &CTestSession::samplesChanged);
    connect(m_thread, &QueryThread::BtnTextByState, this, [this](uint) { emit stateChanged(curState); });
    connect(m_thread, &QueryThread::HandleLeakPoint, this, &CTestSession::leakPoint);
    connect(m_thread, &QueryThread::HandleCurHeightLeakPoint, this, &CTestSession::leakHeight);
    connect(m_thread, &QueryThread::HandleQuitLeakPoint, this, &CTestSession::leakOver);
    connect(m_thread, &QueryThread::QueryThreadFinish, this, [this](int type) {
        m_thread->stop();
        emit testEnded(type);
    });
    CAppModel *model = CAppModel::instance();
    connect(model->link(), &CWinchCtrl::StateChanged, this, [this, model] {
        if (model->update())
            emit linkChanged();
    });
    connect(model->link(), &CWinchCtrl::ConnectStateChanged, this, &CTestSession::linkChanged);
}

CTestSession::~CTestSession()
{
    m_thread->stop();
    m_thread->resume();
    m_thread->wait();
    // Its destructor reports once more; nobody listens any longer.
    m_thread->disconnect(this);
    delete m_thread;
}

bool CTestSession::event(QEvent *e)
{
    if (e->type() == QueryThread::RaiseBegunEventType) {
        emit stateChanged(curState);
        return true;
    }
    return QObject::event(e);
}

void CTestSession::begin()
{
    loadTestParams(gCtrlInfo);
    // No test yet: whatever thickness the parameter file held judges nothing.
    clearJudgement(gCtrlInfo);
    applySamplingMode();
    m_setup = gCtrlInfo;
    setState(AcqState::Idle);
    resetTest();
    m_paceTicks = 0;
}

bool CTestSession::moveByHand() const { return gCtrlInfo.deviceChannel != 0; }

bool CTestSession::moveResamples() const { return moveButtonResamples(curState); }

bool CTestSession::hasSamples() const { return !samples.isEmpty(); }

bool CTestSession::stopAcquisition(int ms)
{
    m_thread->stop();
    return m_thread->wait(ms);
}

void CTestSession::setStateAndTell(uint32_t word)
{
    setState(word);
    emit stateChanged(curState);
}

// ---------------------------------------------------------------- set-up

void CTestSession::applySamplingMode()
{
    delete m_paceTimer;
    m_paceTimer = nullptr;
    const PaceSetup pace = paceSetupForMode(gCtrlInfo.sampleMode, gCtrlInfo.moveDistance);
    gCtrlInfo.deviceChannel = pace.deviceChannel;
    if (pace.intervalMs > 0) {
        m_paceTimer = new QTimer(this);
        m_paceTimer->setInterval(pace.intervalMs);
        connect(m_paceTimer, &QTimer::timeout, this, &CTestSession::paceTick);
        m_paceTimer->start();
    }
    emit samplingModeChanged();
}

void CTestSession::acceptSetup()
{
    resetTest();
    prepareAcquisitionParams();
    clearJudgement(gCtrlInfo);
    m_setup = gCtrlInfo;
    saveTestParams(gCtrlInfo);
}

void CTestSession::setCurveRange(int32_t range)
{
    gCtrlInfo.curveRange = m_setup.curveRange = range;
    if (m_kept)
        m_kept->info.curveRange = range;
}

void CTestSession::setCurveMagnify(int32_t percent)
{
    gCtrlInfo.curveMagnify = m_setup.curveMagnify = percent;
    if (m_kept)
        m_kept->info.curveMagnify = percent;
}

void CTestSession::adaptCurveRange()
{
    if (!samples.isEmpty())
        gCtrlInfo.curveRange = adaptedCurveRange(gCtrlInfo.curveRange, largestResistivity());
}

// ---------------------------------------------------------------- the sample button

CTestSession::Outcome CTestSession::sample()
{
    const SampleButtonStep step = sampleButtonStep(curState);
    if (step.kind == SampleButtonStep::CloseFile)
        return CloseFileAsked;
    m_reviewMode = false;
    if (step.kind == SampleButtonStep::Nothing)
        return Ignored;
    if (step.sendOperation && !sendOperation())
        return DeviceRefused;
    if (step.startsReading) {
        prepareAcquisitionParams();
        samples.clear();
    }
    setState(step.newState);
    switch (step.threadOp) {
    case SampleThreadOp::Start:
        emit stateChanged(curState);
        m_thread->start();
        break;
    case SampleThreadOp::Pause:
        m_thread->pause();
        emit stateChanged(curState);
        break;
    case SampleThreadOp::Resume:
        emit stateChanged(curState);
        m_thread->resume();
        break;
    case SampleThreadOp::ResumeOrStart:
        emit stateChanged(curState);
        if (m_thread->isRunning())
            m_thread->resume();
        else
            m_thread->start();
        break;
    case SampleThreadOp::None:
        emit stateChanged(curState);
        break;
    }
    return Done;
}

// ---------------------------------------------------------------- a new test

CTestSession::NewTestKind CTestSession::newTestPressed()
{
    needZeroHeight = 1;
    needStepHeight = 1;
    const uint32_t entry = curState;
    const uint32_t sub = entry & 0xFFFFu;
    switch (AcqState::code(entry)) {
    case AcqState::Idle:
        return FromIdle;
    case AcqState::Reading:
        if (sub == 0) {
            m_thread->pause();
            return WhileReading;
        }
        return sub == AcqState::SubPaused ? WhileReadingPaused : NoNewTest;
    case AcqState::Raising:
        return FinishTest;
    default:
        return NoNewTest;
    }
}

CTestSession::Outcome CTestSession::startReadingForName()
{
    const Outcome started = sample();
    if (started == DeviceRefused)
        return DeviceRefused;
    if (AcqState::code(curState) != AcqState::Reading)
        return Ignored;
    sample();
    prepareAcquisitionParams();
    return Done;
}

bool CTestSession::isUsableFileName(const QString &name)
{
    // Not empty, no folder separators, not "." or "..": a file inside the
    // project folder.
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
           && name != QLatin1String(".") && name != QLatin1String("..");
}

QString CTestSession::proposedTestName(const QString &hole) const
{
    const QString projectDir = QFileInfo(holeFilePathFor(QStringLiteral("x"))).absolutePath();
    const QStringList existing = QDir(projectDir).entryList({QStringLiteral("*.") + fileExt}, QDir::Files);
    return nextFreeTestName(hole, existing);
}

CTestSession::NameCheck CTestSession::takeTestName(const QString &typed)
{
    if (!isUsableFileName(typed))
        return NameUnusable;
    if (QFileInfo::exists(holeFilePathFor(typed)))
        return NameExists;
    return NameTaken;
}

bool CTestSession::nameFitsHole(const QString &name) const
{
    return isTestNameOfHole(name + QLatin1Char('.') + fileExt, gCtrlInfo.holeNo.get());
}

void CTestSession::adoptHoleNumber(const QString &hole)
{
    gCtrlInfo.holeNo = hole;
    m_setup.holeNo = hole;
    saveTestParams(m_setup);
}

QString CTestSession::holeFilePathFor(const QString &name) const
{
    return gCtrlInfo.dataDir.get() + QLatin1Char('/') + gCtrlInfo.projectPath.get() + QLatin1Char('/') + name
           + QLatin1Char('.') + fileExt;
}

void CTestSession::beginNamedTest(uint32_t newState)
{
    const QString dataDir = gCtrlInfo.dataDir;
    makeFolder(dataDir);
    // An unsafe project folder gets no folder; the save then refuses it.
    const QString project = projectFolderPath(dataDir, gCtrlInfo.projectPath.get());
    if (!project.isEmpty())
        makeFolder(project);
    setState(newState);
    reinitDevice = 1;
    CAppModel::instance()->requestClear();
}

CTestSession::Outcome CTestSession::nameTest(NewTestKind kind, const QString &name)
{
    gCtrlInfo.curHoleName = name;
    gCtrlInfo.filePath = holeFilePathFor(name);
    if (gCtrlInfo.slowPoll)
        qDebug() << QStringLiteral("dlgFileName文件名（%1）!").arg(name);
    // A new test: its own time, nothing judged, nothing marked.
    clearJudgement(gCtrlInfo);
    gCtrlInfo.acceptance.sequence = testSequenceOf(name, gCtrlInfo.holeNo.get());
    // Named after another hole and the hole number kept: the file says so,
    // so that the office files it under the hole it records.
    gCtrlInfo.acceptance.holeNumberKept = !nameFitsHole(name);
    const QDateTime now = QDateTime::currentDateTime();
    gCtrlInfo.testDate = now.toString(QStringLiteral("yyyy-MM-dd"));
    gCtrlInfo.testTime = now.toString(QStringLiteral("hh:mm:ss"));
    m_mark = -1;
    emit judgementChanged();
    Outcome outcome = Done;
    switch (kind) {
    case FromIdle:
        // Whatever sub-state idle had, the named test samples: the continue
        // below starts it from the bottom.
        beginNamedTest(AcqState::AtBottom | AcqState::SubPaused);
        outcome = sample();
        m_paceTicks = 0;
        samples.clear();
        break;
    case WhileReading:
        beginNamedTest(AcqState::AtBottom);
        m_paceTicks = 0;
        m_thread->start();
        break;
    case WhileReadingPaused:
        // A paused reading named for a test samples too: the probe may be
        // raised at once, and a test that waits paused would record nothing
        // while the buttons look like a test.
        beginNamedTest(AcqState::AtBottom | AcqState::SubPaused);
        m_paceTicks = 0;
        outcome = sample();
        break;
    default:
        break;
    }
    emit stateChanged(curState);
    return outcome;
}

void CTestSession::namingCancelled(NewTestKind kind)
{
    if (kind == WhileReading)
        m_thread->resume();
}

// ---------------------------------------------------------------- raising

void CTestSession::move() { addHeight(gCtrlInfo.moveDistance); }

int32_t CTestSession::resampleOfferCm() const
{
    return ::resampleOfferCm(gCtrlInfo.maxDepth, gCtrlInfo.moveDistance, getHeight());
}

CTestSession::Outcome CTestSession::resampleFrom(int32_t depthCm)
{
    setHeight(heightForDepthCm(gCtrlInfo.maxDepth, depthCm));
    return sample();
}

bool CTestSession::leakNeedsResample() const { return SampleModes::isManual(gCtrlInfo.sampleMode); }

void CTestSession::paceTick()
{
    const uint32_t word = curState;
    if (AcqState::code(word) != AcqState::Raising || (word & 0xFFFFu) == AcqState::SubPaused)
        return;
    if (paceTickMoves(m_paceTicks))
        move();
}

void CTestSession::finishByOperator()
{
    if (SampleModes::isPaced(gCtrlInfo.sampleMode) && !(curState & AcqState::SubPaused))
        sample();
    recordEnabled = 0;
    m_thread->pause();
}

void CTestSession::endAfterSaveDialog()
{
    m_thread->stop();
    resetHeight();
}

void CTestSession::afterEndOfHole() { resetHeight(); }

// ---------------------------------------------------------------- end of test

bool CTestSession::saveTest(const std::function<void(int)> &progress, QString *error)
{
    recordEnabled = 0;
    m_thread->stop();
    const QString path = gCtrlInfo.filePath.get();
    if (path.isEmpty()) {
        *error = QStringLiteral("no file name");
        return false;
    }
    const QString projectDir = projectFolderPath(HoleFiles::dataDir(), gCtrlInfo.projectPath.get());
    // Whatever the parameter file or a typed name held, nothing is written
    // outside the data folder.
    if (projectDir.isEmpty() || !HoleFiles::isWithin(withHoleExtension(path), HoleFiles::dataDir())) {
        *error = QStringLiteral("outside the data folder");
        return false;
    }
    for (const QString &dir : {projectDir, QFileInfo(withHoleExtension(path)).absolutePath()}) {
        if (!QFileInfo(dir).isDir() && !QDir().mkpath(dir)) {
            *error = QStringLiteral("cannot create folder ") + dir;
            return false;
        }
    }
    progress(1);
    HoleSaveOptions options;
    options.progress = progress;
    if (!saveHoleFile(path, gCtrlInfo, samples.snapshot(), options, error))
        return false;
    progress(100);
    // The report beside the file; its failure never undoes the save.
    updateHoleReport(path);
    sealSavedTest(path);

    restartAcquisition();
    m_thread->pause();
    resetTest();
    // The saved test's judgement stays with its file, not on the screen.
    clearJudgement(gCtrlInfo);
    emit judgementChanged();
    emit recordChanged();
    return true;
}

void CTestSession::discardTest()
{
    recordEnabled = 0;
    const uint32_t state = getState();
    if (state != AcqState::End) {
        if (state & AcqState::SubPaused)
            m_thread->resume();
        m_thread->stop();
    }
    const QString path = gCtrlInfo.filePath.get();
    if (!path.isEmpty()) {
        for (const QString &f : HoleFiles::companionFiles(path))
            if (QFileInfo(f).isFile())
                HoleFiles::removeTree(f, HoleFiles::dataDir());
    }
    restartAcquisition();
    m_thread->pause();
    gCtrlInfo = m_setup;
    resetTest();
    emit judgementChanged();
    emit recordChanged();
    resetHeight();
}

void CTestSession::returnToTest()
{
    recordEnabled = 1;
    needZeroHeight = 0;
    needStepHeight = 0;
    m_thread->resume();
}

void CTestSession::resetTest()
{
    samples.clear();
    m_mark = -1;
    if (curState != AcqState::FileShown)
        setState(AcqState::Idle | AcqState::SubPaused);
    resetHeight();
    emit stateChanged(curState);
    reinitDevice = 1;
    finishSent = 0;
    endReached = 0;
    recordEnabled = 1;
    needZeroHeight = 1;
    needStepHeight = 1;
}

void CTestSession::restartAcquisition()
{
    setState(AcqState::Idle);
    m_thread->resume();
    m_thread->stop();
    m_thread->start();
}

// ---------------------------------------------------------------- review

bool CTestSession::openForReview(const QString &path)
{
    if (path.isEmpty())
        return false;
    const uint32_t previousState = curState;
    const QString previousOpenFile = m_openFile;
    const QString previousFilePath = gCtrlInfo.filePath;
    const bool keptNow = !m_reviewMode;
    if (keptNow)
        m_kept = KeptTest{gCtrlInfo, samples.snapshot(), curState};
    m_openFile = path;
    setState(AcqState::FileShown);
    gCtrlInfo.filePath = path;

    HoleLoadOptions options;
    options.beforeSamples = [this]() { resetTest(); };
    options.processEvents = true;
    const HoleLoadResult result = loadHoleFile(path, gCtrlInfo, options);
    if (!result.headerAccepted()) {
        // Nothing was read: stay on what was shown before, so that a judge
        // cannot write the current samples into the refused file.
        setState(previousState);
        m_openFile = previousOpenFile;
        gCtrlInfo.filePath = previousFilePath;
        if (keptNow)
            m_kept.reset();
        emit reviewFailed();
        return false;
    }

    gCtrlInfo.curHoleName = reviewedHoleName(path);
    const CtrlInfo &live = m_kept->info;
    for (int i = 0; i < 7; ++i)
        gCtrlInfo.colors[i] = live.colors[i];
    gCtrlInfo.spareValue1 = live.spareValue1;
    gCtrlInfo.spareValue2 = live.spareValue2;

    // Nothing of the file is marked until the operator marks it.
    m_mark = -1;
    m_reviewMode = true;
    adaptCurveRange();
    m_previous = findPreviousTest(result.path.isEmpty() ? path : result.path, result.hasAcceptance ? int32_t(gCtrlInfo.acceptance.sequence) : 0);
    emit previousTestChanged();
    emit reviewChanged();
    emit judgementChanged();
    return true;
}

void CTestSession::closeReview()
{
    if (!m_reviewMode || AcqState::code(curState) != AcqState::FileShown)
        return;
    m_openFile.clear();
    const KeptTest kept = m_kept ? *m_kept : KeptTest{m_setup, {}, AcqState::Idle};
    m_kept.reset();
    gCtrlInfo = kept.info;
    const uint32_t code = AcqState::code(kept.state);
    if (code == AcqState::Reading || code == AcqState::AtBottom || code == AcqState::Raising) {
        // A test was under way (paused): it comes back as it was.
        samples.assign(kept.samples);
        m_mark = -1;
        setStateAndTell(kept.state);
    } else {
        setState(AcqState::Idle);
        // The buttons follow the reset while the file still counts as
        // reviewed (the judge button keeps its state until the next command).
        resetTest();
        resetHeight();
    }
    m_reviewMode = false;
    m_previous = PreviousTest();
    emit previousTestChanged();
    emit reviewChanged();
    emit judgementChanged();
}

CTestSession::JudgeResult CTestSession::judge()
{
    if (!markSedimentPosition(gCtrlInfo, m_mark))
        return NoMark;
    applyVerdict(gCtrlInfo, CPileLimits::instrument());
    return judged();
}

CTestSession::JudgeResult CTestSession::setSedimentThickness(int32_t cm)
{
    gCtrlInfo.sedimentThickness = cm;
    applyVerdict(gCtrlInfo, CPileLimits::instrument());
    return judged();
}

CTestSession::JudgeResult CTestSession::setHoleQuality(int32_t quality)
{
    // Recorded as an override when it goes against the verdict.
    chooseHoleQuality(gCtrlInfo, quality);
    return judged();
}

CTestSession::JudgeResult CTestSession::judged()
{
    JudgeResult result = Judged;
    if (m_reviewMode) {
        result = rewriteReviewedFile() ? JudgedAndSaved : SaveFailed;
        if (result == JudgedAndSaved) {
            updateHoleReport(gCtrlInfo.filePath.get()); // the report follows the judgement
            sealSavedTest(gCtrlInfo.filePath.get());
        }
    }
    emit judgementChanged();
    return result;
}

void CTestSession::selectSample(int index) { m_mark = index; }

int CTestSession::shownSample() const
{
    const int count = samples.size();
    if (m_mark >= 0 && m_mark < count)
        return m_mark;
    return m_reviewMode ? -1 : count - 1;
}

void CTestSession::setPreviousShown(bool shown)
{
    if (m_previousWanted == shown)
        return;
    m_previousWanted = shown;
    emit previousTestChanged();
}

void CTestSession::editResistivity(int index, float value)
{
    m_mark = index;
    samples.editResistivity(index, value);
}
