#pragma once

#include <QWidget>

#include <functional>
#include <vector>

class Grid;
class QPushButton;

// The sort buttons of a list grid: button i stands over column i's header, as wide as
// the column, and follows it when the column is resized or the grid scrolled sideways.
// A click sorts the grid by that column's text; ascending and descending alternate with
// the one toggle that all the grid's buttons share. A click on the column's header does
// the same. The button of the column the rows are sorted by shows the direction with ▲
// or ▼ after its caption, and tells a screen reader 昇順 or 降順.
class SortButtons : public QWidget {
    Q_OBJECT
public:
    // The buttons are named name_0, name_1, ...; toggle lives as long as the program.
    SortButtons(Grid& grid, const QString& name, const QStringList& captions, bool& toggle,
                QWidget* parent = nullptr);

    QPushButton* button(int i) const { return m_buttons[static_cast<size_t>(i)]; }
    // The screen's own sort of a column (by the names' readings): it sorts and says so,
    // or leaves the column to the text sort by giving false.
    void setSorter(std::function<bool(int col, Qt::SortOrder order)> sorter) { m_sorter = std::move(sorter); }

signals:
    // The grid was sorted by a button.
    void sorted();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();
    // The header strip: the edges of the columns, without their captions.
    void paintStrip(class QHeaderView& header);
    void sortBy(int col);
    // col < 0, or a column without a button: the rows are in no button's order.
    void showOrder(int col, Qt::SortOrder order);

    Grid& m_grid;
    bool& m_toggle;
    QStringList m_captions;
    // Spans the grid's viewport, so a button scrolled half out of view is cut at its edge.
    QWidget* m_strip;
    std::vector<QPushButton*> m_buttons;
    std::function<bool(int col, Qt::SortOrder order)> m_sorter;
};
