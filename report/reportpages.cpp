#include "reportpages.h"

#include "pilelimits.h"
#include "reportcurve.h"
#include "verdict.h"
#include "suggestionmarker.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

QString tr(const char *source)
{
    return QCoreApplication::translate("CHoleReport", source);
}

const QColor kInk(30, 30, 30);
const QColor kMuted(90, 96, 110);
const QColor kBand(232, 238, 247);
const QColor kRule(170, 178, 190);

constexpr double kFooterTopMm = ReportPage::HeightMm - ReportPage::MarginMm - 9.0;
constexpr double kContentWidthMm = ReportPage::WidthMm - 2 * ReportPage::MarginMm;

// A painter that takes paper millimetres.
class CPaperPainter {
public:
    explicit CPaperPainter(QPainter &p)
        : m_p(p), m_px(p.device() ? p.device()->width() / ReportPage::WidthMm : 1.0)
    {
    }
    QPainter &painter() { return m_p; }
    double px() const { return m_px; }
    QRectF rect(double x, double y, double w, double h) const { return QRectF(x * m_px, y * m_px, w * m_px, h * m_px); }

    // One line of text, cut with an ellipsis when it does not fit.
    void text(double x, double y, double w, double h, const QString &t, double points, int flags = Qt::AlignLeft,
              bool bold = false, const QColor &colour = kInk, const QString &family = QStringLiteral("Sans Serif"))
    {
        QFont f(family);
        f.setStyleHint(family == QLatin1String("Monospace") ? QFont::Monospace : QFont::SansSerif);
        // No ligatures: names and hashes stay searchable and copyable.
        f.setStyleStrategy(QFont::PreferNoShaping);
        f.setPointSizeF(points);
        f.setBold(bold);
        m_p.setFont(f);
        m_p.setPen(colour);
        const QRectF r = rect(x, y, w, h);
        const QString shown = QFontMetricsF(f, m_p.device()).elidedText(t, Qt::ElideRight, r.width());
        m_p.drawText(r, int(flags) | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
    void rule(double x1, double x2, double y, double widthMm, const QColor &colour)
    {
        m_p.setPen(QPen(colour, std::max(1.0, widthMm * m_px)));
        m_p.drawLine(QPointF(x1 * m_px, y * m_px), QPointF(x2 * m_px, y * m_px));
    }
    void band(double x, double y, double w, double h, const QColor &colour) { m_p.fillRect(rect(x, y, w, h), colour); }

private:
    QPainter &m_p;
    double m_px;
};

// A section heading on a tinted band; returns the y below it.
double section(CPaperPainter &pp, double y, const QString &title)
{
    pp.band(ReportPage::MarginMm, y, kContentWidthMm, 6.0, kBand);
    pp.text(ReportPage::MarginMm + 2, y, kContentWidthMm - 4, 6.0, title, 9.5, Qt::AlignLeft, true);
    return y + 7.0;
}

struct Field {
    QString label;
    QString value;
};

// Label/value pairs in `columns` columns, filled row by row; returns the y below.
double fields(CPaperPainter &pp, double y, const QVector<Field> &list, int columns, double labelMm, double rowMm)
{
    const double colW = kContentWidthMm / columns;
    for (int i = 0; i < list.size(); ++i) {
        const double x = ReportPage::MarginMm + (i % columns) * colW + 2;
        const double top = y + (i / columns) * rowMm;
        pp.text(x, top, labelMm, rowMm, list.at(i).label, 8, Qt::AlignLeft, false, kMuted);
        pp.text(x + labelMm, top, colW - labelMm - 3, rowMm, list.at(i).value, 8.5);
    }
    const int rows = (list.size() + columns - 1) / columns;
    return y + rows * rowMm + 1.5;
}

QString metres(int64_t mm, int decimals)
{
    return QString::number(double(mm) / 1000.0, 'f', decimals);
}

QString suggestionText(const SedimentSuggestion &s)
{
    if (!s.shown())
        return tr("未发现明显的电阻率变化");
    return tr("深度 %1 m，沉渣 %2 cm，置信度 %3%（仅供参考，判定以操作员为准）")
        .arg(metres(s.depth, 3), QString::number(s.thicknessCm), QString::number(std::lround(s.confidence * 100.0)));
}

void footer(CPaperPainter &pp, const HoleReportData &d, int page, int pages)
{
    const double x = ReportPage::MarginMm;
    const double y = kFooterTopMm;
    pp.rule(x, x + kContentWidthMm, y, 0.2, kRule);
    pp.text(x, y + 1.0, 60, 4.2, tr("文件 %1").arg(d.fileName), 7, Qt::AlignLeft, false, kMuted);
    pp.text(x + 60, y + 1.0, kContentWidthMm - 60, 4.2, QStringLiteral("SHA-256 %1").arg(d.sha256), 6.5,
            Qt::AlignRight, false, kMuted, QStringLiteral("Monospace"));
    pp.text(x, y + 5.0, 120, 4.2,
            tr("报告生成时间 %1").arg(d.madeAt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))), 7, Qt::AlignLeft,
            false, kMuted);
    pp.text(x + 120, y + 5.0, kContentWidthMm - 120, 4.2, tr("第 %1 页 / 共 %2 页").arg(QString::number(page + 1), QString::number(pages)), 7,
            Qt::AlignRight, false, kMuted);
}

