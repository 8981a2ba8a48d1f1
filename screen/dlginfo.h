#pragma once
// Information dialog of the main screen: shows a ready-made text about the
// current test until the operator goes back.

#include <QDialog>

namespace Ui {
class CDlgInfo;
}

class CDlgInfo : public QDialog {
    Q_OBJECT
public:
    explicit CDlgInfo(const QString &text, QWidget *parent = nullptr);
    ~CDlgInfo() override;

    QString infoText() const;

private slots:
    void on_BtnOK_clicked();

private:
    Ui::CDlgInfo *ui;
};
