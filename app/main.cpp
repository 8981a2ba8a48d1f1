#include "device.h"
#include "dlgmain.h"
#include "startup.h"
#include "winchaddress.h"

#include <QTextStream>
#include <cstdio>

int main(int argc, char **argv)
{
    StartupHooks hooks;
    hooks.handleOptions = [](QStringList &args) {
        QTextStream err(stderr);
        return handleWinchOptions(args, err);
    };
    hooks.openDevice = [] { openDevice(); };
    hooks.runMainDialog = [] {
        CDlgMain dlg;
        dlg.exec();
    };
    return runZpvwApplication(argc, argv, hooks);
}
