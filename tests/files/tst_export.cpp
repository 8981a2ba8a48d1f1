#include "tst_export.h"

#include "cdlgexportfile.h"
#include "cdlgfileopt.h"
#include "cdlgprogress.h"
#include "filesfixture.h"
#include "usbdisk.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

namespace {

using namespace Answer;

// What an export showed: the dialogs answered, the progress range and the
// value and text the progress display ended with.
struct Run {
    QStringList seen;
    int maximum = -1;
    QString finalState;
};

Run watch(const std::function<void()> &action, const QList<Step> &steps, const FilesFixture &fx)
{
    Run run;
    run.seen = answering(steps, action, [&](QDialog *d) {
        auto *bar = d->findChild<QProgressBar *>(QStringLiteral("pBarProgress"));
        auto *label = d->findChild<QLabel *>(QStringLiteral("lbShow"));
        run.maximum = bar->maximum();
        QObject::connect(d, &QDialog::finished, d, [&run, bar, label, &fx](int) {
            run.finalState = QStringLiteral("%1 %2").arg(QString::number(bar->value()), fx.norm(label->text()));
        });
    });
    // Paths in what the dialogs said, as the instrument writes them.
    for (QString &said : run.seen)
        said = fx.norm(said);
    return run;
}

Run pressItem(CDlgExportFile &b, const QString &text, const QList<Step> &steps, const FilesFixture &fx)
{
    int index = -1;
    for (int i = 0; i < b.itemButtons.size(); ++i)
        if (b.itemButtons.at(i)->text() == text)
            index = i;
    if (index < 0)
        return Run{{QStringLiteral("NO ITEM ") + text}, -1, QString()};
    return watch([&] { QTest::mousePress(b.itemButtons.at(index), Qt::LeftButton); }, steps, fx);
}

Run exportAll(CDlgExportFile &b, const QList<Step> &steps, const FilesFixture &fx)
{
    auto *button = b.findChild<QPushButton *>(QStringLiteral("BtnExportAll"));
    return watch([&] { QTest::mouseClick(button, Qt::LeftButton); }, steps, fx);
}

void enterProject(CDlgExportFile &b, const QString &name, const FilesFixture &fx)
{
    pressItem(b, name, {openItem}, fx);
    QCOMPARE(b.listMode, 1);
}

const QString kFileP = QStringLiteral("正在导出文件：/mnt/P/");

} // namespace

void TestExport::initTestCase() { silenceOffscreenWarnings(); }

void TestExport::init() {}

void TestExport::builtInLocations_data()
{
    QTest::addColumn<bool>("instrument");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("mount");
    QTest::newRow("instrument build: the real disk") << true << QStringLiteral("/dev/sda1") << QStringLiteral("/mnt");
    QTest::newRow("development build: a folder") << false << QString() << QStringLiteral("/app/usb");
}

void TestExport::builtInLocations()
{
    QFETCH(bool, instrument);
    QFETCH(QString, device);
    QFETCH(QString, mount);
    const UsbDisk::Location l = UsbDisk::builtInLocation(instrument, QStringLiteral("/app"));
    QCOMPARE(l.deviceNode, device);
    QCOMPARE(l.mountPoint, mount);
}

void TestExport::usbLocations_data()
{
    // "APP" stands for the application directory.
    QTest::addColumn<QString>("envDevice");
    QTest::addColumn<QString>("envMount");
    QTest::addColumn<QString>("setDevice");
    QTest::addColumn<QString>("setMount");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("mount");
#ifdef ZPVW_INSTRUMENT_BUILD
    QTest::newRow("defaults") << QString() << QString() << QString() << QString() << QStringLiteral("/dev/sda1")
                              << QStringLiteral("/mnt");
    QTest::newRow("environment") << QStringLiteral("/dev/sdb1") << QStringLiteral("/media/usb") << QString()
                                 << QString() << QStringLiteral("/dev/sdb1") << QStringLiteral("/media/usb");
#else
    QTest::newRow("defaults: a folder") << QString() << QString() << QString() << QString() << QString()
                                        << QStringLiteral("APP/usb");
    QTest::newRow("environment: the folder moves, a device is ignored")
        << QStringLiteral("/dev/sdb1") << QStringLiteral("APP/stick") << QString() << QString() << QString()
        << QStringLiteral("APP/stick");
#endif
    QTest::newRow("setters win") << QStringLiteral("/dev/sdb1") << QStringLiteral("APP/stick")
                                 << QStringLiteral("/tmp/dev") << QStringLiteral("/tmp/disk") << QStringLiteral("/tmp/dev")
                                 << QStringLiteral("/tmp/disk");
}

