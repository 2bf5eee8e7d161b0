#pragma once

#include "overviews/overviewrules.h"

#include <QFrame>

class AppState;
class Dialogs;
class DragList;
class Grid;
class Navigator;
class QListView;
class QPushButton;
class QRadioButton;
class QStringListModel;

// The ranking screen (fraRank): artists ranked by their titles (msgSaku) and by their
// songs (msgKei), most or fewest first, counted afresh at each opening; beside them the
// fine-tuning list (lstBicho), where titles are dragged into a new main order that
// cmdSortCng2 writes.
class Ranking : public QFrame {
    Q_OBJECT
public:
    Ranking(AppState& state, Dialogs& dialogs, Navigator& navigator, QWidget* parent = nullptr);

    // cmdRank: counts, fills and shows the screen; nothing while it is on show.
    void cmdRank_Click();
    // Both grids emptied to their header row, with their captions and widths.
    void SetUpRankingGrids();

    Grid* msgSaku;
    QRadioButton* optSaku1;
    QRadioButton* optSaku2;
    Grid* msgKei;
    QRadioButton* optKei1;
    QRadioButton* optKei2;
    // The artists of the songs seen since the program started; it only grows.
    QListView* lstKasyu;
    DragList* lstBicho;
    QPushButton* cmdSortCng2;

private:
    // Sorts the grid by its counts and numbers the ranks 1, 2, 3 ... from the top.
    // Artists of equal counts by their readings, before the count sort.
    void namesInReadingOrder(Grid* grid);
    void sortAndNumber(Grid* grid, Qt::SortOrder order);
    void lstBicho_MouseUp(int from, int to);
    void lstBicho_Step(int from, int to);
    void cmdSortCng2_Click();
    // The light orange of moves not yet applied, or the button's own colour.
    void markPending(bool pending);

    AppState& m_state;
    Dialogs& m_dialogs;
    Navigator& m_navigator;
    overviewrules::SongArtists m_songArtists;
    QStringListModel* m_kasyu;
};
