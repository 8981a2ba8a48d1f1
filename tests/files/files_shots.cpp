// Renders the file dialogs to PNG files for a visual check (not a test):
//     files_shots OUTPUT_DIR
// The dialogs get a parent carrying the common style sheet, as the main
// dialog gives them on the instrument.
#include "cdlgexportfile.h"
#include "cdlgfileopt.h"
#include "cdlgprogress.h"
#include "cdlgsavemsg.h"
#include "cdlgselkey.h"
#include "commonutils.h"
#include "ctrlinfo.h"
#include "filesfixture.h"
#include "holefile.h"
#include "holelist.h"
#include "sysconfig.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTranslator>

static void shot(QWidget *w, const QString &dir, const QString &name)
{
    w->show();
    QApplication::processEvents();
    w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
    w->hide();
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 12));
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);

    FilesFixture fx;
    const QStringList projects{QStringLiteral("滨江大桥桩基"), QStringLiteral("城南污水厂"), QStringLiteral("P2023-031"),
                               QStringLiteral("地铁5号线"), QStringLiteral("港区码头二期")};
    for (int i = 0; i < projects.size(); ++i)
        fx.makeProject(projects.at(i), 100 * i);
    for (int i = 1; i <= 17; ++i)
        fx.makeFile(projects.last(), QStringLiteral("ZK%1-%2.CZO").arg(i).arg(i % 3 + 1), i, QByteArray(800 + 12 * i, 'x'));

    for (int theme = 0; theme < 2; ++theme) {
        style = theme;
        const QString t = theme ? QStringLiteral("-black") : QStringLiteral("-white");
        QWidget main;
        QKRVCommomUtils::loadCommonStyleSheet(&main);

        CDlgExportFile browser(&fx.session, &main);
        shot(&browser, dir, QStringLiteral("browser-projects") + t);
        browser.listMode = 1;
        browser.currentProject = projects.last();
        browser.currentPage = 1;
        browser.RefreshList();
        shot(&browser, dir, QStringLiteral("browser-files") + t);
        browser.currentPage = 2;
        browser.ShowPage(2);
        shot(&browser, dir, QStringLiteral("browser-files-page2") + t);

        CDlgFileOpt opt(&main);
        opt.nameText = QStringLiteral("桩文件名: ZK12-1");
        opt.sizeText = QStringLiteral("文件大小: 3.4KB (3512字节)");
        opt.timeText = QStringLiteral("修改时间: 2023年3月8日 10:04:05");
        opt.listMode = 1;
        opt.SetLabels();
        shot(&opt, dir, QStringLiteral("fileopt") + t);
        // A project: the project summary is offered too.
        opt.nameText = QStringLiteral("工程名: 港区码头二期");
        opt.listMode = 0;
        opt.SetLabels();
        shot(&opt, dir, QStringLiteral("fileopt-project") + t);

        CDlgProgress progress(fx.dataDir, QFont(), &browser);
        progress.findChild<QProgressBar *>(QStringLiteral("pBarProgress"))->setRange(0, 34);
        progress.SetValue(13, QStringLiteral("正在导出文件：/media/usb/港区码头二期/ZK7-2.PDF"));
        shot(&progress, dir, QStringLiteral("progress") + t);

        CDlgSaveMsg save(&fx.session, &main);
        save.allowReturn = 1;
        save.Prepare();
        shot(&save, dir, QStringLiteral("savemsg") + t);
        save.allowReturn = 0;
        save.Prepare();
        shot(&save, dir, QStringLiteral("savemsg-noreturn") + t);
        for (QPushButton *b : save.findChildren<QPushButton *>())
            b->hide();
        save.findChild<QLabel *>(QStringLiteral("lbShow"))->show();
        save.findChild<QProgressBar *>(QStringLiteral("pBarProgress"))->show();
        save.SetProgress(42);
        save.adjustSize();
        shot(&save, dir, QStringLiteral("savemsg-saving") + t);
    }
    // A project with repeat tests, in both languages, on both screens.
    style = 0;
    const QString holes = QStringLiteral("跨江大桥桩基");
    fx.makeProject(holes, 900);
    const QStringList names{QStringLiteral("Z1"), QStringLiteral("Z2"), QStringLiteral("Z2-2"), QStringLiteral("Z3"),
                            QStringLiteral("ZK12-1"), QStringLiteral("Z17"), QStringLiteral("Z17-2"), QStringLiteral("Z17-3")};
    for (int i = 0; i < names.size(); ++i) {
        CtrlInfo info;
        info.holeNo = names.at(i).section(QLatin1Char('-'), 0, 0);
        info.testTime = QStringLiteral("10:%1:00").arg(i, 2, 10, QLatin1Char('0'));
        const bool repeat = names.at(i).startsWith(QStringLiteral("Z17-")) || names.at(i) == QStringLiteral("Z2-2");
        info.acceptance.sequence = repeat ? names.at(i).section(QLatin1Char('-'), 1).toInt() : 1;
        if (i != 3) {
            info.acceptance.limitMm = 50;
            info.acceptance.verdict = i % 2;
            info.holeQuality = i % 2;
        }
        fx.makeFile(holes, names.at(i) + QStringLiteral(".CZO"), 1000 + i, encodeHoleFile(info, {}));
    }
    QTranslator english;
    const bool haveEnglish = english.load(QStringLiteral(":/Language/English.qm"));
    for (int small = 0; small < 2; ++small) {
        if (small)
            QDir().mkpath(QKRVCommomUtils::appPath() + QStringLiteral("/8.4"));
        for (int lang = 0; lang < 2 && (lang == 0 || haveEnglish); ++lang) {
            if (lang)
                QCoreApplication::installTranslator(&english);
            QWidget main;
            QKRVCommomUtils::loadCommonStyleSheet(&main);
            CDlgExportFile browser(&fx.session, &main);
            browser.listMode = 1;
            browser.currentProject = holes;
            browser.currentPage = 1;
            browser.RefreshList();
            const QString tag = QStringLiteral("browser-holes-%1-%2").arg(lang ? QStringLiteral("en") : QStringLiteral("zh"),
                                                                         small ? QStringLiteral("800") : QStringLiteral("1024"));
            shot(&browser, dir, tag);
            // The choice a hole tested several times offers.
            const HoleList::Entry z17 = [&] {
                HoleList list;
                list.load(fx.dataDir + QLatin1Char('/') + holes);
                return list.entry(0);
            }();
            CDlgSelKey grid(&main);
            grid.m_strTitle = QCoreApplication::translate("CDlgExportFile", "%1 的测试").arg(z17.hole);
            for (int i = 0; i < z17.tests.size(); ++i)
                grid.m_strItem[i] = z17.tests.at(i).chopped(4);
            grid.UpdateButtons();
            shot(&grid, dir, tag + QStringLiteral("-tests"));
            QCoreApplication::removeTranslator(&english);
        }
    }
    return 0;
}
