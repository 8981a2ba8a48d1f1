#pragma once
// Location diagram of the set-up dialog: a cross-section of the hole with the
// measuring positions on its rim, turned by the offset angle.

#include <QColor>
#include <QPoint>
#include <QWidget>

// Centre and radius of the hole circle in a W x H widget.
struct ShowPicGeometry {
    int cx = 0;
    int cy = 0;
    int radius = 0;
};
ShowPicGeometry showPicGeometry(int width, int height);
// Anchor of the label of a position at thetaDeg degrees (clockwise from top).
QPoint showPicLabelAnchor(const ShowPicGeometry &g, int thetaDeg);
// Offset of a label from its anchor by the position's own angle (0..359).
QPoint showPicLabelOffset(int positionAngle);
// Label of position index 0..4.
QString showPicLabel(int index);

class CShowPic : public QWidget {
    Q_OBJECT
public:
    explicit CShowPic(QWidget *parent = nullptr);

    // Number of positions (clamped to 1..5) and offset angle in degrees;
    // repaints at once.
    void SetTubeParams(int count, int angle);
    void SetColors(const QColor &background, const QColor &fill);

    int tubeCount() const { return m_nTubeCount; }
    int angle() const { return m_nAngle; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int32_t m_nTubeCount = 4;
    int32_t m_nAngle = 0;
    QColor m_backColor{236, 238, 242};
    QColor m_fillColor{255, 255, 255};
    QColor m_lineColor{50, 124, 255};
};