void TestExport::usbLocations()
{
    QFETCH(QString, envDevice);
    QFETCH(QString, envMount);
    QFETCH(QString, setDevice);
    QFETCH(QString, setMount);
    QFETCH(QString, device);
    QFETCH(QString, mount);
    TestAppDir app;
    const auto inApp = [&app](QString text) { return text.replace(QStringLiteral("APP"), app.path()); };
    const auto setEnv = [&](const char *name, const QString &value) {
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, inApp(value).toLocal8Bit());
    };
    setEnv("ZPVW_USB_DEVICE", envDevice);
    setEnv("ZPVW_USB_MOUNT", envMount);
    UsbDisk::setDeviceNode(setDevice);
    UsbDisk::setMountPoint(setMount);
    ScopedCommandRecorder rec;
    const bool mounted = UsbDisk::mount();
    const bool synced = UsbDisk::sync();
    const bool unmounted = UsbDisk::unmount();
    const QString node = UsbDisk::deviceNode();
    const QString point = UsbDisk::mountPoint();
    const bool present = UsbDisk::isPresent();
    qunsetenv("ZPVW_USB_DEVICE");
    qunsetenv("ZPVW_USB_MOUNT");
    UsbDisk::setDeviceNode(QString());
    UsbDisk::setMountPoint(QString());
    QCOMPARE(node, device);
    QCOMPARE(point, inApp(mount));
    QVERIFY(mounted && synced && unmounted);
    if (device.isEmpty()) {
        // A simulated disk: no command at all, the folder made by the mount.
        QVERIFY(rec.recorder.commands().isEmpty());
        QVERIFY(QFileInfo(point).isDir());
        QVERIFY(present);
    } else {
        QCOMPARE(rec.recorder.commands(), (QStringList{QStringLiteral("mount ") + device + QLatin1Char(' ') + mount,
                                                       QStringLiteral("sync"), QStringLiteral("umount ") + mount}));
    }
}

#ifndef ZPVW_INSTRUMENT_BUILD
void TestExport::developmentExportWritesIntoItsFolder()
{
    FilesFixture fx;
    // Nothing named: the build's own disk, the folder usb/ of the application
    // directory (the fixture's disk folder is that very folder).
    UsbDisk::setDeviceNode(QString());
    UsbDisk::setMountPoint(QString());
    QVERIFY(QDir(fx.mountPoint).removeRecursively());
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A12.CZO"), 1, "new hole");
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A12.PDF"), 1, "report");
    CDlgExportFile b(&fx.session);
    b.show();
    enterProject(b, QStringLiteral("P"), fx);
    const Run run = pressItem(b, QStringLiteral("A12"), {exportItem, okMessage}, fx);
    QCOMPARE(run.seen.last(), QStringLiteral("CDlgMsgBox: 导出完成！已写入 /mnt/P"));
    QCOMPARE(fx.commands(), (QStringList{QStringLiteral("cp -rfa DATA/P/A12.CZO /mnt/P/"),
                                        QStringLiteral("cp -rfa DATA/P/A12.PDF /mnt/P/")}));
    QCOMPARE(readFileBytes(fx.app.file(QStringLiteral("usb/P/A12.CZO"))), QByteArray("new hole"));
    QCOMPARE(readFileBytes(fx.app.file(QStringLiteral("usb/P/A12.PDF"))), QByteArray("report"));
}
#endif

void TestExport::noDeviceExportsNothing_data()
{
    QTest::addColumn<bool>("inProject");
    QTest::addColumn<bool>("all");
    QTest::newRow("one file") << true << false;
    QTest::newRow("all files") << true << true;
    QTest::newRow("one project") << false << false;
    QTest::newRow("all projects") << false << true;
}

