#pragma once
// Leak-point notice: the depth of a skipped step and the current depth of the
// probe, in metres from the hole top, while the leak is pending.
//
// Usage (the main dialog owns one for its whole life):
//     m_dlgLeak.SetHeights(curHeight, leakHeight, holeDepth);
//     if (!m_dlgLeak.m_bShown) { m_dlgLeak.m_bShown = true; m_dlgLeak.exec(); }
//     ...on every new height while pending: m_dlgLeak.SetHeights(cur, leak, holeDepth);
//     ...when the leak is over: m_dlgLeak.Close();
// Escape does not close it. Ordinarily the probe is lowered back to the
// skipped point and the notice ends by itself; a winch that cannot lower it
// (jammed, broken cable) would hold the screen for good. So once the notice
// has shown for a while it offers one button, BtnLeakPause, that emits
// pauseRequested: the main dialog pauses the test, which ends the notice, and
// the operator can finish and save what was measured or resample.

#include <QDialog>
#include <QElapsedTimer>
#include <cstdint>

namespace Ui {
class CDlgLeak;
}
class QTimer;

// How long the notice shows before it offers the pause (milliseconds).
constexpr int kLeakPauseOfferMs = 10000;

// Whether the pause button shows after the notice has shown for shownMs.
bool leakPauseOffered(qint64 shownMs, int delayMs);

class CDlgLeak : public QDialog {
    Q_OBJECT
public:
    explicit CDlgLeak(QWidget *parent = nullptr);
    ~CDlgLeak() override;

    // Heights in millimetres above the bottom of a hole holeDepth deep,
    // shown as depths in metres.
    void SetHeights(int32_t curHeightMm, int32_t leakHeightMm, int32_t holeDepth);
    // Ends the notice's modal run.
    void Close();
    // Escape only forgets that the notice is shown; the notice stays.
    void reject() override;

    // Delay before the pause is offered, from each showing (tests shorten it).
    void setPauseOfferDelayMs(int ms) { m_nPauseOfferMs = ms; }
    int pauseOfferDelayMs() const { return m_nPauseOfferMs; }

    int32_t m_nCurHeight = 0;
    int32_t m_nLeakHeight = 0;
    bool m_bShown = false; // set by the main dialog while the notice is on screen

signals:
    // The operator pressed the pause button.
    void pauseRequested();

protected:
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    void checkPauseOffer();
    void offerPause(bool offered);

    Ui::CDlgLeak *ui;
    QTimer *m_pPauseOfferTimer;
    QElapsedTimer m_shownClock;
    int m_nPauseOfferMs = kLeakPauseOfferMs;
};
