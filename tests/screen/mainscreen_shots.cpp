// Renders the measurement screen with a finished hole, in both themes and
// both screen sizes, to PNG files for a visual check:
//     mainscreen_shots OUTPUT_DIR
#include "dlgmain.h"

#include "acqstate.h"
#include "ctrlinfo.h"
#include "device.h"
#include "sysconfig.h"
#include "testrecord.h"
#include "testsupport.h"
#include "winchaddress.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QPixmap>
#include <cmath>

namespace {
// A 20 m hole sampled every 50 mm: clear mud, a thickening layer towards the
// bottom and sediment in the last 40 cm.
QVector<Sample> finishedHole()
{
    QVector<Sample> v;
    for (int depth = 20000; depth >= 0; depth -= 50) {
        double r = 18.0 + 2.0 * std::sin(depth / 900.0);
        if (depth > 16000)
            r += (depth - 16000) / 400.0;
        if (depth > 19600)
            r += (depth - 19600) / 12.0;
        v.append(Sample{depth, float(r), float(r)});
    }
    return v;
}
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 11));
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);
    TestAppDir appDir;
    WinchAddress nowhere;
    nowhere.host = QStringLiteral("127.0.0.1");
    nowhere.port = 9; // discard port: nothing answers, the link shows as down
    setConfiguredWinchAddress(nowhere);
    openDevice();
    const QVector<Sample> hole = finishedHole();
    for (int theme = 0; theme < 2; ++theme) {
        for (const QSize size : {QSize(1024, 768), QSize(800, 600)}) {
            style = theme;
            CDlgMain dlg;
            dlg.setFixedSize(size);
            samples.assign(hole);
            curSampleIndex = 8; // where the sediment begins
            dlg.on_Btnjudge_clicked();
            setState(AcqState::End);
            dlg.SetBtnEnableByState(curState);
            dlg.SetBtnTextByState(curState);
            dlg.show();
            QApplication::processEvents();
            dlg.updateWave(true, true, true);
            QApplication::processEvents();
            const QString name = QStringLiteral("mainscreen-%1-%2x%3.png")
                                     .arg(theme ? QStringLiteral("black") : QStringLiteral("white"))
                                     .arg(size.width())
                                     .arg(size.height());
            dlg.grab().save(dir + QLatin1Char('/') + name);
            dlg.hide();
        }
    }
    return 0;
}
