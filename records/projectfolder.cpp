#include "projectfolder.h"

#include <QDir>

bool isSafeProjectFolder(const QString &name, QString *why)
{
    const char *reason = nullptr;
    if (QDir::isAbsolutePath(name))
        reason = "is an absolute path";
    else if (name.contains(QLatin1String("..")))
        reason = "holds \"..\"";
    else if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        reason = "holds a path separator";
    if (reason && why)
        *why = QString::fromLatin1(reason);
    return !reason;
}

QString projectFolderPath(const QString &dataDir, const QString &name)
{
    if (!isSafeProjectFolder(name))
        return QString();
    return dataDir + QLatin1Char('/') + name;
}
