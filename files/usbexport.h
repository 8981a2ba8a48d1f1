#pragma once
// The four export runs onto the USB disk: one hole file, all hole files of a
// project, one project, all projects. Each mounts the disk, copies every hole
// file with its report file, flushes and unmounts, reporting progress values
// and texts and asking before it overwrites what the disk already holds.
//
// A run stops at the first step that fails (mount, creating a folder on the
// disk, copying a hole file or an existing report file, sync); the disk is
// unmounted whatever happened, and failureText() then names what failed.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

class CUsbExport {
public:
    // Progress value and text; an empty text leaves the shown text alone.
    std::function<void(int value, const QString &text)> setValue;
    // Yes/no question to the operator; true = yes.
    std::function<bool(const QString &question)> ask;

    // One hole file `sourcePath` of `project`, shown as `name`.
    void exportAFile(const QString &project, const QString &name, const QString &sourcePath);
    // The listed hole files (names with extension) of `project` in `dataDir`.
    void exportAllFiles(const QString &project, const QStringList &fileNames, const QString &dataDir);
    // One project folder `sourceFolder` holding `itemCount` hole files.
    void exportAProject(const QString &project, const QString &sourceFolder, int itemCount);
    // Every (project, hole-file count) of `dataDir`; itemCount is the sum.
    void exportAllProjects(const QList<QPair<QString, int>> &projectCounts, const QString &dataDir, int itemCount);

    bool failed() const { return !m_failure.isEmpty(); }
    // Why the last run failed, empty after a complete run.
    QString failureText() const { return m_failure; }
    // Set when the run ended complete but the disk could not be unmounted.
    bool unmountFailed() const { return m_unmountFailed; }
    // The folder the last run wrote into: the project's folder on the disk,
    // or the disk's top folder for all projects.
    QString destination() const { return m_destination; }

    // Texts of the run, through the catalogue (context CDlgProgress).
    static QString fileMessage(const QString &project, const QString &file);
    static QString projectMessage(const QString &project);
    static QString fileQuestion(const QString &name);
    static QString projectQuestion(const QString &project);

private:
    void value(int v, const QString &text);
    bool question(const QString &text);
    void begin(const QString &destination);
    bool mountDisk();
    // Creates the project folder on the disk when missing.
    bool makeFolder(const QString &project, const QString &folder);
    // Removes the disk's copy of a project and creates it again.
    bool replaceFolder(const QString &project, const QString &folder);
    enum class FolderStep { Ready, Skipped, Failed };
    // A project's folder on the disk, created; an existing one is replaced
    // when the operator agrees, else the project is skipped.
    FolderStep prepareProjectFolder(const QString &project, const QString &folder);
    // Copies a hole file, then the other files that travel with it
    // (HoleFiles::companionFiles: its report, when it has one), into the
    // disk's folder targetDir and syncs: the step of every export. The copy
    // names the folder, or each file with nameTargets. The progress message
    // after the hole file gets reportValue and names reportShown.
    bool copyHoleAndReport(const QString &project, const QString &sourceHole, const QString &targetDir,
                           bool nameTargets, int reportValue, const QString &reportShown);
    // A hole file of a project run, its message at value v, its report's at v + 1.
    bool copyProjectFile(const QString &project, const QString &sourceDir, const QString &fileName,
                         const QString &targetDir, int v);
    // A hole file already on the disk is replaced (with its report) only
    // when the operator agrees.
    bool replaceAllowed(const QString &existing, const QString &name);
    bool copyHole(const QString &project, const QString &source, const QString &target, const QString &shown);
    // A companion file: only one that exists and could not be copied fails.
    bool copyReport(const QString &project, const QString &source, const QString &target);
    bool syncDisk(const QString &what);
    // The project record beside the project's folder, when it was made:
    // copied beside the project's folder on the disk, then flushed.
    bool copySummary(const QString &project, const QString &dataDir);
    bool fail(const QString &text);
    // After a failure: flush what was written (when mounted), then unmount.
    void abort();
    void unmountDisk();

    QString m_failure;
    QString m_destination;
    bool m_mounted = false;
    bool m_unmountFailed = false;
};
