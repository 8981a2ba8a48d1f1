// The main screen itself: the refresh after one new sample through the
// dialog's own refresh (table fill, curve and table painted, value row), the
// probe-link display, and the time from constructing the dialog to its first
// painted frame.

#include "refreshloop.h"

#include "device.h"
#include "dlgmain.h"
#include "firstframe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <memory>

namespace {

constexpr QSize kScreen(1024, 768);

// Shows the dialog and runs the event loop until its first frame is painted,
// curve and table included. False after 5 s.
bool showAndWaitForFirstPaint(CDlgMain &dlg)
{
    CFirstFrameWatch watch(&dlg);
    dlg.show();
    QElapsedTimer t;
    t.start();
    while (!watch.painted() && t.elapsed() < 5000)
        QApplication::processEvents();
    return watch.painted();
}

std::unique_ptr<CDlgMain> newMainScreen()
{
    std::unique_ptr<CDlgMain> dlg(new CDlgMain);
    dlg->setFixedSize(kScreen);
    return dlg;
}

CDlgMain &mainScreen()
{
    static std::unique_ptr<CDlgMain> dlg;
    if (!dlg) {
        openDevice();
        dlg = newMainScreen();
        atBenchEnd([] { dlg.reset(); });
    }
    // A hidden dialog only notes that it must redraw once shown.
    if (!dlg->isVisible())
        showAndWaitForFirstPaint(*dlg);
    return *dlg;
}

// Runs the refresh loop and checks that every refresh did fill the table:
// a dialog that skipped its work would give a figure of nothing.
void runDialogRefreshLoop(benchmark::State &state, CDlgMain &dlg, const std::function<void()> &refresh, int magnify = 100)
{
    bool skipped = false;
    runRefreshLoop(state, [&] {
        const int fills = dlg.tableFillCount();
        refresh();
        skipped = skipped || dlg.tableFillCount() == fills;
    }, magnify);
    if (skipped)
        state.SkipWithError("the dialog skipped a refresh");
}

// The refresh done at once (isRepaint): fill, then both widgets painted in full.
void BM_RefreshMainDialog(benchmark::State &state)
{
    CDlgMain &dlg = mainScreen();
    runDialogRefreshLoop(state, dlg, [&dlg] { dlg.updateWave(true, true, true); });
}

// The same with the curve magnified 600 %: a canvas six times as wide and
// high in the scroll area, of which the paint covers the part in view.
void BM_RefreshMainDialogMagnified(benchmark::State &state)
{
    CDlgMain &dlg = mainScreen();
    runDialogRefreshLoop(state, dlg, [&dlg] { dlg.updateWave(true, true, true); }, 600);
    dlg.updateWave(true, true, true); // back to the plain canvas for what follows
}

// The refresh as the acquisition thread's request ends up after merging:
// fill, update requests, and the event loop painting what they marked.
void BM_RefreshMainDialogScheduled(benchmark::State &state)
{
    CDlgMain &dlg = mainScreen();
    runDialogRefreshLoop(state, dlg, [&dlg] {
        dlg.updateWave(true, true, false);
        QApplication::processEvents();
    });
}

// The probe-link display refreshed as on every changed winch report (twenty
// a second while raising), and whatever that leaves to paint.
void BM_WinchDisplayRefresh(benchmark::State &state)
{
    CDlgMain &dlg = mainScreen();
    for (auto _ : state) {
        dlg.WinchConnectStateChanged();
        QApplication::processEvents();
    }
}

// Constructing the main dialog, showing it and painting its first frame
// (in a running process: fonts, style sheets and resources already warm).
void BM_MainScreenToFirstPaint(benchmark::State &state)
{
    openDevice();
    mainScreen().hide();
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        std::unique_ptr<CDlgMain> dlg = newMainScreen();
        if (!showAndWaitForFirstPaint(*dlg)) {
            state.SkipWithError("no paint within 5 s");
            break;
        }
        state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
        dlg.reset();
    }
    mainScreen().show();
}

} // namespace

BENCHMARK(BM_RefreshMainDialog)->Arg(500)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RefreshMainDialogMagnified)->Arg(500)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RefreshMainDialogScheduled)->Arg(500)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WinchDisplayRefresh)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MainScreenToFirstPaint)->Iterations(10)->Unit(benchmark::kMillisecond)->UseManualTime();
