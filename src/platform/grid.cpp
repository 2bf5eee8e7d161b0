#include "grid.h"

#include "repaint.h"

#include <QApplication>
#include <QCollator>
#include <QDateTime>
#include <QScopeGuard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QSet>
#include <QStyle>

#include <algorithm>

namespace {
const QString kEmpty;
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return cell(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_alignments[static_cast<size_t>(index.column())] | Qt::AlignVCenter);
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns)
        return {};
    if (role == Qt::DisplayRole)
        return m_headers.value(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_headerAlignments[static_cast<size_t>(section)] | Qt::AlignVCenter);
    return {};
}

void GridModel::setShape(int dataRows, int columns)
{
    beginResetModel();
    m_columns = std::max(columns, 0);
    m_rows.resize(static_cast<size_t>(std::max(dataRows, 0)));
    for (QStringList& row : m_rows)
        row.resize(m_columns);
    while (m_headers.size() < m_columns)
        m_headers.append(QString());
    m_headers.resize(m_columns);
    m_alignments.resize(static_cast<size_t>(m_columns), Qt::AlignLeft);
    m_headerAlignments.resize(static_cast<size_t>(m_columns), Qt::AlignLeft);
    endResetModel();
}

void GridModel::setDataRows(std::vector<QStringList> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    for (QStringList& row : m_rows)
        row.resize(m_columns);
    endResetModel();
}

void GridModel::rowsReplaced()
{
    emit dataChanged(index(0, 0), index(rowCount() - 1, m_columns - 1));
}

const QString& GridModel::cell(int dataRow, int column) const
{
    if (dataRow < 0 || dataRow >= rowCount() || column < 0 || column >= m_columns)
        return kEmpty;
    return m_rows[static_cast<size_t>(dataRow)][column];
}

void GridModel::setCell(int dataRow, int column, const QString& text)
{
    if (dataRow < 0 || dataRow >= rowCount() || column < 0 || column >= m_columns)
        return;
    m_rows[static_cast<size_t>(dataRow)][column] = text;
    const QModelIndex i = index(dataRow, column);
    emit dataChanged(i, i);
}

void GridModel::setHeader(int column, const QString& text)
{
    if (column < 0 || column >= m_columns)
        return;
    m_headers[column] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QString GridModel::header(int column) const
{
    return m_headers.value(column);
}

void GridModel::setAlignment(int column, Qt::Alignment alignment)
{
    if (column >= 0 && column < m_columns)
        m_alignments[static_cast<size_t>(column)] = alignment;
}

void GridModel::setHeaderAlignment(int column, Qt::Alignment alignment)
{
    if (column >= 0 && column < m_columns) {
        m_headerAlignments[static_cast<size_t>(column)] = alignment;
        emit headerDataChanged(Qt::Horizontal, column, column);
    }
}

Grid::Grid(QWidget* parent)
    : QTableView(parent)
    , m_model(new GridModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the grid for the next control; the arrow keys move between cells.
    setTabKeyNavigation(false);
    setSortingEnabled(false);
    setWordWrap(false);
    setAlternatingRowColors(true);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int col, int, int size) {
        if (m_fitting || size <= 0 || col >= cols())
            return;
        m_handWidths.insert({cols(), col}, size);
        fitColumns();
    });

    connect(this, &QTableView::clicked, this, [this](const QModelIndex& i) { emit cellClicked(i.row() + 1, i.column()); });
    connect(this, &QTableView::doubleClicked, this,
            [this](const QModelIndex& i) { emit cellDoubleClicked(i.row() + 1, i.column()); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        const int row = current.isValid() ? current.row() + 1 : 0;
        const int col = current.isValid() ? current.column() : 0;
        emit currentCellChanged(row, col);
        if (m_userInput)
            emit userMovedToCell(row, col);
    });
}

