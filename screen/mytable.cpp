#include "mytable.h"

#include <QTimer>

CMyTable::CMyTable(QWidget *parent) : QWidget(parent) {}
CMyTable::~CMyTable() = default;
void CMyTable::SetHeaderText(int, int, const QString &) {}
void CMyTable::SetCellText(int, int, const QString &, int, int) {}
void CMyTable::ClearRows() {}
void CMyTable::ClearHeaders() {}
void CMyTable::SetSelectedRow(int row) { m_nSelRow = row; update(); }
void CMyTable::ScrollToRow(int) {}
void CMyTable::ScrollToColumn(int) {}
void CMyTable::SetHeaderFont(int) {}
void CMyTable::SetHeaderBackground(const QColor &c) { m_clrHeaderBack = c; }
void CMyTable::SetHeaderTextColor(const QColor &c) { m_clrHeaderText = c; }
void CMyTable::SetGridColor(const QColor &c) { m_penGrid.setColor(c); }
void CMyTable::SetRowSource(std::shared_ptr<const CTableRowSource> source) { m_source = std::move(source); }
void CMyTable::doLayout() {}
TableHit CMyTable::hitTest(int, int) const { return {}; }
int CMyTable::storedRowCount() const { return 0; }
bool CMyTable::repeatActive() const { return false; }
int CMyTable::repeatInterval() const { return 0; }
bool CMyTable::hideTimerActive() const { return false; }
QString CMyTable::headerText(int, int) const { return {}; }
QString CMyTable::cellText(int, int) const { return {}; }
TableRow CMyTable::rowAt(int) const { return {}; }
void CMyTable::PageMoveLeft(int) {}
void CMyTable::PageMoveRight(int) {}
void CMyTable::PageMoveUp(int) {}
void CMyTable::PageMoveDown(int) {}
void CMyTable::UpdateTime() {}
void CMyTable::UpdateTimeHideArrow() {}
void CMyTable::paintEvent(QPaintEvent *) {}
void CMyTable::mousePressEvent(QMouseEvent *) {}
void CMyTable::mouseReleaseEvent(QMouseEvent *) {}
void CMyTable::mouseDoubleClickEvent(QMouseEvent *) {}
void CMyTable::mouseMoveEvent(QMouseEvent *) {}
bool CMyTable::insideData(int, int) const { return false; }
bool CMyTable::onPanel(int, int) const { return false; }
int CMyTable::dataColumnOf(int) const { return 0; }
int CMyTable::existingRows() const { return 0; }
void CMyTable::updateScrollFlags() {}
void CMyTable::drawArrowPanels(QPainter &) {}
void CMyTable::drawRows(QPainter &) {}
void CMyTable::drawGrid(QPainter &) {}
void CMyTable::drawHeader(QPainter &) {}
void CMyTable::stopRepeat() {}
void FillTable(CMyTable *) {}
QString resistivityCellText(float, bool) { return {}; }
QString depthCellText(int32_t) { return {}; }
