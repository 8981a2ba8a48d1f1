#include "mytable.h"

#include "sysconfig.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QTimer>

namespace {

const char kTableFontFamily[] = "Source Han Sans CN";
const int kRowPixels = 25;      // a row is about this high, or a little more
const int kMinColPixels = 65;   // columns are wider than this where the width allows
const int kRepeatDelayMs = 500;
const int kRepeatRateMs = 100;
const int kHideDelayMs = 3000;

enum Direction { DirLeft = 0, DirRight = 1, DirUp = 2, DirDown = 3 };

// Triangle pointing in a direction, fitted to the rectangle (l, t, r, b).
QPolygon arrowTriangle(int dir, const QRect &rc)
{
    const int l = rc.left(), t = rc.top(), r = rc.right(), b = rc.bottom();
    QPolygon poly;
    switch (dir) {
    case DirLeft: poly << QPoint(l, t + (b + 1 - t) / 2) << QPoint(r + 1, t) << QPoint(r + 1, b + 1); break;
    case DirRight: poly << QPoint(r + 1, t + (b + 1 - t) / 2) << QPoint(l, t) << QPoint(l, b + 1); break;
    case DirUp: poly << QPoint(l + (r + 1 - l) / 2, t) << QPoint(l, b + 1) << QPoint(r + 1, b + 1); break;
    default: poly << QPoint(l + (r + 1 - l) / 2, b + 1) << QPoint(l, t) << QPoint(r + 1, t); break;
    }
    return poly;
}

} // namespace

CMyTable::CMyTable(QWidget *parent) : QWidget(parent)
{
    const bool light = ::style == 0; // read once: the theme does not change while running
    m_clrRow[0] = m_clrRow[2] = QColor(255, 255, 255, 0);
    m_clrRow[1] = m_clrRow[3] = QColor(240, 240, 255, 0);
    m_clrText = light ? QColor(0, 0, 0) : QColor(255, 255, 255);
    m_clrTextAlt = QColor(255, 0, 0);
    m_penText[0] = QPen(m_clrText);
    m_penText[1] = QPen(m_clrTextAlt);
    m_penHeaderText = QPen(m_clrHeaderText);
    m_fontHeader = QFont(QString::fromLatin1(kTableFontFamily), 17, 50);
    m_fontCell = QFont(QString::fromLatin1(kTableFontFamily));
    m_fontCell.setWeight(50);
    m_fontCell.setPixelSize(16);
    m_penGrid = QPen(light ? QColor(201, 201, 201) : QColor(180, 185, 199));

    m_pRepeatTimer = new QTimer(this);
    connect(m_pRepeatTimer, &QTimer::timeout, this, &CMyTable::UpdateTime, Qt::UniqueConnection);
    m_pHideTimer = new QTimer(this);
    connect(m_pHideTimer, &QTimer::timeout, this, &CMyTable::UpdateTimeHideArrow);
    m_pHideTimer->start(kHideDelayMs);
}

CMyTable::~CMyTable()
{
    delete m_pRepeatTimer;
    delete m_pHideTimer;
}

// ---------------------------------------------------------------- content

void CMyTable::SetHeaderText(int row, int col, const QString &text)
{
    if (col < 1 || (row != 1 && row != 2))
        return;
    QVector<QString> &header = row == 1 ? m_vecHeader1 : m_vecHeader2;
    if (header.size() < col)
        header.resize(col);
    header[col - 1] = text;
    if (row == 2)
        m_nHeaderRows = 2;
    m_nColCount = qMax(int(m_nColCount), col);
}

void CMyTable::SetCellText(int row, int col, const QString &text, int kind, int pen)
{
    if (col > m_nColCount || row < 1 || col < 1)
        return;
    if (m_source) {
        // Cells are written one by one from here on: take the rows over.
        const std::shared_ptr<const CTableRowSource> src = std::move(m_source);
        m_source.reset();
        const int n = src->rowCount();
        m_vecRows.reserve(n);
        for (int r = 1; r <= n; ++r)
            m_vecRows.append(src->row(r));
    }
    while (m_vecRows.size() < row) {
        TableRow fresh;
        fresh.cells.resize(m_nColCount);
        m_vecRows.append(fresh);
    }
    TableRow &target = m_vecRows[row - 1];
    if (target.cells.size() < m_nColCount)
        target.cells.resize(m_nColCount);
    target.cells[col - 1] = text;
    if (kind >= 0)
        target.colorKind = kind;
    if (pen >= 0)
        target.penIndex = pen;
    m_nRowCount = m_vecRows.size();
}

