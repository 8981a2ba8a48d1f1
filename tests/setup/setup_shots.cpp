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
#include "testsession.h"
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

    TestAppDir appDir;
    CTestSession session;
    CtrlInfo shown;
    shown.projectName = QStringLiteral("城南大桥桩基检测工程");
    shown.projectPath = QStringLiteral("城南大桥");
    shown.tester = QStringLiteral("张工");
    shown.holeNo = QStringLiteral("12#");
    shown.maxDepth = 35500;
    shown.elevation = 30000;
    shown.offsetAngle = 30;
    shown.acceptance.code = QStringLiteral("JTG/T 3650-2020");
    shown.acceptance.pileType = QStringLiteral("摩擦桩");
    shown.acceptance.position = MeasuringPosition::XPrime;
    session.storeSetup(shown);
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
            CDlgSet set(&session, &host);
            shot(&set, dir, QStringLiteral("cdlgset") + size + t);
            if (!small) {
                CDlgReSample re(500, 600, 20000, 50, &host);
                shot(&re, dir, QStringLiteral("cdlgresample") + t);
            }
            // The notice as the main dialog runs it (no parent), once it
            // offers the pause.
            CDlgLeak leak;
            leak.setPauseOfferDelayMs(0);
            leak.SetHeights(12340, 12000, 20000);
            shot(&leak, dir, QStringLiteral("cdlgleak-pause") + size + t);
        }
    }
    style = 0;
    QTranslator english;
    if (english.load(QStringLiteral(":/Language/English.qm"))) {
        QCoreApplication::installTranslator(&english);
        language = 1;
        shown.sampleMode = SampleModes::Manual6;
        session.storeSetup(shown);
        QWidget host;
        QKRVCommomUtils::loadCommonStyleSheet(&host);
        CDlgSet set(&session, &host);
        shot(&set, dir, QStringLiteral("cdlgset-800-white-english"));
        QDir(appDir.file(QStringLiteral("8.4"))).removeRecursively();
        CDlgSet large(&session, &host);
        shot(&large, dir, QStringLiteral("cdlgset-1024-white-english"));
        CDlgLeak leak;
        shot(&leak, dir, QStringLiteral("cdlgleak-english"));
        leak.setPauseOfferDelayMs(0);
        shot(&leak, dir, QStringLiteral("cdlgleak-pause-english"));
        QCoreApplication::removeTranslator(&english);
        language = 0;
    }
    CDlgLeak leak;
    leak.SetHeights(12340, 12000, 20000);
    shot(&leak, dir, QStringLiteral("cdlgleak"));
    return 0;
}
