#pragma once
// The browser over the stored tests: the projects of the data directory, or
// the holes of one project (one button per hole with its verdict and number
// of tests), fifteen to a page. A pressed item offers open (a project: list
// its holes; a hole's test: review it in the main dialog), export to the USB
// disk and delete; a hole tested several times first asks which test, the
// latest first. The bottom row deletes or exports the whole list.
//
// The main dialog runs it modally on its test session. It ends with reject
// (退出) or with accept after a file was opened for review in the session.

#include "holelist.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

class CTestSession;
class QPushButton;

namespace Ui {
class CDlgExportFile;
}

class CDlgExportFile : public QDialog {
    Q_OBJECT
public:
    CDlgExportFile(CTestSession *session, QWidget *parent = nullptr);
    ~CDlgExportFile() override;

    // Lists the current folder again and shows the current page.
    void RefreshList();
    // Shows page p (1-based) of the current list.
    void ShowPage(int p);
    // The operations on the item of button index (0 ... 14).
    void OnItemPressed(int index);

    // Folder whose entries are listed: the data directory or a project in it.
    QString listedFolder() const;

    QList<QPushButton *> itemButtons;
    const int itemsPerPage = 15;
    QStringList projectNames;
    QStringList fileNames; // every hole file of the listed project, newest first
    QStringList holeNames; // one entry per hole: what the project's pages list
    int listMode = 0;
    QString currentProject;
    int currentPage = 1;
    int pageCount = 0;
    int projectListPage = 1;
    int sortChoice = 0; // recorded by the hidden sort buttons, read by nothing

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void on_BtnPre_clicked();
    void on_BtnNext_clicked();
    void on_BtnReturn_clicked();
    void on_BtnExportAll_clicked();
    void on_BtnDelAll_clicked();
    void on_BtnQuit_clicked();
    void on_BtnByTime_2_clicked();
    void on_BtnByTime_clicked();
    void on_BtnBySize_clicked();
    void on_BtnByReserve_clicked();

private:
    const QStringList &currentList() const;
    // The test file of a pressed hole: its only test, or the one chosen from
    // its tests (latest first); empty when the choice was cancelled.
    QString chooseTest(const HoleList::Entry &hole);
    void applyView(int page);
    void sortBy(int choice);
    // Closes the reviewed file when it is `path` or lies inside it.
    void closeOpenFileWithin(const QString &path);
    void exportItem(const QString &name, const QString &path);
    void deleteItem(const QString &path);
    // Writes the project record (CSV and PDF) beside the project's folder.
    void writeSummary(const QString &projectPath);
    // Runs an export dialog set up by `init` and reports how it went.
    template <typename Init>
    void runExport(Init init);

    CTestSession *m_session;
    HoleList m_holes;
    Ui::CDlgExportFile *ui;
};
