#pragma once
// The main measurement screen: the one window the operator works in. It
// shows the curve and the table of the current hole, the probe link, the
// sediment panel and the command buttons, and turns each press into an
// operation of its test session (which owns the test's course and the
// acquisition thread); it asks and tells the operator what the session
// cannot.

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace Ui {
class Dialog;
}

class CBatteryDisplay;
class CDlgLeak;
class CLinkDisplay;
class CScreenSaver;
class CTestSession;
class QueryThread;
class QTimer;

class CDlgMain : public QDialog {
    Q_OBJECT
public:
    explicit CDlgMain(QWidget *parent = nullptr);
    ~CDlgMain() override;

    CTestSession *session() const { return m_session.get(); }

    // Short ways to the session and the helpers, for the demonstration and
    // tests.
    void OpenFileForReview(const QString &path);
    void CloseReviewedFile();
    void SetupPaceTimer();
    QueryThread *queryThread() const;
    CDlgLeak *leakNotice() const { return m_dlgLeak.get(); }
    QString openFile() const;
    bool reviewMode() const;
    int32_t paceTicks() const;
    QTimer *paceTimer() const;
    QTimer *screenTimer() const;
    int32_t idleSeconds() const;
    // Ends the process once the quit question is accepted (tests replace it).
    void setQuitAction(std::function<void()> action) { m_quitAction = std::move(action); }
    // Number of curve repaints and table fills done so far (refresh checks).
    int curveRefreshCount() const { return m_nCurveRefreshes; }
    int tableFillCount() const { return m_nTableFills; }

public slots:
    void on_BtnSet_clicked();
    void on_BtnSample_clicked();
    void on_BtnMove_clicked();
    void on_BtnNew_clicked();
    void on_BtnFile_clicked();
    void on_Btnjudge_clicked();
    void on_BtnInfo_clicked();
    void on_BtnQuit_clicked();

    void OnHandleLeakPoint(int curHeight, int leakHeight);
    void OnCurHeight(int curHeight, int leakHeight);
    void OnLeakOver();
    void OnQueryThreadFinish(int type);

    void SetBtnTextByState(uint curState);
    void SetBtnEnableByState(uint curState);
    void SetBtnEnable(bool BtnSet, bool BtnSample, bool BtnSave, bool BtnModal, bool BtnAdjust, bool BtnFixAuto,
                      bool BtnPre, bool BtnNext, bool BtnOpen, bool BtnAnalysis, bool BtnFile, bool BtnMove);

    // The two-argument form comes from the acquisition thread: it only marks
    // what needs redrawing; a short timer merges a burst of such requests into
    // one redraw. The three-argument form redraws at once.
    void updateWave(bool isWave, bool isSeg);
    void updateWave(bool isWave, bool isSeg, bool isRepaint);

    void OnSetMouseClick(int iRow, int iCol, QString str, int iMouseClickType);
    void UpdateTime();
    void WinchConnectStateChanged();

protected:
    void resizeEvent(QResizeEvent *e) override;
    // The curve's area changes size without the window (the upload strip
    // shown or its text on two lines): the curve follows it.
    bool eventFilter(QObject *watched, QEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    void refreshButtons();
    void flushPendingRefresh();
    // The project and hole, the reviewed file or the saved file, at the top.
    void showTitleStrip();
    void onReviewChanged();
    void onSamplePicked(int index);
    void pressSample();
    // Tells the operator when the device refused the command.
    void tell(int outcome);
    bool askQuestion(const QString &text);
    void showMessage(const QString &text);
    // The acceptance line under the curve (hidden while there is none).
    void showVerdictLine();
    // The previous test's toggle and the curve's overlay follow the session.
    void showPreviousTest();
    // The hole-number question and the file name of a new test.
    bool nameNewTest(int kind);
    bool askHoleFileName(QString *name);
    bool confirmHoleNumber();
    void finishTestByOperator();
    // The leak notice's pause button: the way out when the probe cannot be
    // lowered back to a skipped point.
    void pauseFromLeakNotice();
    void runSaveDialog(bool allowReturn);
    void askResample(int32_t minDepthCm, int32_t initialDepthCm);
    void editResistivity(int iRow, const QString &str);

    Ui::Dialog *ui;
    std::unique_ptr<CTestSession> m_session;
    std::unique_ptr<CDlgLeak> m_dlgLeak;
    CScreenSaver *m_screenSaver = nullptr;
    CBatteryDisplay *m_battery = nullptr;
    std::unique_ptr<CLinkDisplay> m_link;
    bool m_bSaveDlgOpen = false;
    bool m_bBtnStateBusy = false;
    // The next table fill selects and centres the sample a curve press picked.
    bool m_bShowPickedRow = false;

    // Redraw requests merged until the refresh timer fires.
    QTimer *m_pRefreshTimer = nullptr;
    bool m_bPendingWave = false;
    bool m_bPendingSeg = false;
    // A redraw asked for while the dialog was hidden; done when it shows.
    bool m_bStaleWhileHidden = false;
    int m_nCurveRefreshes = 0;
    int m_nTableFills = 0;
    std::function<void()> m_quitAction;
};

// Delay that merges redraw requests of the acquisition thread (milliseconds).
constexpr int kRefreshMergeMs = 40;
