#pragma once
// Touch table of the measurement screen: a header row, frozen columns at the
// left, self-drawn cells, semi-transparent arrow panels with auto-repeat, rows
// that follow a dragging finger, press and double-click reports.
//
// Rows and columns count from 1 in every interface. Rows come either from
// SetCellText (kept in m_vecRows) or from a row source, which formats only the
// rows a paint or a click asks for (large sample lists).

#include <QColor>
#include <QFont>
#include <QPen>
#include <QRect>
#include <QString>
#include <QVector>
#include <QWidget>
#include <memory>

class QTimer;
class SampleList;

struct TableRow {
    QVector<QString> cells; // by column - 1
    int32_t colorKind = 0;  // background, index into m_clrRow
    int32_t penIndex = 0;   // text pen, index into m_penText
};

// Rows produced on demand. Called on the GUI thread only; must not block.
class CTableRowSource {
public:
    virtual ~CTableRowSource() = default;
    virtual int rowCount() const = 0;
    // Row 1..rowCount().
    virtual TableRow row(int row) const = 0;
};

// Result of a hit test (all 0 when the point is outside).
struct TableHit {
    int visRow = 0;
    int visCol = 0;
    int dataRow = 0;
    int dataCol = 0;
    bool hitsCell() const { return visRow != 0 && visCol != 0; }
};

class CMyTable : public QWidget {
    Q_OBJECT
public:
    explicit CMyTable(QWidget *parent = nullptr);
    ~CMyTable() override;

    void SetHeaderText(int row, int col, const QString &text);
    void SetCellText(int row, int col, const QString &text, int kind = -1, int pen = -1);
    void ClearRows();
    void ClearHeaders();
    void SetSelectedRow(int row);
    void ScrollToRow(int row);
    void ScrollToColumn(int col);
    void SetHeaderFont(int points);
    void SetHeaderBackground(const QColor &c);
    void SetHeaderTextColor(const QColor &c);
    void SetGridColor(const QColor &c);
    // Replaces the rows by a source (ClearRows first); m_nRowCount follows it.
    void SetRowSource(std::shared_ptr<const CTableRowSource> source);

    void setDoubleClickEnabled(bool on) { m_bDoubleClick = on ? 1 : 0; }
    void setFixedCols(int n) { m_nFixedCols = n; }
    void setHeaderRows(int n) { m_nHeaderRows = n; }

    // Layout for the current size (run at every paint; callable for tests).
    void doLayout();
    TableHit hitTest(int x, int y) const;

    // State, for the owner and tests.
    int topRow() const { return m_nTopRow; }
    int leftCol() const { return m_nLeftCol; }
    int selectedRow() const { return m_nSelRow; }
    int rowCount() const { return m_nRowCount; }
    int storedRowCount() const;
    int colCount() const { return m_nColCount; }
    int visRows() const { return m_nVisRows; }
    int visCols() const { return m_nVisCols; }
    int rowHeight() const { return m_nRowHeight; }
    int colWidth() const { return m_nColWidth; }
    int fixedCols() const { return m_nFixedCols; }
    int headerRows() const { return m_nHeaderRows; }
    bool arrowsHidden() const { return m_bArrowsHidden != 0; }
    QRect dataRect() const { return m_rcData; }
    QRect headerRect() const { return m_rcHeader; }
    QRect vArrowsRect() const { return m_rcVArrows; }
    QRect hArrowsRect() const { return m_rcHArrows; }
    bool repeatActive() const;
    int repeatInterval() const;
    bool hideTimerActive() const;
    QString headerText(int row, int col) const;
    QString cellText(int row, int col) const;
    TableRow rowAt(int row) const;
    QFont headerFont() const { return m_fontHeader; }

signals:
    void SetMouseClick(int iRow, int iCol, QString str, int iMouseClickType = 2);

public slots:
    void PageMoveLeft(int per = 1);
    void PageMoveRight(int per = 1);
    void PageMoveUp(int per = 1);
    void PageMoveDown(int per = 1);
    void UpdateTime();
    void UpdateTimeHideArrow();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    bool insideData(int x, int y) const;
    bool onPanel(int x, int y) const;
    int dataColumnOf(int visCol) const;
    int existingRows() const;
    // Makes t the first shown row or column (first is m_nTopRow or
    // m_nLeftCol) and repaints when that changes the view.
    void showFrom(int &first, int t);
    // Where the finger is now: a drag scrolls by the cells it crossed since.
    void rememberTouch(int x, int y, const TableHit &hit);
    // t, or the first column right of the fixed ones when t is among them.
    int firstScrolledColumn(int t) const;
    void updateScrollFlags();
    void drawArrowPanels(QPainter &p);
    void drawRows(QPainter &p);
    void drawGrid(QPainter &p);
    void drawHeader(QPainter &p);
    void stopRepeat();

    QRect m_rcWidget; // (0, 0, -1, -1)
    int32_t m_nLeftMargin = 1;
    int32_t m_nRightMargin = 1;
    int32_t m_nTopMargin = 1;
    int32_t m_nBottomMargin = 1;
    QRect m_rcTable;
    QRect m_rcHeader;
    QRect m_rcData;
    int32_t m_nHeaderRows = 1;
    int32_t m_nFixedCols = 0;
    int32_t m_nVisRows = 15;
    int32_t m_nVisCols = 3;
    int32_t m_nRowCount = 15;
    int32_t m_nColCount = 3;
    int32_t m_nSelRow = -1;
    uint8_t m_bDoubleClick = 1;
    int32_t m_nColWidth = 0;
    int32_t m_nRowHeight = 0;
    QColor m_clrRow[4];
    QColor m_clrText;
    QColor m_clrTextAlt;
    QColor m_clrSelRow{192, 230, 248};
    QPen m_penText[2];
    QColor m_clrHeaderBack{71, 163, 248};
    QColor m_clrHeaderText{Qt::white};
    QPen m_penHeaderText;
    QFont m_fontHeader;
    QFont m_fontCell;
    QPen m_penGrid;
    QVector<QString> m_vecHeader1;
    QVector<QString> m_vecHeader2;
    QVector<TableRow> m_vecRows;
    std::shared_ptr<const CTableRowSource> m_source;
    uint8_t m_bCanScroll[4] = {1, 1, 1, 1}; // left, right, up, down
    uint8_t m_bArrowsHidden = 0;
    QRect m_rcVArrows;
    QRect m_rcHArrows;
    QTimer *m_pRepeatTimer = nullptr;
    QTimer *m_pHideTimer = nullptr;
    int32_t m_nRepeatDir = 0;
    int32_t m_nTopRow = 1;
    int32_t m_nLeftCol = 1;
    int32_t m_nLastX = 0;
    int32_t m_nLastY = 0;
    int32_t m_nLastVisRow = 0;
    int32_t m_nLastVisCol = 0;
    int32_t m_nLastRow = 0;
    int32_t m_nLastCol = 0;
    int32_t m_nArrowSize = 25;
};

// Fills the table from the sample list (depth in metres, resistivity, the
// resistivity header followed by unitText) and, with showSelected (after a
// press on the curve), selects and centres the selected sample. Formats rows
// lazily from one snapshot of the list.
void FillTable(CMyTable *table, const SampleList &samples, const QString &unitText = QStringLiteral("(Ω∙m)"),
               int showSelected = -1);
// Text of the resistivity cell of a sample; last marks the newest sample.
QString resistivityCellText(float resistivity, bool last);
QString depthCellText(int32_t depth);
