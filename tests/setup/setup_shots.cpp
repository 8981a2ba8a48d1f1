// Renders the set-up, leak and resample dialogs (the leak notice also with
// its pause offered) to PNG files for a visual
// check, in both themes and both screen sizes:
//     setup_shots OUTPUT_DIR
#include "cdlgleak.h"
#include "cdlgresample.h"
#include "cdlgset.h"
#include "commonutils.h"
#include "ctrlinfo.h"
#include "sysconfig.h"
#include "testsupport.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QPixmap>
#include <QTranslator>

static void shot(QWidget *w, const QString &dir, const QString &name)
{
    w->show();
    QApplication::processEvents();
    qInfo("%s: layout needs %dx%d", qPrintable(name), w->minimumSizeHint().width(), w->minimumSizeHint().height());
    w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
    w->hide();
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 12));
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);

    gCtrlInfo.projectName = QStringLiteral("城南大桥桩基检测工程");
    gCtrlInfo.projectPath = QStringLiteral("城南大桥");
    gCtrlInfo.tester = QStringLiteral("张工");
    gCtrlInfo.holeNo = QStringLiteral("12#");
    gCtrlInfo.maxDepth = 35500;
    gCtrlInfo.elevation = 30000;
    gCtrlInfo.offsetAngle = 30;
    gCtrlInfo.acceptance.code = QStringLiteral("JTG/T 3650-2020");
    gCtrlInfo.acceptance.pileType = QStringLiteral("摩擦桩");
    gCtrlInfo.acceptance.position = MeasuringPosition::XPrime;

    TestAppDir appDir;
    for (int small = 0; small < 2; ++small) {
        if (small)
            QDir().mkpath(appDir.file(QStringLiteral("8.4")));
        const QString size = small ? QStringLiteral("-800") : QStringLiteral("-1024");
        for (int theme = 0; theme < 2; ++theme) {
            style = theme;
            const QString t = theme ? QStringLiteral("-black") : QStringLiteral("-white");
            // The main dialog carries the common sheet; the set-up dialog
            // inherits it as its child.
            QWidget host;
            QKRVCommomUtils::loadCommonStyleSheet(&host);
            CDlgSet set(&host);
            shot(&set, dir, QStringLiteral("cdlgset") + size + t);
            if (!small) {
                CDlgReSample re(500, 600, &host);
                shot(&re, dir, QStringLiteral("cdlgresample") + t);
            }
            // The notice as the main dialog runs it (no parent), once it
            // offers the pause.
            CDlgLeak leak;
            leak.setPauseOfferDelayMs(0);
            leak.SetHeights(12340, 12000);
            shot(&leak, dir, QStringLiteral("cdlgleak-pause") + size + t);
        }
    }
    style = 0;
    QTranslator english;
    if (english.load(QStringLiteral(":/Language/English.qm"))) {
        QCoreApplication::installTranslator(&english);
        language = 1;
        gCtrlInfo.sampleMode = SampleModes::Manual6;
        QWidget host;
        QKRVCommomUtils::loadCommonStyleSheet(&host);
        CDlgSet set(&host);
        shot(&set, dir, QStringLiteral("cdlgset-800-white-english"));
        QDir(appDir.file(QStringLiteral("8.4"))).removeRecursively();
        CDlgSet large(&host);
        shot(&large, dir, QStringLiteral("cdlgset-1024-white-english"));
        CDlgLeak leak;
        shot(&leak, dir, QStringLiteral("cdlgleak-english"));
        leak.setPauseOfferDelayMs(0);
        shot(&leak, dir, QStringLiteral("cdlgleak-pause-english"));
        QCoreApplication::removeTranslator(&english);
        language = 0;
    }
    CDlgLeak leak;
    gCtrlInfo.holeDepth = 20000;
    leak.SetHeights(12340, 12000);
    shot(&leak, dir, QStringLiteral("cdlgleak"));
    return 0;
}
