#include "commonutils.h"

#include "sysconfig.h"

#include <QApplication>
#include <QDebug>
#include <QDesktopWidget>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QProcessEnvironment>
#include <QScreen>
#include <QWidget>

QString QKRVCommomUtils::appPath()
{
    const QString overridden = QProcessEnvironment::systemEnvironment().value(QStringLiteral("ZPVW_APP_DIR"));
    if (!overridden.isEmpty())
        return QDir(overridden).absolutePath();
    return QCoreApplication::applicationDirPath();
}

QString QKRVCommomUtils::themeName() { return style == 1 ? QStringLiteral("black") : QStringLiteral("white"); }

bool QKRVCommomUtils::isSmallScreen() { return QFileInfo(appPath() + QStringLiteral("/8.4")).isDir(); }

QRect QKRVCommomUtils::screenRect()
{
    if (isSmallScreen())
        return QRect(QPoint(100, 100), QPoint(899, 699));
    if (QScreen *s = QGuiApplication::primaryScreen())
        return s->availableGeometry();
    return QRect(0, 0, 1024, 768);
}

bool QKRVCommomUtils::loadStyleSheet(QWidget *widget, QString &path, const QString &suffix)
{
    if (!widget)
        return false;
    if (path.isEmpty()) {
        path = QStringLiteral(":/styles/styles/") + themeName() + QLatin1Char('/')
               + QString::fromLatin1(widget->metaObject()->className()) + suffix + QStringLiteral(".qss");
    }
    const QString ext = path.right(4);
    if (ext != QLatin1String(".qss") && ext != QLatin1String(".QSS") && ext != QLatin1String(".css"))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    widget->setStyleSheet(widget->styleSheet() + QString::fromUtf8(f.readAll()));
    return true;
}

bool QKRVCommomUtils::loadCommonStyleSheet(QWidget *widget)
{
    QString path = QStringLiteral(":/styles/styles/") + themeName() + QStringLiteral("/CommomStyles.qss");
    return loadStyleSheet(widget, path, QString());
}

bool QKRVCommomUtils::setAppFont(QApplication *app)
{
    QFont font;
    font.setPixelSize(16);
    const QString family = QStringLiteral("思源黑体 CN Medium");
    if (!QFontDatabase().families().contains(family))
        return false;
    font.setFamily(family);
    if (app)
        QApplication::setFont(font);
    return true;
}

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