void firstPage(CPaperPainter &pp, const HoleReportData &d)
{
    const CtrlInfo &in = d.info;
    double y = ReportPage::MarginMm;
    pp.text(ReportPage::MarginMm, y, kContentWidthMm, 10, tr("桩孔沉渣检测报告"), 16, Qt::AlignHCenter, true);
    y += 12;

    y = section(pp, y, tr("工程与桩孔"));
    QVector<Field> project{{tr("工程名称"), in.projectName.get()},
                           {tr("桩号"), in.holeNo.get()},
                           {tr("检测单位"), in.testUnit.get()},
                           {tr("施工单位"), in.constructionUnit.get()},
                           {tr("检测人员"), in.tester.get()},
                           {tr("检测日期"), QStringLiteral("%1 %2").arg(in.testDate.get(), in.testTime.get())}};
    if (!d.deviceId.isEmpty())
        project.append({tr("仪器编号"), d.deviceId});
    y = fields(pp, y, project, 2, 27, 5.8);

    y = section(pp, y, tr("测试设置"));
    y = fields(pp, y,
               {{tr("孔深(m)"), metres(in.maxDepth, 2)},
                {tr("孔径(mm)"), QString::number(in.holeDiameter)},
                {tr("孔口标高(m)"), metres(in.elevation, 2)},
                {tr("偏角(°)"), QString::number(in.offsetAngle)},
                {tr("采样间距(mm)"), QString::number(in.moveDistance)},
                {tr("提升方式"), SampleModes::text(in.sampleMode)},
                {tr("滑轮直径(mm)"), QString::number(in.wheelD)},
                {tr("线径(mm)"), QString::number(in.lineD)},
                {tr("绞车速度"), QString::number(in.winchSpeed)},
                {tr("样点数"), QString::number(d.samples.size())}},
               3, 31, 5.8);

    y = section(pp, y, tr("判定结果"));
    const HoleAcceptance &acc = in.acceptance;
    const QString notJudged = verdictText(AcceptanceVerdict::NotJudged);
    QVector<Field> judged{{tr("沉渣厚度(cm)"), acc.awaitingJudgement ? notJudged : QString::number(in.sedimentThickness)},
                          {tr("成孔质量"), acc.awaitingJudgement ? notJudged : holeQualityText(in.holeQuality)}};
    if (acc.hasBasis() || acc.judged()) {
        judged.append({tr("验收依据"), basisFullText(acc)});
        judged.append({tr("限值(mm)"), acc.limitMm >= 0 ? QString::number(acc.limitMm) : QStringLiteral("-")});
    }
    if (acc.position != MeasuringPosition::Unnamed || acc.sequence > 1)
        judged.append({tr("测点 / 次数"), QStringLiteral("%1 / %2").arg(MeasuringPosition::text(acc.position), QString::number(acc.sequence))});
    y = fields(pp, y, judged, 2, 38, 6.5);
    if (acc.judged())
        y = fields(pp, y - 1.5, {{tr("验收判定"), verdictLine(in)}}, 1, 38, 6.5);
    y = fields(pp, y - 1.5, {{tr("建议沉渣界面"), suggestionText(d.suggestion)}}, 1, 38, 6.5);
    if (d.samplesTruncated) {
        pp.text(ReportPage::MarginMm + 2, y, kContentWidthMm - 4, 5,
                tr("文件声明 %1 个样点，实际只有 %2 个").arg(QString::number(d.announcedSamples), QString::number(d.samples.size())), 8,
                Qt::AlignLeft, true, Qt::red);
        y += 5;
    }

    // The curve: the whole hole, and the bottom metres where the sediment is.
    ReportCurveMarks marks;
    marks.maxDepth = in.maxDepth;
    marks.sedimentThicknessCm = in.sedimentThickness;
    marks.judged = !acc.awaitingJudgement;
    marks.suggestion = d.suggestion;
    const int range = reportResistivityRange(d.samples);
    int64_t deepest = in.maxDepth;
    for (const Sample &s : d.samples)
        deepest = std::max<int64_t>(deepest, s.depth);
    const double plotTop = y + 17;
    const double plotBottom = kFooterTopMm - 7;

    ReportCurvePanel whole;
    whole.plot = pp.rect(ReportPage::MarginMm + 14, plotTop, 74, plotBottom - plotTop);
    whole.range = range;
    whole.topMm = 0;
    const int maxDepth = in.maxDepth;
    whole.bottomMm = maxDepth > 0 ? double(maxDepth) : double(std::max<int64_t>(deepest, 1000));
    drawReportCurve(pp.painter(), whole, tr("全孔曲线"), d.samples, marks, pp.px());

    ReportCurvePanel bottom = whole;
    const int64_t window = std::max<int64_t>(SedimentSuggestOptions().windowMm, 6 * int64_t(std::max(0, int(in.moveDistance))));
    bottom.plot = pp.rect(ReportPage::MarginMm + 14 + 74 + 18, plotTop, 74, plotBottom - plotTop);
    bottom.bottomMm = std::max<double>(whole.bottomMm, double(deepest));
    bottom.topMm = std::max(0.0, bottom.bottomMm - double(window));
    drawReportCurve(pp.painter(), bottom, tr("孔底 %1 m").arg(metres(int64_t(bottom.bottomMm - bottom.topMm), 1)),
                    d.samples, marks, pp.px());
}