void CMyTable::SetRowSource(std::shared_ptr<const CTableRowSource> source)
{
    m_vecRows.clear();
    m_source = std::move(source);
    if (m_source)
        m_nRowCount = m_source->rowCount();
}

void CMyTable::ClearRows()
{
    m_vecRows.clear();
    m_source.reset();
}

void CMyTable::ClearHeaders()
{
    m_vecHeader1.clear();
    m_vecHeader2.clear();
    m_nColCount = 1;
    if (m_nRowCount < m_nVisRows + m_nTopRow)
        m_nTopRow = m_nRowCount + 1 - m_nVisRows;
    if (m_nTopRow < 1)
        m_nTopRow = 1;
}

void CMyTable::SetSelectedRow(int row)
{
    m_nSelRow = row;
    update();
}

void CMyTable::SetHeaderFont(int points)
{
    m_fontHeader = QFont(QString::fromLatin1(kTableFontFamily), points, 50, false);
    m_fontHeader.setPixelSize(18);
}

void CMyTable::SetHeaderBackground(const QColor &c)
{
    m_clrHeaderBack = c;
}

void CMyTable::SetHeaderTextColor(const QColor &c)
{
    m_clrHeaderText = c;
    m_penHeaderText.setColor(c);
}

void CMyTable::SetGridColor(const QColor &c)
{
    m_penGrid.setColor(c);
}

int CMyTable::existingRows() const
{
    return m_source ? m_source->rowCount() : m_vecRows.size();
}

int CMyTable::storedRowCount() const
{
    return existingRows();
}

TableRow CMyTable::rowAt(int row) const
{
    if (row < 1 || row > existingRows())
        return TableRow();
    return m_source ? m_source->row(row) : m_vecRows.at(row - 1);
}

QString CMyTable::cellText(int row, int col) const
{
    const TableRow r = rowAt(row);
    return col >= 1 && col <= r.cells.size() ? r.cells.at(col - 1) : QString();
}

QString CMyTable::headerText(int row, int col) const
{
    const QVector<QString> &header = row == 2 ? m_vecHeader2 : m_vecHeader1;
    return col >= 1 && col <= header.size() ? header.at(col - 1) : QString();
}

bool CMyTable::repeatActive() const
{
    return m_pRepeatTimer->isActive();
}

int CMyTable::repeatInterval() const
{
    return m_pRepeatTimer->interval();
}

bool CMyTable::hideTimerActive() const
{
    return m_pHideTimer->isActive();
}

// ---------------------------------------------------------------- layout

void CMyTable::doLayout()
{
    const int W = width();
    const int H = height();
    const bool widthChanged = W - 1 != m_rcWidget.right() - m_rcWidget.left();
    // The table follows every size change; only a new width restarts the
    // horizontal scroll position.
    if (widthChanged || H - 1 != m_rcWidget.bottom() - m_rcWidget.top()) {
        m_rcWidget = QRect(QPoint(0, 0), QPoint(W - 1, H - 1));
        m_rcTable = QRect(QPoint(m_nLeftMargin, m_nTopMargin), QPoint(W - 1 - m_nRightMargin, H - 1 - m_nBottomMargin));
    }

    const int n = H <= kRowPixels ? 1 : qMax(2, H / (kRowPixels + 1) + 1);
    m_nVisRows = qMax(1, n - 1 - int(m_nHeaderRows));

    const int Tw = m_rcTable.width();
    int c = m_nColCount;
    while (c > 1 && Tw / c <= kMinColPixels)
        --c;
    m_nVisCols = qMax(1, c);

    // A frozen column is never also the first scrolled one (the owner may
    // freeze columns after the first paint).
    if (widthChanged || m_nLeftCol <= m_nFixedCols)
        m_nLeftCol = m_nFixedCols + 1;

    m_nColWidth = Tw / m_nVisCols;
    m_nRowHeight = m_rcTable.height() / (m_nVisRows + m_nHeaderRows);
    m_nArrowSize = 25;

    const int L = m_rcTable.left(), T = m_rcTable.top(), R = m_rcTable.right();
    const int h = m_nRowHeight;
    m_rcHeader = QRect(QPoint(L, T), QPoint(R, T + m_nHeaderRows * h - 1));
    m_rcData = QRect(QPoint(L, T + m_nHeaderRows * h), QPoint(R, T + m_nHeaderRows * h + m_nVisRows * h - 1));
}

