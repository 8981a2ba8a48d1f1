#include "summarywriters.h"

#include "atomicfile.h"
#include "verdict.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace {
QString tr(const char *s) { return QCoreApplication::translate("CProjectSummary", s); }

constexpr double kWidthMm = 297.0; // A4 landscape
constexpr double kHeightMm = 210.0;
constexpr double kMarginMm = 12.0;
constexpr double kRowMm = 5.6;
constexpr double kTableTopMm = kMarginMm + 22.0;
constexpr double kFooterTopMm = kHeightMm - kMarginMm - 6.0;
constexpr double kTotalsMm = 4 * kRowMm + 4.0;
constexpr int kRowsPerPage = int((kFooterTopMm - 2.0 - kTableTopMm - kRowMm) / kRowMm);

const QColor kInk(30, 30, 30);
const QColor kMuted(90, 96, 110);
const QColor kBand(232, 238, 247);
const QColor kFail(190, 30, 30);

struct Column {
    const char *title;
    double widthMm;
    Qt::Alignment align;
};
const Column kColumns[] = {
    {QT_TRANSLATE_NOOP("CProjectSummary", "桩号"), 24, Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("CProjectSummary", "测点"), 12, Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("CProjectSummary", "次数"), 11, Qt::AlignRight},
    {QT_TRANSLATE_NOOP("CProjectSummary", "检测时间"), 32, Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("CProjectSummary", "检测人员"), 22, Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("CProjectSummary", "孔深(m)"), 15, Qt::AlignRight},
    {QT_TRANSLATE_NOOP("CProjectSummary", "沉渣(mm)"), 17, Qt::AlignRight},
    {QT_TRANSLATE_NOOP("CProjectSummary", "限值(mm)"), 15, Qt::AlignRight},
    {QT_TRANSLATE_NOOP("CProjectSummary", "验收依据"), 42, Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("CProjectSummary", "判定"), 17, Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("CProjectSummary", "改判"), 13, Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("CProjectSummary", "桩孔结论"), 19, Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("CProjectSummary", "文件 SHA-256"), 34, Qt::AlignLeft},
};
constexpr int kColumnCount = int(sizeof(kColumns) / sizeof(kColumns[0]));

// The override, and a judgement made again in the office.
QString overrideCell(const HoleTestRecord &t)
{
    const QString o = overrideText(t.acceptance);
    if (t.officeRejudgement.isEmpty())
        return o;
    return o.isEmpty() ? tr("办公室改判") : tr("办公室改判：%1").arg(o);
}

struct Line {
    QStringList cells;
    bool failed = false;
};

QVector<Line> tableLines(const ProjectSummary &s)
{
    QVector<Line> out;
    for (const HoleResult &h : s.holes) {
        for (const PositionResult &p : h.positions) {
            const HoleTestRecord &t = p.latest;
            const HoleAcceptance &a = t.acceptance;
            Line l;
            l.cells << h.hole << MeasuringPosition::text(p.position) << QString::number(p.tests) << t.dateTime()
                    << t.tester << QString::number(double(t.maxDepthMm) / 1000.0, 'f', 2)
                    << (a.judged() ? QString::number(t.sedimentThicknessCm * 10) : QString())
                    << (a.limitMm >= 0 ? QString::number(a.limitMm) : QString())
                    << basisFullText(a)
                    << verdictText(t.verdict()) << overrideCell(t)
                    << verdictText(h.verdict()) << t.sha256.left(16);
            l.failed = h.verdict() == AcceptanceVerdict::Fail;
            out.append(l);
        }
    }
    return out;
}

