// Start-up reads top to bottom: every step is a plain call, so the order
// they run in is the order written here.

#include "appoptions.h"
#include "appstart.h"
#include "commonutils.h"
#include "consolecommands.h"
#include "ctrlinfo.h"
#include "demorun.h"
#include "device.h"
#include "devicekey.h"
#include "dlgmain.h"
#include "startup.h"
#include "uploadsender.h"
#include "uploadsettings.h"
#include "uploadstrip.h"

#include <QApplication>
#include <QLabel>
#include <QDebug>
#include <QTextStream>
#include <QTranslator>
#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    if (wantsDemo(argc, argv))
        quietDebugOutput();

    QCoreApplication::addLibraryPath(QStringLiteral("./plugins"));
    installGbkCodec();
    QList<QByteArray> raw;
    for (int i = 0; i < argc; ++i)
        raw << QByteArray(argv[i]);
    // --help, --version and every refusal come before anything starts: no
    // sibling stopped, no toolkit, no window, no link.
    {
        QTextStream out(stdout);
        out.setCodec("UTF-8");
        QTextStream err(stderr);
        const int status = handleEarlyOptions(raw, out, err);
        if (status >= 0)
            return status;
    }
    qDebug() << "20210701.ui";

    stopSiblingPrograms(rawArguments(argc, argv));
    ArgumentsWithoutQws kept(argc, argv);

    // Declared before the application so that it outlives it.
    QTranslator translator;
    const bool catalogueLoaded = translator.load(QStringLiteral(":/Language/English.qm"));

    // The version report needs no screen: do not ask for one, so it also works
    // on a machine without a display.
    std::unique_ptr<QCoreApplication> app;
    if (isVersionReportMode(kept.texts()) || wantsConsoleCommand(argc, argv))
        app = std::make_unique<QCoreApplication>(kept.argc(), kept.argv());
    else
        app = std::make_unique<QApplication>(kept.argc(), kept.argv());
    QStringList args = QCoreApplication::arguments();
    qDebug() << "strVer:" << versionText();

    // Asked again on the list the toolkit left: "-platform X -V NAME" too.
    if (isVersionReportMode(args)) {
        writeVersionReport(args.at(2));
        return 1;
    }

    AppOptions options;
    {
        QTextStream err(stderr);
        const int status = handleAppOptions(args, raw, &options, err);
        if (status >= 0)
            return status;
        QTextStream out(stdout);
        if (options.device)
            return printDeviceLine(QKRVCommomUtils::appPath(), out, err);
        if (options.sync)
            return syncOutbox(QKRVCommomUtils::appPath(), options.archiveUrl, options.archiveCa, out, err);
    }

    // The instrument's identity exists from its first start on.
    {
        DeviceKey key;
        QString error;
        if (!loadOrCreateDeviceKey(QKRVCommomUtils::appPath(), &key, &error))
            qWarning() << "no device key:" << error;
    }
    UploadSettings upload;
    {
        QString error;
        if (!resolveUploadSettings(options.archiveUrl, options.archiveCa, QKRVCommomUtils::appPath(), &upload, &error)) {
            QTextStream(stderr) << "zpvw: " << error << '\n';
            return 2;
        }
    }

    QKRVCommomUtils::loadSysBaseConfig();
    QKRVCommomUtils::setAppFont(qobject_cast<QApplication *>(app.get()));
    if (catalogueLoaded && shouldInstallEnglish())
        QCoreApplication::installTranslator(&translator);
    openDevice();

    followWindowSize(options.window);
    CDlgMain dlg;
    applyWindowSize(dlg, options.window);
    // The small screen's dialogs open over its fixed area: the window too.
    if (options.window == smallScreenWindow())
        dlg.move(QKRVCommomUtils::screenRect().topLeft());
    // Tests go to the archive in the background whenever it can be reached.
    std::unique_ptr<CUploadSender> sender;
    if (upload.enabled()) {
        sender = std::make_unique<CUploadSender>(upload, outboxFolder(QKRVCommomUtils::appPath()));
        new CUploadStrip(dlg.findChild<QLabel *>(QStringLiteral("label_upload_msg")), sender.get());
        sender->start();
    }
    if (options.demo) {
        CDemoRun run(dlg, options);
        if (sender)
            run.waitForUpload(sender.get(), upload.url.toString());
        return run.exec();
    }
    if (!options.screenshot.isEmpty())
        return runScreenshotOnce(dlg, options.screenshot);
    dlg.exec();
    return 0;
}
