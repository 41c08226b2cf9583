// CGridCtrl: mouse events on the cells, headers and corner (right clicks, tool tips, the corner
// texts) and the grid pop-up menu "GRIDPOP" with its page helpers.
#include <QCursor>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionHeader>
#include <QToolTip>

#include "widgets/excel_export.h"
#include "widgets/grid_ctrl.h"
#include "widgets/prompts.h"

namespace widgets {

// ---- mouse ----------------------------------------------------------------------------------

void CGridCtrl::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) {  // a right click never changes the selection
    e->accept();
    return;
  }
  QTableView::mousePressEvent(e);
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::RightButton) {
    QTableView::mouseReleaseEvent(e);
    return;
  }
  const QModelIndex idx = indexAt(e->position().toPoint());
  if (idx.isValid())
    emitRightClick(idx.row() + m_fixedRows, idx.column() + m_fixedCols);
  else
    emitRightClick(-1, -1);
  e->accept();
}

void CGridCtrl::emitRightClick(int row, int col) {
  if (SetFocusCell(row, col))
    emit rightClicked(row, col);
  else
    emit rightClicked(-1, -1);
}

bool CGridCtrl::viewportEvent(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {  // the whole text of a cell too narrow to show it
    auto* help = static_cast<QHelpEvent*>(e);
    const QModelIndex idx = indexAt(help->pos());
    const QString text = idx.isValid() ? idx.data().toString() : QString();
    const QRect rect = idx.isValid() ? visualRect(idx) : QRect();
    if (!text.isEmpty() && fontMetrics().horizontalAdvance(text) + 8 > rect.width())
      QToolTip::showText(help->globalPos(), text, viewport(), rect);
    else
      QToolTip::hideText();
    return true;
  }
  return QTableView::viewportEvent(e);
}

bool CGridCtrl::eventFilter(QObject* watched, QEvent* e) {
  QWidget* corner = m_corner;
  if (corner && watched == corner && e->type() == QEvent::Paint) {
    // The corner shows the texts of the cells where header rows and header columns meet.
    QStringList lines;
    for (int r = 0; r < m_fixedRows; ++r) {
      QStringList parts;
      for (int c = 0; c < m_fixedCols; ++c) parts << m_cells[at(r, c)];
      lines << parts.join(QStringLiteral("  "));
    }
    QPainter p(corner);
    QStyleOptionHeader opt;
    opt.initFrom(corner);
    opt.rect = corner->rect();
    opt.position = QStyleOptionHeader::OnlyOneSection;
    opt.text = lines.join(QLatin1Char('\n'));
    opt.textAlignment = Qt::AlignCenter;
    corner->style()->drawControl(QStyle::CE_Header, &opt, &p, corner);
    return true;
  }
  if (e->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(e)->button() == Qt::RightButton) {
    const QPoint pos = static_cast<QMouseEvent*>(e)->position().toPoint();
    const bool haveData = m_rows > m_fixedRows && m_cols > m_fixedCols;
    if (watched == horizontalHeader()->viewport()) {
      const int s = horizontalHeader()->logicalIndexAt(pos);
      emitRightClick(haveData && s >= 0 ? m_fixedRows : -1, s >= 0 ? s + m_fixedCols : -1);
      return true;
    }
    if (watched == verticalHeader()->viewport()) {
      const int s = verticalHeader()->logicalIndexAt(pos);
      emitRightClick(s >= 0 ? s + m_fixedRows : -1, haveData && s >= 0 ? m_fixedCols : -1);
      return true;
    }
    if (corner && watched == corner) {
      emitRightClick(m_fixedRows, m_fixedCols);
      return true;
    }
  }
  return QTableView::eventFilter(watched, e);
}

// ---- page helpers ---------------------------------------------------------------------------

bool copyGridSelection(QWidget* page, CGridCtrl& grid) {
  if (grid.GetSelectedCount() > 0) {
    grid.OnEditCopy();
    return true;
  }
  showMessage(page, QStringLiteral("至少选中一个单元格才能复制"));
  return false;
}

QMenu* createGridPopupMenu(QWidget* parent) {
  auto* menu = new QMenu(QStringLiteral("GRIDPOP"), parent);
  menu->addAction(QStringLiteral("复制  Ctrl+&C"))->setData(kCmdGridCopy);
  menu->addAction(QStringLiteral("导出EXCEL"))->setData(kCmdGridExport);
  return menu;
}

void runGridPopupCommand(QWidget* page, CGridCtrl& grid, const QString& exportTitle, int command) {
  if (command == kCmdGridCopy)
    copyGridSelection(page, grid);
  else if (command == kCmdGridExport)
    exportGrid(page, grid, exportTitle);
}

void attachGridPopup(CGridCtrl* grid, QWidget* page, const QString& exportTitle) {
  QPointer<CGridCtrl> g(grid);
  QObject::connect(grid, &CGridCtrl::rightClicked, page, [g, page, exportTitle](int, int) {
    if (!g) return;
    QMenu* menu = createGridPopupMenu(page);
    const QAction* chosen = menu->exec(QCursor::pos());
    const int command = chosen ? chosen->data().toInt() : 0;
    delete menu;
    if (command && g) runGridPopupCommand(page, *g, exportTitle, command);
  });
}

}  // namespace widgets
