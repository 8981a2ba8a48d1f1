// The refresh after one new sample, through the curve and table widgets on
// their own (placed as on the main screen at 1024x768), and split into its
// two halves so that a change in the total can be traced.

#include "refreshloop.h"

#include "mytable.h"
#include "showwavepic.h"

#include <QApplication>
#include <QWidget>
#include <memory>

namespace {

struct WidgetScreen {
    QWidget host;
    CShowWavePic *wave = nullptr;
    CMyTable *table = nullptr;

    WidgetScreen()
    {
        host.setFixedSize(1024, 768);
        // Where the main screen puts them at 1024x768.
        wave = new CShowWavePic(&host);
        wave->setGeometry(22, 42, 640, 600);
        wave->picture().setSource(&benchSamples(), &benchRecord());
        table = new CMyTable(&host);
        table->setGeometry(686, 42, 326, 300);
        host.show();
        QApplication::processEvents();
    }
};

WidgetScreen &widgetScreen()
{
    static std::unique_ptr<WidgetScreen> s;
    if (!s) {
        s.reset(new WidgetScreen);
        atBenchEnd([] { s.reset(); });
    }
    return *s;
}

void BM_RefreshWidgets(benchmark::State &state)
{
    WidgetScreen &s = widgetScreen();
    runRefreshLoop(state, [&s] {
        s.wave->repaint();
        FillTable(s.table, benchSamples());
        s.table->repaint();
    });
}

void BM_RefreshCurveOnly(benchmark::State &state)
{
    WidgetScreen &s = widgetScreen();
    runRefreshLoop(state, [&s] { s.wave->repaint(); });
}

void BM_RefreshTableOnly(benchmark::State &state)
{
    WidgetScreen &s = widgetScreen();
    runRefreshLoop(state, [&s] {
        FillTable(s.table, benchSamples());
        s.table->repaint();
    });
}

} // namespace

BENCHMARK(BM_RefreshWidgets)->Arg(500)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RefreshCurveOnly)->Arg(500)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RefreshTableOnly)->Arg(500)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();