void tablePage(CPaperPainter &pp, const HoleReportData &d, int tablePage)
{
    double y = ReportPage::MarginMm;
    const QString title = tablePage == 0 ? tr("样点数据") : tr("样点数据（续）");
    pp.text(ReportPage::MarginMm, y, kContentWidthMm, 8, title, 12, Qt::AlignLeft, true);
    y += 9;
    const int rows = holeReportTableRows(d.samples.size());
    if (rows < d.samples.size() && tablePage == 0) {
        pp.text(ReportPage::MarginMm, y, kContentWidthMm, 4.5,
                tr("样点过多，表中只列出前 %1 个").arg(rows), 8, Qt::AlignLeft, true, Qt::red);
    }
    y += 5;

    const double groupW = kContentWidthMm / ReportPage::TableGroups;
    const double widths[4] = {11, 15, 17, 17};
    const QString heads[4] = {tr("序号"), tr("深度(m)"), tr("电阻率(Ω∙m)"), tr("原始值(Ω∙m)")};
    const double rowH = 4.55;
    const int first = tablePage * ReportPage::TableRowsPerPage;
    for (int g = 0; g < ReportPage::TableGroups; ++g) {
        const int start = first + g * ReportPage::TableRowsPerGroup;
        if (start >= rows)
            break;
        double x = ReportPage::MarginMm + g * groupW;
        pp.band(x, y, groupW - 2, rowH + 0.5, kBand);
        double cx = x;
        for (int c = 0; c < 4; ++c) {
            pp.text(cx, y, widths[c] - 1, rowH + 0.5, heads[c], 6.5, Qt::AlignRight, true);
            cx += widths[c];
        }
        const int end = std::min(rows, start + ReportPage::TableRowsPerGroup);
        for (int i = start; i < end; ++i) {
            const Sample &s = d.samples.at(i);
            const double top = y + rowH + 0.5 + (i - start) * rowH;
            const QString cells[4] = {QString::number(i + 1), metres(s.depth, 3),
                                      QString::number(double(s.resistivity), 'f', 4),
                                      QString::number(double(s.rawResistivity), 'f', 4)};
            cx = x;
            for (int c = 0; c < 4; ++c) {
                pp.text(cx, top, widths[c] - 1, rowH, cells[c], 7, Qt::AlignRight, false, c == 0 ? kMuted : kInk);
                cx += widths[c];
            }
            if ((i - start) % 5 == 4)
                pp.rule(x, x + groupW - 2, top + rowH, 0.1, kRule);
        }
    }
}

} // namespace

int holeReportTableRows(int sampleCount)
{
    return std::clamp(sampleCount, 0, ReportPage::MaxTableRows);
}

int holeReportPageCount(int sampleCount)
{
    const int rows = holeReportTableRows(sampleCount);
    return 1 + (rows + ReportPage::TableRowsPerPage - 1) / ReportPage::TableRowsPerPage;
}

QString holeQualityText(int quality)
{
    if (quality == 0)
        return tr("合格");
    if (quality == 1)
        return tr("不合格");
    return QString::number(quality);
}

void paintHoleReportPage(QPainter &painter, const HoleReportData &data, int page)
{
    const int pages = holeReportPageCount(data.samples.size());
    if (page < 0 || page >= pages)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    CPaperPainter pp(painter);
    if (page == 0)
        firstPage(pp, data);
    else
        tablePage(pp, data, page - 1);
    footer(pp, data, page, pages);
    painter.restore();
}