bool Grid::event(QEvent* event)
{
    const bool handled = QTableView::event(event);
    // A grid with the keyboard is framed in the highlight colour, as the style marks a
    // focused cell only faintly.
    if (event->type() == QEvent::Paint)
        paintFocusFrame(*this);
    return handled;
}

void Grid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    update();
}

void Grid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    update();
}

void Grid::keyPressEvent(QKeyEvent* event)
{
    // From the keyboard, Space does what a click on the current row does and Enter
    // what a double-click does.
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) && row() > 0
        && event->modifiers() == Qt::NoModifier) {
        if (key == Qt::Key_Space)
            emit cellClicked(row(), col());
        else
            emit cellDoubleClicked(row(), col());
        event->accept();
        return;
    }
    const QScopedValueRollback<bool> user(m_userInput, true);
    QTableView::keyPressEvent(event);
}

void Grid::mousePressEvent(QMouseEvent* event)
{
    const QScopedValueRollback<bool> user(m_userInput, true);
    QTableView::mousePressEvent(event);
}

void Grid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    fitColumns();
}

int Grid::widthOf(int col) const
{
    // The header never draws a section narrower than its least size, so a narrower
    // width counted here would push the last column out of view.
    const int given = std::max({m_widths[static_cast<size_t>(col)], m_least.value(col),
                                horizontalHeader()->minimumSectionSize()});
    return std::max(m_handWidths.value({cols(), col}, given), horizontalHeader()->minimumSectionSize());
}

bool Grid::viewportEvent(QEvent* event)
{
    const bool handled = QTableView::viewportEvent(event);
    // A scroll bar that comes or goes once the rows are laid out changes the room.
    if (event->type() == QEvent::Resize)
        fitColumns();
    return handled;
}

int Grid::leastOfFilling(int col) const
{
    const int header = horizontalHeader()->fontMetrics().horizontalAdvance(text(0, col)) + 2 * cellMargin() + 4;
    return std::min(widthOf(col), std::max({header, m_least.value(col), horizontalHeader()->minimumSectionSize()}));
}

int Grid::cellMargin() const
{
    // The room an item view leaves either side of a cell's text.
    return style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
}

int Grid::widestText(int col) const
{
    if (col < 0 || col >= cols())
        return 0;
    const QFontMetrics metrics = fontMetrics();
    int widest = 0;
    // Columns of names from a master repeat a few texts many times: each is measured once.
    QSet<QStringView> measured;
    for (const QStringList& row : m_model->rows()) {
        if (col < row.size() && !measured.contains(row[col])) {
            measured.insert(row[col]);
            widest = std::max(widest, metrics.horizontalAdvance(row[col]));
        }
    }
    const int caption = horizontalHeader()->fontMetrics().horizontalAdvance(text(0, col))
        + 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader());
    return std::max(widest + 2 * cellMargin(), caption);
}

void Grid::fitColumns()
{
    if (m_fitting)
        return;
    const QScopedValueRollback<bool> fitting(m_fitting, true);
    // A width given here can bring or take away a scroll bar and so change the room.
    for (int pass = 0; pass < 2; ++pass) {
        const int room = viewport()->width();
        int taken = 0;
        int shares = 0;
        int yielding = 0;
        for (int c = 0; c < cols(); ++c) {
            if (m_widths[static_cast<size_t>(c)] == 0)
                continue;
            taken += widthOf(c);
            if (m_fills[static_cast<size_t>(c)] && !m_handWidths.contains({cols(), c})) {
                shares += widthOf(c);
                yielding += widthOf(c) - leastOfFilling(c);
            }
        }
        const int spare = std::max(room - taken, 0);
        // Short of room, the filling columns give it up, down to their least, so that the
        // columns of numbers and dates stay in view and whole.
        const int shortfall = std::min(std::max(taken - room, 0), yielding);
        int given = 0;
        int last = -1;
        for (int c = 0; c < cols(); ++c) {
            const bool hidden = m_widths[static_cast<size_t>(c)] == 0;
            if (isColumnHidden(c) != hidden)
                setColumnHidden(c, hidden);
            if (hidden)
                continue;
            int width = widthOf(c);
            if (shares > 0 && m_fills[static_cast<size_t>(c)] && !m_handWidths.contains({cols(), c})) {
                const int share = shortfall > 0
                    ? -static_cast<int>(static_cast<qint64>(shortfall) * (width - leastOfFilling(c)) / yielding)
                    : static_cast<int>(static_cast<qint64>(spare) * width / shares);
                width += share;
                given += share;
                last = c;
            }
            setColumnWidth(c, width);
        }
        // What the shares leave by rounding down goes to the last filling column.
        if (last >= 0)
            setColumnWidth(last, columnWidth(last) + (shortfall > 0 ? -shortfall : spare) - given);
        if (viewport()->width() == room)
            break;
    }
}

