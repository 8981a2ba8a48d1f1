#include "usbdisk.h"

#include "commonutils.h"
#include "platform.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QProcessEnvironment>
#include <QStringList>

namespace {

#ifdef ZPVW_INSTRUMENT_BUILD
constexpr bool kInstrumentBuild = true;
#else
constexpr bool kInstrumentBuild = false;
#endif

QMutex gLock; // guards the two overrides
QString gDeviceNode;
QString gMountPoint;

QString environment(const char *name)
{
    return QProcessEnvironment::systemEnvironment().value(QString::fromLatin1(name));
}

} // namespace

namespace UsbDisk {

Location builtInLocation(bool instrumentBuild, const QString &appDir)
{
    if (instrumentBuild)
        return {QStringLiteral("/dev/sda1"), QStringLiteral("/mnt")};
    return {QString(), appDir + QStringLiteral("/usb")};
}

QString deviceNode()
{
    {
        QMutexLocker l(&gLock);
        if (!gDeviceNode.isEmpty())
            return gDeviceNode;
    }
    // A development build never takes a device from the environment: one
    // forgotten variable must not be enough to mount a disk of this machine.
    if (!kInstrumentBuild)
        return QString();
    const QString fromEnv = environment("ZPVW_USB_DEVICE");
    return fromEnv.isEmpty() ? builtInLocation(true, QString()).deviceNode : fromEnv;
}

QString mountPoint()
{
    {
        QMutexLocker l(&gLock);
        if (!gMountPoint.isEmpty())
            return gMountPoint;
    }
    const QString fromEnv = environment("ZPVW_USB_MOUNT");
    return fromEnv.isEmpty() ? builtInLocation(kInstrumentBuild, QKRVCommomUtils::appPath()).mountPoint : fromEnv;
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

bool isSimulated() { return deviceNode().isEmpty(); }

bool isPresent() { return isSimulated() || QFileInfo::exists(deviceNode()); }

QString projectFolder(const QString &project) { return mountPoint() + QLatin1Char('/') + project; }

bool mount()
{
    if (isSimulated())
        return QDir().mkpath(mountPoint());
    return Platform::run(QStringLiteral("mount"), {deviceNode(), mountPoint()}) == 0;
}

bool unmount() { return isSimulated() || Platform::run(QStringLiteral("umount"), {mountPoint()}) == 0; }

bool copy(const QString &source, const QString &target)
{
    return Platform::run(QStringLiteral("cp"), {QStringLiteral("-rfa"), source, target}) == 0;
}

bool sync() { return isSimulated() || Platform::run(QStringLiteral("sync"), {}) == 0; }

} // namespace UsbDisk
