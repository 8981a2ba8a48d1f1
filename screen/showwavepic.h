#pragma once
// Host of the depth/resistivity picture (wavePic of the main dialog).

#include <QWidget>
#include <functional>

// Refresh of the main dialog (isWave, isSeg, isRepaint); set by the main
// dialog so that a press on the picture can ask for a redraw.
extern std::function<void(bool, bool, bool)> gUpdateWaveHook;

class CShowWavePic : public QWidget {
    Q_OBJECT
public:
    explicit CShowWavePic(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
