#include "showntexts.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QRegularExpression>
#include <QVector>
#include <algorithm>
#include <QWidget>

namespace {

// A paint engine that draws nothing and keeps the text of every text item:
// the painter hands it the texts of labels, buttons, group boxes, headers
// and custom painting alike.
class TextEngine : public QPaintEngine {
public:
    TextEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath &) override {}
    void drawTextItem(const QPointF &, const QTextItem &item) override { texts << item.text(); }
    Type type() const override { return QPaintEngine::User; }
    QStringList texts;
};

class TextDevice : public QPaintDevice {
public:
    explicit TextDevice(const QSize &size) : m_size(size) {}
    QPaintEngine *paintEngine() const override { return &m_engine; }
    QStringList texts() const { return m_engine.texts; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return m_size.width() * 254 / 960;
        case PdmHeightMM:
            return m_size.height() * 254 / 960;
        case PdmNumColors:
            return 0xffffff;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize m_size;
    mutable TextEngine m_engine;
};

void addHeldTexts(QWidget *w, QStringList *out)
{
    if (!w->toolTip().isEmpty())
        *out << w->toolTip();
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        for (int i = 0; i < combo->count(); ++i)
            *out << combo->itemText(i);
    }
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        *out << button->text();
}

} // namespace

QStringList shownTexts(QWidget *widget)
{
    QStringList out;
    if (!widget)
        return out;
    out << widget->windowTitle();
    TextDevice device(widget->size().expandedTo(QSize(1, 1)));
    widget->render(&device);
    out << device.texts();
    addHeldTexts(widget, &out);
    for (QWidget *child : widget->findChildren<QWidget *>()) {
        if (child->isVisibleTo(widget))
            addHeldTexts(child, &out);
    }
    out.removeAll(QString());
    return out;
}

bool hasHan(const QString &text)
{
    static const QRegularExpression han(QStringLiteral("[\\x{3400}-\\x{4DBF}\\x{4E00}-\\x{9FFF}\\x{F900}-\\x{FAFF}]"));
    return han.match(text).hasMatch();
}

QStringList hanTextsExcept(const QStringList &texts, const QStringList &userData)
{
    // User data may be painted in pieces (a wrapped or narrow label paints
    // line by line, even character by character): look for it in the texts
    // run together, and blame a text only for Han characters outside it.
    const QString joined = texts.join(QString());
    QVector<bool> covered(joined.size(), false);
    for (const QString &data : userData) {
        for (int at = joined.indexOf(data); !data.isEmpty() && at >= 0; at = joined.indexOf(data, at + 1))
            std::fill(covered.begin() + at, covered.begin() + at + data.size(), true);
    }
    QStringList out;
    int start = 0;
    for (const QString &text : texts) {
        for (int i = 0; i < text.size(); ++i) {
            if (!covered[start + i] && hasHan(text.mid(i, 1))) {
                out << text;
                break;
            }
        }
        start += text.size();
    }
    return out;
}
