#pragma once
// The life of a test, from set-up to saved file, and the review of a stored
// one. The dialogs above only ask and show; everything a command changes
// happens here: the state word and its transitions, the acquisition thread,
// the sample list, the live set-up and its backup, the reviewed file.
//
//     CTestSession session;                 // one per main screen
//     session.begin();                      // set-up loaded, idle
//     connect(&session, &CTestSession::stateChanged, view, ...);
//     if (session.sample() == CTestSession::DeviceRefused) ... tell ...
//
// Nothing here opens a window: where the operator must be asked or told, the
// operation returns what happened and the caller asks or tells.

#include "acqcontrolmirror.h"
#include "acqstate.h"
#include "ctrlinfo.h"
#include "previoustestload.h"
#include "testrecord.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QueryThread;
class QTimer;
struct AcqReport;

class CTestSession : public QObject {
    Q_OBJECT
public:
    explicit CTestSession(QObject *parent = nullptr);
    ~CTestSession() override;

    // Before begin(): the screen is the small one (the record's fonts follow).
    void useSmallScreen();
    // Loads the set-up from the test-parameter file into the record, keeps
    // it as the set-up and makes the state idle with an empty sample list
    // and nothing judged.
    void begin();
    // The operator's set-up as last accepted: what a discarded test goes
    // back to.
    const CtrlInfo &setup() const { return m_setup; }

    // ---- what the screen shows
    // The record on show: the live test's, or the reviewed file's.
    const CtrlInfo &record() const { return m_record; }
    // The folder of the project folders.
    QString dataDir() const;
    // The instrument's device id (read once; empty when its key cannot be
    // had), shown by the information dialog and on every report.
    QString deviceId() const;
    uint32_t state() const { return m_control.state(); }
    // The state word's flags as the session holds them.
    const AcqControl &control() const { return m_control.control(); }
    // The samples of the test on show (the live test, or the reviewed file).
    const SampleList &samples() const { return m_samples; }
    QueryThread *thread() const { return m_thread; }
    // A stored file is reviewed: judging and editing resistivities write it.
    bool reviewing() const { return m_reviewMode; }
    QString openFile() const { return m_openFile; }
    // The hole file the last save wrote, until a test is named or discarded.
    QString savedFile() const { return m_savedFile; }
    int32_t paceTicks() const { return m_paceTicks; }
    QTimer *paceTimer() const { return m_paceTimer; }
    // The move button has a use in this sampling mode (a manual one).
    bool moveByHand() const;
    // The move button resamples (a paused test) instead of stepping.
    bool moveResamples() const;

    // ---- set-up
    // The sampling mode decides the pace timer and the height source.
    void applySamplingMode();
    // The set-up dialog's checked fields, before acceptSetup.
    void storeSetup(const CtrlInfo &edited);
    // A project path typed in the set-up counts at once, whatever follows.
    void setProjectPath(const QString &path);
    // After an accepted set-up (already stored by storeSetup): fresh test,
    // acquisition prepared, set-up kept as backup and saved to its file.
    void acceptSetup();
    // Display settings of the sediment panel, kept in the shown record and
    // the set-up.
    void setCurveRange(int32_t range);
    void setCurveMagnify(int32_t percent);
    // Range that shows every sample, never lowered (after a file is opened).
    void adaptCurveRange();

    // ---- a test
    enum Outcome { Done, Ignored, DeviceRefused, CloseFileAsked };
    // The sample button: start reading, pause, continue. In review it does
    // nothing and answers CloseFileAsked (the caller asks, then closeReview).
    Outcome sample();

    // The new-test button, first half: what the press means in this state.
    enum NewTestKind { NoNewTest, FromIdle, WhileReading, WhileReadingPaused, FinishTest };
    NewTestKind newTestPressed();
    // From idle: reading started and paused, ready to be named (Done);
    // DeviceRefused when the device refused (the caller tells the operator).
    Outcome startReadingForName();
    // Path of a hole file of that name in the project folder.
    QString holeFilePathFor(const QString &name) const;
    // A name that can name a file inside the project folder.
    static bool isUsableFileName(const QString &name);
    // The name the keyboard offers for a test of `hole`: the hole itself, or
    // its next free repeat (Z17-2, Z17-3, ...) when tested before.
    QString proposedTestName(const QString &hole) const;
    // Whether a typed test name can be taken.
    enum NameCheck { NameTaken, NameUnusable, NameExists };
    NameCheck takeTestName(const QString &typed);
    // The name is the hole number or one of its repeats (Z1, Z1-2, ...).
    bool nameFitsHole(const QString &name) const;
    // The operator made a typed test name the hole number: the test and the
    // set-up (and its file) record it.
    void adoptHoleNumber(const QString &hole);
    // The test is named: folders made, a fresh unjudged record stamped with
    // the current date and time, the probe at the bottom and sampling (a
    // paused reading too: a named test never waits in silence).
    Outcome nameTest(NewTestKind kind, const QString &name);
    // The name was not given: reading goes on where it was running.
    void namingCancelled(NewTestKind kind);