int CMyTable::dataColumnOf(int visCol) const
{
    return visCol <= m_nFixedCols ? visCol : m_nLeftCol + visCol - m_nFixedCols - 1;
}

// ---------------------------------------------------------------- painting

void CMyTable::paintEvent(QPaintEvent *)
{
    doLayout();
    QPainter p(this);
    p.fillRect(m_rcWidget, m_clrRow[0]);
    p.fillRect(m_rcTable, m_clrRow[0]);
    drawRows(p);
    drawGrid(p);
    drawHeader(p);
    if (!m_bArrowsHidden) {
        updateScrollFlags();
        if (!m_bCanScroll[DirLeft] && !m_bCanScroll[DirRight] && !m_bCanScroll[DirUp] && !m_bCanScroll[DirDown]) {
            m_bArrowsHidden = 1;
            m_rcVArrows = m_rcHArrows = QRect();
        } else {
            drawArrowPanels(p);
        }
    }
}

void CMyTable::drawRows(QPainter &p)
{
    p.setFont(m_fontCell);
    const int h = m_nRowHeight;
    const int m = qMin(m_nVisRows, m_nRowCount);
    const int rows = existingRows();
    const int left = m_rcData.left();
    for (int v = 1; v <= m; ++v) {
        const int r = m_nTopRow + v - 1;
        if (r < 1 || r > rows)
            continue;
        const TableRow row = rowAt(r); // sources format only the rows shown
        const int y = m_rcData.top() + (v - 1) * h;
        const QColor back = r == m_nSelRow ? m_clrSelRow : m_clrRow[qBound(0, int(row.colorKind), 3)];
        p.fillRect(QRect(left, y, m_nVisCols * m_nColWidth, h), back);
        p.setPen(m_penText[row.penIndex == 1 ? 1 : 0]);
        for (int c = 1; c <= m_nVisCols; ++c) {
            const int col = dataColumnOf(c);
            if (col < 1 || col > row.cells.size())
                continue;
            p.drawText(QRect(left + (c - 1) * m_nColWidth, y, m_nColWidth, h), Qt::AlignCenter, row.cells.at(col - 1));
        }
    }
}

void CMyTable::drawGrid(QPainter &p)
{
    p.setPen(m_penGrid);
    const int h = m_nRowHeight;
    const int m = qMax(0, qMin(m_nVisRows, m_nRowCount));
    const int left = m_rcData.left();
    const int right = left + m_nVisCols * m_nColWidth;
    for (int i = 0; i <= m; ++i) {
        const int y = m_rcData.top() + i * h;
        p.drawLine(left, y, right, y);
    }
    if (m == 0)
        return;
    for (int c = 1; c <= m_nVisCols + 1; ++c) {
        const int x = left + (c - 1) * m_nColWidth;
        p.drawLine(x, m_rcData.top(), x, m_rcData.top() + m * h);
    }
}

void CMyTable::drawHeader(QPainter &p)
{
    p.setFont(m_fontHeader);
    p.fillRect(m_rcHeader, m_clrHeaderBack);
    const int left = m_rcData.left();
    const int top = m_rcHeader.top();
    const int h = m_nRowHeight;
    int c = 1;
    while (c <= m_nVisCols) {
        const QString text = headerText(1, dataColumnOf(c));
        int last = c; // equal neighbours share one cell
        while (last + 1 <= m_nVisCols && headerText(1, dataColumnOf(last + 1)) == text)
            ++last;
        const int x0 = left + (c - 1) * m_nColWidth;
        const int x1 = left + last * m_nColWidth;
        p.setPen(m_penHeaderText);
        p.drawText(QRect(x0, top, x1 - x0, h), Qt::AlignCenter, text);
        p.setPen(m_penGrid);
        p.drawLine(x1, top, x1, m_rcHeader.bottom());
        c = last + 1;
    }
}

