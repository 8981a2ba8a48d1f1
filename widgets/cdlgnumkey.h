#pragma once
// On-screen numeric keypad.
//
// Usage:
//     CDlgNumKey dlg(tr("孔深"), QString::number(depth, 'f', 2), 0, 0, this);
//     dlg.SetDotSignEnabled(true, false);    // point allowed, minus not
//     if (dlg.exec() == QDialog::Accepted)
//         depth = dlg.m_fValue;
// fMin == fMax switches the caller's range check off; the plausibility range
// (0 or -99999 with the sign enabled, up to 99999) always applies. A refused
// value shows a message and keeps the keypad open.

#include <QDialog>
#include <QString>

namespace Ui {
class CDlgNumKey;
}

class CDlgNumKey : public QDialog {
    Q_OBJECT
public:
    static constexpr float kMaxValue = 99999.0f;
    static constexpr float kMinValue = -99999.0f;

    CDlgNumKey(const QString &name, const QString &initialText, float fMin = 0, float fMax = 0,
               QWidget *parent = nullptr);
    ~CDlgNumKey() override;

    void SetDotSignEnabled(bool bDot, bool bSign);

    // The message that refuses a text on OK, empty when the text passes
    // (sets m_fValue as the OK key does).
    QString checkValue(const QString &text);

    QString m_strName;
    QString m_strValue;
    float m_fValue = 0;
    float m_fMax = 0;
    float m_fMin = 0;
    bool m_bDotEnabled = true;
    bool m_bSignEnabled = false;
    bool m_bFirstKey = true;

private slots:
    void on_BtnNumKeyOK_clicked();
    void on_BtnBack_clicked();
    void on_BtnClear_clicked();
    void on_BtnSign_clicked();
    void on_BtnDot_clicked();
    void on_Btn9_clicked();
    void on_Btn8_clicked();
    void on_Btn7_clicked();
    void on_Btn6_clicked();
    void on_Btn5_clicked();
    void on_Btn4_clicked();
    void on_Btn3_clicked();
    void on_Btn2_clicked();
    void on_Btn1_clicked();
    void on_Btn0_clicked();
    void on_BtnNumKeyCancel_clicked();

private:
    void typeDigit(char digit);
    void writeBack();

    Ui::CDlgNumKey *ui;
};

// Puts a leading zero before a bare point: ".5" -> "0.5", "-.5" -> "-0.5".
QString normaliseNumberText(QString text);
