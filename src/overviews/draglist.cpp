#include "draglist.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringListModel>

DragList::DragList(QWidget* parent)
    : QListView(parent)
    , m_model(new QStringListModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setDragEnabled(false);
}

void DragList::setNames(const QStringList& names)
{
    m_model->setStringList(names);
}

QStringList DragList::names() const
{
    return m_model->stringList();
}

int DragList::selectedRow() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void DragList::selectRow(int row)
{
    if (row < 0 || row >= m_model->rowCount()) {
        clearSelection();
        return;
    }
    const QModelIndex i = m_model->index(row);
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    scrollTo(i);
}

int DragList::rowAt(const QPoint& pos) const
{
    const int count = m_model->rowCount();
    if (count == 0)
        return -1;
    const QModelIndex i = indexAt(pos);
    if (i.isValid())
        return i.row();
    const QRect last = visualRect(m_model->index(count - 1));
    return pos.y() >= last.bottom() ? count - 1 : -1;
}

void DragList::mousePressEvent(QMouseEvent* event)
{
    // Any button starts a drag.
    const QModelIndex pressed = indexAt(event->position().toPoint());
    if (pressed.isValid())
        selectRow(pressed.row());
    m_from = selectedRow();
    m_dragging = true;
    setFocus(Qt::MouseFocusReason);
    if (m_from >= 0)
        viewport()->setCursor(Qt::ClosedHandCursor);
    event->accept();
}

void DragList::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        QListView::mouseMoveEvent(event);
        return;
    }
    // Past the top or bottom edge the list scrolls a row at each move.
    const QPoint pos = event->position().toPoint();
    QScrollBar* bar = verticalScrollBar();
    if (pos.y() < 0)
        bar->setValue(bar->value() - bar->singleStep());
    else if (pos.y() > viewport()->height())
        bar->setValue(bar->value() + bar->singleStep());
    const QPoint inside(pos.x(), std::clamp(pos.y(), 0, viewport()->height() - 1));
    if (const int row = rowAt(inside); row >= 0 && row != selectedRow())
        selectRow(row);
    viewport()->update();
    event->accept();
}

void DragList::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        QListView::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    viewport()->unsetCursor();
    viewport()->update();
    event->accept();
    emit released(std::exchange(m_from, -1), selectedRow());
}

void DragList::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double-click is a press like the first.
    mousePressEvent(event);
}

void DragList::keyPressEvent(QKeyEvent* event)
{
    const int step = event->key() == Qt::Key_Up ? -1 : event->key() == Qt::Key_Down ? 1 : 0;
    if (step == 0 || (event->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier) {
        QListView::keyPressEvent(event);
        return;
    }
    event->accept();
    const int from = selectedRow();
    const int to = from + step;
    if (from >= 0 && to >= 0 && to < m_model->rowCount())
        emit stepped(from, to);
}

void DragList::paintEvent(QPaintEvent* event)
{
    QListView::paintEvent(event);
    const int to = selectedRow();
    if (!m_dragging || m_from < 0 || to < 0 || to == m_from || to == m_from + 1)
        return;
    // A line with an arrowhead above the entry the dragged one will be put before.
    const QRect target = visualRect(m_model->index(to));
    const QColor marker(220, 90, 0);
    const int y = target.top();
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(marker, 3));
    painter.drawLine(target.left() + 10, y, target.right() - 2, y);
    painter.setPen(Qt::NoPen);
    painter.setBrush(marker);
    painter.drawPolygon(QPolygon({QPoint(target.left() + 1, y - 7), QPoint(target.left() + 13, y), QPoint(target.left() + 1, y + 7)}));
}