void TestExport::noDeviceExportsNothing()
{
    QFETCH(bool, inProject);
    QFETCH(bool, all);
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A12.CZO"), 1);
    QFile::remove(fx.deviceNode);
    CDlgExportFile b(&fx.session);
    b.show();
    if (inProject)
        enterProject(b, QStringLiteral("P"), fx);
    const Run run = all ? exportAll(b, {okMessage}, fx)
                        : pressItem(b, inProject ? QStringLiteral("A12") : QStringLiteral("P"), {exportItem, okMessage}, fx);
    QCOMPARE(run.seen.last(), QStringLiteral("CDlgMsgBox: 导出数据失败, 找不到设备!"));
    QVERIFY(fx.trace.isEmpty());
    QVERIFY(fx.diskEntries(QString()).isEmpty());
}

void TestExport::oneFileRunsInOrder()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A12.CZO"), 1, "new hole");
    CDlgExportFile b(&fx.session);
    b.show();
    enterProject(b, QStringLiteral("P"), fx);
    const Run run = pressItem(b, QStringLiteral("A12"), {exportItem, okMessage}, fx);

    QCOMPARE(fx.trace, (QStringList{
                           QStringLiteral("mount /dev/sda1 /mnt @0 ") + kFileP + QStringLiteral("A12.CZO"),
                           QStringLiteral("cp -rfa DATA/P/A12.CZO /mnt/P/ @0 ") + kFileP + QStringLiteral("A12.CZO"),
                           QStringLiteral("cp -rfa DATA/P/A12.PDF /mnt/P/ @1 ") + kFileP + QStringLiteral("A12.PDF"),
                           QStringLiteral("sync @1 ") + kFileP + QStringLiteral("A12.PDF"),
                           QStringLiteral("umount /mnt @1 ") + kFileP + QStringLiteral("A12.PDF"),
                       }));
    QCOMPARE(run.maximum, 2);
    QCOMPARE(run.finalState, QStringLiteral("2 导出完成！"));
    QCOMPARE(run.seen.last(), QStringLiteral("CDlgMsgBox: 导出完成！已写入 /mnt/P"));
    QCOMPARE(readFileBytes(fx.mountPoint + QStringLiteral("/P/A12.CZO")), QByteArray("new hole"));
}

void TestExport::oneFileAgainAsks_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("no keeps the disk") << false;
    QTest::newRow("yes replaces") << true;
}

void TestExport::oneFileAgainAsks()
{
    QFETCH(bool, yes);
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A12.CZO"), 1, "new hole");
    fx.makeDiskFile(QStringLiteral("P/A12.CZO"), "old hole");
    fx.makeDiskFile(QStringLiteral("P/A12.PDF"), "old report");
    CDlgExportFile b(&fx.session);
    b.show();
    enterProject(b, QStringLiteral("P"), fx);
    const Run run = pressItem(b, QStringLiteral("A12"), {exportItem, yes ? okQuestion : cancelQuestion, okMessage}, fx);

    QCOMPARE(run.seen.at(1), QStringLiteral("CDlgMsgQuestion: 桩文件 A12 已存在，确定要重新导出吗？"));
    QCOMPARE(run.finalState, QStringLiteral("2 导出完成！"));
    if (yes) {
        QCOMPARE(fx.commands(), (QStringList{QStringLiteral("mount /dev/sda1 /mnt"),
                                            QStringLiteral("cp -rfa DATA/P/A12.CZO /mnt/P/"),
                                            QStringLiteral("cp -rfa DATA/P/A12.PDF /mnt/P/"), QStringLiteral("sync"),
                                            QStringLiteral("umount /mnt")}));
        QCOMPARE(readFileBytes(fx.mountPoint + QStringLiteral("/P/A12.CZO")), QByteArray("new hole"));
        // The old report went with the old hole file; the source has none.
        QCOMPARE(fx.diskEntries(QStringLiteral("P")), QStringList{QStringLiteral("A12.CZO")});
    } else {
        QCOMPARE(fx.commands(), (QStringList{QStringLiteral("mount /dev/sda1 /mnt"), QStringLiteral("umount /mnt")}));
        QCOMPARE(readFileBytes(fx.mountPoint + QStringLiteral("/P/A12.CZO")), QByteArray("old hole"));
        QCOMPARE(readFileBytes(fx.mountPoint + QStringLiteral("/P/A12.PDF")), QByteArray("old report"));
    }
}

