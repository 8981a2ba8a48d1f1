#include "itemtexts.h"

#include "holefiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

namespace {
QString tr(const char *text) { return QCoreApplication::translate("CDlgExportFile", text); }
}

namespace ItemDescription {

QString timeText(const QString &path)
{
    const QDateTime t = QFileInfo(path).lastModified();
    return tr("修改时间: %1年%2月%3日 %4:%5:%6")
        .arg(QString::number(t.date().year()), QString::number(t.date().month()), QString::number(t.date().day()),
             t.time().toString(QStringLiteral("hh")), t.time().toString(QStringLiteral("mm")),
             t.time().toString(QStringLiteral("ss")));
}

ItemTexts holeFile(const QString &projectDir, const QString &fileName, const QString &name)
{
    ItemTexts t;
    t.path = projectDir + QLatin1Char('/') + fileName;
    t.nameText = tr("桩文件名: ") + name;
    qint64 size = 0;
    for (const QString &f : HoleFiles::companionFiles(t.path))
        size += QFileInfo(f).size(); // 0 for a file that is not there
    t.sizeText = tr("文件大小: %1KB (%2字节)").arg(QString::number(double(size) / 1024.0, 'f', 1), QString::number(size));
    t.timeText = timeText(t.path);
    return t;
}

ItemTexts project(const QString &dataDir, const QString &name)
{
    ItemTexts t;
    t.path = dataDir + QLatin1Char('/') + name;
    t.nameText = tr("工程名: ") + name;
    t.sizeText = tr("桩数量: 包含%1个桩文件").arg(HoleFiles::countHoleFiles(t.path));
    t.timeText = timeText(t.path);
    return t;
}

} // namespace ItemDescription
