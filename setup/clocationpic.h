#pragma once
// Location diagram of the set-up dialog (object name "showPic"): a
// cross-section of the hole with the measuring positions on its rim, turned
// by the offset angle the operator enters.
//
// The set-up dialog is this widget's only user; it lives here because this
// folder may not depend on the measurement screen.

#include <QColor>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <cstdint>

namespace LocationPic {
// Centre and radius of the hole circle in a width x height widget; the centre
// lies about 15 pixels right of the middle to leave room for the north arrow.
struct Geometry {
    int cx = 0;
    int cy = 0;
    int radius = 0;
};
Geometry geometry(int width, int height);
// Label anchor of a position at thetaDeg degrees clockwise from the top. The
// drawing has always used 3.14 for pi and cut each product toward zero, so the
// top and left anchors fall a pixel inside the rim.
QPoint labelAnchor(const Geometry &g, int thetaDeg);
// Offset of a label from its anchor, by the quadrant of the position's own
// spacing angle (the offset angle does not count).
QPoint labelOffset(int positionAngle);
// Label of position 0..4: "X", "Y'", "X'", "Y", "H".
QString label(int index);
} // namespace LocationPic

class CLocationPic : public QWidget {
    Q_OBJECT
public:
    explicit CLocationPic(QWidget *parent = nullptr);

    // Number of positions (kept within 1..5: the paint divides by it and
    // labels five positions at most) and offset angle in degrees; repaints at
    // once.
    void SetTubeParams(int count, int angle);
    void SetColors(const QColor &background, const QColor &fill);

    int tubeCount() const { return m_nTubeCount; }
    int angle() const { return m_nAngle; }
    QColor backColor() const { return m_backColor; }
    QColor fillColor() const { return m_fillColor; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int32_t m_nTubeCount = 4;
    int32_t m_nAngle = 0;
    QColor m_backColor{236, 238, 242};
    QColor m_fillColor{255, 255, 255};
    QColor m_lineColor{50, 124, 255};
};
