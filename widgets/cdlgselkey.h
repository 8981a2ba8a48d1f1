#pragma once
// Touch replacement for a drop-down list: a 4 x 4 grid of large buttons.
//
// Usage:
//     CDlgSelKey dlg(this);
//     dlg.m_strTitle = tr("采样方式");
//     dlg.m_strItem[0] = tr("自动提升");
//     dlg.m_strItem[1] = tr("手动提升");
//     dlg.m_bItemEnabled[1] = false;       // shown, cannot be chosen
//     dlg.UpdateButtons();
//     if (dlg.exec() == QDialog::Accepted)
//         use(dlg.m_strSelected);
// Items 1 to 15 fill buttons 1 to 15 (column by column); item 16 is the
// Cancel button ("取消") unless the caller puts a choice of its own there.

#include <QDialog>
#include <QString>

namespace Ui {
class CDlgSelKey;
}
class QPushButton;

class CDlgSelKey : public QDialog {
    Q_OBJECT
public:
    static constexpr int kItemCount = 16;

    explicit CDlgSelKey(QWidget *parent = nullptr);
    ~CDlgSelKey() override;

    // Labels and enables the buttons from the members; call before exec().
    void UpdateButtons();

    QString m_strTitle;
    QString m_strItem[kItemCount];
    bool m_bItemEnabled[kItemCount - 1];
    QString m_strSelected;
    // Index of the chosen item, -1 until one is chosen: what a caller acts
    // on (the text is only what the button showed).
    int m_nSelected = -1;

private slots:
    void on_Btn1_clicked();
    void on_Btn2_clicked();
    void on_Btn3_clicked();
    void on_Btn4_clicked();
    void on_Btn5_clicked();
    void on_Btn6_clicked();
    void on_Btn7_clicked();
    void on_Btn8_clicked();
    void on_Btn9_clicked();
    void on_Btn10_clicked();
    void on_Btn11_clicked();
    void on_Btn12_clicked();
    void on_Btn13_clicked();
    void on_Btn14_clicked();
    void on_Btn15_clicked();
    void on_Btn16_clicked();

private:
    QPushButton *button(int index) const;
    void choose(int index);

    Ui::CDlgSelKey *ui;
};
