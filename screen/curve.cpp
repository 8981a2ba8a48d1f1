#include "curve.h"

#include <QPainter>
#include <QPixmap>

std::atomic<int32_t> pickX{-2};
std::atomic<int32_t> pickY{-2};
std::function<QString()> gRangeUnitText;

QString rangeUnitText()
{
    if (gRangeUnitText)
        return gRangeUnitText();
    return QStringLiteral("(Ω∙m)");
}

CurveGeometry curveGeometry(int width, int height)
{
    CurveGeometry g;
    g.frame = QRect(QPoint(25, 25), QPoint(width - 25, height - 25));
    g.depthStrip = QRect(QPoint(25, 55), QPoint(54, height - 25));
    g.resiStrip = QRect(QPoint(55, 25), QPoint(width - 25, 54));
    g.plot = QRect(QPoint(55, 55), QPoint(width - 25, height - 25));
    return g;
}

ResistivityScale resistivityScale(int, int) { return {}; }
DepthScale depthScale(int, int, int) { return {}; }
bool isDepthLabel(float, float, double) { return false; }
QVector<DepthTick> depthTicks(const QRect &, int, int) { return {}; }
QPoint curvePoint(const QRect &, int, int, int32_t, float) { return {}; }
bool pickedDepth(const QRect &, int, int, int, int *) { return false; }
int pickSampleIndex(const QVector<Sample> &, int, int) { return -1; }
int FitText(QPainter &, const QString &, const QRect &, int, int) { return 0; }
int fitTextSize(int, int, int) { return 0; }
void DrawCurvePicture(QPixmap &pixmap) { pixmap.fill(Qt::white); }
QColor curveBackground(int styleSetting) { return styleSetting == 0 ? QColor(Qt::white) : QColor(40, 48, 66); }
QColor curveForeground() { return QColor(71, 163, 248); }
