#pragma once
// Host of the depth/resistivity picture (wavePic of the main dialog): paints
// the curve and turns a press on it into the picked sample.

#include "curve.h"

#include <QPoint>
#include <QWidget>

class CShowWavePic : public QWidget {
    Q_OBJECT
public:
    explicit CShowWavePic(QWidget *parent = nullptr);

    CCurvePicture &picture() { return m_picture; }
    // A press made while the curve had no samples resolves once it has some:
    // true with the index (as samplePicked gives it) when it did.
    bool takeWaitingPick(int *index);
    // Forgets a waiting press (the operator chose a row of the table).
    void cancelWaitingPick() { m_waitingPress = false; }

signals:
    // A press on the picture picked the sample at index, or none within
    // reach (-1); presses off the plot give nothing.
    void samplePicked(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    CCurvePicture m_picture;
    bool m_waitingPress = false;
    QPoint m_press;
};