void TestExport::allFilesOfProject()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("C.CZO"), 1);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("B.CZO"), 2);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("B.PDF"), 2);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A.CZO"), 3);
    CDlgExportFile b(&fx.session);
    b.show();
    enterProject(b, QStringLiteral("P"), fx);
    const Run run = exportAll(b, {okMessage}, fx);

    const QString waiting = QStringLiteral("正在导出中，请稍等……");
    QCOMPARE(run.maximum, 6);
    QCOMPARE(fx.trace, (QStringList{
                           QStringLiteral("mount /dev/sda1 /mnt @0 ") + waiting,
                           QStringLiteral("cp -rfa DATA/P/A.CZO /mnt/P/ @0 ") + kFileP + QStringLiteral("A.CZO"),
                           QStringLiteral("cp -rfa DATA/P/A.PDF /mnt/P/ @1 ") + kFileP + QStringLiteral("A.PDF"),
                           QStringLiteral("sync @1 ") + kFileP + QStringLiteral("A.PDF"),
                           QStringLiteral("cp -rfa DATA/P/B.CZO /mnt/P/ @2 ") + kFileP + QStringLiteral("B.CZO"),
                           QStringLiteral("cp -rfa DATA/P/B.PDF /mnt/P/ @3 ") + kFileP + QStringLiteral("B.PDF"),
                           QStringLiteral("sync @3 ") + kFileP + QStringLiteral("B.PDF"),
                           QStringLiteral("cp -rfa DATA/P/C.CZO /mnt/P/ @4 ") + kFileP + QStringLiteral("C.CZO"),
                           QStringLiteral("cp -rfa DATA/P/C.PDF /mnt/P/ @5 ") + kFileP + QStringLiteral("C.PDF"),
                           QStringLiteral("sync @5 ") + kFileP + QStringLiteral("C.PDF"),
                           QStringLiteral("sync @5 导出完成"),
                           QStringLiteral("umount /mnt @5 导出完成"),
                       }));
    QCOMPARE(run.seen, QStringList{QStringLiteral("CDlgMsgBox: 导出完成！已写入 /mnt/P")});
    QCOMPARE(fx.diskEntries(QStringLiteral("P")),
             (QStringList{QStringLiteral("A.CZO"), QStringLiteral("B.CZO"), QStringLiteral("B.PDF"),
                          QStringLiteral("C.CZO")}));
}

void TestExport::allFilesSkipsRefusedFile()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("B.CZO"), 1, "new B");
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A.CZO"), 2, "new A");
    fx.makeDiskFile(QStringLiteral("P/A.CZO"), "old A");
    CDlgExportFile b(&fx.session);
    b.show();
    enterProject(b, QStringLiteral("P"), fx);
    const Run run = exportAll(b, {cancelQuestion, okMessage}, fx);

    QCOMPARE(run.seen.first(), QStringLiteral("CDlgMsgQuestion: 桩文件 A 已存在，确定要重新导出吗？"));
    QCOMPARE(fx.commands(), (QStringList{QStringLiteral("mount /dev/sda1 /mnt"),
                                        QStringLiteral("cp -rfa DATA/P/B.CZO /mnt/P/"),
                                        QStringLiteral("cp -rfa DATA/P/B.PDF /mnt/P/"), QStringLiteral("sync"),
                                        QStringLiteral("sync"), QStringLiteral("umount /mnt")}));
    // The refused file's step still moves the bar on.
    QVERIFY(fx.trace.at(1).startsWith(QStringLiteral("cp -rfa DATA/P/B.CZO /mnt/P/ @2 ")));
    QCOMPARE(readFileBytes(fx.mountPoint + QStringLiteral("/P/A.CZO")), QByteArray("old A"));
    QCOMPARE(readFileBytes(fx.mountPoint + QStringLiteral("/P/B.CZO")), QByteArray("new B"));
}

