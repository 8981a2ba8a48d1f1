#pragma once
// The unattended demonstration: one hole test run on the real main dialog
// the way an operator runs it. Every step is a press of the dialog's buttons
// (the same slots a touch reaches), and every dialog that opens is answered
// as an operator would answer it:
//
//   set-up      "设置": project, folder, hole number, depth, move distance and
//               mode typed on the keypads and chosen on the selection grid,
//               then "保存并退出";
//   new test    (automatic mode: once the screen shows the winch link up)
//               "新存": the hole-number question accepted, the file named;
//   raising     the winch (automatic mode), "移点" at every step (manual
//               mode), or one "移点" to leave the bottom and then the pace
//               timer (4, 6, 8 s/m);
//   end         the save dialog's "保存";
//   review      (--judge) "文件": the project, then the file opened, the
//               sample nearest the depth pressed in the table, "判定";
//               the file closed again;
//   quit        "退出", the question accepted.
//
// A dialog the demo does not expect (a refusal, a failure message) ends the
// run: its text becomes the failure. So does the time limit; should the
// program stop handling events altogether, the process ends 30 s after it.
//
//     CDlgMain dlg;
//     CDemoRun run(dlg, options);
//     const int status = run.exec();   // 0: run.holePath() is saved
//
// Given the upload sender (an archive address is set), a complete run then
// waits, within the same time limit, until the outbox is empty, and says in
// one line that the test was uploaded, or that it is still queued and why.
// The status stays 0 either way: the test is saved and queued, and the
// sender (or "zpvw --sync") takes it to the archive later.

#include "appoptions.h"
#include "modalanswerer.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class CDlgMain;
class CUploadSender;
class QWidget;

class CDemoRun : public QObject {
    Q_OBJECT
public:
    CDemoRun(CDlgMain &dlg, const AppOptions &options, QObject *parent = nullptr);
    ~CDemoRun() override;

    // Shows the dialog, runs the demonstration inside its modal loop and
    // returns 0 after a complete run, 1 after a failure (see failure()).
    int exec();

    // Waits for `sender` to empty the outbox after a complete run.
    void waitForUpload(CUploadSender *sender, const QString &archive);

    QString holePath() const { return m_holePath; }
    QString failure() const { return m_failure; }
    int savedSamples() const { return m_savedSamples; }

private:
    using Answer = std::function<void(QWidget *)>;

    void drive();
    void failOnUnexpected(QWidget *w);

    // Steps; each leaves failed() set when it did not come about.
    void setUp();
    void newTest();
    void raise();
    void checkSavedFile();
    void reviewAndJudge();
    void takeScreenshot();
    void closeReview();
    void quit();
    void awaitUpload();

    // Dialog answers.
    void answerSetup(QWidget *w);
    void answerKeyboard(QWidget *w);
    void answerKeypad(QWidget *w);
    void answerChoice(QWidget *w);
    void answerQuestion(QWidget *w);
    void answerSave(QWidget *w);
    void answerBrowser(QWidget *w);
    void answerFileOperation(QWidget *w);

    void expect(const char *className, Answer answer);
    void expectNothing();

    // Presses a button of the main dialog; fails when it is hidden or disabled.
    bool pressMain(const char *name);
    // Clicks a button of a dialog; fails when it is missing, hidden or disabled.
    bool click(QWidget *dialog, const char *name);
    // Runs the event loop until done() holds; false on failure or time-out.
    bool waitFor(const std::function<bool()> &done);
    // Lets pending redraws land (pictures, the end of a step).
    void settle();
    void fail(const QString &why);
    bool failed() const { return m_failed; }
    void note(const QString &text) const;
    // With --shots: a picture of w, after the pending redraws when asked.
    void shoot(QWidget *w, const QString &name, bool settleFirst = false);
    QString stepState() const;
    QString firstFreeHoleName() const;

    CDlgMain &m_dlg;
    AppOptions m_opt;
    QString m_hole;
    QString m_testName; // the hole file's name: the hole, or its next test (Z17-2)
    QString m_modeText;
    QString m_holePath;
    QString m_step;
    QString m_failure;
    bool m_failed = false;
    bool m_verbose = false;
    int m_status = 1;
    int m_savedSamples = 0;
    int m_shotCount = 0;
    bool m_midShotTaken = false;
    bool m_saveAnswered = false;

    // What the next keyboard, keypad or selection grid is to receive.
    QString m_pendingText;
    QStringList m_pendingChoices;

    QPointer<CUploadSender> m_sender;
    QString m_archive;

    ModalAnswerer m_answerer;
    QElapsedTimer m_clock;
};
