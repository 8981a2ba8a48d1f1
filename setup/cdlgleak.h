#pragma once
// Leak-point notice: the depth of a skipped step and the current depth of the
// probe, in metres from the hole top, while the leak is pending.
//
// Usage (the main dialog owns one for its whole life):
//     m_dlgLeak.SetHeights(curHeight, leakHeight);
//     if (!m_dlgLeak.m_bShown) { m_dlgLeak.m_bShown = true; m_dlgLeak.exec(); }
//     ...on every new height while pending: m_dlgLeak.SetHeights(cur, leak);
//     ...when the leak is over: m_dlgLeak.Close();
// The notice has no buttons; Escape does not close it.

#include <QDialog>
#include <cstdint>

namespace Ui {
class CDlgLeak;
}

class CDlgLeak : public QDialog {
    Q_OBJECT
public:
    explicit CDlgLeak(QWidget *parent = nullptr);
    ~CDlgLeak() override;

    // Heights in millimetres above the bottom, shown as depths in metres.
    void SetHeights(int32_t curHeightMm, int32_t leakHeightMm);
    // Ends the notice's modal run.
    void Close();
    // Escape only forgets that the notice is shown; the notice stays.
    void reject() override;

    int32_t m_nCurHeight = 0;
    int32_t m_nLeakHeight = 0;
    bool m_bShown = false; // set by the main dialog while the notice is on screen

private:
    Ui::CDlgLeak *ui;
};