void CMyTable::updateScrollFlags()
{
    m_bCanScroll[DirLeft] = m_nLeftCol > m_nFixedCols + 1;
    m_bCanScroll[DirRight] = m_nLeftCol + m_nVisCols - m_nFixedCols <= m_nColCount;
    m_bCanScroll[DirUp] = m_nTopRow > 1;
    m_bCanScroll[DirDown] = m_nTopRow + m_nVisRows <= m_nRowCount;
}

void CMyTable::drawArrowPanels(QPainter &p)
{
    const int S = m_nArrowSize;
    const int dl = m_rcData.left(), dt = m_rcData.top(), dr = m_rcData.right(), db = m_rcData.bottom();
    const bool vertical = m_bCanScroll[DirUp] || m_bCanScroll[DirDown];
    const bool horizontal = m_bCanScroll[DirLeft] || m_bCanScroll[DirRight];
    const QColor panelFill(192, 192, 192, 99);
    const QColor arrowOn(0, 0, 0, 90);
    const QColor arrowOff(250, 250, 250, 90);
    p.setPen(m_penGrid);

    auto drawTriangle = [&](int dir, const QRect &rc) {
        p.setBrush(m_bCanScroll[dir] ? arrowOn : arrowOff);
        p.drawPolygon(arrowTriangle(dir, rc));
    };

    m_rcVArrows = QRect();
    m_rcHArrows = QRect();
    if (vertical) {
        m_rcVArrows = QRect(QPoint(dr - S, dt), QPoint(dr - 1, horizontal ? db - 2 - S / 2 : db));
        const QRect &rc = m_rcVArrows;
        p.setBrush(panelFill);
        p.drawRoundedRect(rc, 20, 10, Qt::AbsoluteSize);
        const int mid = rc.top() + rc.height() / 2;
        p.drawLine(rc.left(), mid, rc.right(), mid);
        const int cyUp = rc.top() + rc.height() / 4;
        const int cyDown = rc.top() + rc.height() / 2 + rc.height() / 4;
        drawTriangle(DirUp, QRect(QPoint(rc.left() + 1, cyUp - S / 2), QPoint(rc.right() - 2, cyUp + S / 2)));
        drawTriangle(DirDown, QRect(QPoint(rc.left() + 1, cyDown - S / 2), QPoint(rc.right() - 2, cyDown + S / 2)));
    }
    if (horizontal) {
        m_rcHArrows = QRect(QPoint(dl + m_nFixedCols * m_nColWidth, db + 1 - S), QPoint(vertical ? dr - S : dr, db));
        const QRect &rc = m_rcHArrows;
        p.setBrush(panelFill);
        p.drawRoundedRect(rc, 20, 10, Qt::AbsoluteSize);
        const int mid = rc.left() + rc.width() / 2;
        p.drawLine(mid, rc.top(), mid, rc.bottom());
        const int cxLeft = rc.left() + rc.width() / 4;
        const int cxRight = rc.left() + rc.width() / 2 + rc.width() / 4;
        drawTriangle(DirLeft, QRect(QPoint(cxLeft - S / 2, rc.top() + 1), QPoint(cxLeft + S / 2, rc.bottom() - 2)));
        drawTriangle(DirRight, QRect(QPoint(cxRight - S / 2, rc.top() + 1), QPoint(cxRight + S / 2, rc.bottom() - 2)));
    }
    p.setBrush(Qt::NoBrush);
}

// ---------------------------------------------------------------- mouse

bool CMyTable::insideData(int x, int y) const
{
    return x >= m_rcData.left() && x <= m_rcData.right() + 1 && y >= m_rcData.top() && y <= m_rcData.bottom() + 1;
}

