#include "testsession.h"

#include "pilelimits.h"
#include "projectsummary.h"
#include "verdict.h"

#include "holefiles.h"
#include "mainrules.h"
#include "mainstate.h"
#include "savedtestseal.h"

#include "appdir.h"
#include "ctrlinfo.h"
#include "holefile.h"
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
bool makeFolder(const QString &dir) { return QFileInfo(dir).isDir() || QDir().mkdir(dir); }
} // namespace

CTestSession::CTestSession(QObject *parent) : QObject(parent), m_thread(new QueryThread)
{
    connect(m_thread, &QueryThread::cycleReported, this, &CTestSession::onCycleReported);
    connect(m_thread, &QueryThread::HandleQuitLeakPoint, this, &CTestSession::leakOver);
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

float CTestSession::largestResistivity() const
{
    float largest = 0.0f;
    bool any = false;
    m_samples.withLocked([&](const QVector<Sample> &v) {
        for (const Sample &s : v) {
            if (!any || s.resistivity > largest)
                largest = s.resistivity;
            any = true;
        }
    });
    return largest;
}

void CTestSession::onCycleReported(const AcqReport &report)
{
    m_control.takeReport(report.basedOn, report.result);
    // A cycle decided before the sample list was replaced: its samples and
    // notices belong to a test no longer on show.
    if (!m_control.currentSamples(report.basedOn))
        return;
    if (!report.result.sampleOps.isEmpty())
        applyAcqSampleOps(report.result.sampleOps, m_samples, report.value, report.settings);
    for (const AcqNotice &n : report.result.notices) {
        switch (n.kind) {
        case AcqNotice::UpdateWaveData:
            emit samplesChanged(n.a != 0, n.b != 0);
            break;
        case AcqNotice::BtnTextByState:
        case AcqNotice::RaiseBegunEvent:
            emit stateChanged(state());
            break;
        case AcqNotice::HandleLeakPoint:
            emit leakPoint(int(n.a), int(n.b));
            break;
        case AcqNotice::HandleCurHeightLeakPoint:
            emit leakHeight(int(n.a), int(n.b));
            break;
        case AcqNotice::HandleQuitLeakPoint:
            emit leakOver();
            break;
        case AcqNotice::QueryThreadFinish:
            m_thread->stop();
            emit testEnded(int(n.a));
            break;
        }
    }
}

void CTestSession::request(AcqRequest::Field field, uint32_t value)
{
    const AcqRequest r{field, value};
    m_thread->post(m_control.request(r), r);
}

void CTestSession::clearSamples()
{
    m_samples.clear();
    m_thread->post(m_control.samplesReset(), {AcqRequest::SamplesReset, 0});
}

void CTestSession::assignSamples(const QVector<Sample> &v)
{
    m_samples.assign(v);
    m_thread->post(m_control.samplesReset(), {AcqRequest::SamplesReset, 0});
}

void CTestSession::handSettings()
{
    m_thread->setSettings(acqSettingsOf(m_record));
    CAppModel::instance()->setWinchGeometry(m_record.wheelD, m_record.lineD);
}

void CTestSession::startThread()
{
    handSettings();
    m_thread->start();
}

void CTestSession::resumeThread()
{
    handSettings();
    m_thread->resume();
}

void CTestSession::useSmallScreen() { m_record.largeScreen = 0; }

QString CTestSession::dataDir() const { return HoleFiles::dataDir(m_record); }

QString CTestSession::deviceId() const
{
    if (m_deviceId.isEmpty())
        m_deviceId = instrumentDeviceId(QKRVCommomUtils::appPath());
    return m_deviceId;
}

void CTestSession::storeSetup(const CtrlInfo &edited)
{
    m_record = edited;
    applySamplingMode();
}

void CTestSession::setProjectPath(const QString &path) { m_record.projectPath = path; }

void CTestSession::begin()
{
    // Brightness and the screen-saver delay follow the basic configuration.
    m_record.followBasicConfig();
    loadTestParams(m_record);
    // No test yet: whatever thickness the parameter file held judges nothing.
    clearJudgement(m_record);
    applySamplingMode();
    m_setup = m_record;
    setStateWord(AcqState::Idle);
    resetTest();
    m_paceTicks = 0;
}

bool CTestSession::moveByHand() const { return m_record.deviceChannel != 0; }

bool CTestSession::moveResamples() const { return moveButtonResamples(state()); }

bool CTestSession::hasSamples() const { return !m_samples.isEmpty(); }

bool CTestSession::hasUnsavedSamples() const
{
    if (m_reviewMode)
        return m_kept && !m_kept->samples.isEmpty();
    return !m_samples.isEmpty();
}

bool CTestSession::stopAcquisition(int ms)
{
    m_thread->stop();
    return m_thread->wait(ms);
}

void CTestSession::setStateAndTell(uint32_t word)
{
    setStateWord(word);
    emit stateChanged(state());
}

// ---------------------------------------------------------------- set-up

void CTestSession::applySamplingMode()
{
    delete m_paceTimer;
    m_paceTimer = nullptr;
    const PaceSetup pace = paceSetupForMode(m_record.sampleMode, m_record.moveDistance);
    m_record.deviceChannel = pace.deviceChannel;
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
    prepareAcquisitionParams(m_record);
    clearJudgement(m_record);
    m_setup = m_record;
    saveTestParams(m_record);
}

void CTestSession::setCurveRange(int32_t range)
{
    m_record.curveRange = m_setup.curveRange = range;
    if (m_kept)
        m_kept->info.curveRange = range;
}

void CTestSession::setCurveMagnify(int32_t percent)
{
    m_record.curveMagnify = m_setup.curveMagnify = percent;
    if (m_kept)
        m_kept->info.curveMagnify = percent;
}

void CTestSession::adaptCurveRange()
{
    if (!m_samples.isEmpty())
        m_record.curveRange = adaptedCurveRange(m_record.curveRange, largestResistivity());
}

// ---------------------------------------------------------------- the sample button

CTestSession::Outcome CTestSession::sample()
{
    const SampleButtonStep step = sampleButtonStep(state());
    if (step.kind == SampleButtonStep::CloseFile)
        return CloseFileAsked;
    m_reviewMode = false;
    if (step.kind == SampleButtonStep::Nothing)
        return Ignored;
    if (step.sendOperation && !sendOperation())
        return DeviceRefused;
    if (step.startsReading) {
        prepareAcquisitionParams(m_record);
        clearSamples();
    }
    setStateWord(step.newState);
    switch (step.threadOp) {
    case SampleThreadOp::Start:
        emit stateChanged(state());
        startThread();
        break;
    case SampleThreadOp::Pause:
        m_thread->pause();
        emit stateChanged(state());
        break;
    case SampleThreadOp::Resume:
        emit stateChanged(state());
        resumeThread();
        break;
    case SampleThreadOp::ResumeOrStart:
        emit stateChanged(state());
        if (m_thread->isRunning())
            resumeThread();
        else
            startThread();
        break;
    case SampleThreadOp::None:
        emit stateChanged(state());
        break;
    }
    return Done;
}

// ---------------------------------------------------------------- a new test

CTestSession::NewTestKind CTestSession::newTestPressed()
{
    request(AcqRequest::NeedZeroHeight, 1);
    request(AcqRequest::NeedStepHeight, 1);
    const uint32_t entry = state();
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
    if (AcqState::code(state()) != AcqState::Reading)
        return Ignored;
    sample();
    prepareAcquisitionParams(m_record);
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
    return isTestNameOfHole(name + QLatin1Char('.') + fileExt, m_record.holeNo.get());
}

void CTestSession::adoptHoleNumber(const QString &hole)
{
    m_record.holeNo = hole;
    m_setup.holeNo = hole;
    saveTestParams(m_setup);
}

QString CTestSession::holeFilePathFor(const QString &name) const
{
    return m_record.dataDir.get() + QLatin1Char('/') + m_record.projectPath.get() + QLatin1Char('/') + name
           + QLatin1Char('.') + fileExt;
}

void CTestSession::beginNamedTest(uint32_t newState)
{
    const QString dataDir = m_record.dataDir;
    makeFolder(dataDir);
    // An unsafe project folder gets no folder; the save then refuses it.
    const QString project = projectFolderPath(dataDir, m_record.projectPath.get());
    if (!project.isEmpty())
        makeFolder(project);
    setStateWord(newState);
    request(AcqRequest::ReinitDevice, 1);
    CAppModel::instance()->requestClear();
}

CTestSession::Outcome CTestSession::nameTest(NewTestKind kind, const QString &name)
{
    m_record.curHoleName = name;
    m_record.filePath = holeFilePathFor(name);
    m_savedFile.clear();
    if (m_record.slowPoll)
        qDebug() << QStringLiteral("dlgFileName文件名（%1）!").arg(name);
    // A new test: its own time, nothing judged, nothing marked.
    clearJudgement(m_record);
    m_record.acceptance.sequence = testSequenceOf(name, m_record.holeNo.get());
    // Named after another hole and the hole number kept: the file says so,
    // so that the office files it under the hole it records.
    m_record.acceptance.holeNumberKept = !nameFitsHole(name);
    const QDateTime now = QDateTime::currentDateTime();
    m_record.testDate = now.toString(QStringLiteral("yyyy-MM-dd"));
    m_record.testTime = now.toString(QStringLiteral("hh:mm:ss"));
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
        clearSamples();
        break;
    case WhileReading:
        beginNamedTest(AcqState::AtBottom);
        m_paceTicks = 0;
        startThread();
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
    emit stateChanged(state());
    return outcome;
}

void CTestSession::namingCancelled(NewTestKind kind)
{
    if (kind == WhileReading)
        resumeThread();
}

// ---------------------------------------------------------------- raising

void CTestSession::move() { addHeight(m_record.moveDistance); }

int32_t CTestSession::resampleOfferCm() const
{
    return ::resampleOfferCm(m_record.maxDepth, m_record.moveDistance, getHeight());
}

CTestSession::Outcome CTestSession::resampleFrom(int32_t depthCm)
{
    setHeight(heightForDepthCm(m_record.maxDepth, depthCm));
    return sample();
}

bool CTestSession::leakNeedsResample() const { return SampleModes::isManual(m_record.sampleMode); }

void CTestSession::paceTick()
{
    const uint32_t word = state();
    if (AcqState::code(word) != AcqState::Raising || (word & 0xFFFFu) == AcqState::SubPaused)
        return;
    if (paceTickMoves(m_paceTicks))
        move();
}

void CTestSession::finishByOperator()
{
    if (SampleModes::isPaced(m_record.sampleMode) && !(state() & AcqState::SubPaused))
        sample();
    request(AcqRequest::RecordEnabled, 0);
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
    request(AcqRequest::RecordEnabled, 0);
    m_thread->stop();
    const QString path = m_record.filePath.get();
    if (path.isEmpty()) {
        *error = QStringLiteral("no file name");
        return false;
    }
    const QString projectDir = projectFolderPath(dataDir(), m_record.projectPath.get());
    // Whatever the parameter file or a typed name held, nothing is written
    // outside the data folder.
    if (projectDir.isEmpty() || !HoleFiles::isWithin(withHoleExtension(path), dataDir())) {
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
    if (!saveHoleFile(path, m_record, m_samples.snapshot(), options, error))
        return false;
    progress(100);
    // The report and the manifest beside the file; their failure never
    // undoes the save.
    reportAndSealSavedTest(path, m_record, deviceId());
    m_savedFile = withHoleExtension(path);

    restartAcquisition();
    m_thread->pause();
    resetTest();
    // The saved test's judgement stays with its file, not on the screen.
    clearJudgement(m_record);
    emit judgementChanged();
    emit recordChanged();
    return true;
}

void CTestSession::discardTest()
{
    m_savedFile.clear();
    request(AcqRequest::RecordEnabled, 0);
    const uint32_t word = state();
    if (word != AcqState::End) {
        if (word & AcqState::SubPaused)
            resumeThread();
        m_thread->stop();
    }
    const QString path = m_record.filePath.get();
    if (!path.isEmpty()) {
        for (const QString &f : HoleFiles::companionFiles(path))
            if (QFileInfo(f).isFile())
                HoleFiles::removeTree(f, dataDir());
    }
    restartAcquisition();
    m_thread->pause();
    m_record = m_setup;
    resetTest();
    emit judgementChanged();
    emit recordChanged();
    resetHeight();
}

void CTestSession::returnToTest()
{
    request(AcqRequest::RecordEnabled, 1);
    request(AcqRequest::NeedZeroHeight, 0);
    request(AcqRequest::NeedStepHeight, 0);
    resumeThread();
}

void CTestSession::restoreTest(const QVector<Sample> &samples, uint32_t state)
{
    assignSamples(samples);
    m_mark = -1;
    setStateAndTell(state);
}

void CTestSession::resetTest()
{
    clearSamples();
    m_mark = -1;
    if (state() != AcqState::FileShown)
        setStateWord(AcqState::Idle | AcqState::SubPaused);
    resetHeight();
    emit stateChanged(state());
    request(AcqRequest::ReinitDevice, 1);
    request(AcqRequest::FinishSent, 0);
    request(AcqRequest::EndReached, 0);
    request(AcqRequest::RecordEnabled, 1);
    request(AcqRequest::NeedZeroHeight, 1);
    request(AcqRequest::NeedStepHeight, 1);
}

void CTestSession::restartAcquisition()
{
    setStateWord(AcqState::Idle);
    resumeThread();
    m_thread->stop();
    startThread();
}

// ---------------------------------------------------------------- review

bool CTestSession::openForReview(const QString &path)
{
    if (path.isEmpty())
        return false;
    const uint32_t previousState = state();
    const QString previousOpenFile = m_openFile;
    const QString previousFilePath = m_record.filePath;
    const bool keptNow = !m_reviewMode;
    if (keptNow)
        m_kept = KeptTest{m_record, m_samples.snapshot(), state()};
    m_openFile = path;
    setStateWord(AcqState::FileShown);
    m_record.filePath = path;

    HoleLoadOptions options;
    options.beforeSamples = [this]() { resetTest(); };
    options.processEvents = true;
    const HoleLoadResult result = loadHoleFile(path, m_record, m_samples, options);
    if (!result.headerAccepted()) {
        // Nothing was read: stay on what was shown before, so that a judge
        // cannot write the current samples into the refused file.
        setStateWord(previousState);
        m_openFile = previousOpenFile;
        m_record.filePath = previousFilePath;
        if (keptNow)
            m_kept.reset();
        emit reviewFailed();
        return false;
    }

    m_record.curHoleName = reviewedHoleName(path);
    const CtrlInfo &live = m_kept->info;
    for (int i = 0; i < 7; ++i)
        m_record.colors[i] = live.colors[i];
    m_record.spareValue1 = live.spareValue1;
    m_record.spareValue2 = live.spareValue2;

    // Nothing of the file is marked until the operator marks it.
    m_mark = -1;
    m_reviewMode = true;
    adaptCurveRange();
    m_previous = findPreviousTest(result.path.isEmpty() ? path : result.path, result.hasAcceptance ? int32_t(m_record.acceptance.sequence) : 0);
    emit previousTestChanged();
    emit reviewChanged();
    emit judgementChanged();
    return true;
}

void CTestSession::closeReview()
{
    if (!m_reviewMode || AcqState::code(state()) != AcqState::FileShown)
        return;
    m_openFile.clear();
    const KeptTest kept = m_kept ? *m_kept : KeptTest{m_setup, {}, AcqState::Idle};
    m_kept.reset();
    m_record = kept.info;
    const uint32_t code = AcqState::code(kept.state);
    if (code == AcqState::Reading || code == AcqState::AtBottom || code == AcqState::Raising) {
        // A test was under way (paused): it comes back as it was.
        restoreTest(kept.samples, kept.state);
    } else {
        setStateWord(AcqState::Idle);
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
    if (!markSedimentPosition(m_record, m_samples, m_mark))
        return NoMark;
    applyVerdict(m_record, CPileLimits::instrument());
    return judged();
}

CTestSession::JudgeResult CTestSession::setSedimentThickness(int32_t cm)
{
    m_record.sedimentThickness = cm;
    applyVerdict(m_record, CPileLimits::instrument());
    return judged();
}

CTestSession::JudgeResult CTestSession::setHoleQuality(int32_t quality, int32_t overrideReason)
{
    // Recorded as an override when it goes against the verdict.
    chooseHoleQuality(m_record, quality, overrideReason);
    return judged();
}

CTestSession::JudgeResult CTestSession::judged()
{
    JudgeResult result = Judged;
    if (m_reviewMode) {
        result = rewriteReviewedFile(m_record, m_samples.snapshot()) ? JudgedAndSaved : SaveFailed;
        if (result == JudgedAndSaved) {
            // The report and the manifest follow the judgement.
            reportAndSealSavedTest(m_record.filePath.get(), m_record, deviceId());
        }
    }
    emit judgementChanged();
    return result;
}

void CTestSession::selectSample(int index) { m_mark = index; }

int CTestSession::shownSample() const
{
    const int count = m_samples.size();
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
    m_samples.editResistivity(index, value);
}
