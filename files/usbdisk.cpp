#include "usbdisk.h"

#include "platform.h"

#include <QFileInfo>
#include <QMutex>
#include <QProcessEnvironment>
#include <QStringList>

namespace {

QMutex gLock; // guards the two overrides
QString gDeviceNode;
QString gMountPoint;

QString overridden(const QString &set, const char *env, const char *fallback)
{
    if (!set.isEmpty())
        return set;
    const QString fromEnv = QProcessEnvironment::systemEnvironment().value(QString::fromLatin1(env));
    return fromEnv.isEmpty() ? QString::fromLatin1(fallback) : fromEnv;
}

} // namespace

namespace UsbDisk {

QString deviceNode()
{
    QMutexLocker l(&gLock);
    return overridden(gDeviceNode, "ZPVW_USB_DEVICE", "/dev/sda1");
}

QString mountPoint()
{
    QMutexLocker l(&gLock);
    return overridden(gMountPoint, "ZPVW_USB_MOUNT", "/mnt");
}

void setDeviceNode(const QString &node)
{
    QMutexLocker l(&gLock);
    gDeviceNode = node;
}

void setMountPoint(const QString &path)
{
    QMutexLocker l(&gLock);
    gMountPoint = path;
}

bool isPresent() { return QFileInfo::exists(deviceNode()); }

QString projectFolder(const QString &project) { return mountPoint() + QLatin1Char('/') + project; }

bool mount() { return Platform::run(QStringLiteral("mount"), {deviceNode(), mountPoint()}) == 0; }

bool unmount() { return Platform::run(QStringLiteral("umount"), {mountPoint()}) == 0; }

bool copy(const QString &source, const QString &target)
{
    return Platform::run(QStringLiteral("cp"), {QStringLiteral("-rfa"), source, target}) == 0;
}

bool sync() { return Platform::run(QStringLiteral("sync"), {}) == 0; }

} // namespace UsbDisk