bool CMyTable::onPanel(int x, int y) const
{
    if (m_bArrowsHidden)
        return false;
    auto strictlyIn = [x, y](const QRect &rc) {
        return !rc.isNull() && x > rc.left() && y > rc.top() && x < rc.right() && y < rc.bottom();
    };
    return strictlyIn(m_rcVArrows) || strictlyIn(m_rcHArrows);
}

TableHit CMyTable::hitTest(int x, int y) const
{
    TableHit hit;
    if (!insideData(x, y) || m_nRowHeight <= 0 || m_nColWidth <= 0)
        return hit;
    const int dy = y - m_rcData.top();
    const int dx = x - m_nLeftMargin;
    for (int v = 1; v <= m_nVisRows; ++v) {
        if ((v - 1) * m_nRowHeight <= dy && dy < v * m_nRowHeight) {
            hit.visRow = v;
            break;
        }
    }
    for (int c = 1; c <= m_nVisCols; ++c) {
        if ((c - 1) * m_nColWidth <= dx && dx < c * m_nColWidth) {
            hit.visCol = c;
            break;
        }
    }
    hit.dataRow = hit.visRow ? m_nTopRow + hit.visRow - 1 : 0;
    hit.dataCol = hit.visCol ? dataColumnOf(hit.visCol) : 0;
    return hit;
}

void CMyTable::mousePressEvent(QMouseEvent *event)
{
    m_pHideTimer->stop();
    const int x = event->x(), y = event->y();
    if (event->button() != Qt::LeftButton || !insideData(x, y))
        return;

    if (onPanel(x, y)) {
        const QRect &v = m_rcVArrows;
        const QRect &h = m_rcHArrows;
        if (!v.isNull() && x > v.left() && y > v.top() && x < v.right() && y < v.bottom()) {
            if (y < v.top() + (v.bottom() + 1 - v.top()) / 2) {
                m_nRepeatDir = DirUp;
                PageMoveUp(1);
            } else {
                m_nRepeatDir = DirDown;
                PageMoveDown(1);
            }
        } else if (x < h.left() + (h.right() + 1 - h.left()) / 2) {
            m_nRepeatDir = DirLeft;
            PageMoveLeft(1);
        } else {
            m_nRepeatDir = DirRight;
            PageMoveRight(1);
        }
        connect(m_pRepeatTimer, &QTimer::timeout, this, &CMyTable::UpdateTime, Qt::UniqueConnection);
        m_pRepeatTimer->start(kRepeatDelayMs);
        return;
    }

    const TableHit hit = hitTest(x, y);
    rememberTouch(x, y, hit);
    if (!hit.hitsCell() || hit.dataRow < 1 || hit.dataRow > existingRows())
        return;
    const TableRow row = rowAt(hit.dataRow);
    if (hit.dataCol < 1 || hit.dataCol > row.cells.size())
        return;
    m_nSelRow = hit.dataRow;
    emit SetMouseClick(hit.dataRow, hit.dataCol, row.cells.at(hit.dataCol - 1), 2);
    update();
}

void CMyTable::rememberTouch(int x, int y, const TableHit &hit)
{
    m_nLastX = x;
    m_nLastY = y;
    m_nLastVisRow = hit.visRow;
    m_nLastVisCol = hit.visCol;
    m_nLastRow = hit.dataRow;
    m_nLastCol = hit.dataCol;
}

void CMyTable::UpdateTime()
{
    m_pRepeatTimer->stop();
    disconnect(m_pRepeatTimer, &QTimer::timeout, nullptr, nullptr);
    switch (m_nRepeatDir) {
    case DirLeft: connect(m_pRepeatTimer, &QTimer::timeout, this, [this] { PageMoveLeft(); }); break;
    case DirRight: connect(m_pRepeatTimer, &QTimer::timeout, this, [this] { PageMoveRight(); }); break;
    case DirUp: connect(m_pRepeatTimer, &QTimer::timeout, this, [this] { PageMoveUp(); }); break;
    default: connect(m_pRepeatTimer, &QTimer::timeout, this, [this] { PageMoveDown(); }); break;
    }
    m_pRepeatTimer->start(kRepeatRateMs);
}

void CMyTable::UpdateTimeHideArrow()
{
    m_pHideTimer->stop();
    m_bArrowsHidden = 1;
    update();
}

