#pragma once
// The USB disk the export writes to: its device node, its mount point and the
// commands run on it. Every command goes through the platform command layer
// as a program with an argument list, so no file or project name can ever be
// read as a command.
//
// The device node and the mount point default to "/dev/sda1" and "/mnt"; the
// environment variables ZPVW_USB_DEVICE and ZPVW_USB_MOUNT, or the setters
// (which win over the environment), put them elsewhere.

#include <QString>

namespace UsbDisk {

QString deviceNode();
QString mountPoint();
// An empty text goes back to the environment or the default.
void setDeviceNode(const QString &node);
void setMountPoint(const QString &path);

// True when the device node exists (a disk is plugged in).
bool isPresent();

// Destination folder of project P on the disk: mount point + "/" + P.
QString projectFolder(const QString &project);

// Each returns true when the command ended with exit code 0.
bool mount();                                             // mount DEVICE MOUNTPOINT
bool unmount();                                           // umount MOUNTPOINT
bool copy(const QString &source, const QString &target);  // cp -rfa SOURCE TARGET
bool sync();                                              // sync

} // namespace UsbDisk
