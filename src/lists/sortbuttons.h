#pragma once

#include <QWidget>

#include <vector>

class Grid;
class QPushButton;

// The sort buttons of a list grid: button i stands over column i's header, as wide as
// the column, and follows it when the column is resized or the grid scrolled sideways.
// A click sorts the grid by that column's text; ascending and descending alternate with
// the one toggle that all the grid's buttons share.
class SortButtons : public QWidget {
    Q_OBJECT
public:
    // The buttons are named name_0, name_1, ...; toggle lives as long as the program.
    SortButtons(Grid& grid, const QString& name, const QStringList& captions, bool& toggle,
                QWidget* parent = nullptr);

    QPushButton* button(int i) const { return m_buttons[static_cast<size_t>(i)]; }

signals:
    // The grid was sorted by a button.
    void sorted();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();
    void sortBy(int col);

    Grid& m_grid;
    bool& m_toggle;
    // Spans the grid's viewport, so a button scrolled half out of view is cut at its edge.
    QWidget* m_strip;
    std::vector<QPushButton*> m_buttons;
};
