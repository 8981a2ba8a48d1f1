#pragma once
// What the tests of the main dialog, and of the dialogs it opens, start from.
// Header only: it needs the acquisition library, which only those tests link.

#include "acqstate.h"
#include "ctrlinfo.h"
#include "device.h"
#include "platform.h"
#include "sysconfig.h"
#include "testrecord.h"
#include "testsupport.h"
#include "winchaddress.h"

#include <QTcpServer>

// A winch controller on 127.0.0.1 that takes the connection and never
// answers: the link shows as down, as on an instrument without its winch.
class SilentWinch {
public:
    // Listens on a free port and makes it the configured winch address.
    bool start()
    {
        if (!m_server.listen(QHostAddress::LocalHost, 0))
            return false;
        setConfiguredWinchAddress(WinchAddress{QStringLiteral("127.0.0.1"), m_server.serverPort()});
        return true;
    }
    void stop() { m_server.close(); }

private:
    QTcpServer m_server;
};

// One test's world: a fresh application folder, the platform's commands
// recorded instead of run, the basic configuration and the record at
// their start values, and the memory device open
// with the probe at the bottom. Destroyed in reverse: device, recorder,
// folder.
class ScreenTestWorld {
public:
    ScreenTestWorld()
    {
        resetSysBaseConfig();
        setDeviceBackend(nullptr);
        openDevice();
        memoryDevice().resetHeight();
    }
    ~ScreenTestWorld()
    {
        setDeviceBackend(nullptr);
    }
    ScreenTestWorld(const ScreenTestWorld &) = delete;
    ScreenTestWorld &operator=(const ScreenTestWorld &) = delete;

    QString file(const QString &name) const { return m_dir.file(name); }

private:
    TestAppDir m_dir;
    ScopedCommandRecorder m_commands;
};
