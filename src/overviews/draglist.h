#pragma once

#include <QListView>

// A list of names whose entries are moved by dragging with the mouse: the entry pressed
// is selected, the selection follows the pointer while the button is held (staying on
// the last entry below the list's end) and a line shows where the entry will land, just
// before the selected one. From the keyboard, Ctrl+Up and Ctrl+Down move the selected
// entry one place. The move itself is left to the owner.
class DragList : public QListView {
    Q_OBJECT
public:
    explicit DragList(QWidget* parent = nullptr);

    void setNames(const QStringList& names);
    QStringList names() const;
    int selectedRow() const;
    void selectRow(int row);

signals:
    // The button was released: from is the entry pressed (-1 when the press hit none
    // and none was selected), to the entry selected now.
    void released(int from, int to);
    // Ctrl+Up or Ctrl+Down: the selected entry from is to go to the place to, one up or
    // one down.
    void stepped(int from, int to);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The entry under the pointer; the last one below the end of the list.
    int rowAt(const QPoint& pos) const;

    class QStringListModel* m_model;
    bool m_dragging = false;
    int m_from = -1;
};
