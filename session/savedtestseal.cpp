#include "savedtestseal.h"

#include "holefiles.h"

#include "devicekey.h"
#include "outbox.h"
#include "savedigests.h"
#include "testmanifest.h"
#include "testseal.h"

#include "appdir.h"
#include "ctrlinfo.h"
#include "holefile.h"
#include "holereport.h"

#include <QDebug>
#include <QFileInfo>

namespace {
void sealSavedTest(const QString &holePath, const CtrlInfo &record, SaveDigests *ahead)
{
    const QString manifest = manifestPathFor(holePath);
    QStringList files;
    for (const QString &f : HoleFiles::companionFiles(holePath)) {
        if (f != manifest && QFileInfo(f).isFile())
            files << f;
    }
    const QString appDir = QKRVCommomUtils::appPath();
    const SealFacts facts{record.projectName.get(), record.holeNo.get(),
                          record.testDate.get() + QLatin1Char(' ') + record.testTime.get()};
    SealResult seal;
    QString error;
    if (!sealSavedFiles(appDir, files, facts, &seal, &error, ahead)) {
        qWarning() << "manifest not written:" << error;
        return;
    }
    if (!Outbox(outboxFolder(appDir)).enqueue(seal, files, facts.project, facts.hole, &error))
        qWarning() << "test not queued for the archive:" << error;
}
} // namespace

void reportAndSealSavedTest(const QString &holePath, const CtrlInfo &record, const QString &deviceId)
{
    // The report first: the manifest signs it with the hole file. Both are
    // hashed while the report is drawn.
    const QString hole = withHoleExtension(holePath);
    SaveDigests digests(hole, holeReportPath(hole));
    updateHoleReport(hole, deviceId, digests.report());
    sealSavedTest(hole, record, &digests);
}

QString instrumentDeviceId(const QString &appDir)
{
    DeviceKey key;
    QString error;
    if (!loadOrCreateDeviceKey(appDir, &key, &error)) {
        qWarning() << "no device key:" << error;
        return QString();
    }
    return key.deviceId();
}
