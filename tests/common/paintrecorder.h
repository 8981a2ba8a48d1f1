#pragma once
// A paint device that keeps what is drawn on it (lines with their pens,
// texts with their positions, polylines) instead of pixels, so tests can ask
// where something was drawn, or what a widget shows. By default it has the
// size and resolution of an A4 page at 300 dpi.

#include <QLineF>
#include <QPainterPath>
#include <QStringList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QSize>
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
    CRecordingDevice() = default;
    // A canvas of `size` pixels at `dpi` (a screen: 96).
    CRecordingDevice(const QSize &size, int dpi) : m_size(size), m_dpi(dpi) {}
    QPaintEngine *paintEngine() const override { return &m_engine; }
    CRecordingEngine &engine() const { return m_engine; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmWidthMM: return int(m_size.width() * 25.4 / m_dpi + 0.5);
        case PdmHeightMM: return int(m_size.height() * 25.4 / m_dpi + 0.5);
        case PdmNumColors: return 0x7fffffff;
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return m_dpi;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize m_size{2480, 3508};
    int m_dpi = 300;
    mutable CRecordingEngine m_engine;
};
