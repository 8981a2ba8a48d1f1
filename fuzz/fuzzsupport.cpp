#include "fuzzsupport.h"

#include "ctrlinfo.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ftw.h>
#include <unistd.h>

namespace {
// Neither is ever deleted: libFuzzer leaves through exit(), after which Qt's
// own globals may already be gone.
QCoreApplication *gApp = nullptr;
char gDir[64] = "";

int removeEntry(const char *path, const struct stat *, int, struct FTW *)
{
    return ::remove(path);
}

void removeAppDir()
{
    if (gDir[0])
        ::nftw(gDir, removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    // Debug lines cost time on every input; warnings and worse still show.
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(msg));
}
}

void fuzzInit(int *argc, char ***argv, bool gui)
{
    if (gApp)
        return;
    qInstallMessageHandler(quietHandler);
    if (gui) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        gApp = new QApplication(*argc, *argv);
    } else {
        gApp = new QCoreApplication(*argc, *argv);
    }
    // In memory where the machine has it: the savers flush to the disk on
    // every input.
    std::strcpy(gDir, ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/zpvw-fuzz-XXXXXX" : "/tmp/zpvw-fuzz-XXXXXX");
    if (!::mkdtemp(gDir))
        fuzzFail("cannot create a temporary folder", __FILE__, __LINE__);
    std::atexit(removeAppDir);
    qputenv("ZPVW_APP_DIR", gDir);
    qputenv("ZPVW_ROOT_DIR", gDir);
}

QString fuzzAppDir() { return QFile::decodeName(gDir); }

void fuzzWriteAppFile(const QString &name, const uint8_t *data, size_t size)
{
    QFile f(fuzzAppDir() + QLatin1Char('/') + name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || f.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        fuzzFail("cannot write the input file", __FILE__, __LINE__);
}

QStringList describeRecord(const CtrlInfo &info)
{
    QStringList out;
    const struct {
        const char *name;
        const SharedText *text;
    } texts[] = {{"paramVersion", &info.paramVersion}, {"paramDate", &info.paramDate}, {"filePath", &info.filePath},
                 {"dataDir", &info.dataDir}, {"projectName", &info.projectName}, {"projectPath", &info.projectPath},
                 {"testDate", &info.testDate}, {"testTime", &info.testTime}, {"testUnit", &info.testUnit},
                 {"constructionUnit", &info.constructionUnit}, {"tester", &info.tester}, {"holeNo", &info.holeNo},
                 {"curHoleName", &info.curHoleName},
                 {"lastHoleNo", &info.lastHoleNo}, {"dataDirName", &info.dataDirName}};
    for (const auto &t : texts)
        out << QStringLiteral("%1=\"%2\"").arg(QLatin1String(t.name), t.text->get());
    const struct {
        const char *name;
        const SharedValue<int32_t> *value;
    } numbers[] = {{"largeScreen", &info.largeScreen}, {"holeDepth", &info.holeDepth},
                   {"moveDistance", &info.moveDistance}, {"maxDepth", &info.maxDepth}, {"elevation", &info.elevation},
                   {"holeDiameter", &info.holeDiameter}, {"offsetAngle", &info.offsetAngle},
                   {"winchSpeed", &info.winchSpeed}, {"depthFromTop", &info.depthFromTop}, {"wheelD", &info.wheelD},
                   {"lineD", &info.lineD}, {"brightness", &info.brightness},
                   {"screensaverSeconds", &info.screensaverSeconds}, {"curveRange", &info.curveRange},
                   {"curveMagnify", &info.curveMagnify}, {"holeQuality", &info.holeQuality},
                   {"sedimentThickness", &info.sedimentThickness}, {"sampleMode", &info.sampleMode}};
    for (const auto &n : numbers)
        out << QStringLiteral("%1=%2").arg(QLatin1String(n.name), QString::number(n.value->load()));
    // Reals by their bits, so that a NaN equals itself.
    for (const SharedValue<float> *v : {&info.spareValue1, &info.spareValue2}) {
        const float f = v->load();
        quint32 bits;
        static_assert(sizeof bits == sizeof f, "32-bit reals");
        std::memcpy(&bits, &f, sizeof bits);
        out << QStringLiteral("spareValue=0x%1").arg(bits, 8, 16, QLatin1Char('0'));
    }
    out << QStringLiteral("savedFlag=%1").arg(info.savedFlag) << QStringLiteral("displayFlag=%1").arg(info.displayFlag);
    for (const StoredColor &c : info.colors) {
        QByteArray b;
        QDataStream s(&b, QIODevice::WriteOnly);
        s << c;
        out << QStringLiteral("color=") + QString::fromLatin1(b.toHex());
    }
    for (const QByteArray &f : info.fonts)
        out << QStringLiteral("font=") + QString::fromLatin1(f.toHex());
    const HoleAcceptance &a = info.acceptance;
    out << QStringLiteral("acceptance=%1 \"%2\" \"%3\" %4 %5 %6 %7 %8")
               .arg(QString::number(a.designLimitMm), a.code, a.pileType, QString::number(a.limitMm),
                    QString::number(a.verdict), QString::number(a.overridden), QString::number(a.position),
                    QString::number(a.sequence));
    return out;
}

void checkSameRecord(const CtrlInfo &a, const CtrlInfo &b, const char *what, const char *file, int line)
{
    const QStringList da = describeRecord(a);
    const QStringList db = describeRecord(b);
    if (da == db)
        return;
    for (int i = 0; i < da.size() && i < db.size(); ++i) {
        if (da.at(i) != db.at(i))
            std::fprintf(stderr, "  %s  <->  %s\n", qPrintable(da.at(i)), qPrintable(db.at(i)));
    }
    fuzzFail(what, file, line);
}

void fillSentinelRecord(CtrlInfo &info)
{
    info.resetToDefaults();
    info.projectName = QStringLiteral("sentinel project");
    info.projectPath = QStringLiteral("sentinel path");
    info.testUnit = QStringLiteral("sentinel unit");
    info.constructionUnit = QStringLiteral("sentinel builder");
    info.tester = QStringLiteral("sentinel tester");
    info.testDate = QStringLiteral("1999-09-09");
    info.testTime = QStringLiteral("09:09:09");
    info.holeNo = QStringLiteral("S-1");
    info.curHoleName = QStringLiteral("S-1 name");
    info.lastHoleNo = QStringLiteral("S-0");
    info.holeDepth = 31415;
    info.moveDistance = 77;
    info.maxDepth = 27182;
    info.elevation = -1234;
    info.holeDiameter = 1111;
    info.offsetAngle = 13;
    info.wheelD = 71;
    info.lineD = 9;
    info.winchSpeed = 3;
    info.spareValue1 = 1.5f;
    info.spareValue2 = -2.5f;
    info.holeQuality = 1;
    info.sedimentThickness = 42;
    info.sampleMode = SampleModes::Manual6;
    info.savedFlag = 7;
    info.displayFlag = 5;
    info.brightness = 3;
    info.screensaverSeconds = 600;
}

void fuzzFail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, file, line);
    std::fflush(stderr);
    std::abort();
}