void TestExport::oneProjectCopiesOnlyHoleFiles()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("b2.czo"), 1);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("b2.pdf"), 1);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A1.CZO"), 2);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("notes.txt"), 3);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("sub/C.CZO"), 4);
    CDlgExportFile b(&fx.session);
    b.show();
    const Run run = pressItem(b, QStringLiteral("P"), {exportItem, okMessage}, fx);

    const QString project = QStringLiteral("正在导出工程：/mnt/P");
    QCOMPARE(run.maximum, 5);
    QCOMPARE(fx.trace, (QStringList{
                           QStringLiteral("mount /dev/sda1 /mnt @0 ") + project,
                           QStringLiteral("cp -rfa DATA/P/A1.CZO /mnt/P/A1.CZO @1 ") + kFileP + QStringLiteral("A1.CZO"),
                           QStringLiteral("cp -rfa DATA/P/A1.PDF /mnt/P/A1.PDF @2 ") + kFileP + QStringLiteral("A1.PDF"),
                           QStringLiteral("sync @2 ") + kFileP + QStringLiteral("A1.PDF"),
                           QStringLiteral("cp -rfa DATA/P/b2.czo /mnt/P/b2.czo @3 ") + kFileP + QStringLiteral("b2.czo"),
                           QStringLiteral("cp -rfa DATA/P/b2.pdf /mnt/P/b2.pdf @4 ") + kFileP + QStringLiteral("b2.pdf"),
                           QStringLiteral("sync @4 ") + kFileP + QStringLiteral("b2.pdf"),
                           QStringLiteral("umount /mnt @4 ") + kFileP + QStringLiteral("b2.pdf"),
                       }));
    QCOMPARE(run.finalState, QStringLiteral("5 导出完成"));
    QCOMPARE(run.seen.last(), QStringLiteral("CDlgMsgBox: 导出完成！已写入 /mnt/P"));
    QCOMPARE(fx.diskEntries(QStringLiteral("P")),
             (QStringList{QStringLiteral("A1.CZO"), QStringLiteral("b2.czo"), QStringLiteral("b2.pdf")}));
}

// "工程汇总" on a pressed project writes its CSV and PDF beside the project's
// folder; exporting the project then copies both beside its folder on the
// disk. A hole file is offered no summary.
void TestExport::projectSummaryMadeAndCarried()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A1.CZO"), 2);
    CDlgExportFile b(&fx.session);
    b.show();
    const Step summary{"CDlgFileOpt", "BtnSummary"};
    const Run made = pressItem(b, QStringLiteral("P"), {summary, okMessage}, fx);
    QCOMPARE(made.seen.last(), QStringLiteral("CDlgMsgBox: 工程汇总已保存：\nP-汇总.csv\nP-汇总.pdf"));
    QVERIFY(QFile::exists(fx.dataDir + QStringLiteral("/P-汇总.csv")));
    QVERIFY(QFile::exists(fx.dataDir + QStringLiteral("/P-汇总.pdf")));
    QCOMPARE(b.projectNames, QStringList{QStringLiteral("P")}); // files, not projects

    pressItem(b, QStringLiteral("P"), {exportItem, okMessage}, fx);
    const QStringList tail = fx.trace.mid(fx.trace.size() - 4);
    QVERIFY2(tail.at(0).startsWith(QStringLiteral("cp -rfa DATA/P-汇总.csv /mnt/P-汇总.csv")), qPrintable(tail.join('\n')));
    QVERIFY(tail.at(1).startsWith(QStringLiteral("cp -rfa DATA/P-汇总.pdf /mnt/P-汇总.pdf")));
    QVERIFY(tail.at(2).startsWith(QStringLiteral("sync")));
    QVERIFY(tail.at(3).startsWith(QStringLiteral("umount /mnt")));

    for (int mode : {0, 1}) {
        CDlgFileOpt opt;
        opt.listMode = mode;
        opt.SetLabels();
        QCOMPARE(opt.findChild<QPushButton *>(QStringLiteral("BtnSummary"))->isVisibleTo(&opt), mode == 0);
    }
}

void TestExport::existingProject_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("no keeps the disk") << false;
    QTest::newRow("yes replaces the folder") << true;
}

