#pragma once
// Asks from which depth (centimetres from the hole top) to sample again.
//
// Usage:
//     CDlgReSample dlg(currentDepthCm, proposedDepthCm, maxDepth, moveDistance, this);
//     if (dlg.exec() == QDialog::Accepted) use(dlg.m_nReDepth);
//
// OK accepts only a depth from the current depth down to the hole depth that
// lies a whole number of move distances below the current depth.

#include <QDialog>
#include <cstdint>

namespace Ui {
class CDlgReSample;
}

class CDlgReSample : public QDialog {
    Q_OBJECT
public:
    // The depths the test allows follow from its depth and move distance
    // (millimetres).
    CDlgReSample(int32_t minDepthCm, int32_t initialDepthCm, int32_t maxDepth, int32_t moveDistance,
                 QWidget *parent = nullptr);
    ~CDlgReSample() override;

    bool eventFilter(QObject *watched, QEvent *event) override;

    int32_t m_nReDepth = 0;  // entered depth, centimetres from the top
    int32_t m_nMinDepth = 0; // current depth, the smallest allowed

private slots:
    void on_BtnCancel_clicked();
    void on_BtnOK_clicked();

private:
    Ui::CDlgReSample *ui;
    int32_t m_maxDepth;
    int32_t m_moveDistance;
};
