#pragma once
// Export of stored tests to the USB disk with a progress bar: one hole file,
// all hole files of the listed project, one project, or all projects. The
// browser sets `fileMode`, `project` and `listedNames` (what it lists), then
// calls one of the SetInit forms,
// which run the dialog until the export closes it; failed() and
// failureText() then tell whether the export went through.

#include <QDialog>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QString>

#include "usbexport.h"

class QTimer;

namespace Ui {
class CDlgProgress;
}

class CDlgProgress : public QDialog {
    Q_OBJECT
public:
    enum Task { AllProjects = 1, OneProject = 2, AllFiles = 3, OneFile = 4 };

    // Exports from the data folder dataDir; its texts in the record's font.
    CDlgProgress(const QString &dataDir, const QFont &font, QWidget *parent = nullptr);
    ~CDlgProgress() override;

    // One item: a hole file (fileMode) or a project folder.
    void SetInit(QString pi, QString path);
    // Everything the browser lists.
    void SetInit();

    void SetValue(int value, QString text);

    bool failed() const { return m_export.failed(); }
    QString failureText() const { return m_export.failureText(); }
    bool unmountFailed() const { return m_export.unmountFailed(); }
    QString destination() const { return m_export.destination(); }

    QString itemName;
    QString itemPath;
    int itemCount = 0;
    // The listed project (file mode) and the names listed: hole files of
    // that project, or project folders.
    QString project;
    QStringList listedNames;
    bool fileMode = false;
    int task = 0;
    QList<QPair<QString, int>> projectCounts;
    QTimer *startTimer = nullptr;

private slots:
    void OnTimer();

private:
    void ExportAllPro();
    void ExportAPro();
    void ExportAllFile();
    void ExportAFile();
    void start(int maximum);

    CUsbExport m_export;
    QString m_dataDir;
    Ui::CDlgProgress *ui;
};
