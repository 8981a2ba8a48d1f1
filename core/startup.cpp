#include "startup.h"

#include "commonutils.h"
#include "ctrlinfo.h"
#include "platform.h"
#include "sysconfig.h"

#include <QApplication>
#include <QDataStream>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCodec>
#include <QTranslator>
#include <memory>
#include <vector>

QString versionText() { return QStringLiteral("V") + QStringLiteral("2.0.230308"); }

bool shouldStopSiblings(const QStringList &rawArgs)
{
    return !(rawArgs.size() > 2 && rawArgs.at(2).trimmed() == QLatin1String("-V"));
}

void stopSiblingPrograms(const QStringList &rawArgs)
{
    if (!QFileInfo::exists(Platform::rootPath(QStringLiteral("/IsEnableKill"))))
        return;
    if (!shouldStopSiblings(rawArgs))
        return;
    Platform::run(QStringLiteral("pkill"), {QStringLiteral("-f"), QStringLiteral("/opt/ZPVD -qws")});
    Platform::run(QStringLiteral("pkill"), {QStringLiteral("-f"), QStringLiteral("/opt/ZPVC -qws")});
}

bool isVersionReportMode(const QStringList &args)
{
    return args.size() > 2 && args.at(1).trimmed() == QLatin1String("-V");
}

bool writeVersionReport(const QString &name)
{
    QString dir = QKRVCommomUtils::appPath();
    if (dir.isEmpty())
        dir = Platform::rootPath(QStringLiteral("/opt"));
    QFile f(dir + QLatin1Char('/') + name + QStringLiteral(".KRV"));
    if (!f.open(QIODevice::ReadWrite))
        return false;
    QDataStream out(&f);
    out.setVersion(QDataStream::Qt_4_0);
    out << versionText();
    f.close();
    return out.status() == QDataStream::Ok;
}

QStringList withoutQwsOption(const QStringList &rawArgs)
{
    QStringList out;
    for (int i = 0; i < rawArgs.size(); ++i) {
        if (i > 0 && rawArgs.at(i) == QLatin1String("-qws"))
            continue;
        out << rawArgs.at(i);
    }
    return out;
}

bool shouldInstallEnglish()
{
    return QFileInfo(QKRVCommomUtils::appPath() + QStringLiteral("/English.language")).isDir() || language == 1;
}

void installGbkCodec()
{
    if (QTextCodec *gbk = QTextCodec::codecForName("GBK"))
        QTextCodec::setCodecForLocale(gbk);
}

int runZpvwApplication(int argc, char **argv, const StartupHooks &hooks)
{
    QCoreApplication::addLibraryPath(QStringLiteral("./plugins"));
    installGbkCodec();
    qDebug() << "20210701.ui";

    QStringList rawArgs;
    for (int i = 0; i < argc; ++i)
        rawArgs << QString::fromLocal8Bit(argv[i]);
    stopSiblingPrograms(rawArgs);

    // Qt 5 has no embedded window server: accept "-qws" and drop it, so the
    // following steps see the list the toolkit used to leave.
    std::vector<QByteArray> kept;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && qstrcmp(argv[i], "-qws") == 0)
            continue;
        kept.emplace_back(argv[i]);
    }
    std::vector<char *> keptArgv;
    for (QByteArray &a : kept)
        keptArgv.push_back(a.data());
    keptArgv.push_back(nullptr);
    int keptArgc = static_cast<int>(kept.size());

    auto translator = std::make_unique<QTranslator>();
    const bool catalogueLoaded = translator->load(QStringLiteral(":/Language/English.qm"));

    // The version report needs no screen: do not ask for one, so it also works
    // on a machine without a display.
    QStringList preview;
    for (const QByteArray &a : kept)
        preview << QString::fromLocal8Bit(a);
    std::unique_ptr<QCoreApplication> app;
    if (isVersionReportMode(preview))
        app = std::make_unique<QCoreApplication>(keptArgc, keptArgv.data());
    else
        app = std::make_unique<QApplication>(keptArgc, keptArgv.data());
    QStringList args = QCoreApplication::arguments();

    const QString ver = versionText();
    qDebug() << "strVer:" << ver;

    if (isVersionReportMode(args)) {
        writeVersionReport(args.at(2));
        return 1;
    }

    if (hooks.handleOptions) {
        const int status = hooks.handleOptions(args);
        if (status >= 0)
            return status;
    }

    QKRVCommomUtils::loadSysBaseConfig();
    QKRVCommomUtils::setAppFont(qobject_cast<QApplication *>(app.get()));
    if (catalogueLoaded && shouldInstallEnglish())
        QCoreApplication::installTranslator(translator.get());
    if (hooks.openDevice)
        hooks.openDevice();
    gCtrlInfo.screensaverSeconds = screensaverSecondsForLevel(screensaverLevel);
    gCtrlInfo.brightness = light;

    if (hooks.runMainDialog)
        hooks.runMainDialog();
    return 0;
}
