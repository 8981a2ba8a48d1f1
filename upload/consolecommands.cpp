#include "consolecommands.h"

#include "devicekey.h"
#include "outbox.h"
#include "uploadsender.h"
#include "uploadsettings.h"

#include <QEventLoop>
#include <QTextStream>

namespace {
QString waiting(int tests)
{
    return QStringLiteral("%1 %2 waiting").arg(QString::number(tests), tests == 1 ? QStringLiteral("test") : QStringLiteral("tests"));
}
} // namespace

int printDeviceLine(const QString &appDir, QTextStream &out, QTextStream &err)
{
    DeviceKey key;
    QString error;
    if (!loadOrCreateDeviceKey(appDir, &key, &error)) {
        err << "zpvw: " << error << '\n';
        return 1;
    }
    out << key.deviceId() << ' ' << key.publicKeyBase64() << '\n';
    return 0;
}

int syncOutbox(const QString &appDir, const QString &optionUrl, const QString &optionCa, QTextStream &out,
               QTextStream &err)
{
    UploadSettings settings;
    QString error;
    if (!resolveUploadSettings(optionUrl, optionCa, appDir, &settings, &error)) {
        err << "zpvw: " << error << '\n';
        return 1;
    }
    const Outbox box(outboxFolder(appDir));
    if (!settings.enabled()) {
        const int left = box.count();
        if (left == 0) {
            out << "nothing waiting\n";
            return 0;
        }
        err << "zpvw: " << waiting(left) << ", and no archive address (--archive-url, ZPVW_ARCHIVE_URL)\n";
        return 1;
    }
    CUploadSender sender(settings, box.folder());
    QEventLoop loop;
    QObject::connect(&sender, &CUploadSender::sent, [&](qint64 seq) { out << "sent test " << seq << '\n'; out.flush(); });
    QObject::connect(&sender, &CUploadSender::finished, &loop, &QEventLoop::quit);
    sender.sendOnce();
    loop.exec();
    const UploadStatus s = sender.status();
    if (s.pending == 0) {
        out << "all sent: nothing waiting\n";
        return 0;
    }
    err << "zpvw: " << waiting(s.pending) << ": " << s.detail << '\n';
    for (const OutboxItem &item : box.pending())
        err << "  " << item.sequence << ' ' << item.project << ' ' << item.hole << '\n';
    return 1;
}
