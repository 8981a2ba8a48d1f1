#pragma once
// The suggested sediment interface drawn over a curve: a dashed line across
// the plot at the suggested sample's depth, labelled with the thickness that
// judging that sample gives and the confidence.
//
// The measurement screen draws it after its own marker:
//     static CSuggestionCache cache;
//     const SedimentSuggestion &s = cache.update(data, maxDepth, moveDistance, generation);
//     if (s.shown())
//         drawSuggestionMarker(painter, plot, yOfDepth(s.depth), s);

#include "sedimentsuggest.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <cstdint>

class QPainter;

// Colour of the dashed line and its label (apart from the curve's blue and
// the selection's red on both backgrounds).
QColor suggestionColor();

// "建议沉渣 35cm (92%)", through the catalogue (context "CSedimentSuggestion").
QString suggestionLabel(const SedimentSuggestion &s);

// Top of a label of height h beside a line at y: gap above the line, or
// below it when preferred, falling back to the other side when the plot
// (plotTop .. plotBottom) has no room for it there.
double markerLabelTop(double y, double h, double gap, double plotTop, double plotBottom, bool preferBelow);

// Draws the dashed line from the plot's left to its right edge at y and the
// label at the right end, above the line (or below it when asked, or when
// there is no room on that side), in the painter's font, on a box of
// labelBackground (none when transparent). The painter's state is restored
// afterwards.
void drawSuggestionMarker(QPainter &painter, const QRect &plot, int y, const SedimentSuggestion &s,
                          int penWidth = 2, bool labelBelow = false,
                          const QColor &labelBackground = QColor(Qt::transparent));

// "沉渣面 35cm", the judged interface's label (context "CHoleReport", as
// the report's curve writes it).
QString judgedInterfaceLabel(int32_t thicknessCm);

// Draws the judged interface as the report does: a solid red line across
// the plot at y and its label at the left end, above the line (below when
// asked or when there is no room above). The painter's state is restored.
void drawJudgedMarker(QPainter &painter, const QRect &plot, int y, int32_t thicknessCm, int penWidth = 2,
                      bool labelBelow = false, const QColor &labelBackground = QColor(Qt::transparent));

// Keeps the last suggestion and computes it again only when its inputs
// changed: a sample in the searched window, the depth, the move distance, or
// (generation) any change other than new samples at the end. While the probe
// rises above the bottom metres, new samples cost one comparison each.
class CSuggestionCache {
public:
    // generation: changes whenever samples already held were altered or
    // removed; appends show in the size.
    const SedimentSuggestion &update(const QVector<Sample> &samples, int maxDepth, int moveDistance,
                                     uint64_t generation);

private:
    bool m_valid = false;
    int m_size = -1;
    int m_maxDepth = 0;
    int m_moveDistance = 0;
    uint64_t m_generation = 0;
    SedimentSuggestion m_value;
};