void CMyTable::stopRepeat()
{
    m_pRepeatTimer->stop();
    disconnect(m_pRepeatTimer, &QTimer::timeout, nullptr, nullptr);
}

void CMyTable::mouseMoveEvent(QMouseEvent *event)
{
    const int x = event->x(), y = event->y();
    if (!insideData(x, y) || onPanel(x, y))
        return;
    setCursor(Qt::OpenHandCursor);
    const TableHit hit = hitTest(x, y);
    if (hit.hitsCell() && m_nLastCol != 0) {
        ScrollToRow(m_nTopRow + m_nLastVisRow - hit.visRow);
        ScrollToColumn(m_nLeftCol + m_nLastVisCol - hit.visCol);
    }
    rememberTouch(x, y, hit);
}

void CMyTable::mouseReleaseEvent(QMouseEvent *)
{
    stopRepeat();
    setCursor(Qt::ArrowCursor);
    if (m_bArrowsHidden) {
        m_bArrowsHidden = 0;
        update();
    }
    m_pHideTimer->start(kHideDelayMs);
}

void CMyTable::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int x = event->x(), y = event->y();
    if (!m_bDoubleClick || !insideData(x, y) || onPanel(x, y))
        return;
    const TableHit hit = hitTest(x, y);
    if (!hit.hitsCell() || hit.dataRow < 1 || hit.dataRow > existingRows())
        return;
    const TableRow row = rowAt(hit.dataRow);
    if (hit.dataCol < 1 || hit.dataCol > row.cells.size())
        return;
    emit SetMouseClick(hit.dataRow, hit.dataCol, row.cells.at(hit.dataCol - 1), 4);
}

void CMyTable::hideEvent(QHideEvent *event)
{
    // A hidden table gets no release: do not keep scrolling behind a dialog.
    stopRepeat();
    QWidget::hideEvent(event);
}

// ---------------------------------------------------------------- scrolling

void CMyTable::showFrom(int &first, int t)
{
    if (t != first) {
        first = t;
        update();
    }
}

int CMyTable::firstScrolledColumn(int t) const { return qMax(t, m_nFixedCols + 1); }

void CMyTable::PageMoveUp(int per) { showFrom(m_nTopRow, qMax(1, m_nTopRow - per)); }

void CMyTable::PageMoveDown(int per)
{
    if (m_nRowCount < m_nVisRows) {
        m_nTopRow = 1;
        return;
    }
    if (existingRows() < 1)
        return;
    int t = m_nTopRow + per;
    if (t + m_nVisRows > m_nRowCount)
        t = m_nRowCount + 1 - m_nVisRows;
    showFrom(m_nTopRow, t);
}

void CMyTable::PageMoveLeft(int per) { showFrom(m_nLeftCol, firstScrolledColumn(m_nLeftCol - per)); }

void CMyTable::PageMoveRight(int per)
{
    if (existingRows() < 1)
        return;
    int t = m_nLeftCol + per;
    if (t - m_nFixedCols + m_nVisCols + 1 > m_nColCount)
        t = firstScrolledColumn(m_nColCount + m_nFixedCols + 1 - m_nVisCols);
    showFrom(m_nLeftCol, t);
}

void CMyTable::ScrollToRow(int row)
{
    if (row < 1 || row == m_nTopRow || row > m_nRowCount)
        return;
    if (m_nRowCount < m_nVisRows) {
        m_nTopRow = 1;
        return;
    }
    showFrom(m_nTopRow, row + m_nVisRows > m_nRowCount ? qMax(1, existingRows() + 1 - m_nVisRows) : row);
}

void CMyTable::ScrollToColumn(int col)
{
    if (col < 1 || col == m_nLeftCol || (existingRows() >= 1 && col > m_nColCount))
        return;
    const bool fits = (m_nVisCols - m_nFixedCols) + col <= m_nColCount;
    showFrom(m_nLeftCol, col > m_nFixedCols ? firstScrolledColumn(fits ? col : m_nColCount + 1 + m_nFixedCols - m_nVisCols)
                                            : m_nFixedCols + 1);
}
