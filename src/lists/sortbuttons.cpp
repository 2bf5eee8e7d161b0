#include "sortbuttons.h"

#include "lists/listrules.h"
#include "platform/grid.h"
#include "platform/named.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

using namespace Qt::Literals::StringLiterals;

SortButtons::SortButtons(Grid& grid, const QString& name, const QStringList& captions, bool& toggle, QWidget* parent)
    : QWidget(parent)
    , m_grid(grid)
    , m_toggle(toggle)
    , m_captions(captions)
    , m_strip(new QWidget(this))
{
    setObjectName(name + u"Bar"_s);
    int height = 0;
    for (int i = 0; i < captions.size(); ++i) {
        auto* button = named(new QPushButton(captions[i], m_strip), u"%1_%2"_s.arg(name).arg(i));
        button->setFocusPolicy(Qt::TabFocus);
        button->setAccessibleName(captions[i]);
        height = std::max(height, button->sizeHint().height());
        // The column is wide enough for its caption with the direction after it.
        m_grid.setColLeast(i, button->fontMetrics().horizontalAdvance(captions[i] + u" ▼"_s) + 12);
        connect(button, &QPushButton::clicked, this, [this, i] { sortBy(i); });
        m_buttons.push_back(button);
    }
    setFixedHeight(height);

    QHeaderView* header = m_grid.horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, &SortButtons::place);
    connect(header, &QHeaderView::sectionMoved, this, &SortButtons::place);
    connect(header, &QHeaderView::geometriesChanged, this, &SortButtons::place);
    // The grid moves its header on the same signal, before this.
    connect(m_grid.horizontalScrollBar(), &QScrollBar::valueChanged, this, &SortButtons::place);
    connect(header, &QHeaderView::sectionClicked, this, [this](int col) {
        if (col < static_cast<int>(m_buttons.size()))
            sortBy(col);
    });
    connect(&m_grid, &Grid::rowsSorted, this, &SortButtons::showOrder);
    // Rows filled afresh are in the collection's order.
    connect(m_grid.model(), &QAbstractItemModel::modelReset, this, [this] { showOrder(-1, Qt::AscendingOrder); });
    m_grid.installEventFilter(this);
    m_grid.viewport()->installEventFilter(this);
    // The buttons say what the header would: the header is left as a thin strip whose
    // section edges still resize the columns under the buttons.
    header->setFixedHeight(std::max(6, fontMetrics().height() / 3));
    header->viewport()->installEventFilter(this);
}

void SortButtons::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    place();
}

bool SortButtons::eventFilter(QObject* watched, QEvent* event)
{
    QHeaderView* header = m_grid.horizontalHeader();
    if (watched == header->viewport() && event->type() == QEvent::Paint) {
        paintStrip(*header);
        return true;
    }
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move)
        place();
    return QWidget::eventFilter(watched, event);
}

void SortButtons::place()
{
    // The columns start where the grid's viewport does.
    const QWidget* viewport = m_grid.viewport();
    const int left = mapFromGlobal(viewport->mapToGlobal(QPoint(0, 0))).x();
    m_strip->setGeometry(left, 0, viewport->width(), height());
    const QHeaderView* header = m_grid.horizontalHeader();
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        QPushButton* button = m_buttons[static_cast<size_t>(i)];
        const int width = header->isSectionHidden(i) ? 0 : header->sectionSize(i);
        button->setVisible(width > 0);
        button->setGeometry(header->sectionViewportPosition(i), 0, width, height());
    }
}

void SortButtons::paintStrip(QHeaderView& header)
{
    QPainter painter(header.viewport());
    const QRect area = header.viewport()->rect();
    painter.fillRect(area, palette().button());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    for (int i = 0; i < header.count(); ++i) {
        if (header.isSectionHidden(i))
            continue;
        const int right = header.sectionViewportPosition(i) + header.sectionSize(i) - 1;
        painter.drawLine(right, area.top(), right, area.bottom());
    }
}

void SortButtons::sortBy(int col)
{
    m_grid.setCurrentCell(m_grid.row(), col);
    const Qt::SortOrder order = listrules::nextSortOrder(&m_toggle);
    if (!m_sorter || !m_sorter(col, order))
        m_grid.sortRows(col, order, Grid::SortAs::Text);
    emit sorted();
}

void SortButtons::showOrder(int col, Qt::SortOrder order)
{
    const bool ascending = order == Qt::AscendingOrder;
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        QPushButton* button = m_buttons[static_cast<size_t>(i)];
        const QString& caption = m_captions[i];
        button->setText(i == col ? caption + (ascending ? u" ▲"_s : u" ▼"_s) : caption);
        button->setAccessibleDescription(i == col ? (ascending ? u"昇順"_s : u"降順"_s) : QString());
    }
}