int Grid::twipsToPixels(int twips)
{
    // 1440 twips to the inch at 96 dots per inch.
    return (twips + 7) / 15;
}

void Grid::setRows(int rows)
{
    {
        const QScopedValueRollback<bool> fitting(m_fitting, true);
        m_model->setShape(std::max(rows - 1, 0), m_model->columnCount());
    }
    fitColumns();
}

void Grid::setCols(int cols)
{
    {
        const QScopedValueRollback<bool> fitting(m_fitting, true);
        m_model->setShape(m_model->rowCount(), cols);
    }
    const size_t count = static_cast<size_t>(std::max(cols, 0));
    m_widths.resize(count, horizontalHeader()->defaultSectionSize());
    m_fills.resize(count, false);
    fitColumns();
}

void Grid::setDataRows(std::vector<QStringList> rows)
{
    {
        const QScopedValueRollback<bool> fitting(m_fitting, true);
        m_model->setDataRows(std::move(rows));
    }
    fitColumns();
}

QString Grid::text(int row, int col) const
{
    return row == 0 ? m_model->header(col) : m_model->cell(row - 1, col);
}

void Grid::setText(int row, int col, const QString& text)
{
    if (row == 0)
        m_model->setHeader(col, text);
    else
        m_model->setCell(row - 1, col, text);
}

void Grid::setColWidth(int col, int twips)
{
    setColWidthPixels(col, twips <= 0 ? 0 : twipsToPixels(twips));
}

void Grid::setColWidthPixels(int col, int pixels)
{
    if (col < 0 || col >= cols())
        return;
    m_widths[static_cast<size_t>(col)] = std::max(pixels, 0);
    fitColumns();
}

void Grid::setColLeast(int col, int pixels)
{
    m_least.insert(col, pixels);
    fitColumns();
}

void Grid::setColFills(int col, bool fills)
{
    if (col < 0 || col >= cols())
        return;
    m_fills[static_cast<size_t>(col)] = fills;
    fitColumns();
}

void Grid::setColAlignment(int col, Qt::Alignment alignment)
{
    m_model->setAlignment(col, alignment);
}

void Grid::setHeaderAlignment(int col, Qt::Alignment alignment)
{
    m_model->setHeaderAlignment(col, alignment);
}

int Grid::row() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

int Grid::col() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : 0;
}

void Grid::setCurrentCell(int row, int col)
{
    if (row <= 0 || row >= rows()) {
        selectionModel()->clearCurrentIndex();
        clearSelection();
        return;
    }
    const QModelIndex i = m_model->index(row - 1, col);
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(i);
}

namespace {

// The rows in the order of the sorted keys, each key holding its row's old index.
template <typename Key>
void reorder(std::vector<QStringList>& data, const std::vector<std::pair<Key, size_t>>& keys)
{
    std::vector<QStringList> sorted;
    sorted.reserve(data.size());
    for (const auto& k : keys)
        sorted.push_back(std::move(data[k.second]));
    data = std::move(sorted);
}

} // namespace

int Grid::findRow(int col, const QString& text) const
{
    for (int r = 1; r < rows(); ++r) {
        if (this->text(r, col) == text)
            return r;
    }
    return 0;
}

