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
#include <functional>

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

// A stored test reviewed in both languages, both themes and both screen
// sizes: DIR/NAME-LANG-THEME-WxH.png; `prepare` runs once the file is open.
void reviewInEveryLook(const QString &dir, const QString &name, const QString &path,
                       const std::function<void(CDlgMain &)> &prepare)
{
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
            dlg.OpenFileForReview(path);
            if (prepare)
                prepare(dlg);
            QApplication::processEvents();
            dlg.updateWave(true, true, true);
            QApplication::processEvents();
            dlg.grab().save(dir + QStringLiteral("/%1-%2-%3-%4x%5.png")
                                      .arg(name, lang ? QStringLiteral("en") : QStringLiteral("zh"),
                                           theme ? QStringLiteral("black") : QStringLiteral("white"),
                                           QString::number(size.width()), QString::number(size.height())));
            dlg.CloseReviewedFile();
            dlg.hide();
        }
    }
    QCoreApplication::removeTranslator(&english);
    language = 0;
}

// The review of Z17-2 with Z17, tested before cleaning, overlaid.
void reviewShots(const QString &dir, const TestAppDir &appDir)
{
    QDir().mkpath(appDir.file(QStringLiteral("P")));
    const QString first = appDir.file(QStringLiteral("P/Z17.CZO"));
    const QString second = appDir.file(QStringLiteral("P/Z17-2.CZO"));
    if (!writeTest(first, 1, QStringLiteral("2026-12-08"), holeBeforeCleaning())
        || !writeTest(second, 2, QStringLiteral("2026-12-09"), finishedHole()))
        return;
    reviewInEveryLook(dir, QStringLiteral("review-overlay"), second,
                      [](CDlgMain &dlg) { dlg.session()->setPreviousShown(true); });
}

// A reviewed test whose failed verdict the operator overrode, with its
// reason: the verdict line under the curve, the judged interface on it and
// the title strip naming the file.
void overrideShots(const QString &dir, const TestAppDir &appDir)
{
    QDir().mkpath(appDir.file(QStringLiteral("P")));
    const QString path = appDir.file(QStringLiteral("P/Z21.CZO"));
    CtrlInfo info;
    info.maxDepth = info.holeDepth = 20000;
    info.moveDistance = 50;
    info.holeNo = QStringLiteral("Z21");
    info.projectName = QStringLiteral("Bridge");
    info.testDate = QStringLiteral("2026-12-09");
    info.sedimentThickness = 40; // 400 mm against 100 mm: failed
    info.holeQuality = 0;        // qualified: the override
    info.acceptance.designLimitMm = 100;
    info.acceptance.limitMm = 100;
    info.acceptance.verdict = AcceptanceVerdict::Fail;
    info.acceptance.overridden = true;
    info.acceptance.overrideReason = OverrideReason::SupervisorConfirmed;
    HoleSaveOptions o;
    o.sync = false;
    if (saveHoleFile(path, info, finishedHole(), o))
        reviewInEveryLook(dir, QStringLiteral("review-override"), path, nullptr);
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
    overrideShots(dir, appDir);
    return 0;
}
