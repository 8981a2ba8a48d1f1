// Renders the measurement screen with a finished hole, in both themes and
// both screen sizes, to PNG files for a visual check:
//     mainscreen_shots OUTPUT_DIR
#include "dlgmain.h"
#include "holefile.h"
#include "testsession.h"

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
#include <QPushButton>
#include <QTranslator>
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

// The same hole before cleaning: thicker mud, and sediment from 1.2 m
// higher up.
QVector<Sample> holeBeforeCleaning()
{
    QVector<Sample> v = finishedHole();
    for (Sample &s : v) {
        float r = s.resistivity + 5.0f;
        if (s.depth > 18800)
            r += float(s.depth - 18800) / 40.0f;
        s.resistivity = s.rawResistivity = r;
    }
    return v;
}

bool writeTest(const QString &path, int sequence, const QString &date, const QVector<Sample> &list)
{
    CtrlInfo info;
    info.maxDepth = info.holeDepth = 20000;
    info.moveDistance = 50;
    info.holeNo = QStringLiteral("Z17");
    info.projectName = QStringLiteral("Bridge");
    info.testDate = date;
    info.acceptance.sequence = sequence;
    info.acceptance.designLimitMm = 100;
    HoleSaveOptions o;
    o.sync = false;
    return saveHoleFile(path, info, list, o);
}

// The review of Z17-2 with Z17, tested before cleaning, overlaid: both
// themes, both languages, both screen sizes.
void reviewShots(const QString &dir, const TestAppDir &appDir)
{
    QDir().mkpath(appDir.file(QStringLiteral("P")));
    const QString first = appDir.file(QStringLiteral("P/Z17.CZO"));
    const QString second = appDir.file(QStringLiteral("P/Z17-2.CZO"));
    if (!writeTest(first, 1, QStringLiteral("2026-12-08"), holeBeforeCleaning())
        || !writeTest(second, 2, QStringLiteral("2026-12-09"), finishedHole()))
        return;
    QTranslator english;
    english.load(QStringLiteral(":/Language/English.qm"));
    for (int lang = 0; lang < 2; ++lang) {
        language = lang;
        if (lang == 1)
            QCoreApplication::installTranslator(&english);
        for (int shot = 0; shot < 4; ++shot) {
            const int theme = shot % 2;
            const QSize size = shot < 2 ? QSize(1024, 768) : QSize(800, 600);
            style = theme;
            CDlgMain dlg;
            dlg.setFixedSize(size);
            dlg.show();
            dlg.OpenFileForReview(second);
            dlg.session()->setPreviousShown(true);
            QApplication::processEvents();
            dlg.updateWave(true, true, true);
            QApplication::processEvents();
            dlg.grab().save(dir + QStringLiteral("/review-overlay-%1-%2-%3x%4.png")
                                      .arg(lang ? QStringLiteral("en") : QStringLiteral("zh"))
                                      .arg(theme ? QStringLiteral("black") : QStringLiteral("white"))
                                      .arg(size.width())
                                      .arg(size.height()));
            dlg.CloseReviewedFile();
            dlg.hide();
        }
    }
    QCoreApplication::removeTranslator(&english);
    language = 0;
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
            dlg.session()->restoreTest(hole, AcqState::End);
            dlg.session()->selectSample(8); // where the sediment begins
            dlg.on_Btnjudge_clicked();
            dlg.SetBtnEnableByState(dlg.session()->state());
            dlg.SetBtnTextByState(dlg.session()->state());
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
    reviewShots(dir, appDir);
    return 0;
}