void Grid::sortRows(int col, Qt::SortOrder order, SortAs as)
{
    std::vector<QStringList>& data = m_model->rows();
    if (col < 0 || col >= cols())
        return;
    if (data.size() < 2) {
        emit rowsSorted(col, order);
        return;
    }
    const bool descending = order == Qt::DescendingOrder;
    if (as == SortAs::Number) {
        std::vector<std::pair<double, size_t>> keys(data.size());
        for (size_t i = 0; i < data.size(); ++i)
            keys[i] = {data[i][col].toDouble(), i};
        std::stable_sort(keys.begin(), keys.end(), [descending](const auto& a, const auto& b) {
            return descending ? b.first < a.first : a.first < b.first;
        });
        reorder(data, keys);
    } else {
        // Japanese order: hiragana and katakana readings together, letter case kept
        // apart. Each cell's key is made once; rows with equal keys keep their order.
        static const QCollator collator = [] {
            QCollator c(QLocale(QLocale::Japanese, QLocale::Japan));
            c.setCaseSensitivity(Qt::CaseSensitive);
            return c;
        }();
        std::vector<std::pair<QCollatorSortKey, size_t>> keys;
        keys.reserve(data.size());
        for (size_t i = 0; i < data.size(); ++i)
            keys.emplace_back(collator.sortKey(data[i][col]), i);
        std::stable_sort(keys.begin(), keys.end(), [descending](const auto& a, const auto& b) {
            const int c = a.first.compare(b.first);
            return descending ? c > 0 : c < 0;
        });
        reorder(data, keys);
    }
    m_model->rowsReplaced();
    emit rowsSorted(col, order);
}

void Grid::sortRowsBy(int col, Qt::SortOrder order, const std::function<QByteArray(const QStringList& row)>& keyOf)
{
    std::vector<QStringList>& data = m_model->rows();
    if (col < 0 || col >= cols())
        return;
    std::vector<std::pair<QByteArray, size_t>> keys;
    keys.reserve(data.size());
    for (size_t i = 0; i < data.size(); ++i)
        keys.emplace_back(keyOf(data[i]), i);
    const bool descending = order == Qt::DescendingOrder;
    std::stable_sort(keys.begin(), keys.end(), [descending](const auto& a, const auto& b) {
        return descending ? b.first < a.first : a.first < b.first;
    });
    reorder(data, keys);
    m_model->rowsReplaced();
    emit rowsSorted(col, order);
}

void Grid::setTypeAhead(std::function<TypeAheadMatch(const QString& typed, int col)> typeAhead)
{
    m_typeAhead = std::move(typeAhead);
}

void Grid::keyboardSearch(const QString& search)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // Letters typed in quick succession add up to one search, as in Qt's own.
    const bool goesOn = now - m_typedAt <= QApplication::keyboardInputInterval();
    // Counted from when this letter is dealt with: a slow first look does not cut the
    // letters typed meanwhile off from it.
    const auto dealtWith = qScopeGuard([this] { m_typedAt = QDateTime::currentMSecsSinceEpoch(); });
    const QString typed = goesOn ? m_typed + search : search;
    const int col = std::max(this->col(), 0);
    const TypeAheadMatch matches = m_typeAhead && !search.isEmpty() ? m_typeAhead(typed, col) : TypeAheadMatch();
    if (!matches) {
        m_typed.clear();
        QTableView::keyboardSearch(search);
        return;
    }
    m_typed = typed;
    const int count = rows() - 1;
    if (count < 1)
        return;
    // A search that goes on may stay on the current row; a new one starts at the next.
    const int current = std::max(row(), 1);
    const int first = goesOn ? current : current % count + 1;
    for (int i = 0; i < count; ++i) {
        const int r = (first - 1 + i) % count + 1;
        if (matches(text(r, col))) {
            // From the keys, the move is the user's (userMovedToCell).
            setCurrentCell(r, col);
            return;
        }
    }
}
