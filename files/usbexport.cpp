#include "usbexport.h"

#include "summarywriters.h"

#include "holefiles.h"
#include "usbdisk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
QString tr(const char *text) { return QCoreApplication::translate("CDlgProgress", text); }
QString doneOne() { return tr("导出完成！"); }
QString doneAll() { return tr("导出完成"); }
}

QString CUsbExport::fileMessage(const QString &project, const QString &file)
{
    // The folder the copy really goes to: the mounted disk's, or the folder
    // standing in for a disk in a development build.
    return tr("正在导出文件：%1").arg(UsbDisk::projectFolder(project) + QLatin1Char('/') + file);
}

QString CUsbExport::projectMessage(const QString &project)
{
    return tr("正在导出工程：%1").arg(UsbDisk::projectFolder(project));
}

QString CUsbExport::fileQuestion(const QString &name)
{
    return tr("桩文件 %1 已存在，确定要重新导出吗？").arg(name);
}

QString CUsbExport::projectQuestion(const QString &project)
{
    return tr("工程 %1 已存在，确定要重新导出吗？").arg(project);
}

void CUsbExport::value(int v, const QString &text)
{
    if (setValue)
        setValue(v, text);
}

bool CUsbExport::question(const QString &text) { return ask ? ask(text) : false; }

void CUsbExport::begin(const QString &destination)
{
    m_destination = destination;
    m_failure.clear();
    m_mounted = false;
    m_unmountFailed = false;
}

bool CUsbExport::fail(const QString &text)
{
    if (m_failure.isEmpty())
        m_failure = text;
    return false;
}

bool CUsbExport::mountDisk()
{
    m_mounted = UsbDisk::mount();
    return m_mounted || fail(tr("导出失败：无法挂载U盘！"));
}

void CUsbExport::unmountDisk()
{
    m_unmountFailed = !UsbDisk::unmount();
    m_mounted = false;
}

void CUsbExport::abort()
{
    if (m_mounted)
        UsbDisk::sync();
    unmountDisk();
    value(-1, m_failure);
}

bool CUsbExport::makeFolder(const QString &project, const QString &folder)
{
    if (QFileInfo(folder).isDir() || QDir().mkdir(folder))
        return true;
    return fail(tr("导出失败：无法在U盘上创建工程 %1！").arg(project));
}

bool CUsbExport::replaceFolder(const QString &project, const QString &folder)
{
    HoleFiles::removeTree(folder, UsbDisk::mountPoint());
    if (!QFileInfo::exists(folder) && QDir().mkdir(folder))
        return true;
    return fail(tr("导出失败：无法在U盘上创建工程 %1！").arg(project));
}

CUsbExport::FolderStep CUsbExport::prepareProjectFolder(const QString &project, const QString &folder)
{
    if (!QFileInfo::exists(folder))
        return makeFolder(project, folder) ? FolderStep::Ready : FolderStep::Failed;
    if (!question(projectQuestion(project)))
        return FolderStep::Skipped;
    return replaceFolder(project, folder) ? FolderStep::Ready : FolderStep::Failed;
}

bool CUsbExport::copyHole(const QString &project, const QString &source, const QString &target, const QString &shown)
{
    return UsbDisk::copy(source, target) || fail(tr("导出失败：复制 %1/%2 失败！").arg(project, shown));
}

bool CUsbExport::copyReport(const QString &project, const QString &source, const QString &target)
{
    // Most hole files have no report; only a report that exists and could
    // not be copied is a failure.
    if (UsbDisk::copy(source, target) || !QFileInfo::exists(source))
        return true;
    return fail(tr("导出失败：复制 %1/%2 失败！").arg(project, QFileInfo(source).fileName()));
}

bool CUsbExport::copySummary(const QString &project, const QString &dataDir)
{
    bool copied = false;
    for (const QString &name : projectSummaryFileNames(project)) {
        const QString source = dataDir + QLatin1Char('/') + name;
        if (!QFileInfo::exists(source))
            continue;
        if (!UsbDisk::copy(source, UsbDisk::mountPoint() + QLatin1Char('/') + name))
            return fail(tr("导出失败：复制 %1 失败！").arg(name));
        copied = true;
    }
    return !copied || syncDisk(project);
}

bool CUsbExport::syncDisk(const QString &what)
{
    return UsbDisk::sync() || fail(tr("导出失败：写入U盘失败（%1）！").arg(what));
}

bool CUsbExport::copyHoleAndReport(const QString &project, const QString &sourceHole, const QString &targetDir,
                                   bool nameTargets, int reportValue, const QString &reportShown)
{
    const QString folder = targetDir + QLatin1Char('/');
    QString holeName; // empty until the hole file, which comes first, is copied
    for (const QString &source : HoleFiles::companionFiles(sourceHole)) {
        // A test saved before tests were signed has no manifest to copy.
        if (!holeName.isEmpty() && source != HoleFiles::reportPath(sourceHole) && !QFileInfo::exists(source))
            continue;
        const QString name = QFileInfo(source).fileName();
        const QString target = nameTargets ? folder + name : folder;
        if (holeName.isEmpty()) {
            if (!copyHole(project, source, target, name))
                return false;
            holeName = name;
            value(reportValue, fileMessage(project, reportShown));
        } else if (!copyReport(project, source, target)) {
            return false;
        }
    }
    return syncDisk(project + QLatin1Char('/') + holeName);
}