void TestExport::existingProject()
{
    QFETCH(bool, yes);
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A1.CZO"), 1, "new A1");
    fx.makeDiskFile(QStringLiteral("P/A1.CZO"), "old A1");
    fx.makeDiskFile(QStringLiteral("P/stale.CZO"), "stale");
    CDlgExportFile b(&fx.session);
    b.show();
    const Run run = pressItem(b, QStringLiteral("P"), {exportItem, yes ? okQuestion : cancelQuestion, okMessage}, fx);

    QCOMPARE(run.seen.at(1), QStringLiteral("CDlgMsgQuestion: 工程 P 已存在，确定要重新导出吗？"));
    QCOMPARE(run.finalState, QStringLiteral("3 导出完成"));
    if (yes) {
        QCOMPARE(fx.diskEntries(QStringLiteral("P")), QStringList{QStringLiteral("A1.CZO")});
        QCOMPARE(readFileBytes(fx.mountPoint + QStringLiteral("/P/A1.CZO")), QByteArray("new A1"));
        QCOMPARE(fx.commands().last(), QStringLiteral("umount /mnt"));
    } else {
        QCOMPARE(fx.commands(), (QStringList{QStringLiteral("mount /dev/sda1 /mnt"), QStringLiteral("umount /mnt")}));
        QCOMPARE(fx.diskEntries(QStringLiteral("P")), (QStringList{QStringLiteral("A1.CZO"), QStringLiteral("stale.CZO")}));
        QCOMPARE(readFileBytes(fx.mountPoint + QStringLiteral("/P/A1.CZO")), QByteArray("old A1"));
    }
}

void TestExport::allProjects()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P2"), 10);
    fx.makeFile(QStringLiteral("P2"), QStringLiteral("X.CZO"), 1, "new X");
    fx.makeProject(QStringLiteral("P1"), 20);
    fx.makeFile(QStringLiteral("P1"), QStringLiteral("A.CZO"), 1);
    fx.makeFile(QStringLiteral("P1"), QStringLiteral("B.CZO"), 1);
    fx.makeDiskFile(QStringLiteral("P2/X.CZO"), "old X");
    CDlgExportFile b(&fx.session);
    b.show();
    const Run run = exportAll(b, {cancelQuestion, okMessage}, fx);

    const QString p1 = QStringLiteral("正在导出文件：/mnt/P1/");
    QCOMPARE(run.maximum, 6);
    QCOMPARE(fx.trace, (QStringList{
                           QStringLiteral("mount /dev/sda1 /mnt @0 正在导出中，请稍等……"),
                           QStringLiteral("cp -rfa DATA/P1/A.CZO /mnt/P1/A.CZO @1 ") + p1 + QStringLiteral("A.CZO"),
                           QStringLiteral("cp -rfa DATA/P1/A.PDF /mnt/P1/A.PDF @2 ") + p1 + QStringLiteral("A.PDF"),
                           QStringLiteral("sync @2 ") + p1 + QStringLiteral("A.PDF"),
                           QStringLiteral("cp -rfa DATA/P1/B.CZO /mnt/P1/B.CZO @3 ") + p1 + QStringLiteral("B.CZO"),
                           QStringLiteral("cp -rfa DATA/P1/B.PDF /mnt/P1/B.PDF @4 ") + p1 + QStringLiteral("B.PDF"),
                           QStringLiteral("sync @4 ") + p1 + QStringLiteral("B.PDF"),
                           QStringLiteral("umount /mnt @6 导出完成"),
                       }));
    QCOMPARE(run.seen, (QStringList{QStringLiteral("CDlgMsgQuestion: 工程 P2 已存在，确定要重新导出吗？"),
                                    QStringLiteral("CDlgMsgBox: 导出完成！已写入 /mnt")}));
    QCOMPARE(readFileBytes(fx.mountPoint + QStringLiteral("/P2/X.CZO")), QByteArray("old X"));
    QCOMPARE(fx.diskEntries(QStringLiteral("P1")), (QStringList{QStringLiteral("A.CZO"), QStringLiteral("B.CZO")}));
}

