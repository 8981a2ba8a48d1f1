#pragma once
// General message box: a notice with OK and, on request, Cancel.
//
// Usage:
//     CDlgMsgBox box(tr("保存成功！"), false, this);
//     box.exec();                                   // OK -> Accepted
//     CDlgMsgBox ask(text, true, this);
//     if (ask.exec() == QDialog::Accepted) { ... }  // Cancel -> Rejected

#include <QDialog>

namespace Ui {
class CDlgMsgBox;
}

class CDlgMsgBox : public QDialog {
    Q_OBJECT
public:
    explicit CDlgMsgBox(const QString &text, bool bEnableCancel = false, QWidget *parent = nullptr);
    ~CDlgMsgBox() override;

private slots:
    void on_BtnCancel_clicked();
    void on_BtnOK_clicked();

private:
    Ui::CDlgMsgBox *ui;
};
