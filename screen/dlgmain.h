#pragma once
// The main measurement dialog: the one window the operator works in. It
// shows the curve and the table of the current hole, the probe link, the
// sediment panel and the command buttons, owns the acquisition thread and
// drives it through the shared state word curState.

#include <QDialog>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace Ui {
class Dialog;
}

class CDlgLeak;
class QueryThread;
class QTimer;

class CDlgMain : public QDialog {
    Q_OBJECT
public:
    explicit CDlgMain(QWidget *parent = nullptr);
    ~CDlgMain() override;

    // Operations for the save dialog, the file browser and the set-up dialog.
    void ResetTest();
    void RestartAcquisition();
    void RestoreSetupAndRestart();
    void OpenFileForReview(const QString &path);
    void CloseReviewedFile();
    void SetupPaceTimer();

    // State, for the dialogs that work with this one and for tests.
    QueryThread *queryThread() const { return m_pQueryThread; }
    CDlgLeak *leakNotice() const { return m_dlgLeak.get(); }
    QString openFile() const { return m_strOpenFile; }
    bool reviewMode() const { return m_bReviewMode; }
    int32_t paceTicks() const { return m_nPaceTicks; }
    QTimer *paceTimer() const { return m_pPaceTimer; }
    QTimer *screenTimer() const { return m_pScreenTimer; }
    int32_t idleSeconds() const { return m_nIdleSeconds; }
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
    void UpdateBattery();
    void onScreenTimer();
    void WinchStateChanged();
    void WinchConnectStateChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    void initCombos();
    void setupScreenSaver();
    void applyButtonTheme();
    void refreshButtons();
    void refreshWinchDisplay();
    void flushPendingRefresh();
    bool sendOperationOrWarn();
    bool askQuestion(const QString &text);
    void showMessage(const QString &text);
    // The file-name loop of a new test; true with the accepted name.
    bool askHoleFileName(QString *name);
    bool confirmHoleNumber();
    void finishTestByOperator();
    // The leak notice's pause button: the way out when the probe cannot be
    // lowered back to a skipped point.
    void pauseFromLeakNotice();
    QString chooseFrom(const QString &title, const QStringList &items);
    void showSedimentPanel();
    void createDataFolders();
    void beginNamedTest(uint32_t newState);
    void closeReviewedFileNow();
    void chooseCurveRange();
    void chooseCurveMagnify();
    void rewriteReviewedFileWithReport();
    void enterSedimentThickness();
    void chooseHoleQuality();
    void editResistivity(int iRow, const QString &str);

    Ui::Dialog *ui;
    QueryThread *m_pQueryThread = nullptr;
    std::unique_ptr<CDlgLeak> m_dlgLeak;
    QString m_strOpenFile;
    bool m_bReviewMode = false;
    bool m_bAskBeforeClose = true;
    bool m_bSaveDlgOpen = false;
    bool m_bBtnStateBusy = false;
    int32_t m_nPaceTicks = 0;
    QTimer *m_pPaceTimer = nullptr;
    QTimer *m_pScreenTimer = nullptr;
    int32_t m_nIdleSeconds = 0;
    QPoint m_lastCursorPos;
    QTimer *m_pBatteryTimer = nullptr;

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

// The one main dialog, from the end of its constructor on.
extern CDlgMain *gMainDlg;

// Battery level 0..10 of the last refresh.
extern std::atomic<int32_t> gBatteryLevel;

// Delay that merges redraw requests of the acquisition thread (milliseconds).
constexpr int kRefreshMergeMs = 40;
