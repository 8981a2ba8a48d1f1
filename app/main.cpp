#include "device.h"
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
    return runZpvwApplication(argc, argv, hooks);
}
