#include "appstart.h"
#include "demorun.h"
#include "device.h"
#include "dlgmain.h"
#include "startup.h"

#include <QTextStream>
#include <cstdio>

int main(int argc, char **argv)
{
    if (wantsDemo(argc, argv))
        quietDebugOutput();

    QList<QByteArray> raw;
    for (int i = 0; i < argc; ++i)
        raw << QByteArray(argv[i]);
    AppOptions options;
    int status = 0;
    StartupHooks hooks;
    hooks.handleOptions = [&options, &raw](QStringList &args) {
        QTextStream err(stderr);
        return handleAppOptions(args, raw, &options, err);
    };
    hooks.openDevice = [] { openDevice(); };
    hooks.runMainDialog = [&options, &status] {
        CDlgMain dlg;
        applyWindowSize(dlg, options.window);
        if (options.demo) {
            CDemoRun run(dlg, options);
            status = run.exec();
        } else if (!options.screenshot.isEmpty()) {
            status = runScreenshotOnce(dlg, options.screenshot);
        } else {
            dlg.exec();
        }
    };
    const int rc = runZpvwApplication(argc, argv, hooks);
    return rc != 0 ? rc : status;
}