void TestExport::failureIsReportedAndDiskUnmounted_data()
{
    QTest::addColumn<int>("task");          // CDlgProgress::Task
    QTest::addColumn<QString>("failOn");    // command that fails
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QString>("message");

    const QString mount = QStringLiteral("mount /dev/sda1 /mnt");
    const QString umount = QStringLiteral("umount /mnt");
    const QString sync = QStringLiteral("sync");
    const QString mountFailed = QStringLiteral("导出失败：无法挂载U盘！");

    for (int task = 1; task <= 4; ++task)
        QTest::addRow("mount, task %d", task) << task << mount << QStringList{mount, umount} << mountFailed;

    QTest::newRow("copy of one file") << 4 << QStringLiteral("cp -rfa DATA/P/A.CZO")
                                      << QStringList{mount, QStringLiteral("cp -rfa DATA/P/A.CZO /mnt/P/"), sync, umount}
                                      << QStringLiteral("导出失败：复制 P/A.CZO 失败！");
    QTest::newRow("existing report of one file")
        << 4 << QStringLiteral("cp -rfa DATA/P/A.PDF")
        << QStringList{mount, QStringLiteral("cp -rfa DATA/P/A.CZO /mnt/P/"), QStringLiteral("cp -rfa DATA/P/A.PDF /mnt/P/"),
                       sync, umount}
        << QStringLiteral("导出失败：复制 P/A.PDF 失败！");
    QTest::newRow("sync of one file") << 4 << sync
                                      << QStringList{mount, QStringLiteral("cp -rfa DATA/P/A.CZO /mnt/P/"),
                                                     QStringLiteral("cp -rfa DATA/P/A.PDF /mnt/P/"), sync, sync, umount}
                                      << QStringLiteral("导出失败：写入U盘失败（P/A.CZO）！");
    QTest::newRow("copy stops the files of a project")
        << 3 << QStringLiteral("cp -rfa DATA/P/A.CZO")
        << QStringList{mount, QStringLiteral("cp -rfa DATA/P/A.CZO /mnt/P/"), sync, umount}
        << QStringLiteral("导出失败：复制 P/A.CZO 失败！");
    QTest::newRow("copy stops one project")
        << 2 << QStringLiteral("cp -rfa DATA/P/A.CZO")
        << QStringList{mount, QStringLiteral("cp -rfa DATA/P/A.CZO /mnt/P/A.CZO"), sync, umount}
        << QStringLiteral("导出失败：复制 P/A.CZO 失败！");
    QTest::newRow("copy stops all projects")
        << 1 << QStringLiteral("cp -rfa DATA/P/B.CZO")
        << QStringList{mount,
                       QStringLiteral("cp -rfa DATA/P/A.CZO /mnt/P/A.CZO"),
                       QStringLiteral("cp -rfa DATA/P/A.PDF /mnt/P/A.PDF"),
                       sync,
                       QStringLiteral("cp -rfa DATA/P/B.CZO /mnt/P/B.CZO"),
                       sync,
                       umount}
        << QStringLiteral("导出失败：复制 P/B.CZO 失败！");
}

void TestExport::failureIsReportedAndDiskUnmounted()
{
    QFETCH(int, task);
    QFETCH(QString, failOn);
    QFETCH(QStringList, commands);
    QFETCH(QString, message);
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("B.CZO"), 1);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A.CZO"), 2);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A.PDF"), 2);
    fx.failOn = failOn;
    CDlgExportFile b(&fx.session);
    b.show();
    const bool inProject = task == CDlgProgress::AllFiles || task == CDlgProgress::OneFile;
    if (inProject)
        enterProject(b, QStringLiteral("P"), fx);
    const bool all = task == CDlgProgress::AllFiles || task == CDlgProgress::AllProjects;
    const Run run = all ? exportAll(b, {okMessage}, fx)
                        : pressItem(b, inProject ? QStringLiteral("A") : QStringLiteral("P"), {exportItem, okMessage}, fx);
    QCOMPARE(fx.commands(), commands);
    QCOMPARE(run.seen.last(), QStringLiteral("CDlgMsgBox: ") + message);
    QVERIFY(run.finalState.endsWith(message));
}

void TestExport::unmountFailureIsReported()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A.CZO"), 1);
    fx.failOn = QStringLiteral("umount");
    CDlgExportFile b(&fx.session);
    b.show();
    enterProject(b, QStringLiteral("P"), fx);
    const Run run = pressItem(b, QStringLiteral("A"), {exportItem, okMessage}, fx);
    QCOMPARE(fx.commands().last(), QStringLiteral("umount /mnt"));
    QCOMPARE(run.seen.last(), QStringLiteral("CDlgMsgBox: 导出完成，但U盘未能卸载，请勿直接拔出U盘!"));
}
