#pragma once
// The dialog that ends a test: save it as a hole data file (with a progress
// bar) and start afresh, discard it, or return to the running test.
//
// The main dialog opens it on its test session:
//     CDlgSaveMsg dlg(session, this);
//     dlg.allowReturn = endOfTestFlag;
//     dlg.Prepare();
//     dlg.exec();               // Accepted after a save, Rejected otherwise
//     if (dlg.returnedToTest) ... the test goes on ...
//
// A save that fails (folder not creatable, file not writable, disk full)
// keeps the test: the operator is told that nothing was saved and the dialog
// stays with Save and Don't Save, so the samples can be saved again or
// discarded.

#include <QDialog>
#include <cstdint>

class CTestSession;

namespace Ui {
class CDlgSaveMsg;
}

class CDlgSaveMsg : public QDialog {
    Q_OBJECT
public:
    CDlgSaveMsg(CTestSession *session, QWidget *parent = nullptr);
    ~CDlgSaveMsg() override;

    // Buttons shown, bar and label hidden, bar 0 of 0 ... 100; BtnReturn
    // enabled only with allowReturn. Call after setting allowReturn.
    void Prepare();
    // Progress receiver of the hole-file save.
    void SetProgress(int value);

    uint8_t allowReturn = 0;
    uint8_t saving = 0;
    uint8_t returnedToTest = 0;

private slots:
    void on_BtnSave_clicked();
    void on_BtnNoSave_clicked();
    void on_BtnReturn_clicked();

private:
    void showButtons(bool buttons);
    void discardTest();
    // Back to the choice after a failed save; the test stays as it was.
    void saveFailed(const QString &reason);

    CTestSession *m_session;
    Ui::CDlgSaveMsg *ui;
};