    // Move one step, or resample from a depth (centimetres from the top).
    void move();
    int32_t resampleOfferCm() const;
    Outcome resampleFrom(int32_t depthCm);
    // Leak point in a manual mode: pause; the depths the operator may pick.
    bool leakNeedsResample() const;
    // One tick of the pace timer: while raising, the probe moves on the
    // paced steps.
    void paceTick();
    // The operator ends the test ("测试完成"): paused, nothing more recorded.
    void finishByOperator();
    // After the end-of-test dialog closed without returning to the test.
    void endAfterSaveDialog();
    // After the end-of-test dialog the thread's own end of test opened.
    void afterEndOfHole();

    // ---- the end-of-test choices
    // Saves the test as its hole file with the report; progress 1..100.
    // On success the screen starts afresh; on failure the test stays.
    bool saveTest(const std::function<void(int)> &progress, QString *error);
    // Discards the test and its files; the set-up comes back.
    void discardTest();
    // Goes on with the test.
    void returnToTest();
    // Carries on a test from these samples in this state word (a kept test
    // coming back); the mark is cleared.
    void restoreTest(const QVector<Sample> &samples, uint32_t state);
    bool hasSamples() const;
    // The live test holds samples no file holds yet (whether it is on show
    // or kept while a file is reviewed): quitting would lose them.
    bool hasUnsavedSamples() const;

    // ---- review
    // Opens a stored hole file; false when it cannot be read (nothing
    // changes then, reviewFailed is emitted).
    bool openForReview(const QString &path);
    // Closes the reviewed file; the set-up of the next test comes back.
    void closeReview();
    // Judgements of the shown test. In review they are the reviewed file's
    // and are written to it at once with its report, so the screen never
    // states a judgement the file does not hold; they never reach the live
    // test kept meanwhile.
    enum JudgeResult { NoMark, Judged, JudgedAndSaved, SaveFailed };
    // The marked sample is the sediment top: the thickness follows from it.
    // NoMark (nothing changes) when no shown sample is marked.
    JudgeResult judge();
    JudgeResult setSedimentThickness(int32_t cm);
    // A quality against the verdict is an override, stored with its reason
    // (OverrideReason); the caller asked the operator for both.
    JudgeResult setHoleQuality(int32_t quality, int32_t overrideReason = 0);
    // Corrects the resistivity of a sample of the reviewed file.
    void editResistivity(int index, float value);
    // Marks a sample (index into the list) from a press on the table or curve.
    void selectSample(int index);
    // The marked sample, -1 when none: opening or closing a file and starting
    // a test clear it.
    int mark() const { return m_mark; }
    // The sample the screen shows in its value row and marks on the curve:
    // the mark, else during a test the newest sample; -1 for none (a
    // reviewed file without a mark).
    int shownSample() const;
    // The test of the reviewed hole done before the reviewed one (invalid
    // when there is none, or no file is reviewed). Found on opening, read
    // only: the reviewed file and the samples stay as they are.
    const PreviousTest &previousTest() const { return m_previous; }
    // The operator's choice to overlay the previous test; kept from one
    // reviewed file to the next. Shown only while there is a previous test.
    void setPreviousShown(bool shown);
    bool previousShown() const { return m_previousWanted && m_previous.isValid(); }

    // Asks the acquisition thread to stop and waits for it at most ms.
    bool stopAcquisition(int ms);

signals:
    // The state changed where the command buttons must follow it.
    void stateChanged(uint word);
    // The thread took, replaced or removed samples (merged redraws).
    void samplesChanged(bool isWave, bool isSeg);
    // The record or the sample list was replaced: redraw everything.
    void recordChanged();
    // A file was opened for review or the review ended.
    void reviewChanged();
    // A file could not be opened for review.
    void reviewFailed();
    // The shown test's thickness, quality or verdict changed.
    void judgementChanged();
    // The previous test was found or dropped, or its overlay turned on/off.
    void previousTestChanged();
    void samplingModeChanged();
    void linkChanged();
    void leakPoint(int curHeight, int leakHeight);
    void leakHeight(int curHeight, int leakHeight);
    void leakOver();
    void testEnded(int type);

private:
    void onCycleReported(const AcqReport &report);
    // Every change of the state word or a flag goes through here: shown at
    // once, handed to the thread in order.
    void request(AcqRequest::Field field, uint32_t value);
    void setStateWord(uint32_t word) { request(AcqRequest::State, word); }
    void clearSamples();
    void assignSamples(const QVector<Sample> &v);
    // The set-up numbers of the shown record, for the thread and the winch.
    void handSettings();
    void startThread();
    void resumeThread();
    float largestResistivity() const;
    void resetTest();
    void restartAcquisition();
    void beginNamedTest(uint32_t newState);
    void onLinkState();
    void setStateAndTell(uint32_t word);
    JudgeResult judged();

    mutable QString m_deviceId;

    // The live test while a stored file is reviewed, given back as it was
    // when the review ends.
    struct KeptTest {
        CtrlInfo info;
        QVector<Sample> samples;
        uint32_t state = 0;
    };

    CtrlInfo m_record;
    AcqControlMirror m_control;
    SampleList m_samples;
    QueryThread *m_thread = nullptr;
    QTimer *m_paceTimer = nullptr;
    int32_t m_paceTicks = 0;
    QString m_openFile;
    bool m_reviewMode = false;
    QString m_savedFile;
    CtrlInfo m_setup;
    std::optional<KeptTest> m_kept;
    int m_mark = -1;
    PreviousTest m_previous;
    bool m_previousWanted = false;
};
