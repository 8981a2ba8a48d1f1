#pragma once
// A paint device that keeps what is drawn on it (lines with their pens,
// texts with their positions, polylines) instead of pixels, so tests can ask
// where something was drawn. It has the size and resolution of an A4 page
// at 300 dpi.

#include <QLineF>
#include <QPainterPath>
#include <QStringList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QVector>
#include <algorithm>
#include <cmath>

struct RecordedLine {
    QLineF line;
    QPen pen;
};

struct RecordedText {
    QString text;
    QPointF at;
    QColor colour;
    double width = 0;
};

class CRecordingEngine : public QPaintEngine {
public:
    CRecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & QPaintEngine::DirtyPen)
            m_pen = state.pen();
    }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawLines(const QLineF *lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            this->lines.append({lines[i], m_pen});
    }
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override
    {
        if (mode == PolylineMode)
            polylines.append({QPolygonF(QVector<QPointF>(points, points + count)), m_pen});
    }
    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        texts.append({item.text(), p, m_pen.color(), item.width()});
    }
    void drawPath(const QPainterPath &) override {}

    // The texts as drawn: a text in several fonts (Chinese and Latin) arrives
    // in runs, one per font, joined here when one starts where the previous
    // one ended on the same baseline.
    QStringList lineTexts() const
    {
        QVector<RecordedText> sorted = texts;
        std::stable_sort(sorted.begin(), sorted.end(), [](const RecordedText &a, const RecordedText &b) {
            return a.at.y() != b.at.y() ? a.at.y() < b.at.y() : a.at.x() < b.at.x();
        });
        QStringList out;
        for (int i = 0; i < sorted.size(); ++i) {
            const RecordedText &prev = sorted.at(std::max(i - 1, 0));
            if (i > 0 && sorted.at(i).at.y() == prev.at.y() && std::abs(sorted.at(i).at.x() - prev.at.x() - prev.width) < 1.0)
                out.last() += sorted.at(i).text;
            else
                out.append(sorted.at(i).text);
        }
        return out;
    }

    struct Polyline {
        QPolygonF points;
        QPen pen;
    };
    QVector<RecordedLine> lines;
    QVector<RecordedText> texts;
    QVector<Polyline> polylines;

private:
    QPen m_pen;
};

class CRecordingDevice : public QPaintDevice {
public:
    QPaintEngine *paintEngine() const override { return &m_engine; }
    CRecordingEngine &engine() const { return m_engine; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return 2480;
        case PdmHeight: return 3508;
        case PdmWidthMM: return 210;
        case PdmHeightMM: return 297;
        case PdmNumColors: return 0x7fffffff;
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 300;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    mutable CRecordingEngine m_engine;
};