class CSummaryPainter {
public:
    CSummaryPainter(QPainter &p) : m_p(p), m_px(p.device()->width() / kWidthMm) {}
    void text(double x, double y, double w, double h, const QString &t, double points, Qt::Alignment align,
              bool bold = false, const QColor &colour = kInk)
    {
        QFont f(QStringLiteral("Sans Serif"));
        f.setStyleHint(QFont::SansSerif);
        // No ligatures: "ff" in a name or a hash must stay two letters that
        // a reader of the PDF can search for and copy.
        f.setStyleStrategy(QFont::PreferNoShaping);
        f.setPointSizeF(points);
        f.setBold(bold);
        m_p.setFont(f);
        m_p.setPen(colour);
        const QRectF r(x * m_px, y * m_px, w * m_px, h * m_px);
        const QString shown = QFontMetricsF(f, m_p.device()).elidedText(t, Qt::ElideRight, r.width());
        m_p.drawText(r, int(align) | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
    void band(double x, double y, double w, double h, const QColor &c)
    {
        m_p.fillRect(QRectF(x * m_px, y * m_px, w * m_px, h * m_px), c);
    }
    void rule(double y)
    {
        m_p.setPen(QPen(kMuted, std::max(1.0, 0.2 * m_px)));
        m_p.drawLine(QPointF(kMarginMm * m_px, y * m_px), QPointF((kWidthMm - kMarginMm) * m_px, y * m_px));
    }

    void row(double y, const QStringList &cells, bool header, const QColor &colour)
    {
        double x = kMarginMm;
        for (int c = 0; c < kColumnCount; ++c) {
            text(x + 0.8, y, kColumns[c].widthMm - 1.6, kRowMm, cells.value(c), header ? 7.5 : 7.5,
                 kColumns[c].align, header, colour);
            x += kColumns[c].widthMm;
        }
    }

private:
    QPainter &m_p;
    double m_px;
};

int pageCount(int lines)
{
    const int tablePages = std::max(1, (lines + kRowsPerPage - 1) / kRowsPerPage);
    const int onLast = lines - (tablePages - 1) * kRowsPerPage;
    const bool totalsFit = kTableTopMm + kRowMm + onLast * kRowMm + kTotalsMm <= kFooterTopMm;
    return tablePages + (totalsFit ? 0 : 1);
}

void paintPage(CSummaryPainter &pp, const ProjectSummary &s, const QVector<Line> &lines, int page, int pages,
               const QDateTime &madeAt)
{
    pp.text(kMarginMm, kMarginMm, kWidthMm - 2 * kMarginMm, 9, tr("工程汇总") + QStringLiteral("  ") + s.projectName,
            15, Qt::AlignLeft, true);
    pp.text(kMarginMm, kMarginMm + 10, kWidthMm - 2 * kMarginMm, 6,
            tr("检测 %1 孔，合格 %2，不合格 %3，未判定 %4")
                .arg(QString::number(s.tested()), QString::number(s.passed()), QString::number(s.failed()),
                     QString::number(s.notJudged())),
            9, Qt::AlignLeft, false, kMuted);
    QStringList titles;
    for (const Column &c : kColumns)
        titles << tr(c.title);
    pp.band(kMarginMm, kTableTopMm, kWidthMm - 2 * kMarginMm, kRowMm, kBand);
    pp.row(kTableTopMm, titles, true, kInk);
    double y = kTableTopMm + kRowMm;
    const int first = page * kRowsPerPage;
    for (int i = first; i < std::min<int>(lines.size(), first + kRowsPerPage); ++i) {
        pp.row(y, lines.at(i).cells, false, lines.at(i).failed ? kFail : kInk);
        y += kRowMm;
    }
    if (page == pages - 1) {
        y += 2.0;
        pp.rule(y);
        y += 1.0;
        const QStringList totals{tr("检测桩孔"), tr("合格"), tr("不合格"), tr("未判定")};
        const int values[] = {s.tested(), s.passed(), s.failed(), s.notJudged()};
        for (int i = 0; i < totals.size(); ++i) {
            pp.text(kMarginMm, y, 40, kRowMm, totals.at(i), 8.5, Qt::AlignLeft, true);
            pp.text(kMarginMm + 40, y, 20, kRowMm, QString::number(values[i]), 8.5, Qt::AlignRight, true);
            y += kRowMm;
        }
        if (!s.unreadable.isEmpty()) {
            QStringList names;
            for (const HoleTestRecord &t : s.unreadable)
                names << t.fileName;
            pp.text(kMarginMm, y, kWidthMm - 2 * kMarginMm, kRowMm,
                    tr("无法读取的文件：%1").arg(names.join(QStringLiteral(", "))), 8, Qt::AlignLeft, false, kFail);
            y += kRowMm;
        }
        if (!s.trailHead.isEmpty())
            pp.text(kMarginMm, y, kWidthMm - 2 * kMarginMm, kRowMm, tr("档案审计记录链头：%1").arg(s.trailHead), 7,
                    Qt::AlignLeft, false, kMuted);
    }
    pp.rule(kFooterTopMm);
    pp.text(kMarginMm, kFooterTopMm + 0.5, 150, 5, tr("生成时间 %1").arg(madeAt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))),
            7, Qt::AlignLeft, false, kMuted);
    pp.text(kWidthMm - kMarginMm - 60, kFooterTopMm + 0.5, 60, 5, tr("第 %1 页 / 共 %2 页").arg(QString::number(page + 1), QString::number(pages)), 7,
            Qt::AlignRight, false, kMuted);
}

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}
} // namespace

bool writeProjectSummaryPdf(const ProjectSummary &summary, const QString &path, QString *error)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return fail(error, QStringLiteral("a PDF needs a GUI application (fonts)"));
    const QVector<Line> lines = tableLines(summary);
    const int pages = pageCount(lines.size());
    const QDateTime madeAt = QDateTime::currentDateTime();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
        writer.setTitle(tr("工程汇总") + QLatin1Char(' ') + summary.projectName);
        writer.setCreator(QStringLiteral("zpvw"));
        QPainter painter;
        if (!painter.begin(&writer))
            return fail(error, QStringLiteral("cannot start the PDF"));
        CSummaryPainter pp(painter);
        for (int page = 0; page < pages; ++page) {
            if (page > 0 && !writer.newPage())
                return fail(error, QStringLiteral("cannot add page %1").arg(page + 1));
            paintPage(pp, summary, lines, page, pages, madeAt);
        }
        painter.end();
    }
    CAtomicFileWriter w(path);
    if (!w.open() || !w.write(bytes) || !w.commit())
        return fail(error, QStringLiteral("%1: %2").arg(path, w.errorString()));
    return true;
}

QStringList projectSummaryFileNames(const QString &projectFolderName)
{
    const QString stem = projectFolderName + QStringLiteral("-汇总");
    return {stem + QStringLiteral(".csv"), stem + QStringLiteral(".pdf")};
}

bool writeProjectSummaryFiles(const QString &projectDir, QString *csvPath, QString *pdfPath, QString *error)
{
    const QFileInfo dir(QDir::cleanPath(projectDir));
    const QStringList names = projectSummaryFileNames(dir.fileName());
    const ProjectSummary s = summarizeProjectFolder(dir.absoluteFilePath());
    const QString csv = dir.absolutePath() + QLatin1Char('/') + names.at(0);
    const QString pdf = dir.absolutePath() + QLatin1Char('/') + names.at(1);
    CAtomicFileWriter w(csv);
    if (!w.open() || !w.write(projectSummaryCsv(s)) || !w.commit())
        return fail(error, QStringLiteral("%1: %2").arg(csv, w.errorString()));
    if (!writeProjectSummaryPdf(s, pdf, error))
        return false;
    if (csvPath)
        *csvPath = csv;
    if (pdfPath)
        *pdfPath = pdf;
    return true;
}
