#include "titlestrip.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString tr(const char *text) { return QCoreApplication::translate("CDlgMain", text); }
}

QString titleStripText(const CtrlInfo &record, const TitleStripSource &source)
{
    if (!source.openFile.isEmpty())
        return tr("工程：%1　文件：%2").arg(record.projectName.get(), QFileInfo(source.openFile).fileName());
    if (!source.savedFile.isEmpty()) {
        const QString relative = QDir(source.dataDir).relativeFilePath(source.savedFile);
        const bool below = !source.dataDir.isEmpty() && !relative.startsWith(QLatin1String(".."));
        return tr("已保存：%1").arg(QDir::toNativeSeparators(below ? relative : source.savedFile));
    }
    return tr("工程：%1　孔号：%2").arg(record.projectName.get(), record.holeNo.get());
}
