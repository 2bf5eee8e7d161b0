#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <QTableView>

#include <functional>
#include <vector>

// The rows behind a Grid: one QStringList per data row, plus the header texts.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setShape(int dataRows, int columns);
    void setDataRows(std::vector<QStringList> rows);
    const QString& cell(int dataRow, int column) const;
    void setCell(int dataRow, int column, const QString& text);
    void setHeader(int column, const QString& text);
    QString header(int column) const;
    void setAlignment(int column, Qt::Alignment alignment);
    void setHeaderAlignment(int column, Qt::Alignment alignment);
    std::vector<QStringList>& rows() { return m_rows; }
    void rowsReplaced();

private:
    std::vector<QStringList> m_rows;
    int m_columns = 0;
    QStringList m_headers;
    std::vector<Qt::Alignment> m_alignments;
    std::vector<Qt::Alignment> m_headerAlignments;
};

// A grid with one fixed header row, as the screens use it: rows are counted with the
// header (row 0), so the data rows are 1 to rows() - 1; the current cell is (row, col)
// with row 0 meaning no data row is current. Widths are given in twips (1/1440 inch)
// and a width of 0 hides the column. Sorting is by one column, of all data rows.
// Columns that fill (the names) share the room the others leave, so the columns span
// the grid however wide the window is, and short of room give it up down to their
// captions before any other column is cut; a column the user widens or narrows by hand
// keeps that width as long as the grid lives.
class Grid : public QTableView {
    Q_OBJECT
public:
    explicit Grid(QWidget* parent = nullptr);

    int rows() const { return m_model->rowCount() + 1; }
    void setRows(int rows);
    int cols() const { return m_model->columnCount(); }
    void setCols(int cols);
    // Replaces all data rows at once (row 1 first); each list is one row's cells.
    void setDataRows(std::vector<QStringList> rows);

    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    void setColWidth(int col, int twips);
    void setColWidthPixels(int col, int pixels);
    // A column that fills is at least its width; the room to spare is shared among the
    // filling columns in proportion to their widths.
    void setColFills(int col, bool fills);
    // The least width column col has, whatever width a layout gives it, as for the caption
    // of a control over it; kept through later layouts.
    void setColLeast(int col, int pixels);
    // The width col needs to show its caption and every data cell whole.
    int widestText(int col) const;
    void setColAlignment(int col, Qt::Alignment alignment);
    void setHeaderAlignment(int col, Qt::Alignment alignment);

    // The first data row whose cell in col reads text, or 0.
    int findRow(int col, const QString& text) const;

    int row() const;
    int col() const;
    void setCurrentCell(int row, int col);

    enum class SortAs { Text, Number };
    // Sorts rows 1..rows()-1 by col. The current row number stays; the row under it
    // may change, as in the grids the screens were designed for.
    void sortRows(int col, Qt::SortOrder order, SortAs as);
    // Sorts the data rows by the keys keyOf makes of each row's cells, compared byte for
    // byte; rows of equal keys keep their order, and descending turns only the keys'.
    void sortRowsBy(int col, Qt::SortOrder order, const std::function<QByteArray(const QStringList& row)>& keyOf);

    // Whether a row's cell in a column is the one the letters typed on the grid look for.
    using TypeAheadMatch = std::function<bool(const QString& cell)>;
    // The type-ahead's own test of the cells of col for typed: a grid given one moves to
    // the next row whose cell in the current column passes it; one that gives none (an
    // empty function) leaves the type-ahead to the cells' starts, as Qt's own.
    void setTypeAhead(std::function<TypeAheadMatch(const QString& typed, int col)> typeAhead);
    void keyboardSearch(const QString& search) override;

    static int twipsToPixels(int twips);

signals:
    // A click on a cell, or Space on the current row.
    void cellClicked(int row, int col);
    // A double-click on a cell, or Enter on the current row.
    void cellDoubleClicked(int row, int col);
    void currentCellChanged(int row, int col);
    // The current cell was moved by the user's keys or mouse, not by the program or by
    // the grid taking focus.
    void userMovedToCell(int row, int col);
    // The data rows were sorted by col.
    void rowsSorted(int col, Qt::SortOrder order);

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    // Gives every shown column its width, the filling ones their share of the room.
    void fitColumns();
    int widthOf(int col) const;
    // The least a filling column gives up room to: its caption whole.
    int leastOfFilling(int col) const;
    int cellMargin() const;

    GridModel* m_model;
    bool m_userInput = false;
    // Set while the grid itself sizes its columns: other resizes are the user's.
    bool m_fitting = false;
    // Per column: the width the screen gave (pixels, 0 hidden) and whether it fills.
    std::vector<int> m_widths;
    std::vector<bool> m_fills;
    // The user's widths, by number of columns and column, as a grid may switch layouts.
    QHash<std::pair<int, int>, int> m_handWidths;
    QHash<int, int> m_least;
    std::function<TypeAheadMatch(const QString& typed, int col)> m_typeAhead;
    QString m_typed; // the letters of the type-ahead so far
    qint64 m_typedAt = 0;
};
