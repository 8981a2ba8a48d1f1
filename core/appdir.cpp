#include "appdir.h"

#include "sysconfig.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

QString QKRVCommomUtils::appPath()
{
    const QString overridden = QProcessEnvironment::systemEnvironment().value(QStringLiteral("ZPVW_APP_DIR"));
    if (!overridden.isEmpty())
        return QDir(overridden).absolutePath();
    return QCoreApplication::applicationDirPath();
}

namespace {
bool smallScreenChosen = false;
}

bool QKRVCommomUtils::isSmallScreen()
{
    return smallScreenChosen || QFileInfo(appPath() + QStringLiteral("/8.4")).isDir();
}

void QKRVCommomUtils::chooseSmallScreen() { smallScreenChosen = true; }

namespace {
QDomElement firstBelow(const QDomElement &parent, const QString &name)
{
    return parent.elementsByTagName(name).item(0).toElement();
}
}

bool QKRVCommomUtils::loadSysBaseConfig()
{
    QFile f(appPath() + QStringLiteral("/SysBaseConfig.INI"));
    if (!f.open(QIODevice::ReadOnly)) {
        qDebug() << "open ini failed";
        return false;
    }
    QDomDocument doc;
    if (!doc.setContent(&f)) {
        qDebug() << "set content failed";
        f.close();
        return false;
    }
    f.close();
    const QDomElement root = doc.documentElement();
    if (root.tagName() != QLatin1String("KRV_CONFIG")) {
        qDebug() << "no tag KRV_CONFIG";
        return false;
    }
    const QDomElement params = firstBelow(root, QStringLiteral("SysBaseConfigParam"));
    if (params.isNull())
        return false;

    auto readInt = [&](const char *key, int32_t &target) {
        const QDomElement e = firstBelow(params, QString::fromLatin1(key));
        if (!e.isNull() && !e.text().isEmpty())
            target = e.text().toInt();
    };
    readInt("language", language);
    readInt("style", style);
    readInt("light", light);
    {
        const QDomElement e = firstBelow(params, QStringLiteral("bMeasure"));
        if (!e.isNull() && !e.text().isEmpty())
            bMeasure = e.text() == QLatin1String("true") ? 1 : 0;
    }
    readInt("DeviceType", deviceType);
    readInt("screensaverLevel", screensaverLevel);
    return true;
}
