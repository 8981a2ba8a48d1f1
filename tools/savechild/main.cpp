// zpvw-savechild: saves numbered versions of a hole file or of the
// test-parameter file, one after the other, into the application directory
// (ZPVW_APP_DIR), so that a test can kill it in the middle of a save and
// then look at what is left on disk.
//
//   zpvw-savechild hole|param FIRST COUNT
//
// Saves versions FIRST, FIRST+1, ... (COUNT of them; 0: until killed). Before
// each save it prints "saving G", after it "saved G" (flushed). Hole files
// are saved alternately with and without the per-sample progress path of
// the end-of-test dialog; the final "sync" runs are left out (the writer
// flushes the file itself before it replaces the old one).

#include "holefile.h"
#include "paramfile.h"
#include "saveversions.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool okFirst = false;
    bool okCount = false;
    const int first = args.value(2).toInt(&okFirst);
    const int count = args.value(3).toInt(&okCount);
    const QString kind = args.value(1);
    if (args.size() != 4 || (kind != QLatin1String("hole") && kind != QLatin1String("param")) || !okFirst
        || !okCount || first < 0 || count < 0) {
        std::fprintf(stderr, "usage: zpvw-savechild hole|param FIRST COUNT\n");
        return 2;
    }
    const QString holePath = QDir(qEnvironmentVariable("ZPVW_APP_DIR")).filePath(saveVersionsHoleName());
    for (int g = first; count == 0 || g < first + count; ++g) {
        std::printf("saving %d\n", g);
        std::fflush(stdout);
        CtrlInfo info;
        bool ok = false;
        QString why;
        if (kind == QLatin1String("hole")) {
            QVector<Sample> s;
            holeVersion(g, info, s);
            HoleSaveOptions o;
            o.sync = false;
            if (g % 2) {
                o.progress = [](int) {};
                o.progressWaitMs = 0;
            }
            ok = saveHoleFile(holePath, info, s, o, &why);
        } else {
            paramVersion(g, info);
            ok = saveTestParams(info, &why);
        }
        if (!ok) {
            std::fprintf(stderr, "save %d failed: %s\n", g, qPrintable(why));
            return 1;
        }
        std::printf("saved %d\n", g);
        std::fflush(stdout);
    }
    return 0;
}
