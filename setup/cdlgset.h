#pragma once
// Test set-up: project and hole description and sampling parameters of the
// next test.
//
// Usage (the main dialog's set-up button):
//     CDlgSet dlg(session, this);
//     if (dlg.exec() == QDialog::Accepted) { ...the session's record holds the set-up... }
//
// The fields are a working copy of the session's record; OK checks them and
// hands them to the session (which follows the sampling mode) and accepts.
// An accepted non-empty project path counts at once, whatever happens next.

#include "setuprules.h"

#include "holeacceptance.h"

#include <QDialog>

class CTestSession;
class QComboBox;
class QLineEdit;

namespace Ui {
class CDlgSet;
}

class CDlgSet : public QDialog {
    Q_OBJECT
public:
    explicit CDlgSet(CTestSession *session, QWidget *parent = nullptr);
    ~CDlgSet() override;

    // The fields as shown.
    SetupFields fields() const;
    // Turns the location diagram by the angle field (0 when not an integer).
    void UpdateLocationDiagram();

public slots:
    // Touching a field opens its entry dialog; the touch is consumed.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void on_BtnOK_clicked();
    // 1 when every field is acceptable, else 0 after showing the first
    // complaint.
    int CheckPara();

private:
    void fillCombos();
    void loadFields();
    bool handleFocusIn(QObject *watched);
    bool handlePress(QObject *watched);
    void enterText(QLineEdit *edit);
    void enterProjectPath();
    bool enterNumber(QLineEdit *edit, const QString &title, bool dot, bool sign, float *value);
    void enterDecimal(QLineEdit *edit, const QString &title, bool dot, bool sign, int decimals);
    void enterHoleDepth();
    void enterAngle();
    void selectItem(QComboBox *combo, const QString &title);
    void chooseBasis();
    void showBasis();

    CTestSession *m_session;
    Ui::CDlgSet *ui;
    // Basis (design value or table row) as chosen, stored on OK.
    HoleAcceptance m_basis;
};
