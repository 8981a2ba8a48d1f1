#pragma once
// The USB disk the export writes to: its device node, its mount point and the
// commands run on it. Every command goes through the platform command layer
// as a program with an argument list, so no file or project name can ever be
// read as a command.
//
// Only the instrument build (ZPVW_INSTRUMENT_BUILD) exports to a real disk:
// the device node "/dev/sda1" (or ZPVW_USB_DEVICE) mounted at "/mnt" (or
// ZPVW_USB_MOUNT). Every other build exports to a simulated disk, the folder
// "usb" in the application directory (or ZPVW_USB_MOUNT), and runs no mount,
// unmount or sync command: a development run on a PC can never mount the
// machine's own disks. The setters (tests) win over both; naming a device
// node through setDeviceNode() makes any build treat it as a real disk.

#include <QString>

namespace UsbDisk {

// Where a build exports when nothing else is named.
struct Location {
    QString deviceNode; // empty: a simulated disk (a folder)
    QString mountPoint;
};
Location builtInLocation(bool instrumentBuild, const QString &appDir);

// Empty for a simulated disk.
QString deviceNode();
QString mountPoint();
// An empty text goes back to the environment or the default.
void setDeviceNode(const QString &node);
void setMountPoint(const QString &path);

// True when the disk is a folder standing in for one (no device node).
bool isSimulated();
// True when a disk is plugged in: its device node exists. A simulated disk is
// always there.
bool isPresent();

// Destination folder of project P on the disk: mount point + "/" + P.
QString projectFolder(const QString &project);

// Each returns true when the command ended with exit code 0. On a simulated
// disk mount() creates the folder and none of the three runs a command.
bool mount();                                             // mount DEVICE MOUNTPOINT
bool unmount();                                           // umount MOUNTPOINT
bool copy(const QString &source, const QString &target);  // cp -rfa SOURCE TARGET
bool sync();                                              // sync

} // namespace UsbDisk
