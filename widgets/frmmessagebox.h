#pragma once
// Notice that deletes itself when closed.
//
// Usage (never delete it, keep no pointer after exec()):
//     frmMessageBox *msg = new frmMessageBox;
//     msg->SetMessage(tr("请输入字符串长度：") + "0-65535", 0);
//     msg->exec();

#include <QDialog>

namespace Ui {
class frmMessageBox;
}

class frmMessageBox : public QDialog {
    Q_OBJECT
public:
    explicit frmMessageBox(QWidget *parent = nullptr);
    ~frmMessageBox() override;

    // type 0 = notice (the only type in use): OK alone, title "提示".
    void SetMessage(const QString &text, int type);

private slots:
    void on_BtnCancel_clicked();
    void on_BtnOK_clicked();

private:
    Ui::frmMessageBox *ui;
};
