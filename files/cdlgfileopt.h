#pragma once
// The chooser the browser shows for a pressed project or hole file: three
// lines about the item and the operations open, export, delete and return.
// It only reports the choice; the browser carries it out.

#include <QDialog>
#include <QString>

namespace Ui {
class CDlgFileOpt;
}

class CDlgFileOpt : public QDialog {
    Q_OBJECT
public:
    // Summary (a project only): write the project record beside its folder.
    enum Action { Return = -1, Open = 0, Export = 1, Delete = 2, Summary = 3 };

    explicit CDlgFileOpt(QWidget *parent = nullptr);
    ~CDlgFileOpt() override;

    // Puts the three texts into their labels; a label without text is hidden.
    // The summary is offered for a project (listMode 0) only.
    void SetLabels();

    int action = Return;
    QString nameText;
    QString sizeText;
    QString timeText;
    int listMode = 0;

private slots:
    void on_BtnOpen_clicked();
    void on_BtnExport_clicked();
    void on_BtnDel_clicked();
    void on_BtnSummary_clicked();
    void on_BtnReturn_clicked();

private:
    void choose(int chosen);
    Ui::CDlgFileOpt *ui;
};