bool CUsbExport::copyProjectFile(const QString &project, const QString &sourceDir, const QString &fileName,
                                 const QString &targetDir, int v)
{
    value(v, fileMessage(project, fileName));
    return copyHoleAndReport(project, sourceDir + QLatin1Char('/') + fileName, targetDir, true, v + 1,
                             HoleFiles::reportPath(fileName));
}

bool CUsbExport::replaceAllowed(const QString &existing, const QString &name)
{
    if (!QFileInfo::exists(existing))
        return true;
    if (!question(fileQuestion(name)))
        return false;
    for (const QString &f : HoleFiles::companionFiles(existing))
        QFile::remove(f);
    return true;
}

void CUsbExport::exportAFile(const QString &project, const QString &name, const QString &sourcePath)
{
    const QString folder = UsbDisk::projectFolder(project);
    begin(folder);
    const QString fileName = QFileInfo(sourcePath).fileName();
    const QString target = folder + QLatin1Char('/');
    value(0, fileMessage(project, fileName));
    if (!mountDisk() || !makeFolder(project, target))
        return abort();
    if (!replaceAllowed(target + fileName, name)) {
        unmountDisk();
        value(2, doneOne());
        return;
    }
    if (!copyHoleAndReport(project, sourcePath, folder, false, 1, name + QStringLiteral(".PDF")))
        return abort();
    unmountDisk();
    value(2, doneOne());
}

void CUsbExport::exportAllFiles(const QString &project, const QStringList &fileNames, const QString &dataDir)
{
    const QString folder = UsbDisk::projectFolder(project);
    begin(folder);
    const QString target = folder + QLatin1Char('/');
    const QString sourceDir = dataDir + QLatin1Char('/') + project + QLatin1Char('/');
    if (!mountDisk() || !makeFolder(project, target))
        return abort();
    for (int i = 0; i < fileNames.size(); ++i) {
        const QString &f = fileNames.at(i);
        const QString name = f.left(f.size() - 4);
        const QString message = fileMessage(project, f);
        value(2 * i, message);
        if (!replaceAllowed(target + f, name)) {
            value(2 * i + 1, message);
            continue;
        }
        if (!copyHoleAndReport(project, sourceDir + f, folder, false, 2 * i + 1, name + QStringLiteral(".PDF")))
            return abort();
    }
    if (!copySummary(project, dataDir))
        return abort();
    value(2 * fileNames.size() + 1, doneAll());
    if (!syncDisk(project))
        return abort();
    unmountDisk();
}

void CUsbExport::exportAProject(const QString &project, const QString &sourceFolder, int itemCount)
{
    const QString message = projectMessage(project);
    const QString target = UsbDisk::projectFolder(project);
    begin(target);
    value(0, message);
    if (!mountDisk())
        return abort();
    value(1, message);
    const FolderStep step = prepareProjectFolder(project, target);
    if (step == FolderStep::Failed)
        return abort();
    if (step == FolderStep::Skipped) {
        unmountDisk();
        value(2 * itemCount + 1, doneAll());
        return;
    }
    const QStringList files = HoleFiles::holeFilesByName(sourceFolder);
    for (int k = 0; k < files.size(); ++k)
        if (!copyProjectFile(project, sourceFolder, files.at(k), target, 2 * k + 1))
            return abort();
    if (!copySummary(project, QFileInfo(sourceFolder).absolutePath()))
        return abort();
    unmountDisk();
    value(2 * itemCount + 1, doneAll());
}

void CUsbExport::exportAllProjects(const QList<QPair<QString, int>> &projectCounts, const QString &dataDir,
                                   int itemCount)
{
    begin(UsbDisk::mountPoint());
    if (!mountDisk())
        return abort();
    int c = 0;
    for (const auto &entry : projectCounts) {
        const QString &project = entry.first;
        value(c, projectMessage(project));
        const QString target = UsbDisk::projectFolder(project);
        const QString source = dataDir + QLatin1Char('/') + project;
        const FolderStep step = prepareProjectFolder(project, target);
        if (step == FolderStep::Failed)
            return abort();
        if (step == FolderStep::Skipped) {
            c += 2 * entry.second;
            value(c, projectQuestion(project));
            continue;
        }
        const QStringList files = HoleFiles::holeFilesByName(source);
        for (const QString &f : files) {
            if (!copyProjectFile(project, source, f, target, c + 1))
                return abort();
            c += 2;
        }
        if (!copySummary(project, dataDir))
            return abort();
    }
    value(2 * itemCount + 1, doneAll());
    unmountDisk();
}
