#include "startup.h"

#include "appdir.h"
#include "platform.h"
#include "sysconfig.h"

#include <QDataStream>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

QString versionText() { return QStringLiteral("V") + QStringLiteral("2.0.230308"); }

bool isConsoleCommand(const QStringList &rawArgs)
{
    return rawArgs.mid(1).contains(QStringLiteral("--device")) || rawArgs.mid(1).contains(QStringLiteral("--sync"));
}

bool shouldStopSiblings(const QStringList &rawArgs)
{
    return !(rawArgs.size() > 2 && rawArgs.at(2).trimmed() == QLatin1String("-V")) && !isConsoleCommand(rawArgs);
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

QStringList rawArguments(int argc, char **argv)
{
    QStringList out;
    for (int i = 0; i < argc; ++i)
        out << QString::fromLocal8Bit(argv[i]);
    return out;
}

ArgumentsWithoutQws::ArgumentsWithoutQws(int argc, char **argv)
{
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && qstrcmp(argv[i], "-qws") == 0)
            continue;
        m_kept.emplace_back(argv[i]);
    }
    for (QByteArray &a : m_kept)
        m_argv.push_back(a.data());
    m_argv.push_back(nullptr);
    m_argc = int(m_kept.size());
}

QStringList ArgumentsWithoutQws::texts() const
{
    QStringList out;
    for (const QByteArray &a : m_kept)
        out << QString::fromLocal8Bit(a);
    return out;
}
